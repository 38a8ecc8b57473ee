// SPDX-License-Identifier: MIT
// ptxport_printf.cpp - the end-to-end benchmark's baseline: the command
// itself, with every value of the rows printed by snprintf.
#include "printf_number_format.h"
#include "row_formatters.h"
#include "run_driver.h"

using namespace ptx;

int main(int argc, char **argv) {
    RunOptions options;
    options.rows = ptx::rowFormatterOf<ptx::PrintfNumbers>;
    return runPtxport(argc, argv, options);
}
