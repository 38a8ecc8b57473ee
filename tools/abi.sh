#!/bin/sh
# SPDX-License-Identifier: MIT
# abi.sh - the ABI of libtamarak_lidar.so.1 against its committed baseline.
#
#   tools/abi.sh check BUILD     compares the library in BUILD (built with
#                                debug information) with abi/, fails on an
#                                incompatible change or a changed symbol list
#   tools/abi.sh baseline BUILD  writes abi/libtamarak_lidar.so.1.abi and
#                                debian/libtamarak-lidar1.symbols from it
#
# The baseline holds the exported routines and the public types they reach,
# as abidw sees them in the debug information; the symbols file lists the
# same routines with the version that first had each (new ones get the
# library's current version).  Exit status 0 when the ABI is compatible.
set -eu
mode=$1 build=$2
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
so=$build/library/libtamarak_lidar.so.${version%%.*}
baseline=$top/abi/libtamarak_lidar.so.${version%%.*}.abi
symbols=$top/debian/libtamarak-lidar1.symbols

# The ABI as a file that depends on neither the build path nor the machine.
dump() {
    abidw --headers-dir "$top/library/include" --drop-private-types \
        --drop-undefined-syms --exported-interfaces-only \
        --no-corpus-path --no-comp-dir-path --short-locs --out-file "$1" "$so"
}

# The exported routines, one name a line, sorted.
exported() { nm -D --defined-only "$so" | awk '$2 == "T" { print $3 }' | LC_ALL=C sort; }

case $mode in
baseline)
    dump "$baseline"
    {
        echo "libtamarak_lidar.so.${version%%.*} libtamarak-lidar1 #MINVER#"
        echo "* Build-Depends-Package: libtamarak-lidar-dev"
        exported | while read -r name; do
            first=$(sed -n "s/^ $name@Base //p" "$symbols" 2> /dev/null)
            echo " $name@Base ${first:-$version}"
        done
    } > "$symbols.new"
    mv "$symbols.new" "$symbols"
    echo "wrote $baseline and $symbols ($(exported | wc -l) routines)"
    ;;
check)
    current=$build/libtamarak_lidar.abi
    dump "$current"
    status=0
    abidiff --no-show-locs "$baseline" "$current" > "$build/abidiff.txt" || status=$?
    cat "$build/abidiff.txt"
    # abidiff's status is a bit set: 1 error, 2 usage, 4 a change, 8 an
    # incompatible change.  A change is compatible only if it adds: a
    # routine or a type that is changed or removed breaks programs built
    # against the baseline (abidiff calls a parameter added to a C routine a
    # mere change).
    broken=$(awk '/changes summary:/ {
        for (i = 2; i <= NF; i++) if ($i ~ /^(Removed|Changed)/ && $(i - 1) + 0 > 0) n++
      } END { print n + 0 }' "$build/abidiff.txt")
    if [ $((status & 11)) -ne 0 ] || [ "$broken" -ne 0 ]; then
        echo "FAILED: the ABI of $so broke against $baseline (abidiff status $status)"
        exit 1
    fi
    sed -n 's/^ \([^@]*\)@Base .*/\1/p' "$symbols" | LC_ALL=C sort > "$build/symbols.expected"
    exported > "$build/symbols.actual"
    if ! diff -u "$build/symbols.expected" "$build/symbols.actual"; then
        echo "FAILED: the exported routines differ from $symbols (- listed, + exported);"
        echo "a compatible addition: make abi-baseline, and raise the minor version"
        exit 1
    fi
    [ "$status" -eq 0 ] || echo "compatible ABI change (abidiff status $status): make abi-baseline"
    echo "the ABI of $so matches $baseline: $(wc -l < "$build/symbols.actual") routines"
    ;;
*) echo "abi.sh: mode must be check or baseline" >&2; exit 2 ;;
esac
