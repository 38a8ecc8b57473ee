// point_writer.h - the point file: one column-name line, then one row of
// text per whole point record, in one of twenty formats.
#ifndef PTXPORT_POINT_WRITER_H
#define PTXPORT_POINT_WRITER_H

#include "TAMARAK_LiDAR.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

// Results of writeAsciiPoints.
inline constexpr int16_t kPointsWritten = 0;
inline constexpr int16_t kPointsReadError = -1;
inline constexpr int16_t kPointsWriteError = -2;

// Working memory of the point writer: a block of whole input records and
// the text that the rows of a block become.  Its size does not depend on
// the file, so every file converts in the same constant memory.
struct PointBuffers {
    std::unique_ptr<unsigned char[]> records;
    std::size_t record_bytes = 0;
    std::unique_ptr<char[]> text;
    std::size_t text_bytes = 0;
};

// Obtains the buffers; false if the memory cannot be had.
bool obtainPointBuffers(PointBuffers &buffers);

// The column-name line of a format (0 to 19) for a LASType (1 to 8).
std::string columnNames(int format, int16_t las_type);

// Whether a format has rows for a LASType.
bool formatServesType(int format, int16_t las_type);

// Writes the column-name line and one row per whole record read from `in`
// (positioned at the first record) until its end; a trailing piece shorter
// than a record is dropped.  Returns kPointsWritten, kPointsReadError or
// kPointsWriteError; prints nothing and closes neither stream.
int16_t writeAsciiPoints(int format, int16_t las_type,
                         const LAS12Header &header, std::FILE *in,
                         std::FILE *out, PointBuffers &buffers);

#endif
