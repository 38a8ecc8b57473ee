#!/bin/sh
# SPDX-License-Identifier: MIT
# install_consumers.sh - installs the built project into a temporary prefix
# and uses it as a developer or a surveyor would: builds the example C and
# C++ consumers in examples/consumer, shared and static, against the
# installed CMake package (mode=cmake) or the pkg-config file
# (mode=pkg-config, with --static for the static library), runs them and checks
# what they print, and runs the installed ptxport.
#
# Run by ctest with key=value arguments (see tests/CMakeLists.txt).  Exit
# status 0 on success, 1 on a failed check, 77 (skipped) only when a tool the
# check needs is missing.
set -eu

mode='' build='' source='' cmake='' generator='' make_program='' cc='' cxx=''
flags='' version='' bindir='' libdir='' includedir='' mandir=''
for arg; do
    case $arg in
    mode=*) mode=${arg#*=} ;;
    build=*) build=${arg#*=} ;;
    source=*) source=${arg#*=} ;;
    cmake=*) cmake=${arg#*=} ;;
    generator=*) generator=${arg#*=} ;;
    make=*) make_program=${arg#*=} ;;
    cc=*) cc=${arg#*=} ;;
    cxx=*) cxx=${arg#*=} ;;
    flags=*) flags=${arg#*=} ;;
    version=*) version=${arg#*=} ;;
    bindir=*) bindir=${arg#*=} ;;
    libdir=*) libdir=${arg#*=} ;;
    includedir=*) includedir=${arg#*=} ;;
    mandir=*) mandir=${arg#*=} ;;
    *) echo "install_consumers.sh: unknown argument $arg" >&2; exit 2 ;;
    esac
done

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
note() { echo "-- $*"; }

# Runs a command with its output in a log, shown only if it fails.
logged() {
    log=$1; shift
    if ! "$@" > "$log" 2>&1; then
        cat "$log"
        fail "$*"
    fi
}

# Compares a program's output with what it should print.
expect_output() {
    what=$1 expected=$2 actual=$3
    if ! diff -u "$expected" "$actual"; then
        fail "$what printed something else (diff above: - expected, + actual)"
    fi
    note "$what printed what it should"
}

have() { command -v "$1" > /dev/null 2>&1; }

[ -x "$cmake" ] || skip "cmake ($cmake) is not there to install the project"
case $mode in
cmake)
    [ -x "$cc" ] || skip "the C compiler ($cc) is missing"
    [ -x "$cxx" ] || skip "the C++ compiler ($cxx) is missing"
    if [ -n "$make_program" ] && [ ! -x "$make_program" ]; then
        skip "the build tool of the $generator generator ($make_program) is missing"
    fi
    ;;
pkg-config)
    have pkg-config || skip "pkg-config is not installed (apt-get install pkg-config)"
    [ -x "$cc" ] || skip "the C compiler ($cc) is missing"
    ;;
*) echo "install_consumers.sh: mode must be cmake or pkg-config" >&2; exit 2 ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/tamarak-consumers.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
mkdir "$work/data"
cp "$source/examples/plot7.las" "$work/data/plot7.las"
las=$work/data/plot7.las
missing=$work/data/missing.las

logged "$work/install.log" "$cmake" --install "$build" --prefix "$prefix"
note "installed into $prefix"

for f in "$bindir/ptxport" "$libdir/libtamarak_lidar.a" \
    "$libdir/libtamarak_lidar.so.$version" "$libdir/libtamarak_lidar.so.${version%%.*}" \
    "$libdir/libtamarak_lidar.so" "$includedir/TAMARAK_LiDAR.h" \
    "$libdir/cmake/TAMARAK_LiDAR/TAMARAK_LiDARConfig.cmake" \
    "$libdir/cmake/TAMARAK_LiDAR/TAMARAK_LiDARConfigVersion.cmake" \
    "$libdir/cmake/TAMARAK_LiDAR/TAMARAK_LiDARTargets.cmake" \
    "$libdir/pkgconfig/tamarak_lidar.pc"; do
    [ -e "$prefix/$f" ] || fail "$f was not installed"
done
[ -e "$prefix/$mandir/man1/ptxport.1.gz" ] || [ -e "$prefix/$mandir/man1/ptxport.1" ] ||
    fail "the man page was not installed in $mandir/man1"
[ -L "$prefix/$libdir/libtamarak_lidar.so" ] ||
    fail "libtamarak_lidar.so should be a link to the versioned library"

# What the consumers print about the default header; the C++ one adds the
# record type in words and leaves out format and offsets.
cat > "$work/c.expected" <<EOF
check_las($las) = 6
initialize_header12:
  signature LASF, version 1.2
  generating software "TAMARAK LiDAR Utilities"
  header size 227, offset to data 227, 0 points
  point data format 0, record length 0
  scale factors 1 1 1, offsets 0 0 0
EOF

# Whether a program was linked against the shared library.
needs_shared() {
    readelf -d "$1" | grep -q 'NEEDED.*\[libtamarak_lidar\.so\.'"${version%%.*}"'\]'
}

if [ "$mode" = pkg-config ]; then
    PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
    export PKG_CONFIG_PATH
    found=$(pkg-config --modversion tamarak_lidar) ||
        fail "pkg-config does not find tamarak_lidar in $PKG_CONFIG_PATH"
    [ "$found" = "$version" ] || fail "pkg-config reports version $found, not $version"
    inc=$(pkg-config --variable=includedir tamarak_lidar)
    [ -f "$inc/TAMARAK_LiDAR.h" ] || fail "includedir $inc of tamarak_lidar.pc lacks the header"
    libs=$(pkg-config --variable=libdir tamarak_lidar)
    [ -e "$libs/libtamarak_lidar.so" ] || fail "libdir $libs of tamarak_lidar.pc lacks the library"
    # shellcheck disable=SC2046,SC2086 # the flags are meant to be split
    logged "$work/cc.log" "$cc" -std=c11 $flags -o "$work/las_info_pc" \
        "$source/examples/consumer/c/las_info.c" \
        $(pkg-config --cflags --libs tamarak_lidar)
    LD_LIBRARY_PATH=$libs "$work/las_info_pc" "$las" > "$work/pc.out" ||
        fail "the consumer built with pkg-config failed (see its output in $work/pc.out)"
    expect_output "the C consumer built with pkg-config flags" "$work/c.expected" "$work/pc.out"
    # The static archive by name, with what --static adds: the C++ runtime.
    # shellcheck disable=SC2046,SC2086 # the flags are meant to be split
    logged "$work/cc-static.log" "$cc" -std=c11 $flags -o "$work/las_info_pc_static" \
        "$source/examples/consumer/c/las_info.c" \
        $(pkg-config --static --cflags --libs tamarak_lidar |
            sed 's/-ltamarak_lidar /-l:libtamarak_lidar.a /')
    "$work/las_info_pc_static" "$las" > "$work/pc-static.out" ||
        fail "the consumer built with pkg-config --static failed"
    expect_output "the C consumer built with pkg-config --static" "$work/c.expected" \
        "$work/pc-static.out"
    if have readelf && needs_shared "$work/las_info_pc_static"; then
        fail "the consumer built with pkg-config --static needs the shared library"
    fi
    exit 0
fi

# The installed command runs and writes its two files beside the LAS file.
(cd "$work/data" && "$prefix/$bindir/ptxport" plot7.las 15) > "$work/ptxport.out" ||
    { cat "$work/ptxport.out"; fail "the installed ptxport failed"; }
[ "$(head -n 1 "$work/data/plot7.asc")" = '"X" "Y" "Z"' ] ||
    fail "the installed ptxport wrote a wrong column-name line"
[ "$(wc -l < "$work/data/plot7.asc")" -eq 51 ] ||
    fail "the installed ptxport did not write 50 rows"
[ "$(wc -l < "$work/data/plot7_hdr.asc")" -eq 34 ] ||
    fail "the installed ptxport did not write a 34-line header description"
note "the installed ptxport converted plot7.las"

# A package that asks for another major version must not be satisfied.
mkdir "$work/version"
cat > "$work/version/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.16)
project(version_probe LANGUAGES NONE)
find_package(TAMARAK_LiDAR 2.0 QUIET)
message(STATUS "TAMARAK_LiDAR 2.0 found: ${TAMARAK_LiDAR_FOUND}")
find_package(TAMARAK_LiDAR 1.0 REQUIRED)
message(STATUS "TAMARAK_LiDAR version: ${TAMARAK_LiDAR_VERSION}")
EOF
logged "$work/version.log" "$cmake" -S "$work/version" -B "$work/version/build" \
    -G "$generator" -DCMAKE_PREFIX_PATH="$prefix"
grep -q "TAMARAK_LiDAR 2.0 found: 0" "$work/version.log" ||
    { cat "$work/version.log"; fail "a request for version 2.0 was satisfied"; }
grep -q "TAMARAK_LiDAR version: $version\$" "$work/version.log" ||
    { cat "$work/version.log"; fail "the package does not report version $version"; }
note "the version file accepts 1.0 and refuses 2.0"

# Configures and builds one consumer project against the prefix.
build_consumer() {
    name=$1; shift
    if [ -n "$make_program" ]; then set -- "$@" -DCMAKE_MAKE_PROGRAM="$make_program"; fi
    # A library built with sanitizers needs consumers built with them too.
    if [ -n "$flags" ]; then
        set -- "$@" -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
            -DCMAKE_EXE_LINKER_FLAGS="$flags"
    fi
    logged "$work/$name-configure.log" "$cmake" -S "$source/examples/consumer/$name" \
        -B "$work/$name" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$prefix" "$@"
    dir=$(sed -n 's/^TAMARAK_LiDAR_DIR:[A-Z]*=//p' "$work/$name/CMakeCache.txt")
    case $dir in
    "$prefix"/*) ;;
    *) fail "the $name consumer found TAMARAK_LiDAR in '$dir', not in $prefix" ;;
    esac
    logged "$work/$name-build.log" "$cmake" --build "$work/$name"
    note "built the $name consumer against $dir"
}

# A C-only project links the static library too: the C++ runtime comes
# with its target.
build_consumer c -DCMAKE_C_COMPILER="$cc"
for program in las_info_c las_info_c_static; do
    "$work/c/$program" "$las" > "$work/$program.out" ||
        { cat "$work/$program.out"; fail "$program failed on plot7.las"; }
    expect_output "$program" "$work/c.expected" "$work/$program.out"
done

build_consumer cxx -DCMAKE_CXX_COMPILER="$cxx"
sed -e '1s/$/ (LAS 1.2, point format 1)/' -e '/point data format/d' \
    -e 's/, offsets 0 0 0$//' "$work/c.expected" > "$work/cxx.expected.tail"
{
    printf 'Unable to open file %s in file_access()\n\n' "$missing"
    printf 'File %s does NOT exist\n' "$missing"
    printf 'check_las(%s) = -1 (not usable)\n' "$missing"
    cat "$work/cxx.expected.tail"
} > "$work/cxx.expected"
for variant in shared static; do
    status=0
    "$work/cxx/las_info_cxx_$variant" "$missing" "$las" > "$work/cxx-$variant.out" || status=$?
    [ "$status" -eq 1 ] || { cat "$work/cxx-$variant.out"; fail "las_info_cxx_$variant gave status $status, not 1, for a missing file"; }
    expect_output "las_info_cxx_$variant" "$work/cxx.expected" "$work/cxx-$variant.out"
done

# The link kinds, where binutils can show them.
if have readelf; then
    readelf -d "$prefix/$libdir/libtamarak_lidar.so.$version" |
        grep -q "SONAME.*\[libtamarak_lidar\.so\.${version%%.*}\]" ||
        fail "the shared library has no SONAME libtamarak_lidar.so.${version%%.*}"
    needs_shared "$work/c/las_info_c" || fail "las_info_c is not linked to the shared library"
    needs_shared "$work/cxx/las_info_cxx_shared" ||
        fail "las_info_cxx_shared is not linked to the shared library"
    for program in cxx/las_info_cxx_static c/las_info_c_static; do
        if needs_shared "$work/$program"; then
            fail "$program needs the shared library"
        fi
    done
    note "SONAME and link kinds are right"
else
    note "readelf is missing: SONAME and link kinds not checked"
fi
