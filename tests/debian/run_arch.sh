#!/bin/sh
# SPDX-License-Identifier: MIT
# run_arch.sh - the cross-built packages of another architecture, installed
# into a Debian 12 root of that architecture and used there under the
# emulator: the installed ptxport must write what the amd64 build writes
# (tests/compare/compare_builds.py, the cases on the bundled example: every
# output format, a file of more than eight blocks, a bad format).  Needs root.
#
#   tests/debian/run_arch.sh ARCH PACKAGES DIR [CACHE]
#
# PACKAGES holds the three .debs of ARCH; the amd64 command and test-file
# writer are build/'s, the emulator is ARCH's (tools/arch.sh).  CACHE
# (else $DEBIAN_ROOT_CACHE, else build-debian-root/ in the repository) keeps
# the debootstrapped root between runs; each run works on a fresh copy,
# DIR/root.  BARE_MIRROR overrides the mirror.
#
# The root is debootstrap's first stage: every package of the minbase
# variant unpacked, the C and C++ runtimes of ARCH among them.  The second
# stage, and dpkg itself, would run the target's programs from one
# another, which needs binfmt_misc; so the packages' dependencies are
# checked here against the root's package versions, and their files are
# unpacked with dpkg-deb -x.  Exit status 0 when every step passes.
set -eu

arch=$1
debs=$(realpath "$2")
out=$(realpath -m "$3")
top=$(cd "$(dirname "$0")/../.." && pwd)
cache=$(realpath -m "${4:-${DEBIAN_ROOT_CACHE:-$top/build-debian-root}}")
root=$out/root
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
packages="ptxport libtamarak-lidar1 libtamarak-lidar-dev"
check_name=test-package-arch

[ "$(id -u)" -eq 0 ] || { echo "run_arch.sh: debootstrap and chroot need root" >&2; exit 1; }

# shellcheck source=tests/debian/root.sh
. "$top/tests/debian/root.sh"
root_use "$cache" minbase "$arch" '' foreign

deb() { echo "$debs/${1}_${version}_$arch.deb"; }

# NAME VERSION of each package in the root and of the three .debs.
available() {
    while read -r _ path; do
        dpkg-deb -f "$root$path" Package Version
    done < "$root/debootstrap/debpaths"
    for p in $packages; do dpkg-deb -f "$(deb "$p")" Package Version; done
}

# Every Depends of the three packages is met by a package of the root or
# by another of the three (each alternative list by one of its members).
depends() {
    available | awk '/^Package:/ { p = $2 } /^Version:/ { print p, $2 }' > "$out/available"
    for p in $packages; do
        dpkg-deb -f "$(deb "$p")" Depends | tr ',' '\n' | sed 's/^ *//;/^$/d' |
            while read -r clause; do
                met=''
                for alt in $(echo "$clause" | tr -d ' ' | tr '|' ' '); do
                    name=${alt%%(*}
                    have=$(awk -v n="$name" '$1 == n { print $2 }' "$out/available")
                    [ -n "$have" ] || continue
                    case $alt in
                    *\(*) relation=${alt#*(} relation=${relation%)}
                        op=$(echo "$relation" | sed 's/[^<>=].*//')
                        want=${relation#"$op"}
                        case $op in
                        '>=') op=ge ;; '<=') op=le ;; '=') op=eq ;; '>>') op=gt ;; '<<') op=lt ;;
                        esac
                        dpkg --compare-versions "$have" "$op" "$want" || continue ;;
                    esac
                    met="$name $have"
                done
                [ -n "$met" ] || { echo "$p: nothing in the root meets '$clause'"; exit 1; }
                echo "$p: $clause met by $met"
            done || return 1
    done
}

install_packages() {
    for p in $packages; do dpkg-deb -x "$(deb "$p")" "$root"; done
    ls -l "$root/usr/bin/ptxport" "$root"/usr/lib/*/libtamarak_lidar*
}

# The installed ptxport, with the emulator copied into the root.
convert() {
    python3 "$top/tests/compare/compare_builds.py" --cases example \
        --build "$top/build" --arch "$arch" --candidate "$root/usr/bin/ptxport" \
        --candidate-root "$root" --work "$out/compare"
}

echo "$arch root in $root from $base"
step debootstrap root_bootstrap
step fresh-root root_fresh
step depends depends
step install install_packages
step convert convert
step_summary
