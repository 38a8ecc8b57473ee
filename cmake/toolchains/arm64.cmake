# SPDX-License-Identifier: MIT
# Cross-building for 64-bit ARM (Debian arm64); programs run under qemu-user.
set(deb_arch arm64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
