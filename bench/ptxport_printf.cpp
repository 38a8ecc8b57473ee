// SPDX-License-Identifier: MIT
// ptxport_printf.cpp - the end-to-end benchmark's baseline: the command
// itself, with every value of the rows printed by snprintf.
//
// The swap happens at link time (row_formatters.h says how), so that the
// command's own entry points carry no hook for it.
#include "printf_number_format.h"
#include "row_formatters.h"
#include "run_driver.h"

namespace ptx {

RowFormatter rowFormatterFor(int format, tamarak::LasType type) {
    return rowFormatterOf<PrintfNumbers>(format, type);
}

} // namespace ptx

int main(int argc, char **argv) {
    return ptx::runPtxport(argc, argv, ptx::RunOptions{});
}
