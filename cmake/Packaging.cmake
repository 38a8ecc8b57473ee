# The Debian package made by `make package` (CPack, DEB generator): the
# ptxport command, its man page, the static and shared TAMARAK LiDAR library,
# the header and the CMake and pkg-config files, all under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ptxport)
set(CPACK_PACKAGE_VENDOR "TAMARAK LiDAR development team")
set(CPACK_PACKAGE_CONTACT "TAMARAK LiDAR development team <tamarak-lidar@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "convert LAS 1.0-1.2 LiDAR files into ASCII text")
set(CPACK_PACKAGE_DESCRIPTION
  "ptxport turns ASPRS LAS 1.0, 1.1 and 1.2 files (point data formats 0 to 3)
into plain ASCII text in one of twenty column formats, one LAS file or a list
of them per run, with a readable description of each file's public header.
The package also holds the TAMARAK LiDAR library that ptxport is built on,
static and shared, with its C/C++ header, a CMake package (TAMARAK_LiDAR) and
a pkg-config file (tamarak_lidar).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared library gets a shlibs file and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Dependencies come from the binaries themselves where dpkg-shlibdeps is
# there to read them; otherwise they are those of any g++ build on Debian.
find_program(TAMARAK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TAMARAK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()

include(CPack)
