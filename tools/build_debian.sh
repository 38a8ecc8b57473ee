#!/bin/sh
# SPDX-License-Identifier: MIT
# build_debian.sh - builds the Debian source package and the three binary
# packages from a copy of the tree, as dpkg-buildpackage would from a clean
# clone:
#
#   tools/build_debian.sh OUT [dpkg-buildpackage options...]
#
# The copy holds what git tracks or would track (the tree as it is, edits
# included, without build folders); where there is no git, the whole tree
# but its build folders.  The .dsc, the source tarball, the .debs and the
# .buildinfo and .changes files end in OUT, the copy is removed.
set -eu
out=$(realpath -m "$1")
shift
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
copy=$out/ptxport-$version

rm -rf --one-file-system "$copy"
rm -f "$out"/ptxport_* "$out"/libtamarak-lidar*
mkdir -p "$copy"
if git -C "$top" rev-parse --git-dir > /dev/null 2>&1; then
    (cd "$top" && git ls-files -z --cached --others --exclude-standard |
        xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
        tar --null -T - -cf -) | tar -xf - -C "$copy"
else
    (cd "$top" && tar --exclude=./build --exclude='./build-*' --exclude=./.cache \
        -cf - .) | tar -xf - -C "$copy"
fi
(cd "$copy" && dpkg-buildpackage -us -uc "$@")
rm -rf --one-file-system "$copy"
ls -1 "$out"
