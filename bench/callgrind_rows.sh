#!/bin/sh
# SPDX-License-Identifier: MIT
# callgrind_rows.sh - instructions a whole ptxport run takes on one CPU, per
# format, on the same lasgen files: the measure that shows whether a change
# to the point path made it slower, free of this machine's timing noise.
#
#   bench/callgrind_rows.sh <build folder> [points]
#
# Prints one line per case: the case and its instruction count (Ir).
set -eu

build=$(cd "$1" && pwd)
points=${2:-200000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# LAS types 6 and 8: point formats 1 and 3 (lasgen's numbering).
"$build/tools/lasgen" "$work/pf1.las" 6 "$points"
"$build/tools/lasgen" "$work/pf3.las" 8 "$points"

for case in "0 pf1" "1 pf1" "15 pf1" "19 pf3"; do
    set -- $case
    rm -f "$work"/*.asc "$work"/*.txt "$work"/callgrind.out
    (cd "$work" && taskset -c 0 valgrind --tool=callgrind \
        --callgrind-out-file=callgrind.out "$build/converter/ptxport" \
        "$2.las" "$1" >/dev/null 2>&1)
    ir=$(sed -n 's/^summary: //p' "$work/callgrind.out")
    echo "format $1, point format ${2#pf}: $ir"
done
