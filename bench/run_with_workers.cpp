// SPDX-License-Identifier: MIT
// run_with_workers.cpp - ptxport with a chosen number of formatting
// threads, whatever the machine has, so that the memory and the behaviour
// of a many-core run can be measured here.
//
//   run_with_workers <workers>[:<records per block>] <LAS File | ASCII List>
//                    <Format>
#include "run_driver.h"

#include <cstdio>
#include <cstdlib>

using namespace ptx;

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: run_with_workers <workers>[:<records per "
                             "block>] <LAS File | ASCII List> <Format>\n");
        return 2;
    }
    RunOptions options;
    char *rest = nullptr;
    options.workers = static_cast<unsigned>(std::strtoul(argv[1], &rest, 10));
    if (*rest == ':')
        options.records_per_block = std::strtoul(rest + 1, nullptr, 10);
    argv[1] = argv[0];
    return runPtxport(argc - 1, argv + 1, options);
}
