# SPDX-License-Identifier: MIT
# root.sh - what the clean-root checks share, sourced by tests/debian/run.sh,
# tests/debian/run_arch.sh and tests/bare_machine/run.sh: a debootstrapped
# Debian 12 root made once and cached, a fresh working copy of it with what
# a root needs mounted, commands run inside it with a clean environment, and
# named steps with their logs.  The caller sets $top (the repository),
# $out (its work folder; the logs go to $out/logs), $root (where the working
# copy goes) and may set $check_name.  Sourcing it sets the traps that
# unmount everything below $root and remove it on every way out, so that an
# interrupted check leaves no mount behind.
#
#   root_use CACHE VARIANT ARCH [INCLUDE] [foreign]
# sets $base to the cached root of debootstrap's VARIANT for ARCH in CACHE,
# with the packages of INCLUDE (comma-separated) added; "foreign" stops at
# debootstrap's first stage (every package unpacked, none configured),
# which is all a root of another architecture gets without binfmt_misc.
#   root_bootstrap
# makes $base where it lacks its .complete marker.
#   root_fresh [APT_ARCHIVES]
# makes $root a fresh copy of $base and mounts proc, sys, dev, dev/pts, a
# tmpfs on dev/shm and, where given, APT_ARCHIVES on apt's package cache
# (one for each check: apt fails rather than wait for another's lock on
# it); the host's resolv.conf is copied in.
#
#   in_root [-u USER] [-n] COMMAND
# runs a shell command in $root with a clean environment, as its root user
# or as USER, and with -n in a network namespace of its own (no network).
#
#   step NAME COMMAND [ARGUMENTS...]
# runs a step with its output in $out/logs/NAME.log, shows ctest's summary
# where the log has one (else the log's end) and the time taken, counts it
# in $passed, and ends the whole check at the first step that fails (saying
# "$check_name: N passed, 1 failed" where the caller set check_name).  The
# step runs in a subshell with set -e, so its first failing command fails it.
#   step_summary
# says "$check_name: N passed, 0 failed" once every step has passed.

: "${top:?}" "${out:?}" "${root:?}"
passed=0
check_started=$(date +%s)

step() {
    name=$1
    shift
    t0=$(date +%s)
    mkdir -p "$out/logs"
    set +e
    (
        set -e
        "$@"
    ) > "$out/logs/$name.log" 2>&1
    status=$?
    set -e
    if [ "$status" -eq 0 ]; then
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

step_summary() {
    echo "$check_name took $(($(date +%s) - check_started)) s"
    echo "$check_name: $passed passed, 0 failed"
}

# The mirror of this machine's apt, unless BARE_MIRROR names another.
root_mirror() {
    m=${BARE_MIRROR:-$(sh "$top/tests/bare_machine/mirror.sh")}
    [ -n "$m" ] || {
        echo "no bookworm mirror in this machine's apt sources; set BARE_MIRROR" >&2
        return 1
    }
    echo "$m"
}

root_use() {
    root_cache=$(realpath -m "$1") root_variant=$2 root_arch=$3
    root_include=${4:-} root_stage=${5:-}
    base=$root_cache/bookworm-$root_variant-$root_arch
    base=$base${root_include:+-$(echo "$root_include" | tr , -)}${root_stage:+-$root_stage}
}

root_bootstrap() {
    mkdir -p "$root_cache"
    # Two checks sharing the cache wait for each other's debootstrap.
    (
        flock 9
        if [ -f "$base/.complete" ]; then
            echo "reusing $base"
            exit 0
        fi
        mirror=$(root_mirror)
        rm -rf --one-file-system "$base"
        debootstrap --variant="$root_variant" --arch="$root_arch" \
            ${root_include:+--include="$root_include"} ${root_stage:+--foreign} \
            bookworm "$base" "$mirror"
        touch "$base/.complete"
    ) 9> "$root_cache/.lock"
}

root_fresh() {
    root_remove
    mkdir -p "$(dirname "$root")"
    cp -a "$base" "$root"
    rm -f "$root/.complete"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mkdir -p "$root/proc" "$root/sys" "$root/dev"
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount -t tmpfs tmpfs "$root/dev/shm"
    if [ -n "${1:-}" ]; then
        mkdir -p "$1" "$root/var/cache/apt/archives"
        mount --bind "$1" "$root/var/cache/apt/archives"
    fi
}

in_root() {
    user=root home=/root offline=''
    OPTIND=1
    while getopts u:n option; do
        case $option in
        u) user=$OPTARG home=/home/$OPTARG ;;
        n) offline='unshare -n --' ;;
        *) return 2 ;;
        esac
    done
    shift $((OPTIND - 1))
    $offline chroot --userspec="$user:$user" "$root" /usr/bin/env -i \
        HOME="$home" LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/sh -ec "$1"
}

# Deepest first; a busy mount is detached lazily.  The copy is removed only
# when nothing is mounted below it any more, since rm --one-file-system
# would still go into a bind mount of the same file system.
root_remove() {
    [ -d "$root" ] || return 0
    awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r m; do umount "$m" 2> /dev/null || umount -l "$m"; done
    if awk -v r="$root/" 'index($2, r) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
        echo "still mounted below $root: not removed" >&2
        return 1
    fi
    rm -rf --one-file-system "$root"
}

trap root_remove EXIT
trap 'exit 130' INT TERM
