# SPDX-License-Identifier: MIT
# Checks that a binary exports every routine of the library by name; the
# one list of the exported routines, for every platform:
#   cmake -DNM=<nm> -DBINARY=<file> -P check_exports.cmake
#   cmake -DOBJDUMP=<objdump> -DBINARY=<file.exe|dll> -P check_exports.cmake
# (the second for Windows binaries, whose export table objdump -p lists).
set(routines
  file_access check_file_extension error_msg check_las check_numeric_argument
  credits check_YN check_DEM update_header initialize_header10
  initialize_header11 initialize_header12 l_quicksort l_qs d_quicksort d_qs
  l_parallel_quicksort l_parallel_qs d_parallel_quicksort d_parallel_qs
  tamarak_lidar_version check_las_status update_header_status
  tamarak_status_text)
if(OBJDUMP)
  execute_process(COMMAND ${OBJDUMP} -p ${BINARY}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  set(exported "\\] ")
else()
  execute_process(COMMAND ${NM} -D --defined-only ${BINARY}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  set(exported "[ \n]T ")
endif()
if(failed)
  message(FATAL_ERROR "listing the symbols of ${BINARY} failed")
endif()
foreach(routine IN LISTS routines)
  if(NOT symbols MATCHES "${exported}${routine}\n")
    message(FATAL_ERROR "${BINARY} does not export ${routine}")
  endif()
endforeach()
list(LENGTH routines n)
message(STATUS "${BINARY} exports all ${n} routines")
