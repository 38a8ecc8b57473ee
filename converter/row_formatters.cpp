// SPDX-License-Identifier: MIT
// row_formatters.cpp - the rows' formatter for each format and record type:
// the exact number conversions, unless a program chose others.
#include "row_formatters.h"

#include "point_writer.h"

namespace {

RowFormatterLookup chosen = ptx::rowFormatterOf<ptx::ExactNumbers>;

} // namespace

void useRowFormatters(RowFormatterLookup lookup) {
    chosen = lookup;
}

ptx::RowFormatter rowFormatterFor(int format, tamarak::LasType type) {
    return chosen(format, type);
}
