#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Zips the installed Windows build (make windows) for users:
#   tools/package_windows.sh <windows build folder>
# gives <folder>/packages/ptxport-<version>-windows-x64.zip with the command,
# the DLL, its import library, the static library, the header, the CMake and
# pkg-config files (both relocatable), the documents, a README for Windows
# users (docs/README-windows.md, its version filled in by CMake), the
# licence and the manual as HTML.
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
cp "$build/doc/README-windows.md" "$stage/README.md"
cp "$source_dir/LICENSE" "$stage/"
groff -man -Thtml "$build/man/ptxport.1" > "$stage/ptxport.html"
# The pkg-config file finds the folder wherever the zip was unpacked.
sed -i 's|^prefix=.*|prefix=${pcfiledir}/../..|' "$stage/lib/pkgconfig/tamarak_lidar.pc"

# The same bytes at every build: the files in one order, with the same
# modes whatever the umask, each dated by the last change log entry, without
# the zip extras that hold owners and access times.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog \
  -l "$source_dir/debian/changelog" -S Timestamp)}
chmod -R u=rwX,go=rX "$stage"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$build/packages" && find "$name" | LC_ALL=C sort |
  TZ=UTC zip -q -X -D -@ "$name.zip")
rm -rf "$stage"
unzip -l "$build/packages/$name.zip"
