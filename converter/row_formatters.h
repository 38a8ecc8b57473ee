/* SPDX-License-Identifier: MIT */
// row_formatters.h - the rows' formatter for each format and record type.
//
// The benchmark's printf baseline (bench/ptxport_printf.cpp) defines
// rowFormatterFor itself: linked ahead of ptxport_core's archive, its
// definition is the one the whole run takes, and row_formatters.cpp is
// never pulled from the archive.  That object must therefore hold nothing
// else, or the baseline's link fails with a duplicate definition.
#ifndef PTXPORT_ROW_FORMATTERS_H
#define PTXPORT_ROW_FORMATTERS_H

#include "las_type.h"
#include "point_rows.h"

namespace ptx {

// The row formatter of a format (0 to 19) for a record type, null where
// the format has no rows for it: the exact number conversions.
ptx::RowFormatter rowFormatterFor(int format, tamarak::LasType type);

} // namespace ptx

#endif
