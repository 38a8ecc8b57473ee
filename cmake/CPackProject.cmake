# SPDX-License-Identifier: MIT
# Read by cpack before it makes the packages: the dependencies of
# libtamarak-lidar1, read from the shared library by dpkg-shlibdeps as
# Debian's own packaging would, or the usual ones of a g++ build where
# dpkg-shlibdeps is missing or fails.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "${CPACK_TAMARAK_DEFAULT_DEPENDS}")
find_program(_tamarak_shlibdeps dpkg-shlibdeps)
if(_tamarak_shlibdeps AND EXISTS "${CPACK_TAMARAK_SHARED_LIBRARY}")
  # dpkg-shlibdeps wants to run in a source tree with debian/control.
  set(_tamarak_dir "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
  file(WRITE "${_tamarak_dir}/debian/control" "")
  execute_process(
    COMMAND "${_tamarak_shlibdeps}" -O "${CPACK_TAMARAK_SHARED_LIBRARY}"
    WORKING_DIRECTORY "${_tamarak_dir}"
    OUTPUT_VARIABLE _tamarak_out
    ERROR_VARIABLE _tamarak_err
    RESULT_VARIABLE _tamarak_status)
  if(_tamarak_status EQUAL 0 AND _tamarak_out MATCHES "shlibs:Depends=([^\n]+)")
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
  else()
    message(WARNING "dpkg-shlibdeps failed on ${CPACK_TAMARAK_SHARED_LIBRARY}: "
      "${_tamarak_err}; libtamarak-lidar1 gets the usual dependencies")
  endif()
endif()
