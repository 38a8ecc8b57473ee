#!/bin/sh
# SPDX-License-Identifier: MIT
# check_packages.sh - checks the three .deb files that `make package` made:
# lintian reports no error, each package carries its licence and change log,
# the development package depends on the shared library of its own version,
# and the maintainer is a real address.
#
#   tools/check_packages.sh DIR VERSION
#
# Exit status 0 when every check passes, 1 otherwise.
set -eu
dir=$1 version=$2
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# One .deb of each name, of this version.
debs=''
for package in ptxport libtamarak-lidar1 libtamarak-lidar-dev; do
    set -- "$dir/${package}_${version}"-*.deb
    if [ ! -f "$1" ] || [ $# -ne 1 ]; then
        fail "expected one $package package of version $version in $dir, found: $*"
        continue
    fi
    deb=$1
    debs="$debs $deb"
    contents=$(dpkg-deb -c "$deb")
    for file in copyright changelog.Debian.gz; do
        echo "$contents" | grep -q " ./usr/share/doc/$package/$file\$" ||
            fail "$package lacks /usr/share/doc/$package/$file"
    done
    maintainer=$(dpkg-deb -f "$deb" Maintainer)
    case $maintainer in
    *localhost* | '') fail "$package has no real maintainer: '$maintainer'" ;;
    esac
    dpkg-deb -f "$deb" Description | sed -n 2p | grep -q . ||
        fail "$package has no long description"
    # The newest change log entry is that of the package's version.
    package_version=$(dpkg-deb -f "$deb" Version)
    entry=$(dpkg-deb --fsys-tarfile "$deb" |
        tar -xOf - "./usr/share/doc/$package/changelog.Debian.gz" | gzip -dc | sed -n 1p)
    case $entry in
    *"($package_version)"*) ;;
    *) fail "$package $package_version: its change log begins with '$entry'" ;;
    esac
done
[ "$failed" -eq 0 ] || exit 1

dev_depends=$(dpkg-deb -f "$dir"/libtamarak-lidar-dev_*.deb Depends)
runtime_version=$(dpkg-deb -f "$dir"/libtamarak-lidar1_*.deb Version)
echo "$dev_depends" | grep -qF "libtamarak-lidar1 (= $runtime_version)" ||
    fail "libtamarak-lidar-dev depends on '$dev_depends', not on libtamarak-lidar1 (= $runtime_version)"

# The files each package is for: a file installed without its component
# would be left out of every package.
for entry in ptxport:usr/bin/ptxport ptxport:usr/share/man/man1/ptxport.1.gz \
    libtamarak-lidar1:usr/lib/libtamarak_lidar.so.1 \
    libtamarak-lidar-dev:usr/include/TAMARAK_LiDAR.h \
    libtamarak-lidar-dev:usr/lib/libtamarak_lidar.a \
    libtamarak-lidar-dev:usr/lib/libtamarak_lidar.so \
    libtamarak-lidar-dev:usr/lib/cmake/TAMARAK_LiDAR/TAMARAK_LiDARConfig.cmake \
    libtamarak-lidar-dev:usr/lib/pkgconfig/tamarak_lidar.pc; do
    package=${entry%%:*} file=${entry#*:}
    # grep reads to the end, so that dpkg-deb never writes into a closed pipe.
    dpkg-deb -c "$dir/${package}_"*.deb | grep " ./$file\( -> .*\)\{0,1\}\$" > /dev/null ||
        fail "$package lacks /$file"
done

# The E: lines decide, so that a lintian with other fail-on defaults cannot
# let an error through; a lintian that fails without one did not run.
status=0
# shellcheck disable=SC2086 # the list of packages is meant to be split
lintian --tag-display-limit 0 $debs > "$dir/lintian.log" 2>&1 || status=$?
cat "$dir/lintian.log"
if grep -q '^E:' "$dir/lintian.log"; then
    fail "lintian reports errors (E: lines above)"
elif [ "$status" -ne 0 ]; then
    fail "lintian failed with status $status"
fi
[ "$failed" -eq 0 ] && echo "the three packages passed: lintian reports no error"
exit "$failed"
