/* SPDX-License-Identifier: MIT */
// run_driver.h - the whole run of ptxport: validation, then the conversion
// of every LAS file of the run, with the console lines between.
#ifndef PTXPORT_RUN_DRIVER_H
#define PTXPORT_RUN_DRIVER_H

#include "progress.h"
#include "run_plan.h"

#include <cstddef>

namespace ptx {

// How a run is carried out, beyond what the command line says.  The
// command takes the defaults; tests choose.
struct RunOptions {
    unsigned workers = 0; // threads formatting rows; 0: the usable CPUs
    std::size_t records_per_block = 0; // of the workers; 0: the usual
    ProgressTiming progress{};
};

// Converts every file of a validated run: the banner, then for each LAS
// file its console lines, its header description and its point file, then
// the elapsed time.  Returns 0 after a complete run, or -1 after the first
// failure, whose message it has printed; the outputs of the files before it
// stay complete.  A signal that asks the run to stop (SIGINT, SIGTERM,
// SIGHUP) ends the process, with the outputs of the file in progress left
// as they were.
int convertRun(const RunPlan &plan, const RunOptions &options);

// The command: ptxport <LAS File | ASCII List> <Format>.  A run that
// validation refuses gets its message and returns -1, with nothing
// written; otherwise returns what convertRun returns.
int runPtxport(int argc, char **argv, const RunOptions &options);

} // namespace ptx

#endif
