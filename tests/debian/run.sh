#!/bin/sh
# SPDX-License-Identifier: MIT
# run.sh - the Debian source package built as a buildd builds it: in a
# fresh Debian 12 root (debootstrap, buildd variant: build-essential only)
# with only the Build-Depends added, as an unprivileged user and without
# network.  The three packages are then installed there and the tests of
# debian/tests/control run against them; on this machine, lintian and
# hardening-check judge the packages (tools/check_packages.sh).  Needs root.
#
#   tests/debian/run.sh DIR     (BARE_MIRROR overrides the mirror)
#
# DIR/base keeps the debootstrapped root and DIR/apt the downloaded
# packages between runs; each run works on a fresh copy, DIR/root.
# Exit status 0 when every step passes.
set -eu

out=$(realpath -m "$1")
top=$(cd "$(dirname "$0")/../.." && pwd)
base=$out/base
root=$out/root
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)

[ "$(id -u)" -eq 0 ] || { echo "run.sh: debootstrap and chroot need root" >&2; exit 1; }
mirror=${BARE_MIRROR:-$(sh "$top/tests/bare_machine/mirror.sh")}
[ -n "$mirror" ] || { echo "run.sh: no bookworm mirror found; set BARE_MIRROR" >&2; exit 1; }

# shellcheck source=tests/debian/step.sh
. "$top/tests/debian/step.sh"
trap unmount_all EXIT
trap 'exit 130' INT TERM

started=$(date +%s)

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive /bin/sh -ec "$1"
}

# The debootstrapped root, made once; a half-made one is made again.
bootstrap() {
    if [ -f "$base/.complete" ]; then
        echo "reusing $base"
        return
    fi
    rm -rf --one-file-system "$base"
    debootstrap --variant=buildd bookworm "$base" "$mirror"
    touch "$base/.complete"
}

fresh_root() {
    unmount_all
    rm -rf --one-file-system "$root"
    cp -a "$base" "$root"
    mkdir -p "$out/apt" "$root/build"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount --bind /dev "$root/dev"
    mount --bind "$out/apt" "$root/var/cache/apt/archives"
    chroot "$root" useradd --create-home builder
}

source_package() {
    rm -rf --one-file-system "$out/source"
    "$top/tools/build_debian.sh" "$out/source" -S -d
    cp "$out/source/ptxport_$version.dsc" "$out/source/ptxport_$version.tar.xz" \
        "$root/build/"
}

build_depends() {
    in_root "apt-get update -q && apt-get build-dep -y -q /build/ptxport_$version.dsc
        cd /build && dpkg-source -x ptxport_$version.dsc
        chown -R builder:builder /build"
}

# No network: the build runs in a network namespace of its own.
build() {
    unshare -n -- chroot --userspec=builder:builder "$root" /usr/bin/env -i \
        HOME=/home/builder LANG=C.UTF-8 PATH=/usr/bin:/bin \
        /bin/sh -ec "cd /build/ptxport-$version && dpkg-buildpackage -us -uc -J2"
    ls "$root/build"
}

install_packages() {
    in_root "cd /build && apt-get install -y -q ./ptxport_${version}_*.deb \
        ./libtamarak-lidar1_${version}_*.deb ./libtamarak-lidar-dev_${version}_*.deb
        man -w 3 check_las && man -w 3 d_parallel_qs && man -w 1 ptxport"
}

# Each test of debian/tests/control, from the unpacked source, with its
# Depends installed; a test without allow-stderr fails on any standard
# error output, as autopkgtest would.
run_tests() {
    control=$root/build/ptxport-$version/debian/tests/control
    awk 'BEGIN { RS = ""; FS = "\n" }
         { tests = ""; depends = ""; restrictions = ""
           for (i = 1; i <= NF; i++) {
             if ($i ~ /^Tests:/) tests = substr($i, 8)
             if ($i ~ /^Depends:/) depends = substr($i, 10)
             if ($i ~ /^Restrictions:/) restrictions = substr($i, 15) }
           gsub(/,/, "", depends)
           print tests "|" depends "|" restrictions }' "$control" |
        while IFS='|' read -r tests depends restrictions; do
            in_root "apt-get install -y -q $depends" > /dev/null
            for t in $tests; do
                in_root "rm -rf /tmp/t && mkdir /tmp/t && cd /build/ptxport-$version
                    AUTOPKGTEST_TMP=/tmp/t debian/tests/$t 2> /tmp/t.err || { cat /tmp/t.err; exit 1; }
                    cat /tmp/t.err >&2
                    case ' $restrictions ' in *' allow-stderr '*) ;;
                    *) test ! -s /tmp/t.err || { echo 'stderr output'; exit 1; } ;; esac"
                echo "autopkgtest $t: PASS"
            done
        done
}

judge() {
    rm -rf "$out/packages" && mkdir "$out/packages"
    cp "$root/build"/*.deb "$root/build"/*.dsc "$root/build"/*.tar.xz "$out/packages/"
    "$top/tools/check_packages.sh" "$out/packages" "$version"
}

mkdir -p "$out/logs"
echo "Debian 12 build root in $root, mirror $mirror"
step debootstrap bootstrap
step fresh-root fresh_root
step source-package source_package
step build-depends build_depends
step build-offline build
step install install_packages
step autopkgtest run_tests
step lintian-hardening judge
echo "test-debian: every step passed in $(($(date +%s) - started)) s"
