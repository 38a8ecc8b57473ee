#!/bin/sh
# SPDX-License-Identifier: MIT
# skip_reasons.sh - after ctest, prints why each skipped test was skipped:
# ctest's report names them, but the reason is only in what the test printed,
# which ctest keeps in its log.
#
#   tests/skip_reasons.sh BUILD_DIR
log=$1/Testing/Temporary/LastTest.log
[ -f "$log" ] || exit 0
awk '
/: Skipped$/ { reason = ""; skipping = 1; next }
skipping && /^\[  SKIPPED \] / {
    name = $4
    print "skipped " name ": " reason
    skipping = 0
    next
}
skipping && NF > 0 { reason = reason (reason == "" ? "" : " ") $0 }
' "$log"
