/* SPDX-License-Identifier: MIT */
// run_plan.h - what a validated run converts, worked out once before
// anything is written.
#ifndef PTXPORT_RUN_PLAN_H
#define PTXPORT_RUN_PLAN_H

#include "las_type.h"
#include "output_names.h"

#include <string>
#include <vector>

namespace ptx {

struct RunPlan {
    bool list_mode = false;
    std::string first_argument;      // the LAS file or the list file
    std::vector<LasFileNames> files; // in the order they are converted
    tamarak::LasType type;           // shared by every file of the run
    int format = 0;
    std::string notes; // standard-error lines found on the way
};

} // namespace ptx

#endif
