# SPDX-License-Identifier: MIT
# Install rules: the command, its man page, the static and shared library,
# the public header, the CMake package TAMARAK_LiDAR and the pkg-config file
# tamarak_lidar.pc.  Included from the top-level CMakeLists.txt once every
# target exists.  Each file belongs to one of three components, as it does
# to one of the three Debian packages (debian/*.install):
#   command      ptxport, its man page and documents      -> ptxport
#   runtime      libtamarak_lidar.so.1*                    -> libtamarak-lidar1
#   development  header, static library, .so link, CMake
#                and pkg-config files, reference pages
#                and docs/library.md                       -> libtamarak-lidar-dev
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Directories made by the install step are 0755 whatever the umask, as
# Debian packages require.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)

set(TAMARAK_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/TAMARAK_LiDAR"
  CACHE STRING "Where the CMake package files are installed, below the prefix")

# Users of the package see the libraries under TAMARAK_LiDAR::: the shared
# one as tamarak_lidar, the static one as tamarak_lidar_static.
set_target_properties(tamarak_lidar_shared PROPERTIES EXPORT_NAME tamarak_lidar)
set_target_properties(tamarak_lidar_static PROPERTIES
  EXPORT_NAME tamarak_lidar_static)

install(TARGETS ptxport
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT command)

# The unversioned libtamarak_lidar.so is only for linking, like the header,
# so it goes with the development files.
install(TARGETS tamarak_lidar_shared tamarak_lidar_static
  EXPORT TAMARAK_LiDARTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
    NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)

install(FILES ${PROJECT_SOURCE_DIR}/library/include/TAMARAK_LiDAR.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

# The CMake package: find_package(TAMARAK_LiDAR) then link
# TAMARAK_LiDAR::tamarak_lidar.
install(EXPORT TAMARAK_LiDARTargets
  NAMESPACE TAMARAK_LiDAR::
  FILE TAMARAK_LiDARTargets.cmake
  DESTINATION ${TAMARAK_CMAKE_DIR} COMPONENT development)
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/TAMARAK_LiDARConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TAMARAK_LiDARConfig.cmake
  INSTALL_DESTINATION ${TAMARAK_CMAKE_DIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR)
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/TAMARAK_LiDARConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/TAMARAK_LiDARConfig.cmake
  ${PROJECT_BINARY_DIR}/TAMARAK_LiDARConfigVersion.cmake
  DESTINATION ${TAMARAK_CMAKE_DIR} COMPONENT development)

# The pkg-config file names the prefix the tree is really installed under,
# which is known only at install time (cmake --install --prefix, or /usr in
# the Debian package): the file is configured here up to that prefix and
# finished by the install step.
set(TAMARAK_PC_PREFIX "@TAMARAK_INSTALL_PREFIX@")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(TAMARAK_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
  set(_tamarak_pc_dest "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
else()
  set(TAMARAK_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(_tamarak_pc_dest "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(TAMARAK_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(TAMARAK_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/tamarak_lidar.pc.in
  ${PROJECT_BINARY_DIR}/tamarak_lidar.pc.install @ONLY)
install(CODE "
  set(TAMARAK_INSTALL_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_BINARY_DIR}/tamarak_lidar.pc.install\"
    \"${PROJECT_BINARY_DIR}/pkgconfig/tamarak_lidar.pc\" @ONLY)
  file(INSTALL \"${PROJECT_BINARY_DIR}/pkgconfig/tamarak_lidar.pc\"
    DESTINATION \"${_tamarak_pc_dest}\")
" COMPONENT development)

# The man pages as cmake/ManPages.cmake writes them, with the version.
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)

# The man page, compressed as Debian installs man pages (gzip -9n: no name
# or time stamp inside, so the package is the same at every build).
set(_tamarak_man ${TAMARAK_MAN_DIR}/ptxport.1)
find_program(TAMARAK_GZIP gzip)
if(TAMARAK_GZIP)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/ptxport.1.gz
    COMMAND ${TAMARAK_GZIP} -9 -n -c ${_tamarak_man}
      > ${PROJECT_BINARY_DIR}/ptxport.1.gz
    DEPENDS ${_tamarak_man}
    COMMENT "Compressing the ptxport man page")
  add_custom_target(ptxport_man ALL DEPENDS ${PROJECT_BINARY_DIR}/ptxport.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/ptxport.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT command)
else()
  install(FILES ${_tamarak_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT command)
endif()

# The library's reference pages, compressed alike, in the development files.
# Every name in a page's NAME line (check_YN in check_numeric_argument.3,
# say) is a link to that page, so that man 3 finds each routine by name.
foreach(page IN LISTS TAMARAK_MAN3_PAGES)
  get_filename_component(base ${page} NAME_WE)
  file(STRINGS ${page} names REGEX " \\\\- ")
  string(REGEX REPLACE " \\\\- .*" "" names "${names}")
  string(REPLACE ", " ";" names "${names}")
  list(REMOVE_ITEM names ${base})
  set(ext .3)
  if(TAMARAK_GZIP)
    set(ext .3.gz)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man3/${base}.3.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man3
      COMMAND ${TAMARAK_GZIP} -9 -n -c ${page} > ${PROJECT_BINARY_DIR}/man3/${base}.3.gz
      DEPENDS ${page})
    list(APPEND _tamarak_man3_gz ${PROJECT_BINARY_DIR}/man3/${base}.3.gz)
    install(FILES ${PROJECT_BINARY_DIR}/man3/${base}.3.gz
      DESTINATION ${CMAKE_INSTALL_MANDIR}/man3 COMPONENT development)
  else()
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man3
      COMPONENT development)
  endif()
  foreach(name IN LISTS names)
    install(CODE "file(CREATE_LINK ${base}${ext}
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man3/${name}${ext}\"
      SYMBOLIC)" COMPONENT development)
  endforeach()
endforeach()
if(_tamarak_man3_gz)
  add_custom_target(tamarak_man3 ALL DEPENDS ${_tamarak_man3_gz})
endif()

# The user documents, where Debian keeps the documentation of the package.
set(_tamarak_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/ptxport)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${_tamarak_docdir}
  COMPONENT command)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${_tamarak_docdir}
  COMPONENT command FILES_MATCHING PATTERN "*.md" PATTERN "library.md" EXCLUDE
  PATTERN "man3" EXCLUDE PATTERN "README-windows.md" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/docs/library.md
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libtamarak-lidar-dev
  COMPONENT development)

# The recipes for many tiles on many machines (a Slurm job array, GNU
# parallel over ssh), shown in docs/many-tiles.md and run by
# make test-scale-out.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/scale-out/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/ptxport/examples/scale-out
  USE_SOURCE_PERMISSIONS COMPONENT command)
