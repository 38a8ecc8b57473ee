# SPDX-License-Identifier: MIT
# The licence and the change log that every package carries in
# share/doc/<package>: copyright in Debian's machine-readable form, made from
# LICENSE so that the two never differ, and changelog.Debian.gz.
set(_tamarak_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(TAMARAK_MAINTAINER "TAMARAK LiDAR development team <lidar@tamarak.org>")

# copyright: one paragraph for the whole source, then the licence text from
# its permission paragraph on, each line indented and blank lines as " .".
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE _tamarak_license_lines)
set(_tamarak_license_body "")
set(_tamarak_in_body OFF)
foreach(line IN LISTS _tamarak_license_lines)
  if(line MATCHES "^Permission is hereby granted")
    set(_tamarak_in_body ON)
  endif()
  if(NOT _tamarak_in_body)
    continue()
  endif()
  if(line STREQUAL "")
    string(APPEND _tamarak_license_body " .\n")
  else()
    string(APPEND _tamarak_license_body " ${line}\n")
  endif()
endforeach()
string(STRIP "${_tamarak_license_body}" _tamarak_license_body)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/debian/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ptxport
Upstream-Contact: ${TAMARAK_MAINTAINER}

Files: *
Copyright: 2026 TAMARAK LiDAR development team
License: Expat
 ${_tamarak_license_body}
")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/LICENSE)

# changelog.Debian.gz, compressed like the man page.
set(_tamarak_changelog ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
if(TAMARAK_GZIP)
  add_custom_command(OUTPUT ${_tamarak_changelog}
    COMMAND ${TAMARAK_GZIP} -9 -n -c ${_tamarak_packaging}/changelog
      > ${_tamarak_changelog}
    DEPENDS ${_tamarak_packaging}/changelog
    COMMENT "Compressing the Debian change log")
  add_custom_target(tamarak_debian_changelog ALL DEPENDS ${_tamarak_changelog})
endif()

# Installs both files into share/doc/<package> of one component, and the
# package's lintian overrides.
function(tamarak_install_debian_docs component package)
  # These packages are not uploaded to Debian, so there is no bug asking for
  # them that the first change log entry could close.
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/debian/${package}.overrides
    CONTENT "${package}: initial-upload-closes-no-bugs\n")
  install(FILES ${PROJECT_BINARY_DIR}/debian/${package}.overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    RENAME ${package} COMPONENT ${component})
  set(dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
  install(FILES ${PROJECT_BINARY_DIR}/debian/copyright DESTINATION ${dir}
    COMPONENT ${component})
  if(TAMARAK_GZIP)
    install(FILES ${_tamarak_changelog} DESTINATION ${dir}
      COMPONENT ${component})
  endif()
endfunction()
