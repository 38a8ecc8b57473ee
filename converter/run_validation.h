/* SPDX-License-Identifier: MIT */
// run_validation.h - everything a run checks before it writes anything:
// the arguments, every LAS file, the format against the record type and the
// names of the files it would write.
#ifndef PTXPORT_RUN_VALIDATION_H
#define PTXPORT_RUN_VALIDATION_H

#include "run_plan.h"

#include <string>
#include <variant>

namespace ptx {

// Why validation refuses a run: the command's message for the first check
// that failed, exactly as standard output shows it, and the lines that
// standard error adds (the system's reason, every further refused file of
// a list, the record types of a mixed list).
struct Refusal {
    std::string message;
    std::string reasons;
};

// The run to make, or why there is none.
using Validation = std::variant<RunPlan, Refusal>;

// Validates the command line and every input.  Prints nothing and never
// ends the process: the caller reports a refusal.
Validation validateRun(int argc, char **argv);

} // namespace ptx

#endif
