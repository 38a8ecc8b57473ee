# SPDX-License-Identifier: MIT
# The documents that name the version: the man pages (docs/ptxport.1,
# docs/man3/*.3) and the Windows README (docs/README-windows.md) carry
# @PROJECT_VERSION@, replaced here by the version read from TAMARAK_LiDAR.h,
# so that they cannot drift from the header.  Everything that installs or
# ships them takes the copies made here, at configure time (a changed source
# configures again):
#   ${TAMARAK_MAN_DIR}/ptxport.1, ${TAMARAK_MAN_DIR}/man3/*.3
#   ${TAMARAK_DOC_DIR}/README-windows.md
set(TAMARAK_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(TAMARAK_DOC_DIR ${PROJECT_BINARY_DIR}/doc)

configure_file(${PROJECT_SOURCE_DIR}/docs/ptxport.1
  ${TAMARAK_MAN_DIR}/ptxport.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.md
  ${TAMARAK_DOC_DIR}/README-windows.md @ONLY)

file(GLOB _tamarak_man3_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/docs/man3/*.3)
set(TAMARAK_MAN3_PAGES)
foreach(page IN LISTS _tamarak_man3_sources)
  get_filename_component(name ${page} NAME)
  configure_file(${page} ${TAMARAK_MAN_DIR}/man3/${name} @ONLY)
  list(APPEND TAMARAK_MAN3_PAGES ${TAMARAK_MAN_DIR}/man3/${name})
endforeach()
