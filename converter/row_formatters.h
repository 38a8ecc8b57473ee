/* SPDX-License-Identifier: MIT */
// row_formatters.h - which number conversions the rows are written with:
// the command's exact ones, or another set that a program of this tree
// chooses before its run (the benchmark's printf baseline).
#ifndef PTXPORT_ROW_FORMATTERS_H
#define PTXPORT_ROW_FORMATTERS_H

#include "las_type.h"
#include "point_rows.h"

// The row formatter of a format (0 to 19) for a record type, null where
// the format has no rows for it, for one set of number conversions.
using RowFormatterLookup = ptx::RowFormatter (*)(int format,
                                                 tamarak::LasType type);

// From now on rowFormatterFor answers with `lookup`, and every point job
// takes its formatter from there.  Called before a run, never during one.
void useRowFormatters(RowFormatterLookup lookup);

#endif
