# Checks that a binary exports every routine of the library by name:
#   cmake -DNM=<nm> -DBINARY=<file> -P check_exports.cmake
set(routines
  file_access check_file_extension error_msg check_las check_numeric_argument
  credits check_YN check_DEM update_header initialize_header10
  initialize_header11 initialize_header12 l_quicksort l_qs d_quicksort d_qs
  l_parallel_quicksort l_parallel_qs d_parallel_quicksort d_parallel_qs
  tamarak_lidar_version)
execute_process(COMMAND ${NM} -D --defined-only ${BINARY}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} failed on ${BINARY}")
endif()
foreach(routine IN LISTS routines)
  if(NOT symbols MATCHES "[ \n]T ${routine}\n")
    message(FATAL_ERROR "${BINARY} does not export ${routine}")
  endif()
endforeach()
list(LENGTH routines n)
message(STATUS "${BINARY} exports all ${n} routines")
