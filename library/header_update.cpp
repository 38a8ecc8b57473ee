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
#include "file_open.h"
#include "las_bytes.h"
#include "las_type.h"
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

namespace {

// Header fields read or rewritten here, as byte offsets.
constexpr std::size_t kOffOffsetToData = offsetof(LAS12Header, OffsetToData);
constexpr std::size_t kOffPointCount =
    offsetof(LAS12Header, NumberOfPointReturns);
constexpr std::size_t kOffPointsByReturn =
    offsetof(LAS12Header, NumberOfPointsByReturn);
// X, Y, Z scale factors, then X, Y, Z offsets, each 8 bytes apart.
constexpr std::size_t kOffScale = offsetof(LAS12Header, XScaleFactor);
constexpr std::size_t kOffOffset = offsetof(LAS12Header, XOffset);
// MaxX, MinX, MaxY, MinY, MaxZ, MinZ.
constexpr std::size_t kOffExtents = offsetof(LAS12Header, MaxX);

// Byte of a point record whose low three bits hold the return number.
constexpr std::size_t kOffBitfield = offsetof(LAS12fm0, bitfield);

// The scan reads blocks of whole records of about this size: memory stays
// constant whatever the point count, and each read is one large system call.
constexpr std::size_t kBlockBytes = 256 * 1024;

enum class Outcome : int16_t { updated, cannot_open, no_memory, failed };

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
            const int32_t v = load_i32(record + 4 * axis);
            t.min[axis] = std::min(t.min[axis], v);
            t.max[axis] = std::max(t.max[axis], v);
        }
        ++t.by_return[record[kOffBitfield] & 7];
        ++t.records;
    }
    total = t;
}

// Reads whole records from the stream's position to the end of the file; a
// final fragment shorter than one record is not counted.
Outcome scan_records(std::FILE *f, std::size_t size, Tally &t) {
    const std::size_t per_block = kBlockBytes / size;
    std::unique_ptr<unsigned char[]> block(
        new (std::nothrow) unsigned char[per_block * size]);
    if (!block)
        return Outcome::no_memory;
    for (;;) {
        const std::size_t got = std::fread(block.get(), size, per_block, f);
        tally_block({block.get(), got * size}, size, t);
        if (got < per_block)
            return std::ferror(f) ? Outcome::failed : Outcome::updated;
    }
}

// Writes the tally into the header image.  A file without records gets
// zero extents, never a maximum below its minimum.
void store_tally(unsigned char *header, const Tally &t) {
    store_u32(header + kOffPointCount, static_cast<uint32_t>(t.records));
    for (std::size_t n = 1; n <= 5; ++n)
        store_u32(header + kOffPointsByReturn + 4 * (n - 1),
                  static_cast<uint32_t>(t.by_return[n]));
    for (std::size_t axis = 0; axis < 3; ++axis) {
        double max = 0.0, min = 0.0;
        if (t.records > 0) {
            const double scale = load_f64(header + kOffScale + 8 * axis);
            const double offset = load_f64(header + kOffOffset + 8 * axis);
            max = scaled_value(static_cast<double>(t.max[axis]), scale, offset);
            min = scaled_value(static_cast<double>(t.min[axis]), scale, offset);
        }
        store_f64(header + kOffExtents + 16 * axis, max);
        store_f64(header + kOffExtents + 16 * axis + 8, min);
    }
}

// Writes the header image back at the start of the file and closes it; the
// close is part of the write, since it may be where the data is lost.
bool write_and_close(File &f, const unsigned char *header) {
    const bool written =
        seek_to(f.get(), 0) == 0 &&
        std::fwrite(header, 1, kHeaderBytes, f.get()) == kHeaderBytes &&
        std::fflush(f.get()) == 0;
    const bool closed = std::fclose(f.release()) == 0;
    return written && closed;
}

Outcome recompute(const char *filename, LasType type) {
    File f(open_file(filename, "r+b"));
    if (!f)
        return Outcome::cannot_open;
    // The scan reads large blocks itself; unbuffered, a failed header write
    // also leaves nothing behind that a later close could still write.
    // Should this fail the stream stays buffered, which is merely slower.
    std::setvbuf(f.get(), nullptr, _IONBF, 0);

    unsigned char header[kHeaderBytes];
    // The file may have been replaced since check_las; records scanned in
    // steps of another size would give wrong statistics.
    if (std::fread(header, 1, sizeof header, f.get()) != sizeof header ||
        !header_declares_type(header, type))
        return Outcome::failed;
    // OffsetToData may reach 4 GiB - 1: seek_to takes any 64-bit offset.
    if (seek_to(f.get(), load_u32(header + kOffOffsetToData)) != 0)
        return Outcome::failed;

    Tally t;
    const Outcome scanned = scan_records(f.get(), type.record_size(), t);
    if (scanned != Outcome::updated)
        return scanned;
    // The header cannot hold a larger count; a wrapped one would be a lie.
    if (t.records > std::numeric_limits<uint32_t>::max())
        return Outcome::failed;
    store_tally(header, t);
    return write_and_close(f, header) ? Outcome::updated : Outcome::failed;
}

} // namespace

namespace tamarak {

int16_t try_update_header(const char *filename) {
    const int16_t type = check_las(filename);
    if (type < 0)
        return -1;
    if (type == 0) {
        report_untyped_las(filename);
        return -1;
    }
    switch (recompute(filename, LasType::from_code(type))) {
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
    case Outcome::failed:
        std::printf("\nFailed to update header of %s\n", filename);
        break;
    }
    return -1;
}

} // namespace tamarak

extern "C" void update_header(const char *filename) {
    if (tamarak::try_update_header(filename) != 0)
        std::exit(-1);
}
