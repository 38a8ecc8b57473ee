#!/bin/sh
# SPDX-License-Identifier: MIT
# mirror.sh - prints the Debian mirror this machine's apt uses for bookworm
# itself (from sources.list or deb822 .sources files), or nothing.
{
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2> /dev/null |
        awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }'
    cat /etc/apt/sources.list.d/*.sources 2> /dev/null |
        awk 'BEGIN { RS = "" } /\nSuites:[^\n]* bookworm( |\n|$)/ {
             match($0, /URIs: *[^ \n]+/); split(substr($0, RSTART, RLENGTH), u, / +/)
             print u[2]; exit }'
} | sed -n 1p
