# SPDX-License-Identifier: MIT
# step.sh - one named step of a clean-root check, sourced by run.sh and
# run_arch.sh: its log kept in $out/logs, its last lines and time shown,
# and the whole check ended at the first step that fails.
#
#   step NAME COMMAND [ARGUMENTS...]
step() {
    name=$1
    shift
    t0=$(date +%s)
    if "$@" > "$out/logs/$name.log" 2>&1; then
        tail -n 3 "$out/logs/$name.log" | sed 's/^/    /'
        echo "ok: $name ($(($(date +%s) - t0)) s)"
    else
        tail -n 40 "$out/logs/$name.log" | sed 's/^/    /'
        echo "FAILED: $name ($(($(date +%s) - t0)) s; whole log in $out/logs/$name.log)"
        exit 1
    fi
}
