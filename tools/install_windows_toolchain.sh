#!/usr/bin/env bash
# Installs what the Windows build, its tests and its package need, from
# Debian, where it is missing: the MinGW-w64 cross compiler (posix threads),
# Wine to run the programs, the googletest sources, zip and groff.
set -euo pipefail
need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
  need+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix)
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || need+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v zip >/dev/null || need+=(zip)
[ -d /usr/share/groff/current/font/devhtml ] || need+=(groff) # HTML manual
[ ${#need[@]} -eq 0 ] && exit 0
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd apt-get update
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y \
  -o DPkg::Lock::Timeout=900 "${need[@]}"
