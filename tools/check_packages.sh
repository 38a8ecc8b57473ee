#!/bin/sh
# SPDX-License-Identifier: MIT
# check_packages.sh - checks the source package and the three .deb files
# that `make package` made: each package carries its licence and change
# log and the files it is for, the development package depends on the
# shared library of its own version, lintian (pedantic, with its
# informational tags) reports no error and no warning, hardening-check
# finds every protection in the command and the shared library (and their
# debugging symbols record stack clash protection), and the source package
# holds exactly the files git tracks.
#
#   tools/check_packages.sh DIR          (the version is the header's)
#
# Exit status 0 when every check passes, 1 otherwise.
set -eu
dir=$1 version=$(sh "$(dirname "$0")/version.sh")
failed=0
fail() { echo "FAILED: $*"; failed=1; }
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=usr/lib/$multiarch

# One .deb of each name, of this version.
debs=''
for package in ptxport libtamarak-lidar1 libtamarak-lidar-dev; do
    set -- "$dir/${package}_${version}"_*.deb
    if [ ! -f "$1" ] || [ $# -ne 1 ]; then
        fail "expected one $package package of version $version in $dir, found: $*"
        continue
    fi
    deb=$1
    debs="$debs $deb"
    contents=$(dpkg-deb -c "$deb")
    for file in copyright changelog.gz; do
        echo "$contents" | grep -q " ./usr/share/doc/$package/$file\$" ||
            fail "$package lacks /usr/share/doc/$package/$file"
    done
    # The newest change log entry is that of the package's version.
    package_version=$(dpkg-deb -f "$deb" Version)
    entry=$(dpkg-deb --fsys-tarfile "$deb" |
        tar -xOf - "./usr/share/doc/$package/changelog.gz" | gzip -dc | sed -n 1p)
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

# The files each package is for, and two that belong elsewhere.
for entry in ptxport:usr/bin/ptxport ptxport:usr/share/man/man1/ptxport.1.gz \
    libtamarak-lidar1:$lib/libtamarak_lidar.so.1 \
    libtamarak-lidar-dev:usr/include/TAMARAK_LiDAR.h \
    libtamarak-lidar-dev:$lib/libtamarak_lidar.a \
    libtamarak-lidar-dev:$lib/libtamarak_lidar.so \
    libtamarak-lidar-dev:$lib/cmake/TAMARAK_LiDAR/TAMARAK_LiDARConfig.cmake \
    libtamarak-lidar-dev:$lib/pkgconfig/tamarak_lidar.pc \
    libtamarak-lidar-dev:usr/share/man/man3/check_las.3.gz \
    libtamarak-lidar-dev:usr/share/man/man3/update_header.3.gz \
    libtamarak-lidar-dev:usr/share/doc/libtamarak-lidar-dev/library.md.gz \
    !ptxport:usr/share/doc/ptxport/library.md.gz \
    !libtamarak-lidar-dev:usr/lib/pkgconfig/tamarak_lidar.pc; do
    package=${entry%%:*} file=${entry#*:}
    # grep reads to the end, so that dpkg-deb never writes into a closed pipe.
    if dpkg-deb -c "$dir/${package#!}_"*.deb |
        grep " ./$file\( -> .*\)\{0,1\}\$" > /dev/null; then
        case $package in !*) fail "${package#!} holds /$file" ;; esac
    else
        case $package in !*) ;; *) fail "$package lacks /$file" ;; esac
    fi
done

# The source package holds every file git tracks and nothing else: no build
# output, no scratch file.  Tracked files that it leaves out on purpose, as
# whole-name patterns: dpkg-source's own ignores (version control files).
source_exclusions='\.gitignore'
top=$(cd "$(dirname "$0")/.." && pwd)
if git -C "$top" rev-parse --git-dir > /dev/null 2>&1; then
    tar -tJf "$dir/ptxport_$version.tar.xz" | sed 's|^[^/]*/||; /\/$/d; /^$/d' |
        sort > "$dir/source.list"
    printf '%s\n' $source_exclusions > "$dir/source.exclusions"
    git -C "$top" ls-files | grep -v -x -f "$dir/source.exclusions" |
        sort > "$dir/tracked.list"
    if ! diff "$dir/tracked.list" "$dir/source.list" > "$dir/source.diff"; then
        sed 's/^/    /' "$dir/source.diff"
        fail "the source package's files differ from git ls-files (< only tracked, > only packaged)"
    fi
fi

# Every protection that hardening-check knows, none waived: PIE, stack
# protector, fortified functions, RELRO, BIND_NOW, stack clash protection
# and control flow integrity.
extract=$(mktemp -d)
trap 'rm -rf "$extract"' EXIT
for deb in $debs; do dpkg-deb -x "$deb" "$extract"; done
if command -v hardening-check > /dev/null; then
    hardening-check "$extract/usr/bin/ptxport" "$extract/$lib/libtamarak_lidar.so.1" ||
        fail "hardening-check misses a protection (above)"
else
    fail "hardening-check is missing (devscripts)"
fi
# hardening-check sees stack clash protection only in a function whose frame
# needs a probing loop, and says "unknown" for code without one; the
# compiler's options, recorded in the debugging symbols, must name it for
# every unit of the command and the library.
for deb in "$dir"/ptxport-dbgsym_"$version"_*.deb "$dir"/libtamarak-lidar1-dbgsym_"$version"_*.deb; do
    [ -f "$deb" ] || continue
    dpkg-deb -x "$deb" "$extract/debug"
done
if [ -d "$extract/debug" ]; then
    units=$(find "$extract/debug" -name '*.debug' -exec readelf --debug-dump=info {} + 2>/dev/null |
        grep 'DW_AT_producer')
    [ -n "$units" ] || fail "no compilation unit in the debugging symbols"
    unprotected=$(echo "$units" | grep -v -e '-fstack-clash-protection' || true)
    if [ -n "$unprotected" ]; then
        echo "$unprotected" | sed 's/^/    /'
        fail "units built without -fstack-clash-protection (above)"
    fi
fi

# Warnings count as errors; a lintian that fails without reporting one did
# not run.  An override (debian/*.lintian-overrides) must say why.
status=0
# shellcheck disable=SC2086 # the list of packages is meant to be split
lintian --pedantic --display-info --tag-display-limit 0 $debs \
    "$dir"/ptxport_"$version".dsc > "$dir/lintian.log" 2>&1 || status=$?
cat "$dir/lintian.log"
if grep -q '^[EW]:' "$dir/lintian.log"; then
    fail "lintian reports errors or warnings (E: and W: lines above)"
elif [ "$status" -ne 0 ]; then
    fail "lintian failed with status $status"
fi
[ "$failed" -eq 0 ] &&
    echo "the packages passed: every protection, no lintian error or warning"
exit "$failed"
