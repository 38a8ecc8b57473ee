#!/bin/sh
# SPDX-License-Identifier: MIT
# demo.sh - what `make demo` shows: BUILD/converter/ptxport converts a copy
# of the bundled example in BUILD/demo (the repository is not written), then
# the header description and the first rows are printed.
#
#   tools/demo.sh BUILD
set -eu
demo=$1/demo
rm -rf "$demo" && mkdir -p "$demo"
cp "$(dirname "$0")/../examples/plot7.las" "$demo/"
(cd "$demo" && ../converter/ptxport plot7.las 0)
echo "--- $demo/plot7_hdr.asc" && cat "$demo/plot7_hdr.asc"
echo "--- $demo/plot7.asc (first 5 of $(wc -l < "$demo/plot7.asc") lines)"
head -n 5 "$demo/plot7.asc"
