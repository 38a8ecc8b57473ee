# SPDX-License-Identifier: MIT
# The Debian packages made by `make package` (CPack, DEB generator), one per
# install component (cmake/Install.cmake), all under /usr:
#   ptxport               the command, its man page and documents
#   libtamarak-lidar1     the shared library
#   libtamarak-lidar-dev  header, static library, CMake and pkg-config files
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ptxport)
set(CPACK_PACKAGE_VENDOR "TAMARAK LiDAR development team")
set(CPACK_PACKAGE_CONTACT "${TAMARAK_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL command runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAMARAK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SOURCE ptxport)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_COMMAND_PACKAGE_NAME ptxport)
set(CPACK_DEBIAN_COMMAND_PACKAGE_SECTION science)
set(CPACK_DEBIAN_COMMAND_DESCRIPTION
  "convert LAS 1.0-1.2 LiDAR files into ASCII text
ptxport turns ASPRS LAS 1.0, 1.1 and 1.2 files (point data formats 0 to 3)
into plain ASCII text in one of twenty column formats, one LAS file or a
list of them per run, with a readable description of each file's public
header. Every file of a run is checked before anything is written.")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libtamarak-lidar1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "TAMARAK LiDAR library of LAS 1.0-1.2 routines
The TAMARAK LiDAR library holds the LAS 1.0 to 1.2 record model and the
routines that the TAMARAK LiDAR Utilities share: checks of LAS files and
command-line arguments, header recomputation from the point records,
header defaults and sorts that carry an index array along.
.
This package contains the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtamarak-lidar-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "TAMARAK LiDAR library of LAS 1.0-1.2 routines (development files)
The TAMARAK LiDAR library holds the LAS 1.0 to 1.2 record model and the
routines that the TAMARAK LiDAR Utilities share: checks of LAS files and
command-line arguments, header recomputation from the point records,
header defaults and sorts that carry an index array along.
.
This package contains the C/C++ header, the static library, the CMake
package TAMARAK_LiDAR and the pkg-config file tamarak_lidar.")
# The development files fit the shared library of the very same build.
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

# Dependencies of the command come from its binary, read by dpkg-shlibdeps
# where it and file (which CPack needs to find binaries) are there;
# otherwise they are those of any g++ build on Debian.
set(_tamarak_default_depends "libc6, libgcc-s1, libstdc++6")
find_program(TAMARAK_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(TAMARAK_FILE file)
if(TAMARAK_DPKG_SHLIBDEPS AND TAMARAK_FILE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_COMMAND_PACKAGE_DEPENDS "${_tamarak_default_depends}")
endif()

# The shared library's package declares its library (shlibs) and asks dpkg
# to run ldconfig through a trigger.  CPack would instead write postinst and
# postrm scripts that call ldconfig, which Debian no longer wants, whenever
# it looks at the package's binaries: so it does not look, and the
# dependencies of the library are read from it in CPackProject.cmake.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS OFF)
set(_tamarak_control ${PROJECT_BINARY_DIR}/debian/runtime)
file(CONFIGURE OUTPUT ${_tamarak_control}/shlibs CONTENT
"libtamarak_lidar ${PROJECT_VERSION_MAJOR} \
libtamarak-lidar1 (>= ${PROJECT_VERSION})
")
file(CONFIGURE OUTPUT ${_tamarak_control}/triggers CONTENT
"activate-noawait ldconfig
")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  "${_tamarak_control}/shlibs;${_tamarak_control}/triggers")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_TAMARAK_SHARED_LIBRARY
  "${PROJECT_BINARY_DIR}/library/libtamarak_lidar.so.${PROJECT_VERSION}")
set(CPACK_TAMARAK_DEFAULT_DEPENDS "${_tamarak_default_depends}")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackProject.cmake)

include(CPack)
