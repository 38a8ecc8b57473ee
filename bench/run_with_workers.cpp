// run_with_workers.cpp - ptxport with a chosen number of formatting
// threads, whatever the machine has, so that the memory and the behaviour
// of a many-core run can be measured here.
//
//   run_with_workers <workers> <LAS File | ASCII List> <Format>
#include "run_driver.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: run_with_workers <workers> <LAS File | "
                             "ASCII List> <Format>\n");
        return 2;
    }
    RunOptions options;
    options.workers = static_cast<unsigned>(std::atoi(argv[1]));
    argv[1] = argv[0];
    return runPtxport(argc - 1, argv + 1, options);
}
