#!/bin/sh
# SPDX-License-Identifier: MIT
# test_ensure_packages.sh - checks tools/ensure_packages.sh against stand-ins
# for apt-get, sudo and id: what it runs, in which order, as whom, and what
# it says when it cannot install.  Prints "N passed, N failed".
set -u
here=$(cd "$(dirname "$0")" && pwd)
script=$here/../../tools/ensure_packages.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/ensure-packages.XXXXXX")
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# A PATH holding only env and the stand-ins a case asks for: apt (an apt-get
# that logs its arguments and "installs" a package by creating
# $work/installed/NAME), apt-fails, sudo (logs, then runs the rest), user
# (id -u says 1000).
make_path() {
    bin=$work/bin
    rm -rf "$bin" "$work/installed" "$work/log"
    mkdir -p "$bin" "$work/installed"
    ln -s "$(command -v env)" "$bin/env"
    ln -s "$(command -v id)" "$bin/id"
    for tool; do
        case $tool in
        apt | apt-fails)
            status=0
            [ "$tool" = apt-fails ] && status=100
            cat > "$bin/apt-get" <<STUB
#!/bin/sh
echo "apt-get \$* [\$DEBIAN_FRONTEND]" >> "$work/log"
[ "\$1" = install ] || exit 0
[ $status -eq 0 ] || exit $status
for a; do case \$a in -*|install|DPkg*) ;; *) : > "$work/installed/\$a" ;; esac; done
STUB
            ;;
        sudo) printf '#!/bin/sh\necho sudo >> "%s/log"\nexec "$@"\n' "$work" > "$bin/sudo" ;;
        user) rm "$bin/id"; printf '#!/bin/sh\necho 1000\n' > "$bin/id" ;;
        esac
    done
    chmod +x "$bin"/*
}

# check NAME TOOLS EXPECTED_STATUS EXPECTED_LOG EXPECTED_STDERR_PART
check() {
    name=$1 tools=$2 want_status=$3 want_log=$4 want_err=$5
    # shellcheck disable=SC2086 # the tool list is meant to be split
    make_path $tools
    status=0
    PATH=$work/bin /bin/sh "$script" "make demo" "coreutils:env" \
        "pkg-a:$work/installed/pkg-a" "pkg-b:$work/installed/pkg-b" \
        "pkg-a:$work/installed/pkg-a" > "$work/out" 2> "$work/err" || status=$?
    log=''
    [ -e "$work/log" ] && log=$(tr '\n' '|' < "$work/log")
    # An empty EXPECTED_STDERR_PART means nothing on standard error.
    if [ -z "$want_err" ]; then
        err_ok=$([ -s "$work/err" ] || echo yes)
    else
        err_ok=$(grep -qF -- "$want_err" "$work/err" && echo yes)
    fi
    if [ "$status" -ne "$want_status" ] || [ "$log" != "$want_log" ] ||
        [ "$err_ok" != yes ]; then
        echo "FAILED: $name: status $status (want $want_status), log '$log' (want '$want_log')"
        sed 's/^/  stderr: /' "$work/err"
        failed=$((failed + 1))
    else
        echo "ok: $name"
        passed=$((passed + 1))
    fi
}

update='apt-get update -o DPkg::Lock::Timeout=900 [noninteractive]'
install='apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=900 pkg-a pkg-b [noninteractive]'
check "root installs each missing package once" "apt" 0 "$update|$install|" ""
check "a user installs through sudo" "apt sudo user" 0 "sudo|$update|sudo|$install|" ""
check "a user without sudo is told what to install" "apt user" 1 "" \
    "make demo needs these Debian packages, which are missing: pkg-a pkg-b"
check "without apt-get the packages are named" "" 1 "" \
    "missing: pkg-a pkg-b"
check "a failed install is reported" "apt-fails" 1 "$update|$install|" \
    "apt-get could not install them"

# Nothing is run when every probe succeeds.
make_path apt
: > "$work/installed/pkg-a"
status=0
PATH=$work/bin /bin/sh "$script" "make test" "coreutils:env" "pkg-a:$work/installed/pkg-a" \
    > "$work/out" 2>&1 || status=$?
if [ "$status" -eq 0 ] && [ ! -e "$work/log" ] && [ ! -s "$work/out" ]; then
    echo "ok: nothing missing, nothing run"
    passed=$((passed + 1))
else
    echo "FAILED: nothing missing: status $status, output: $(cat "$work/out")"
    failed=$((failed + 1))
fi

# A package of another architecture: dpkg learns the architecture before
# apt-get update, and the package is installed under its full name.
make_path apt
printf '#!/bin/sh\necho "dpkg $*" >> "%s/log"\n' "$work" > "$work/bin/dpkg"
chmod +x "$work/bin/dpkg"
status=0
PATH=$work/bin /bin/sh "$script" "make package" "libc6-dev:arm64:$work/installed/libc6-dev:arm64" \
    > "$work/out" 2>&1 || status=$?
log=$(tr '\n' '|' < "$work/log")
want="dpkg --print-foreign-architectures|dpkg --add-architecture arm64|$update|${install%pkg-a pkg-b*}libc6-dev:arm64 [noninteractive]|"
if [ "$status" -eq 0 ] && [ "$log" = "$want" ]; then
    echo "ok: another architecture is added, then its package installed"
    passed=$((passed + 1))
else
    echo "FAILED: another architecture: status $status, log '$log' (want '$want')"
    failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
