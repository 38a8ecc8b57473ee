#!/bin/sh
# SPDX-License-Identifier: MIT
# run.sh BUILD NATIVE_PTXPORT [LASDATA]: the npm package's API (test_api.js),
# the page's module pausing at its reads and writes (test_pauses.js), then
# the web page of BUILD/web in
# headless Chromium against the native command (test_page.js), with
# puppeteer-core as package-lock.json pins it, installed in BUILD/web-test.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1 native=$2 lasdata=${3:-}
mkdir -p "$build/web-test"
cp "$here/package.json" "$here/package-lock.json" "$build/web-test/"
if ! cmp -s "$here/package-lock.json" "$build/web-test/node_modules/.package-lock.json.copy" 2> /dev/null; then
    (cd "$build/web-test" && npm ci --no-audit --no-fund)
    cp "$here/package-lock.json" "$build/web-test/node_modules/.package-lock.json.copy"
fi
node "$here/test_api.js" "$build/npm/ptxport" "$native" "$build/web-test/api"
# lasgen comes with the native command, from the same build.
lasgen=$(dirname "$native")/../tools/lasgen
node "$here/test_pauses.js" "$build/ptxport_web.js" "$native" "$lasgen" \
    "$build/web-test/pauses"
NODE_PATH="$build/web-test/node_modules" node "$here/test_page.js" \
    "$build/web" "$native" "$lasgen" "$build/web-test/runs" "$lasdata"
