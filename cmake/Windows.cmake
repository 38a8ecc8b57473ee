# SPDX-License-Identifier: MIT
# Windows builds (MinGW-w64): the DLL under the name its users link and
# load, and programs that carry their own C and C++ runtimes, so that they
# run on a bare Windows 10 or 11.  Included once every target exists.
if(NOT WIN32)
  return()
endif()

# tamarak_lidar.dll beside libtamarak_lidar.dll.a (import library) and
# libtamarak_lidar.a (static library).
set_target_properties(tamarak_lidar_shared PROPERTIES PREFIX "")

# The command starts at wmain, which receives the arguments in UTF-16.
target_link_options(ptxport PRIVATE -municode)

if(MINGW)
  # libgcc, libstdc++ and winpthread linked in; only system DLLs remain.
  foreach(target ptxport tamarak_lidar_shared lasgen)
    target_link_options(${target} PRIVATE -static)
  endforeach()
endif()
