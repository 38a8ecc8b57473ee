# SPDX-License-Identifier: MIT
# What every cross build with a Debian cross compiler shares: the tools of
# the target's triplet and the target's libraries and headers under
# /usr/TRIPLET.  The toolchain file of an architecture sets `triple` and
# CMAKE_SYSTEM_PROCESSOR, then includes this.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_AR ${triple}-ar)
set(CMAKE_RANLIB ${triple}-ranlib)
set(CMAKE_NM ${triple}-nm)
set(CMAKE_STRIP ${triple}-strip)
set(CMAKE_OBJCOPY ${triple}-objcopy)
set(CMAKE_READELF ${triple}-readelf)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
