// SPDX-License-Identifier: MIT
// printf_row_formatters.cpp - the rows of the benchmark's baseline command:
// the same point writer, with every value printed by snprintf.  Linked in
// place of the command's row_formatters.cpp.
#include "point_writer.h"
#include "printf_number_format.h"

ptx::RowFormatter rowFormatterFor(int format, tamarak::LasType type) {
    return ptx::rowFormatterOf<ptx::PrintfNumbers>(format, type);
}
