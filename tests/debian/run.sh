#!/bin/sh
# SPDX-License-Identifier: MIT
# run.sh - the Debian source package built as a buildd builds it: in a
# fresh Debian 12 root (debootstrap, buildd variant: build-essential only)
# with only the Build-Depends added, as an unprivileged user and without
# network.  The three packages are then installed there and the tests of
# debian/tests/control run against them; on this machine, lintian and
# hardening-check judge the packages (tools/check_packages.sh).  Needs root.
#
#   tests/debian/run.sh DIR [CACHE]
#
# CACHE (else $DEBIAN_ROOT_CACHE, else build-debian-root/ in the repository)
# keeps the debootstrapped root and the downloaded packages between runs,
# shared with tests/bare_machine/run.sh; each run works on a fresh copy,
# DIR/root.  BARE_MIRROR overrides the mirror.  Exit status 0 when every
# step passes.
set -eu

top=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "$1")
cache=$(realpath -m "${2:-${DEBIAN_ROOT_CACHE:-$top/build-debian-root}}")
root=$out/root
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
check_name=test-debian

[ "$(id -u)" -eq 0 ] || { echo "run.sh: debootstrap and chroot need root" >&2; exit 1; }

# shellcheck source=tests/debian/root.sh
. "$top/tests/debian/root.sh"
root_use "$cache" buildd amd64

fresh_root() {
    root_fresh "$cache/apt-$check_name"
    mkdir -p "$root/build"
    in_root "useradd --create-home builder"
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
    in_root -n -u builder "cd /build/ptxport-$version && dpkg-buildpackage -us -uc -J2"
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

echo "Debian 12 build root in $root from $base"
step debootstrap root_bootstrap
step fresh-root fresh_root
step source-package source_package
step build-depends build_depends
step build-offline build
step install install_packages
step autopkgtest run_tests
step lintian-hardening judge
step_summary
