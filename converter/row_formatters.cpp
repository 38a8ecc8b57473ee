// SPDX-License-Identifier: MIT
// row_formatters.cpp - the command's rows, with the exact number
// conversions.  A build that links another definition of rowFormatterFor
// (the benchmark's printf baseline) changes nothing else.
#include "point_writer.h"

ptx::RowFormatter rowFormatterFor(int format, tamarak::LasType type) {
    return ptx::rowFormatterOf<ptx::ExactNumbers>(format, type);
}
