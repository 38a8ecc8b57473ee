#!/bin/sh
# SPDX-License-Identifier: MIT
# run_all.sh - what `make bench` runs on the bench build: the micro
# benchmarks, the long number-formatting comparison with printf, and the
# end-to-end run against the I/O floor on POINTS records.
#
#   bench/run_all.sh BUILD POINTS
set -eu
for b in number_format point_rows sorts; do
    "$1/bench/bench_$b"
done
PTXPORT_LONG_TESTS=1 "$1/tests/test_numbers"
python3 "$(dirname "$0")/end_to_end.py" --build "$1" --points "$2"
