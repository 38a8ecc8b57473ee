#!/usr/bin/env bash
# Writes the fuzzers' seed corpus with the project's own generator:
#   tools/make_fuzz_corpus.sh <lasgen> <corpus folder>
# las/ holds small files of all eight record types (for the file targets),
# arguments/ format numbers and list texts (for the argument target).
set -euo pipefail
lasgen=$1
out=$2
mkdir -p "$out/las" "$out/arguments"
for type in 1 2 3 4 5 6 7 8; do
  "$lasgen" "$out/las/type$type.las" "$type" 3 "$type"
done
"$lasgen" "$out/las/empty.las" 6 0
i=0
for text in 0 7 7.0 7. 19 20 -1 7.5 3-4 -. '' 0019 x 'a.las b.las' \
            $'one.las\ttwo.las\nthree.las\r\n'; do
  printf '%s' "$text" > "$out/arguments/seed$i"
  i=$((i + 1))
done
