#!/bin/sh
# SPDX-License-Identifier: MIT
# needs.sh - the PACKAGE:PROBE entries that a make target needs, from
# tools/packages.txt, for tools/ensure_packages.sh.
#
#   tools/needs.sh TARGET [ARCH]
set -eu
here=$(dirname "$0")
target=$1 arch=${2:-amd64}
triplet='' emulator=''
if [ "$arch" != amd64 ]; then
    triplet=$(sh "$here/arch.sh" "$arch" triplet)
    emulator=$(sh "$here/arch.sh" "$arch" emulator)
    # An i386 emulator is needed only where this kernel cannot run i386.
    [ -n "$emulator" ] || emulator=qemu-i386-static
fi
awk -v target="$target" -v arch="$arch" '
    /^#/ || !NF { next }
    { name = $1; sub(/:$/, "", name); $1 = ""; line[name] = $0 }
    function expand(name,    n, i, item, out, entries) {
        if (name "-" arch in line) name = name "-" arch
        if (!(name in line)) { print "needs.sh: no line " name > "/dev/stderr"; exit 2 }
        n = split(line[name], entries, " ")
        out = ""
        for (i = 1; i <= n; i++) {
            item = entries[i]
            out = out " " (item ~ /^@/ ? expand(substr(item, 2)) : item)
        }
        return out
    }
    END { print expand(target) }' "$here/packages.txt" |
    sed "s/{arch}/$arch/g; s/{triplet}/$triplet/g; s/{emulator}/$emulator/g" |
    tr ' ' '\n' | awk 'NF && !seen[$0]++' | tr '\n' ' '
echo
