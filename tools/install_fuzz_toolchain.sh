#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs clang and its libFuzzer runtime from Debian where they are missing
# (through tools/ensure_packages.sh), then checks that a fuzzer links.
set -euo pipefail
ensure="$(dirname "$0")/ensure_packages.sh"
"$ensure" "make fuzz" clang:clang clang:clang++
runtime="$(clang++ -print-runtime-dir)/libclang_rt.fuzzer-$(uname -m).a"
"$ensure" "make fuzz" "libclang-rt-dev:$runtime"
echo 'extern "C" int LLVMFuzzerTestOneInput(const char *, unsigned long) { return 0; }' |
  clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - || {
  echo "make fuzz: clang++ cannot link a libFuzzer target" >&2
  exit 1
}
