/* SPDX-License-Identifier: MIT */
// point_writer.h - the point file: one column-name line, then one row of
// text per whole point record, in one of twenty formats.
#ifndef PTXPORT_POINT_WRITER_H
#define PTXPORT_POINT_WRITER_H

#include "TAMARAK_LiDAR.h"
#include "las_type.h"
#include "parallel_points.h"
#include "point_rows.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

// Results of writeAsciiPoints.
inline constexpr int16_t kPointsWritten = 0;
inline constexpr int16_t kPointsReadError = -1;
inline constexpr int16_t kPointsWriteError = -2;

// Working memory of the point writer: a block of whole input records and
// the text that their rows become.  Its size depends on the record type
// alone, so every file of a run converts in the same constant memory.
struct PointBuffers {
    std::unique_ptr<unsigned char[]> records;
    std::size_t record_bytes = 0;
    std::unique_ptr<char[]> text;
    std::size_t text_bytes = 0;
};

// Obtains the buffers for records of a type; false if the memory cannot be
// had.
bool obtainPointBuffers(PointBuffers &buffers, tamarak::LasType type);

// The row formatter of a format (0 to 19) for a record type, null where
// the format has no rows for it.  (row_formatters.cpp; the benchmark's
// printf baseline links its own.)
ptx::RowFormatter rowFormatterFor(int format, tamarak::LasType type);

// Writes the column-name line and one row per whole record read from `in`
// (positioned at the first record) until its end; a trailing piece shorter
// than a record is dropped.  Returns kPointsWritten, kPointsReadError or
// kPointsWriteError; prints nothing and closes neither stream.  With a
// path, a file worth it is formatted by workers, with the same bytes out.
int16_t writeAsciiPoints(int format, tamarak::LasType type,
                         const LAS12Header &header, std::FILE *in,
                         std::FILE *out, PointBuffers &buffers,
                         const PointPath *path = nullptr);

// The rows alone, on the calling thread: every whole record from `in` to
// its end, formatted with `rows`.  Same results as writeAsciiPoints.
int16_t writePointRows(std::FILE *in, std::FILE *out, PointBuffers &buffers,
                       ptx::RowFormatter rows, std::size_t record_size,
                       const ptx::Transform &t, Progress *progress = nullptr);

#endif
