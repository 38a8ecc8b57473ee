#!/bin/sh
# SPDX-License-Identifier: MIT
# reproducible.sh - builds twice, the second time with another build path,
# another time (libfaketime, a year and more ahead), another time zone,
# another umask and another locale, SOURCE_DATE_EPOCH kept, and requires
# the same bytes; diffoscope shows where two files differ.
#
#   tools/reproducible.sh deb DIR       the .debs (tools/build_debian.sh);
#                                       DIR/deb/first is a complete make package
#   tools/reproducible.sh windows DIR   the Windows zip (make windows and
#                                       tools/package_windows.sh)
#
# Exit status 0 when both builds give identical files.
set -eu
kind=$1
out=$(realpath -m "$2")
top=$(cd "$(dirname "$0")/.." && pwd)
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH

# build N DIR: one build into DIR, the variations applied to the second.
# shellcheck disable=SC2317 # build_deb and build_windows are called by name
build() {
    if [ "$1" -eq 1 ]; then
        (umask 022 && export TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8 && build_"$kind" "$2")
    else
        # The clock runs ahead; the file times stay real (NO_FAKE_STAT), or
        # ninja would never find its manifest up to date.
        (umask 002 && env TZ=Pacific/Kiritimati LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 \
            NO_FAKE_STAT=1 faketime -f '+398d' sh "$0" "inner-$kind" "$2")
    fi
}

# The source package too, so that the first build's folder is what
# make package gives, and make test-package PACKAGES=DIR can check it.
build_deb() { "$top/tools/build_debian.sh" "$1" -J2 > "$1.log" 2>&1; }

# The command and the libraries only, without the test suite.
build_windows() {
    cmake -S "$top" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        --toolchain "$top/cmake/mingw-w64-x86_64.cmake" -DPTXPORT_BUILD_TESTS=OFF > "$1.log" 2>&1
    cmake --build "$1" -j 2 >> "$1.log" 2>&1
    cmake --install "$1" --prefix "$1/dist" --strip >> "$1.log" 2>&1
    "$top/tools/package_windows.sh" "$1" >> "$1.log" 2>&1
}

case $kind in
inner-deb | inner-windows)
    kind=${kind#inner-}
    build_"$kind" "$2"
    exit
    ;;
deb) pattern='*.deb' ;;
windows) pattern='packages/*.zip' ;;
*) echo "reproducible.sh: deb or windows" >&2; exit 2 ;;
esac

rm -rf --one-file-system "${out:?}/$kind"
first=$out/$kind/first
second=$out/$kind/second/at/another/depth
mkdir -p "$first" "$second"
for n in 1 2; do
    dir=$first
    [ "$n" -eq 1 ] || dir=$second
    t0=$(date +%s)
    build "$n" "$dir" || { tail -n 30 "$dir.log"; echo "FAILED: build $n"; exit 1; }
    echo "build $n in $dir: $(($(date +%s) - t0)) s"
done

failed=0 compared=0
for a in $first/$pattern; do
    b=$second/${a#"$first"/}
    compared=$((compared + 1))
    if cmp "$a" "$b"; then
        echo "identical: $(basename "$a") ($(sha256sum < "$a" | cut -c1-16))"
    else
        failed=1
        diffoscope --text - "$a" "$b" | head -n 200 || true
        echo "FAILED: $(basename "$a") differs between the two builds"
    fi
done
[ "$compared" -gt 0 ] || { echo "FAILED: no $pattern in $first"; exit 1; }
[ "$failed" -eq 0 ] && echo "reproducible: $compared files identical in both builds"
exit "$failed"
