#!/bin/sh
# SPDX-License-Identifier: MIT
# build_reference.sh - builds ptxport and the library probe of an earlier
# commit, for compare_builds.py to set beside the current build.
#
#   tests/compare/build_reference.sh COMMIT FOLDER
#
# The commit's sources are exported into FOLDER/src (no worktree, nothing
# checked out here) and built in FOLDER/build; the probe, which uses only the
# public header, is compiled from this tree against that commit's library.
# Leaves FOLDER/build/converter/ptxport and FOLDER/library_probe.
set -eu

commit=$1
folder=$2
here=$(cd "$(dirname "$0")" && pwd)

rm -rf --one-file-system "$folder/src"
mkdir -p "$folder/src"
git -C "$here/../.." archive "$commit" | tar -x -C "$folder/src"
cmake -S "$folder/src" -B "$folder/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPTXPORT_BUILD_TESTS=OFF > "$folder/configure.log"
cmake --build "$folder/build" -j "${JOBS:-2}" --target ptxport tamarak_lidar_static
"${CXX:-c++}" -std=c++20 -O2 -DTAMARAK_LIDAR_STATIC \
  -I "$folder/src/library/include" "$here/library_probe.cpp" \
  "$folder/build/library/libtamarak_lidar.a" -pthread -o "$folder/library_probe"
echo "reference $commit: $folder/build/converter/ptxport $folder/library_probe"
