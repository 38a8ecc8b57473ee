#!/bin/sh
# SPDX-License-Identifier: MIT
# callgrind_rows.sh - instructions a whole ptxport run takes on one CPU, per
# format, on the same lasgen files: the measure that shows whether a change
# to the point path made it slower, free of this machine's timing noise.
#
#   bench/callgrind_rows.sh <build folder> [points]
#
# Prints one line per case: the case, its instruction count (Ir) and the
# instructions per row, the start-up (the same run on a file of no points)
# taken away.
set -eu

build=$(cd "$1" && pwd)
points=${2:-200000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# LAS types 6 and 8: point formats 1 and 3 (lasgen's numbering).
"$build/tools/lasgen" "$work/pf1.las" 6 "$points"
"$build/tools/lasgen" "$work/pf3.las" 8 "$points"
"$build/tools/lasgen" "$work/empty.las" 6 0

# callgrind's instruction count of ptxport converting $1.las to format $2.
instructions() {
    rm -f "$work"/*.asc "$work"/*.txt "$work"/callgrind.out
    (cd "$work" && taskset -c 0 valgrind --tool=callgrind \
        --callgrind-out-file=callgrind.out "$build/converter/ptxport" \
        "$1.las" "$2" >/dev/null 2>&1)
    sed -n 's/^summary: //p' "$work/callgrind.out"
}

start=$(instructions empty 0)
echo "start-up (no points): $start"
for case in "0 pf1" "0 pf3" "1 pf1" "13 pf1" "15 pf1" "19 pf3"; do
    set -- $case
    ir=$(instructions "$2" "$1")
    per_row=$(awk -v ir="$ir" -v s="$start" -v n="$points" \
        'BEGIN { printf "%.1f", (ir - s) / n }')
    echo "format $1, point format ${2#pf}: $ir ($per_row per row)"
done
