#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs clang and its libFuzzer runtime from Debian where they are missing.
set -euo pipefail
have_fuzzer() {
  command -v clang++ >/dev/null &&
    echo 'extern "C" int LLVMFuzzerTestOneInput(const char *, unsigned long) { return 0; }' |
      clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - 2>/dev/null
}
have_fuzzer && exit 0
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd apt-get update
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y clang libclang-rt-dev
have_fuzzer
