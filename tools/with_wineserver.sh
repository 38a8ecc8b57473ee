#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a command with one persistent wineserver for the whole of it.
#
# Wine starts a server for the first program and ends it a few seconds after
# the last one exits.  A test that starts while that server is going away
# fails with "wine client error: recvmsg: Connection reset by peer", which
# says nothing about the program under test.  Starting the server ourselves,
# persistent, and ending it once everything has run removes that race.
#
# Usage: tools/with_wineserver.sh COMMAND [ARG...]
#
# The prefix is build-windows/wineprefix unless WINEPREFIX says otherwise,
# made on first use; the rest of the environment is the windows test
# preset's (CMakePresets.json), without which Wine is slow and noisy.
set -eu
: "${WINEPREFIX:=$(cd "$(dirname "$0")/.." && pwd)/build-windows/wineprefix}"
WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LC_ALL
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i > /dev/null 2>&1 < /dev/null
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's own background programs (services, devices) start with the first
# program and live as long as the server.  Started here, with no terminal or
# pipe of the caller's, they cannot hold a test runner's pipe open.
wineboot > /dev/null 2>&1 < /dev/null
"$@"
