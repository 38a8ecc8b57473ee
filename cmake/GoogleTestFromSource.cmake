# SPDX-License-Identifier: MIT
# GoogleTest for a build whose target has no GoogleTest package on the build
# machine (the cross builds and Windows): the sources Debian ships, built
# with the same compiler.  Gives GTest::gtest and GTest::gtest_main, as
# find_package(GTest) does.
set(PTXPORT_GTEST_SOURCE /usr/src/googletest CACHE PATH
  "GoogleTest sources, built with the cross compiler")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${PTXPORT_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
  EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main)
  # The GoogleTest sources are not this project's: no warnings of ours
  # there, and no -O3, which takes 70% longer to compile a framework whose
  # speed the tests never feel.
  target_compile_options(${target} PRIVATE -w -O1)
  # Under Wine the test programs find no MinGW runtime DLLs: they carry the
  # C and C++ runtimes and winpthread inside.
  if(MINGW)
    target_link_options(${target} INTERFACE -static)
  endif()
endforeach()
