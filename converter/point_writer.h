/* SPDX-License-Identifier: MIT */
// point_writer.h - the point file: one column-name line, then one row of
// text per whole point record, in one of twenty formats.
#ifndef PTXPORT_POINT_WRITER_H
#define PTXPORT_POINT_WRITER_H

#include "TAMARAK_LiDAR.h"
#include "failure.h"
#include "las_type.h"
#include "point_pipeline.h"
#include "point_rows.h"
#include "row_formatters.h"

#include <cstdint>
#include <cstdio>

namespace ptx {

// Writes the column-name line and one row per whole record read from `in`
// (positioned at the first record) until its end, with the memory and
// threads of `slots` (see writePointRecords for `record_bytes`) and the
// formatters of rowFormatterFor.  Returns
// the first failure, or none; prints nothing and closes neither stream.
Failure writeAsciiPoints(int format, tamarak::LasType type,
                         const LAS12Header &header, std::FILE *in,
                         std::FILE *out, PointSlots &slots,
                         std::uint64_t record_bytes = 0,
                         Progress *progress = nullptr);

} // namespace ptx

#endif
