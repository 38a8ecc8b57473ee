#!/bin/sh
# SPDX-License-Identifier: MIT
# check_portable.sh - runs the static ptxport of a portable tarball in an
# empty root that holds nothing but the program and its LAS files (and, for
# another architecture, the static user-mode emulator), and requires the
# console output, exit status and both output files of the dynamic build.
#
#   tests/portable/check_portable.sh TARBALL ARCH DYNAMIC_PTXPORT LASGEN WORK
#
# Needs root for chroot, or user namespaces (unshare -r) without it.
set -eu

tarball=$1 arch=$2 dynamic=$3 lasgen=$4 work=$5
source=$(cd "$(dirname "$0")/../.." && pwd)

case $arch in
amd64|i386) emulator='' ;;
arm64) emulator=qemu-aarch64-static ;;
armhf) emulator=qemu-arm-static ;;
s390x) emulator=qemu-s390x-static ;;
*) echo "check_portable.sh: no architecture $arch" >&2; exit 2 ;;
esac

rm -rf --one-file-system "$work"
mkdir -p "$work/unpacked" "$work/root" "$work/dynamic"
tar -xzf "$tarball" -C "$work/unpacked"
cp "$work"/unpacked/*/bin/ptxport "$work/root/"
cp "$source/examples/plot7.las" "$work/root/"
# More than eight blocks of records: the worker threads run.
"$lasgen" "$work/root/strip.las" 8 40000 3
cp "$work/root/plot7.las" "$work/root/strip.las" "$work/dynamic/"
# A kernel without 32-bit x86 support cannot run i386 programs (status 126
# from the shell): qemu-i386 then does, on one CPU, since its threads hang.
pin=''
if [ "$arch" = i386 ]; then
    status=0
    "$work/root/ptxport" > /dev/null 2>&1 || status=$?
    [ "$status" -ne 126 ] || { emulator=qemu-i386-static pin='taskset -c 0'; }
fi
if [ -n "$emulator" ]; then
    cp "$(command -v "$emulator")" "$work/root/"
    run="/$emulator /ptxport"
else
    run=/ptxport
fi
chroot=chroot
[ "$(id -u)" -eq 0 ] || chroot='unshare -r chroot'

failures=0
mask() { sed 's/Elapsed time: [0-9.]* seconds/Elapsed time/'; }
for case in "plot7.las 0" "strip.las 0" "strip.las 19" "strip.las 20"; do
    set -- $case
    stem=${1%.las}
    static_status=0 dynamic_status=0
    # chroot starts in the new root's top folder.
    $pin $chroot "$work/root" $run "$@" > "$work/static.out" || static_status=$?
    (cd "$work/dynamic" && "$dynamic" "$@") > "$work/dynamic.out" ||
        dynamic_status=$?
    verdict=same
    [ "$static_status" = "$dynamic_status" ] || verdict="status $static_status, dynamic $dynamic_status"
    mask < "$work/static.out" > "$work/static.masked"
    mask < "$work/dynamic.out" > "$work/dynamic.masked"
    cmp -s "$work/static.masked" "$work/dynamic.masked" || verdict="console output differs"
    for output in "$stem.asc" "${stem}_hdr.asc"; do
        if [ -e "$work/dynamic/$output" ] || [ -e "$work/root/$output" ]; then
            cmp -s "$work/root/$output" "$work/dynamic/$output" ||
                verdict="$output differs"
        fi
        rm -f "$work/root/$output" "$work/dynamic/$output"
    done
    echo "ptxport $case in an empty $arch root: $verdict (exit status $static_status)"
    [ "$verdict" = same ] || failures=$((failures + 1))
done
[ "$failures" -eq 0 ] && rm -rf --one-file-system "$work"
exit "$failures"
