/* SPDX-License-Identifier: MIT */
// parallel_points.h - the point records of one file over several threads:
// blocks of whole records read one at a time in file order, formatted by
// the threads at once, their text written one at a time in file order.
// The output is the single-thread writer's, byte for byte.
#ifndef PTXPORT_PARALLEL_POINTS_H
#define PTXPORT_PARALLEL_POINTS_H

#include "point_rows.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

class Progress;

// What the records of one file become.
struct PointJob {
    ptx::RowFormatter format = nullptr;
    std::size_t record_size = 0;
    ptx::Transform transform{};
};

// How many threads work, the caller included (fewer than two: the caller
// alone), and how many records make one block (zero: the usual).
struct WorkerShape {
    unsigned workers = 0;
    std::size_t records_per_block = 0;
};

// How the rows of one file may be made beyond the calling thread: the
// workers, the bytes of records ahead, and the progress line to keep.
struct PointPath {
    WorkerShape shape;
    std::uint64_t record_bytes = 0;
    Progress *progress = nullptr;
};

// Whether `bytes` of records are worth more than one thread under `shape`:
// one worker, or a file of a few blocks, is done best by one thread.
bool worthWorkers(std::uint64_t bytes, std::size_t record_size,
                  const WorkerShape &shape);

// Returned when the memory of the workers' blocks cannot be had: nothing
// was read or written, and one thread has to do the file.
inline constexpr int16_t kPointsNeedOneThread = 1;

// Writes one row per whole record read from `in` until its end, with the
// threads of `shape` (at least two); a trailing piece shorter than a record
// is dropped.  Returns kPointsWritten, kPointsReadError, kPointsWriteError
// or kPointsNeedOneThread; after a failure no further row is written and
// every worker has ended.  A null progress is not told.
int16_t writeRecordsWithWorkers(std::FILE *in, std::FILE *out,
                                const PointJob &job, const WorkerShape &shape,
                                Progress *progress);

#endif
