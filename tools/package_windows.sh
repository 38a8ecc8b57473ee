#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Zips the installed Windows build (make windows) for users:
#   tools/package_windows.sh <windows build folder>
# gives <folder>/packages/ptxport-<version>-windows-x64.zip with the command,
# the DLL, its import library, the static library, the header, the CMake and
# pkg-config files, the documents, README, licence and the manual as HTML.
set -euo pipefail
build=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="ptxport-$version-windows-x64"
stage="$build/packages/$name"

rm -rf "$stage" "$build/packages/$name.zip"
mkdir -p "$stage"
cp -R "$build/dist/." "$stage/"
rm -rf "$stage/share/man" # the manual comes as HTML instead
for f in README.md LICENSE; do
  if [ -f "$source_dir/$f" ]; then cp "$source_dir/$f" "$stage/"; fi
done
groff -man -Thtml "$source_dir/docs/ptxport.1" > "$stage/ptxport.html"

(cd "$build/packages" && zip -q -r "$name.zip" "$name")
rm -rf "$stage"
unzip -l "$build/packages/$name.zip"
