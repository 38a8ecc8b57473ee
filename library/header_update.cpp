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
#include "messages.h"
#include "platform.h"
#include "scaled_value.h"

#include <algorithm>
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

// How an update ended: TAMARAK_OK, or the failure of the update itself
// (the file's verdict comes before).
using tamarak::Result;

Result failure(tamarak_status status, const Stream &s) {
    return {status, s.error()};
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
Result scan_records(Stream &f, std::size_t size, Tally &t) {
    const std::size_t per_block = kBlockBytes / size;
    std::unique_ptr<unsigned char[]> block(
        new (std::nothrow) unsigned char[per_block * size]);
    if (!block)
        return {TAMARAK_NO_MEMORY, 0};
    for (;;) {
        const std::size_t got = f.read(block.get(), size, per_block);
        if (f.failed())
            return failure(TAMARAK_READ_FAILED, f);
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
Result write_and_close(Stream &f, const unsigned char *header) {
    const bool written =
        f.seek(0) && f.write(header, kHeaderBytes) && f.flush();
    if (!f.close() || !written)
        return failure(TAMARAK_WRITE_FAILED, f);
    return {};
}

Result recompute(const char *filename, LasType type) {
    Stream f = Stream::open(filename, "r+b");
    if (!f)
        return failure(TAMARAK_OPEN_FAILED, f);
    // The scan reads large blocks itself; unbuffered, a failed header write
    // also leaves nothing behind that a later close could still write.
    // Should this fail the stream stays buffered, which is merely slower.
    std::setvbuf(f.get(), nullptr, _IONBF, 0);

    unsigned char header[kHeaderBytes];
    // The file may have been replaced since it was checked; records scanned
    // in steps of another size would give wrong statistics.
    if (f.read(header, 1, sizeof header) != sizeof header) {
        if (f.failed())
            return failure(TAMARAK_READ_FAILED, f);
        return {TAMARAK_CHANGED, 0};
    }
    if (!header_declares_type(header, type))
        return {TAMARAK_CHANGED, 0};
    // OffsetToData may reach 4 GiB - 1: seek_to takes any 64-bit offset.
    if (!f.seek(load_u32(header + kOffsetToDataAt)))
        return failure(TAMARAK_READ_FAILED, f);

    Tally t;
    const Result scanned = scan_records(f, type.record_size(), t);
    if (scanned.status != TAMARAK_OK)
        return scanned;
    // The header cannot hold a larger count; a wrapped one would be a lie.
    if (t.records > std::numeric_limits<uint32_t>::max())
        return {TAMARAK_TOO_MANY_POINTS, 0};
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
    if (u.verdict.ok())
        u.result = recompute(filename, u.verdict.type);
    return u;
}

void print(const std::string &text) {
    std::fputs(text.c_str(), stdout);
}

} // namespace

namespace tamarak {

int16_t try_update_header(const char *filename) {
    const Update u = update_silently(filename);
    print(las_message(filename, u.verdict));
    if (u.verdict.untyped())
        print(untyped_message(filename, u.verdict));
    if (!u.verdict.ok())
        return -1;
    const Message *message = &msg::kUpdateFailed;
    switch (u.result.status) {
    case TAMARAK_OK:
        print(message_text(msg::kHeaderUpdated.text, filename));
        std::fflush(stdout);
        return 0;
    case TAMARAK_OPEN_FAILED:
        message = &msg::kCannotOpenForUpdate;
        break;
    case TAMARAK_NO_MEMORY:
        message = &msg::kNoMemoryForUpdate;
        break;
    default:
        break;
    }
    print(message_text(message->text, filename));
    return -1;
}

} // namespace tamarak

extern "C" int16_t update_header_status(const char *filename,
                                        int *error_number) {
    const Update u = update_silently(filename);
    const Result &r = u.verdict.ok() ? u.result : u.verdict;
    if (error_number)
        *error_number = r.error;
    return static_cast<int16_t>(r.status);
}

extern "C" void update_header(const char *filename) {
    if (tamarak::try_update_header(filename) != 0)
        std::exit(-1);
}
