#!/bin/sh
# SPDX-License-Identifier: MIT
# check_tree.sh - fails on a tracked top-level entry that is not one of the
# project's own: scratch files and folders must never be committed, and
# the source package ships whatever git tracks.
#
#   tools/check_tree.sh
set -eu
cd "$(dirname "$0")/.."
allowed='.ci .clang-format .gitignore CMakeLists.txt CMakePresets.json LICENSE
Makefile README.md abi bench cmake converter debian docs examples library
npm tests tools web'
stray=$(git ls-files | sed 's|/.*||' | sort -u | while read -r entry; do
    case " $(echo $allowed) " in *" $entry "*) ;; *) echo "$entry" ;; esac
done)
if [ -n "$stray" ]; then
    echo "FAILED: tracked top-level entries that are not the project's:" $stray
    echo "tree: 0 passed, 1 failed"
    exit 1
fi
echo "tree: 1 passed, 0 failed"
