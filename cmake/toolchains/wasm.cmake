# SPDX-License-Identifier: MIT
# Building for WebAssembly with Debian's Emscripten (package emscripten):
# the command for Node (build-wasm/converter/ptxport.js) and the module of
# the web page (build-wasm/web/).  Emscripten's own platform file does the
# rest; what this project adds is below.
# Emscripten calls its processor x86 by default, which would bring this
# project's x87-avoiding SSE2 flags of 32-bit x86 along.
set(EMSCRIPTEN_SYSTEM_PROCESSOR wasm32)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Emscripten's link step runs its JavaScript optimiser, which needs Debian's
# node-acorn; a Node that is not Debian's (NodeSource's, say) does not look
# in Debian's module folder.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)

# ptxport takes the library archive whole (converter/CMakeLists.txt); CMake
# knows no such feature for this platform, and wasm-ld has the GNU flags.
set(CMAKE_LINK_LIBRARY_USING_WHOLE_ARCHIVE
  "LINKER:--whole-archive" "<LINK_ITEM>" "LINKER:--no-whole-archive")
set(CMAKE_LINK_LIBRARY_USING_WHOLE_ARCHIVE_SUPPORTED TRUE)
