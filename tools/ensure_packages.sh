#!/bin/sh
# SPDX-License-Identifier: MIT
# ensure_packages.sh - installs the Debian packages that a make target needs
# and this machine lacks: apt-get update once, then apt-get install, through
# sudo when not run as root.  Where that cannot be done it names the
# packages and stops.
#
#   tools/ensure_packages.sh "make demo" PACKAGE:PROBE...
#
# PROBE is a command looked up in PATH, or an absolute path that must exist;
# PACKAGE is installed when its probe fails.  PACKAGE may name another
# architecture (libc6-dev:arm64), which dpkg is then told about first.  Exit status 0 when every probe
# succeeds in the end, 1 otherwise.
set -eu

target=$1
shift

# The packages whose probe fails, separated by blanks.
missing() {
    list=''
    for entry; do
        case $entry in
        *:/*) package=${entry%%:/*} probe=/${entry#*:/} ;;
        *) package=${entry%:*} probe=${entry##*:} ;;
        esac
        case $probe in
        /*) [ -e "$probe" ] && continue ;;
        *) command -v "$probe" > /dev/null 2>&1 && continue ;;
        esac
        case " $list " in *" $package "*) ;; *) list="$list $package" ;; esac
    done
    echo "${list# }"
}

cannot() {
    echo "$target needs these Debian packages, which are missing: $need" >&2
    echo "$1" >&2
    exit 1
}

need=$(missing "$@")
[ -z "$need" ] && exit 0

command -v apt-get > /dev/null 2>&1 ||
    cannot "apt-get is not available to install them: install them (or their equivalents) with this system's package manager, then run $target again."
sudo=''
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo > /dev/null 2>&1 ||
        cannot "Installing them needs root, and sudo is not available: run 'apt-get update && apt-get install $need' as root, then $target again."
    sudo=sudo
fi

echo "$target: installing $need"
for package in $need; do
    case $package in
    *:*) arch=${package#*:}
        dpkg --print-foreign-architectures | grep -qx "$arch" ||
            $sudo dpkg --add-architecture "$arch" ||
            cannot "dpkg could not add the architecture $arch." ;;
    esac
done
# shellcheck disable=SC2086 # the package list is meant to be split
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -o DPkg::Lock::Timeout=900 &&
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y \
        --no-install-recommends -o DPkg::Lock::Timeout=900 $need ||
    cannot "apt-get could not install them (see above)."

need=$(missing "$@")
[ -z "$need" ] || cannot "They are still missing after apt-get install."
