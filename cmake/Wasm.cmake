# SPDX-License-Identifier: MIT
# WebAssembly builds (Emscripten): the command as a module for Node, which
# npm/ptxport's bin/ptxport.js starts, the library probe of the comparison
# as a Node program, and the module of the web page's worker.  Included once
# every target exists.
if(NOT EMSCRIPTEN)
  return()
endif()

set(wasm_dir ${PROJECT_SOURCE_DIR}/cmake/wasm)
# Node 18 and later have a fetch that Emscripten 3.1 would take a path to
# the .wasm file to; the module reads it from the disk instead.
set(node_fetch --pre-js ${wasm_dir}/node_fetch.js)
# Every file is the real one, through Node, as a native program sees it; the
# memory grows as the run needs it; the run's exit status is the process's.
set(node_program -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1
  ${node_fetch})

# The command: a factory that bin/ptxport.js and index.js call, once per run.
target_link_options(ptxport PRIVATE ${node_program} -sMODULARIZE=1
  -sEXPORT_NAME=createPtxport -sINVOKE_RUN=0 -sENVIRONMENT=node
  "-sEXPORTED_RUNTIME_METHODS=[callMain,FS]")
set_property(TARGET ptxport APPEND PROPERTY LINK_DEPENDS ${wasm_dir}/node_fetch.js)

# The probe, outside the test suite, which is not built here.
add_executable(library_probe ${PROJECT_SOURCE_DIR}/tests/compare/library_probe.cpp)
target_link_libraries(library_probe PRIVATE tamarak_lidar_static)
target_link_options(library_probe PRIVATE ${node_program} -sENVIRONMENT=node)

# The page's module: the same command, run in a Web Worker over the files of
# web/stream_fs.js; its .wasm inside, so that a page opened from file://,
# which may fetch nothing, has it.
# Its reads and writes may pause it, until its input is at hand or the page
# has caught up (Asyncify, through the system calls that read and write),
# and runMain waits for the end of a run.
add_executable(ptxport_web ${PROJECT_SOURCE_DIR}/converter/main.cpp
  ${PROJECT_SOURCE_DIR}/web/catalogue.cpp)
target_link_libraries(ptxport_web PRIVATE ptxport_core)
set(web_pause ${PROJECT_SOURCE_DIR}/web/paused_io.js)
set(web_main ${PROJECT_SOURCE_DIR}/web/run_main.js)
target_link_options(ptxport_web PRIVATE -sMODULARIZE=1
  -sEXPORT_NAME=createPtxport -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=worker,node -sFORCE_FILESYSTEM=1
  -sSINGLE_FILE=1 -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536
  "-sASYNCIFY_IMPORTS=[wasi_snapshot_preview1.fd_read,wasi_snapshot_preview1.fd_write]"
  --js-library ${web_pause} --post-js ${web_main}
  "-sEXPORTED_RUNTIME_METHODS=[callMain,FS,UTF8ToString]"
  "-sEXPORTED_FUNCTIONS=[_main,_ptxport_catalogue]" ${node_fetch})
set_property(TARGET ptxport_web APPEND PROPERTY LINK_DEPENDS ${web_pause}
  ${web_main} ${wasm_dir}/node_fetch.js)

# The npm package as npm packs it (build-wasm/npm/ptxport), its version the
# project's, and the page with its module (build-wasm/web).
set(npm_source ${PROJECT_SOURCE_DIR}/npm/ptxport)
set(npm_dir ${CMAKE_BINARY_DIR}/npm/ptxport)
configure_file(${npm_source}/package.json ${npm_dir}/package.json @ONLY)
add_custom_target(npm_package ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${npm_dir}/dist
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${npm_source}/bin ${npm_dir}/bin
  COMMAND ${CMAKE_COMMAND} -E copy ${npm_source}/index.js ${npm_source}/index.d.ts
    ${npm_source}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${npm_dir}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ptxport>
    $<TARGET_FILE_DIR:ptxport>/ptxport.wasm ${npm_dir}/dist
  DEPENDS ptxport)
set(web_dir ${CMAKE_BINARY_DIR}/web)
set(web_files index.html page.js page.css stream_fs.js worker.js)
list(TRANSFORM web_files PREPEND ${PROJECT_SOURCE_DIR}/web/)
add_custom_command(OUTPUT ${web_dir}/worker_bundle.js
  COMMAND ${CMAKE_COMMAND} -E copy ${web_files} ${web_dir}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ptxport_web> ${web_dir}
  COMMAND node ${PROJECT_SOURCE_DIR}/tools/web_bundle.js ${web_dir}/worker_bundle.js
    $<TARGET_FILE:ptxport_web> ${PROJECT_SOURCE_DIR}/web/stream_fs.js
    ${PROJECT_SOURCE_DIR}/web/worker.js
  DEPENDS ptxport_web ${web_files} ${PROJECT_SOURCE_DIR}/tools/web_bundle.js)
add_custom_target(web_page ALL DEPENDS ${web_dir}/worker_bundle.js)
