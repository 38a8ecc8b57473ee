# SPDX-License-Identifier: MIT
# Cross-building for 32-bit ARM with hardware floating point (Debian armhf); programs run under qemu-user.
set(deb_arch armhf)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
