#!/bin/sh
# SPDX-License-Identifier: MIT
# run_arch.sh - the cross-built packages of another architecture, installed
# into a Debian 12 root of that architecture and used there under the
# emulator: ptxport converts the bundled example in every output format,
# and its standard output, exit status and files must be those of the
# amd64 build.  Needs root.
#
#   tests/debian/run_arch.sh ARCH PACKAGES DIR PTXPORT EMULATOR
#
# PACKAGES holds the three .debs of ARCH, PTXPORT is the amd64 command and
# EMULATOR the static qemu of ARCH (BARE_MIRROR overrides the mirror).
# DIR/base keeps the debootstrapped root between runs; each run works on a
# fresh copy, DIR/root.
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
reference=$(realpath "$4")
emulator=$5
top=$(cd "$(dirname "$0")/../.." && pwd)
base=$out/base
root=$out/root
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
packages="ptxport libtamarak-lidar1 libtamarak-lidar-dev"

[ "$(id -u)" -eq 0 ] || { echo "run_arch.sh: debootstrap and chroot need root" >&2; exit 1; }
mirror=${BARE_MIRROR:-$(sh "$top/tests/bare_machine/mirror.sh")}
[ -n "$mirror" ] || { echo "run_arch.sh: no bookworm mirror found; set BARE_MIRROR" >&2; exit 1; }
mkdir -p "$out/logs"

# shellcheck source=tests/debian/step.sh
. "$top/tests/debian/step.sh"

deb() { echo "$debs/${1}_${version}_$arch.deb"; }

# The debootstrapped root, made once; a half-made one is made again.
bootstrap() {
    if [ -f "$base/.complete" ]; then
        echo "reusing $base"
        return
    fi
    rm -rf --one-file-system "$base"
    debootstrap --foreign --variant=minbase --arch="$arch" bookworm "$base" "$mirror"
    touch "$base/.complete"
}

fresh_root() {
    rm -rf --one-file-system "$root"
    cp -a "$base" "$root"
    cp "$emulator" "$root/usr/bin/"
}

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

# Each output format converted by both commands, each beside its own copy of
# the example: standard output (but for the time taken), exit status and
# every file must match.
convert() {
    runner="/usr/bin/$(basename "$emulator")"
    status=0
    format=0
    rm -rf --one-file-system "$out/amd64"
    while [ "$format" -le 19 ]; do
        mkdir -p "$out/amd64/$format" "$root/work/$format"
        cp "$top/examples/plot7.las" "$out/amd64/$format/"
        cp "$top/examples/plot7.las" "$root/work/$format/"
        (cd "$out/amd64/$format" && "$reference" plot7.las "$format" > stdout; echo $? > status)
        unshare --root="$root" --wd="/work/$format" "$runner" /usr/bin/ptxport \
            plot7.las "$format" > "$root/work/$format/stdout"
        echo $? > "$root/work/$format/status"
        sed -i 's/Elapsed time: [0-9.]* seconds/Elapsed time/' \
            "$out/amd64/$format/stdout" "$root/work/$format/stdout"
        if diff -r "$out/amd64/$format" "$root/work/$format"; then
            echo "format $format: $(find "$root/work/$format" -type f | wc -l) files the same"
        else
            status=1
        fi
        format=$((format + 1))
    done
    return $status
}

started=$(date +%s)
step bootstrap bootstrap
step fresh-root fresh_root
step depends depends
step install install_packages
step convert convert
echo "all steps passed on $arch ($(($(date +%s) - started)) s)"
