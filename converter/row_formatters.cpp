// SPDX-License-Identifier: MIT
// row_formatters.cpp - the rows' formatter for each format and record type,
// with the exact number conversions.
#include "row_formatters.h"

namespace ptx {

ptx::RowFormatter rowFormatterFor(int format, tamarak::LasType type) {
    return ptx::rowFormatterOf<ptx::ExactNumbers>(format, type);
}

} // namespace ptx
