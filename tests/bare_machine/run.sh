#!/bin/sh
# SPDX-License-Identifier: MIT
# run.sh - the project on a bare Debian 12 machine: a fresh copy of the
# cached debootstrapped root (buildd variant: build-essential) with git
# added, the repository's committed HEAD cloned into /root/ptxport (/root
# mode 0700, as on a fresh system) and, as root there, the README's two
# commands (cd /root/ptxport && make demo && make test); then the three
# packages are made, installed and used: ptxport from PATH on the example,
# and the consumer examples built against the installed library with CMake
# and with pkg-config.  Needs root.
#
#   tests/bare_machine/run.sh DIR [CACHE]
#
# CACHE (else $DEBIAN_ROOT_CACHE, else build-debian-root/ in the repository)
# keeps the debootstrapped root and the downloaded packages between runs,
# shared with tests/debian/run.sh; the work goes to DIR.  BARE_MIRROR
# overrides the mirror.  Exit status 0 when every step passes.
#
# This machine's ccache, where it has one, is lent to the root's root
# user: its make test installs ccache like any other, and the sources this
# machine compiled already (the same compiler package, the same flags,
# paths made relative by the presets) come from the cache.  ccache gives
# the compiler's own output or compiles, so the check is the same.
set -eu

top=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
out=$(realpath -m "$1")
cache=$(realpath -m "${2:-${DEBIAN_ROOT_CACHE:-$top/build-debian-root}}")
root=$out/root
src=/root/ptxport
check_name=bare-machine

[ "$(id -u)" -eq 0 ] || { echo "run.sh: debootstrap and chroot need root" >&2; exit 1; }

# shellcheck source=tests/debian/root.sh
. "$top/tests/debian/root.sh"
root_use "$cache" buildd amd64

enter() {
    root_fresh "$cache/apt-$check_name"
    in_root "apt-get update -q && apt-get install -y -q git"
    chmod 0700 "$root/root"
    if cache_dir=$(ccache -k cache_dir 2> /dev/null) && [ -d "$cache_dir" ]; then
        mkdir -p "$root/root/.cache/ccache"
        mount --bind "$cache_dir" "$root/root/.cache/ccache"
    fi
    git clone --quiet "$top" "$root$src"
    git -C "$root$src" log --oneline -1
    stat -c '%a %U %n' "$root/root"
}

# ptxport from PATH on a copy of the example, and its manual.
use_command() {
    in_root "rm -rf /tmp/try && mkdir /tmp/try && cp $src/examples/plot7.las /tmp/try/
        cd /tmp/try && command -v ptxport && ptxport plot7.las 15
        test \"\$(wc -l < plot7.asc)\" -eq 51 && test \"\$(wc -l < plot7_hdr.asc)\" -eq 34
        head -n 2 plot7.asc
        test -f /usr/share/man/man1/ptxport.1.gz
        test -f /usr/share/doc/ptxport/copyright"
}

# The C++ consumer through the installed CMake package, the C consumer
# through pkg-config; both must report plot7.las as LAS 1.2, point format 1.
use_library() {
    in_root "cmake -S $src/examples/consumer/cxx -B /tmp/cxx -G Ninja
        grep \"^TAMARAK_LiDAR_DIR:PATH=/usr/lib/\$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake/TAMARAK_LiDAR\\\$\" \
            /tmp/cxx/CMakeCache.txt
        cmake --build /tmp/cxx
        for v in shared static; do
            /tmp/cxx/las_info_cxx_\$v /tmp/try/plot7.las | tee /tmp/cxx/\$v.out
            grep -qx 'check_las(/tmp/try/plot7.las) = 6 (LAS 1.2, point format 1)' /tmp/cxx/\$v.out
        done
        cc -std=c11 -o /tmp/las_info_pc $src/examples/consumer/c/las_info.c \
            \$(pkg-config --cflags --libs tamarak_lidar)
        /tmp/las_info_pc /tmp/try/plot7.las | tee /tmp/pc.out
        grep -qx 'check_las(/tmp/try/plot7.las) = 6' /tmp/pc.out"
}

echo "bare machine in $root from $base"
step debootstrap root_bootstrap
step enter enter
step make-demo in_root "cd $src && make demo"
step make-test in_root "cd $src && make test"
step make-package in_root "cd $src && make package"
step install-packages in_root "apt-get install -y $src/build/packages/*.deb
    dpkg -l ptxport libtamarak-lidar1 libtamarak-lidar-dev | tail -n 3"
step use-command use_command
step use-library use_library
step_summary
