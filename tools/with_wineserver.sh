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
# Usage: WINEPREFIX=... tools/with_wineserver.sh COMMAND [ARG...]
set -eu
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's own background programs (services, devices) start with the first
# program and live as long as the server.  Started here, with no terminal or
# pipe of the caller's, they cannot hold a test runner's pipe open.
wineboot > /dev/null 2>&1 < /dev/null
"$@"
