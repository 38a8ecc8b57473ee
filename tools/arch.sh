#!/bin/sh
# SPDX-License-Identifier: MIT
# arch.sh - one field of a Debian architecture's line in
# cmake/toolchains/architectures.txt, for the Makefile and the scripts.
#
#   tools/arch.sh ARCH triplet|processor|emulator
#   tools/arch.sh list          the architectures other than this machine's
#
# The emulator of i386 is empty where this kernel runs 32-bit x86 programs
# itself.  Exit status 2 for an architecture that is not in the table.
set -eu
table="$(dirname "$0")/../cmake/toolchains/architectures.txt"
if [ "$1" = list ]; then
    awk '!/^#/ && NF && $1 != "amd64" { printf "%s ", $1 }' "$table"
    echo
    exit 0
fi
case $2 in
triplet) column=2 ;;
processor) column=3 ;;
emulator) column=4 ;;
*) echo "arch.sh: no field $2" >&2; exit 2 ;;
esac
value=$(awk -v a="$1" -v c="$column" '$1 == a { print $c; found = 1 }
    END { exit !found }' "$table") || {
    echo "arch.sh: ARCH is one of: $(sh "$0" list)" >&2
    exit 2
}
[ "$value" != - ] || value=''
if [ "$1" = i386 ] && [ "$2" = emulator ] &&
    /lib/ld-linux.so.2 --version > /dev/null 2>&1; then
    value=''
fi
echo "$value"
