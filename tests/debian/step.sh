# SPDX-License-Identifier: MIT
# step.sh - what the clean-root checks share, sourced by tests/debian/run.sh,
# tests/debian/run_arch.sh and tests/bare_machine/run.sh: named steps with
# their logs in $out/logs, and the unmounting of whatever is mounted below
# $root.
#
#   step NAME COMMAND [ARGUMENTS...]
# runs a step with its output in $out/logs/NAME.log, shows ctest's summary
# where the log has one (else the log's end) and the time taken, counts it
# in $passed, and ends the whole check at the first step that fails (saying
# "$check_name: N passed, 1 failed" where the caller set check_name).
passed=0
step() {
    name=$1
    shift
    t0=$(date +%s)
    if "$@" > "$out/logs/$name.log" 2>&1; then
        { grep -E 'tests passed|Total Test time' "$out/logs/$name.log" ||
            tail -n 3 "$out/logs/$name.log"; } | sed 's/^/    /'
        echo "ok: $name ($(($(date +%s) - t0)) s)"
        passed=$((passed + 1))
    else
        tail -n 40 "$out/logs/$name.log" | sed 's/^/    /'
        echo "FAILED: $name ($(($(date +%s) - t0)) s; whole log in $out/logs/$name.log)"
        [ -z "${check_name:-}" ] || echo "$check_name: $passed passed, 1 failed"
        exit 1
    fi
}

# Whatever is mounted below the root, deepest first, so that the root can
# always be removed with rm --one-file-system.
unmount_all() {
    awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r m; do umount "$m" || umount -l "$m"; done
}
