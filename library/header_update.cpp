// SPDX-License-Identifier: MIT
// header_update.cpp - update_header: brings a LAS file's point count, counts
// by return number and X, Y, Z extents into line with the point records the
// file really holds, rewriting them in place in one pass.
//
// Nothing is written until the whole scan has succeeded, and the header goes
// back as one block in which only the recomputed bytes (107-130 and 179-226)
// differ from what was read, so a failure before the write leaves the file
// exactly as it was.
#include "header_update.h"
#include "TAMARAK_LiDAR.h"
#include "file_handle.h"
#include "las_bytes.h"
#include "las_layout.h"
#include "las_type.h"
#include "las_verdict.h"
#include "platform.h"
#include "scaled_value.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <span>

using namespace tamarak;
using namespace tamarak::layout;

namespace {

// The scan reads blocks of whole records of about this size: memory stays
// constant whatever the point count, and each read is one large system call.
constexpr std::size_t kBlockBytes = 256 * 1024;

// How an update ended; every failure but no_memory carries the error
// number that the failing call left, where it left one.
enum class Outcome : int16_t {
    updated,
    cannot_open,
    no_memory,
    changed,
    read_failed,
    too_many_points,
    write_failed
};

struct Result {
    Outcome outcome = Outcome::updated;
    int error = 0;
};

Result failure(Outcome outcome) {
    return {outcome, errno};
}

// What the scan learns from the point records.
struct Tally {
    uint64_t records = 0;
    uint64_t by_return[8] = {}; // indexed by return number 0 to 7
    // Any record replaces these, so once one record is seen the extremes
    // are exactly those of the records, as if started from the first one.
    int32_t min[3] = {std::numeric_limits<int32_t>::max(),
                      std::numeric_limits<int32_t>::max(),
                      std::numeric_limits<int32_t>::max()};
    int32_t max[3] = {std::numeric_limits<int32_t>::min(),
                      std::numeric_limits<int32_t>::min(),
                      std::numeric_limits<int32_t>::min()};
};

// Works on a local copy: the records are bytes, which may alias anything
// reached through a reference, so this keeps the running values in
// registers instead of memory.
void tally_block(std::span<const unsigned char> block, std::size_t size,
                 Tally &total) {
    Tally t = total;
    for (std::size_t at = 0; at + size <= block.size(); at += size) {
        const unsigned char *record = block.data() + at;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const int32_t v = load_i32(record + coordinate_at(axis));
            t.min[axis] = std::min(t.min[axis], v);
            t.max[axis] = std::max(t.max[axis], v);
        }
        ++t.by_return[record[kBitfieldAt] & 7];
        ++t.records;
    }
    total = t;
}

// Reads whole records from the stream's position to the end of the file; a
// final fragment shorter than one record is not counted.
Result scan_records(std::FILE *f, std::size_t size, Tally &t) {
    const std::size_t per_block = kBlockBytes / size;
    std::unique_ptr<unsigned char[]> block(
        new (std::nothrow) unsigned char[per_block * size]);
    if (!block)
        return {Outcome::no_memory, 0};
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(block.get(), size, per_block, f);
        if (got < per_block && std::ferror(f))
            return failure(Outcome::read_failed);
        tally_block({block.get(), got * size}, size, t);
        if (got < per_block)
            return {};
    }
}

// Writes the tally into the header image.  A file without records gets
// zero extents, never a maximum below its minimum.
void store_tally(unsigned char *header, const Tally &t) {
    store_u32(header + kPointCountAt, static_cast<uint32_t>(t.records));
    for (std::size_t n = 1; n <= kReturns; ++n)
        store_u32(header + kPointsByReturnAt + 4 * (n - 1),
                  static_cast<uint32_t>(t.by_return[n]));
    for (std::size_t axis = 0; axis < 3; ++axis) {
        double max = 0.0, min = 0.0;
        if (t.records > 0) {
            const double scale = load_f64(header + scale_at(axis));
            const double offset = load_f64(header + offset_at(axis));
            max = scaled_value(static_cast<double>(t.max[axis]), scale, offset);
            min = scaled_value(static_cast<double>(t.min[axis]), scale, offset);
        }
        store_f64(header + max_at(axis), max);
        store_f64(header + min_at(axis), min);
    }
}

// Writes the header image back at the start of the file and closes it; the
// close is part of the write, since it may be where the data is lost.
Result write_and_close(File &f, const unsigned char *header) {
    errno = 0;
    const bool written =
        seek_to(f.get(), 0) == 0 &&
        std::fwrite(header, 1, kHeaderBytes, f.get()) == kHeaderBytes &&
        std::fflush(f.get()) == 0;
    const int error = errno;
    const bool closed = std::fclose(f.release()) == 0;
    if (!written)
        return {Outcome::write_failed, error};
    return closed ? Result{} : failure(Outcome::write_failed);
}

Result recompute(const char *filename, LasType type) {
    errno = 0;
    File f(open_file(filename, "r+b"));
    if (!f)
        return failure(Outcome::cannot_open);
    // The scan reads large blocks itself; unbuffered, a failed header write
    // also leaves nothing behind that a later close could still write.
    // Should this fail the stream stays buffered, which is merely slower.
    std::setvbuf(f.get(), nullptr, _IONBF, 0);

    unsigned char header[kHeaderBytes];
    // The file may have been replaced since it was checked; records scanned
    // in steps of another size would give wrong statistics.
    errno = 0;
    if (std::fread(header, 1, sizeof header, f.get()) != sizeof header) {
        if (std::ferror(f.get()))
            return failure(Outcome::read_failed);
        return {Outcome::changed, 0};
    }
    if (!header_declares_type(header, type))
        return {Outcome::changed, 0};
    // OffsetToData may reach 4 GiB - 1: seek_to takes any 64-bit offset.
    errno = 0;
    if (seek_to(f.get(), load_u32(header + kOffsetToDataAt)) != 0)
        return failure(Outcome::read_failed);

    Tally t;
    const Result scanned = scan_records(f.get(), type.record_size(), t);
    if (scanned.outcome != Outcome::updated)
        return scanned;
    // The header cannot hold a larger count; a wrapped one would be a lie.
    if (t.records > std::numeric_limits<uint32_t>::max())
        return {Outcome::too_many_points, 0};
    store_tally(header, t);
    return write_and_close(f, header);
}

// The whole update, silent: the file's verdict, then the recomputation.
struct Update {
    LasVerdict verdict;
    Result result;
};

Update update_silently(const char *filename) {
    Update u{examine_las(filename), {}};
    if (u.verdict.problem == LasProblem::none)
        u.result = recompute(filename, u.verdict.type);
    return u;
}

} // namespace

namespace tamarak {

int16_t try_update_header(const char *filename) {
    const Update u = update_silently(filename);
    std::fputs(las_message(filename, u.verdict).c_str(), stdout);
    if (u.verdict.problem == LasProblem::untyped)
        std::fputs(untyped_message(filename, u.verdict).c_str(), stdout);
    if (u.verdict.problem != LasProblem::none)
        return -1;
    switch (u.result.outcome) {
    case Outcome::updated:
        std::printf("\rHeader of file %s has been updated    ", filename);
        std::fflush(stdout);
        return 0;
    case Outcome::cannot_open:
        std::printf("\nCannot open binary file %s for header update\n\n",
                    filename);
        break;
    case Outcome::no_memory:
        std::printf("\nCannot allocate memory for storing a record of "
                    "information from %s\n",
                    filename);
        break;
    case Outcome::changed:
    case Outcome::read_failed:
    case Outcome::too_many_points:
    case Outcome::write_failed:
        std::printf("\nFailed to update header of %s\n", filename);
        break;
    }
    return -1;
}

} // namespace tamarak

extern "C" int16_t update_header_status(const char *filename,
                                        int *error_number) {
    const Update u = update_silently(filename);
    int16_t status = TAMARAK_OK;
    int error = u.verdict.error;
    if (u.verdict.problem != LasProblem::none) {
        status = status_of(u.verdict);
    } else {
        error = u.result.error;
        switch (u.result.outcome) {
        case Outcome::updated:
            break;
        case Outcome::cannot_open:
            status = TAMARAK_OPEN_FAILED;
            break;
        case Outcome::no_memory:
            status = TAMARAK_NO_MEMORY;
            break;
        case Outcome::changed:
            status = TAMARAK_CHANGED;
            break;
        case Outcome::read_failed:
            status = TAMARAK_READ_FAILED;
            break;
        case Outcome::too_many_points:
            status = TAMARAK_TOO_MANY_POINTS;
            break;
        case Outcome::write_failed:
            status = TAMARAK_WRITE_FAILED;
            break;
        }
    }
    if (error_number)
        *error_number = error;
    return status;
}

extern "C" void update_header(const char *filename) {
    if (tamarak::try_update_header(filename) != 0)
        std::exit(-1);
}
