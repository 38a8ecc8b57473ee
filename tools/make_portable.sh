#!/bin/sh
# SPDX-License-Identifier: MIT
# make_portable.sh - the tarball for Linux systems without the Debian
# packages: ptxport linked statically (it needs no C library of the system,
# so it runs on any Linux kernel of its architecture), the static library,
# the header, the man page, the scale-out recipes, README and the licence.
#
#   tools/make_portable.sh ARCH FOLDER
#
# ARCH is amd64 (this machine) or another architecture of
# cmake/toolchains/architectures.txt (Debian's cross compilers).  Builds in
# FOLDER and leaves FOLDER/ptxport-VERSION-linux-ARCH.tar.gz, and the
# same unpacked as a user would, in FOLDER/check, for the comparison.
set -eu

arch=$1
folder=$2
source=$(cd "$(dirname "$0")/.." && pwd)

# The toolchain and strip of the architecture (cmake/toolchains).
triplet=$(sh "$source/tools/arch.sh" "$arch" triplet)
toolchain='' strip=strip
if [ "$arch" != amd64 ]; then
    toolchain=$arch strip=$triplet-strip
fi

mkdir -p "$folder"
version=$(sh "$source/tools/version.sh")
# Only the link differs from the presets' release build, whose objects
# ccache gives where it has them: the build folder is FOLDER itself, at the
# depth of build/ when FOLDER is a folder of the sources, as the Makefile's
# is, so that the relative paths in the compiler's arguments are the same.
cmake -S "$source" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPTXPORT_BUILD_TESTS=OFF -DCMAKE_EXE_LINKER_FLAGS=-static -DPTXPORT_CCACHE=ON \
  ${toolchain:+--toolchain "$source/cmake/toolchains/$toolchain.cmake"} \
  > "$folder/configure.log"
cmake --build "$folder" -j "${JOBS:-2}" --target ptxport tamarak_lidar_static

name=ptxport-$version-linux-$arch
stage=$folder/$name
rm -rf --one-file-system "$stage"
mkdir -p "$stage/bin" "$stage/lib" "$stage/include" "$stage/share/man/man1"
cp "$folder/converter/ptxport" "$stage/bin/"
"$strip" "$stage/bin/ptxport"
cp "$folder/library/libtamarak_lidar.a" "$stage/lib/"
cp "$source/library/include/TAMARAK_LiDAR.h" "$stage/include/"
cp "$folder/man/ptxport.1" "$stage/share/man/man1/"
mkdir -p "$stage/share/ptxport/examples"
cp -R "$source/examples/scale-out" "$stage/share/ptxport/examples/"
cp "$source/LICENSE" "$source/README.md" "$stage/"

# A program that asks for a dynamic loader is not portable.
if LC_ALL=C readelf -l "$stage/bin/ptxport" | grep -q 'INTERP'; then
    echo "make_portable.sh: $stage/bin/ptxport is linked dynamically" >&2
    exit 1
fi
# The same bytes at every build of the same sources.
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@0 \
  -C "$folder" -czf "$folder/$name.tar.gz" "$name"
rm -rf --one-file-system "$folder/check"
mkdir -p "$folder/check"
tar -xzf "$folder/$name.tar.gz" -C "$folder/check"
echo "$folder/$name.tar.gz"
