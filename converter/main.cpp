// SPDX-License-Identifier: MIT
// main.cpp - ptxport: converts LAS files into ASCII text.
//
//   ptxport <LAS File | ASCII List> <Format>
//
// The run validates every input before it writes anything, then converts
// the LAS files one after another: for each, the header description file
// and the point file beside it.  Exit status 0 after a complete run, -1
// after any failure, always with a message on standard output; a run that
// a signal stops ends as that signal would.
#include "platform.h"
#include "run_driver.h"

#ifdef _WIN32
// The C runtime expands wildcards in the arguments, as a POSIX shell does,
// so that ptxport *.las 0 meets the same argument count check everywhere.
// Defined here, in the program: in the library it would change the
// arguments of every program that links it.
extern "C" {
int _dowildcard = -1;
}

// Windows passes the arguments in UTF-16; the run works on UTF-8.
int wmain(int argc, wchar_t **argv) {
    tamarak::Utf8Arguments arguments(argc, argv);
    return ptx::runPtxport(arguments.argc(), arguments.argv(),
                           ptx::RunOptions{});
}
#else
int main(int argc, char **argv) {
    return ptx::runPtxport(argc, argv, ptx::RunOptions{});
}
#endif
