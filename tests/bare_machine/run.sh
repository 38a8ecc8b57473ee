#!/bin/sh
# SPDX-License-Identifier: MIT
# run.sh - the project on a bare Debian 12 machine: builds a minimal root
# with debootstrap (minbase, build-essential and git only) in DIR/root,
# clones the repository's committed HEAD into it and, inside with chroot,
# runs the README's two commands (make demo, make test), makes the three
# packages, installs them, and uses them: ptxport from PATH on the example,
# and the consumer examples built against the installed library with CMake
# and with pkg-config.  Needs root.  Nothing is kept outside DIR.
#
#   tests/bare_machine/run.sh DIR        (BARE_MIRROR overrides the mirror)
#
# Exit status 0 when every step passes.
set -eu

out=$(realpath -m "$1")
repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
root=$out/root
src=/srv/ptxport

[ "$(id -u)" -eq 0 ] || { echo "run.sh: debootstrap and chroot need root" >&2; exit 1; }

mirror=${BARE_MIRROR:-$(sh "$(dirname "$0")/mirror.sh")}
[ -n "$mirror" ] || {
    echo "run.sh: no bookworm mirror in this machine's apt sources; set BARE_MIRROR" >&2
    exit 1
}

# shellcheck source=tests/debian/step.sh
. "$repo/tests/debian/step.sh"
check_name=bare-machine
# Whatever is mounted below the root is unmounted on every way out.
trap unmount_all EXIT
trap 'exit 130' INT TERM

started=$(date +%s)

# Runs a shell command in the root as its root user, with a clean environment.
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/sh -ec "$1"
}

prepare() {
    unmount_all
    rm -rf --one-file-system "$root"
    debootstrap --variant=minbase --include=build-essential,git bookworm \
        "$root" "$mirror"
}

enter() {
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount -t tmpfs tmpfs "$root/dev/shm"
    git clone --quiet "$repo" "$root$src"
    git -C "$root$src" log --oneline -1
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

mkdir -p "$out/logs"
echo "bare machine in $root, mirror $mirror"
step debootstrap prepare
step enter enter
step make-demo in_root "cd $src && make demo"
step make-test in_root "cd $src && make test"
step make-package in_root "cd $src && make package"
step install-packages in_root "apt-get install -y $src/build/packages/*.deb
    dpkg -l ptxport libtamarak-lidar1 libtamarak-lidar-dev | tail -n 3"
step use-command use_command
step use-library use_library
echo "the bare machine took $(($(date +%s) - started)) s"
echo "bare-machine: $passed passed, 0 failed"
