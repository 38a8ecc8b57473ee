# SPDX-License-Identifier: MIT
# Cross-building for big-endian IBM Z (Debian s390x); programs run under qemu-user.
set(deb_arch s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
