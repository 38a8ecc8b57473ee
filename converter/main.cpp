// main.cpp - ptxport: converts LAS files into ASCII text.
//
//   ptxport <LAS File | ASCII List> <Format>
//
// The run validates every input before it writes anything, then converts
// the LAS files one after another: for each, the header description file
// and the point file beside it.  Exit status 0 after a complete run, -1
// after any failure, always with a message on standard output.
#include "run_driver.h"

int main(int argc, char **argv) {
    return runPtxport(argc, argv, RunOptions{});
}
