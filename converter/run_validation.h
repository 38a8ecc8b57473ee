/* SPDX-License-Identifier: MIT */
// run_validation.h - everything a run checks before it writes anything:
// the arguments, every LAS file, the format against the record type and the
// names of the files it would write.
#ifndef PTXPORT_RUN_VALIDATION_H
#define PTXPORT_RUN_VALIDATION_H

#include "failure.h"
#include "run_plan.h"

#include <string>
#include <variant>

namespace ptx {

// The run to make, or why there is none: the first check that failed and,
// for a list, every further refused file.
using Validation = std::variant<RunPlan, Failures>;

// Validates the command line and every input.  Prints nothing and never
// ends the process: the caller reports a refusal.
Validation validateRun(int argc, char **argv);

} // namespace ptx

#endif
