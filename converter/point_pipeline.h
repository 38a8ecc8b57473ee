/* SPDX-License-Identifier: MIT */
// point_pipeline.h - the one loop over the point records of a file: blocks
// of whole records read one at a time in file order, formatted by one to N
// threads at once, their text written one at a time in file order.  One
// thread makes no other; the bytes are the same for any number.
#ifndef PTXPORT_POINT_PIPELINE_H
#define PTXPORT_POINT_PIPELINE_H

#include "failure.h"
#include "point_rows.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace ptx {

class Progress;

// What the records of one file become.
struct PointJob {
    ptx::RowFormatter format = nullptr;
    std::size_t record_size = 0;
    ptx::Transform transform{};
};

// The working memory of the point records: one slot per thread, each a
// block of records and the text they become.  Obtained once for a run and
// used by every file of it; its size depends on the record size alone.
class PointSlots {
  public:
    // Up to `workers` slots (at least one is tried) for blocks of
    // `records_per_block` records (0: the usual) of at most `record_size`
    // bytes.  Fewer slots if the memory of more cannot be had.
    PointSlots(unsigned workers, std::size_t record_size,
               std::size_t records_per_block = 0);
    ~PointSlots();
    PointSlots(const PointSlots &) = delete;
    PointSlots &operator=(const PointSlots &) = delete;

    // Whether the memory of one thread at least could be had.
    bool ready() const;

    struct Slot;

  private:
    friend Failure writePointRecords(std::FILE *in, std::FILE *out,
                                     const PointJob &job, PointSlots &slots,
                                     std::uint64_t record_bytes,
                                     Progress *progress);
    std::size_t records_per_block_;
    std::vector<Slot> slots_;
};

// Writes one row per whole record read from `in` (positioned at the first
// record) until its end; a trailing piece shorter than a record is dropped.
// `record_bytes`, the bytes from there to the end where known (0 if not),
// decides how many threads work: a file of a few blocks is done by the
// calling thread alone.  After a failure no further row is written and
// every thread has ended; the failure names what failed.  Prints nothing,
// closes neither stream; a null progress is not told.
Failure writePointRecords(std::FILE *in, std::FILE *out, const PointJob &job,
                          PointSlots &slots, std::uint64_t record_bytes,
                          Progress *progress);

} // namespace ptx

#endif
