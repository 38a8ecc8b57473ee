/* SPDX-License-Identifier: MIT */
// run_validation.h - everything a run checks before it writes anything:
// the arguments, every LAS file, the format against the record type and the
// names of the files it would write.
#ifndef PTXPORT_RUN_VALIDATION_H
#define PTXPORT_RUN_VALIDATION_H

#include "run_plan.h"

#include <cstdio>
#include <string>
#include <vector>

// Validates the command line and every input; returns the run to make.
// Any failure prints its message and ends the process with status -1.
RunPlan validateRun(int argc, char **argv);

// Reads the white-space-separated names of a list file (each name ends at
// its first zero byte).  A name is whatever lies between white space, so
// names cannot hold blanks.
std::vector<std::string> readListTokens(std::FILE *list);

#endif
