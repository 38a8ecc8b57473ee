// SPDX-License-Identifier: MIT
// main.cpp - ptxport: converts LAS files into ASCII text.
//
//   ptxport <LAS File | ASCII List> <Format>
//
// The run validates every input before it writes anything, then converts
// the LAS files one after another: for each, the header description file
// and the point file beside it.  Exit status 0 after a complete run, -1
// after any failure, always with a message on standard output.
#include "run_driver.h"
#include "utf8_arguments.h"

#ifdef _WIN32
// Windows passes the arguments in UTF-16; the run works on UTF-8.
int wmain(int argc, wchar_t **argv) {
    ptx::Utf8Arguments arguments(argc, argv);
    return ptx::runPtxport(arguments.argc(), arguments.argv(),
                           ptx::RunOptions{});
}
#else
int main(int argc, char **argv) {
    return ptx::runPtxport(argc, argv, ptx::RunOptions{});
}
#endif
