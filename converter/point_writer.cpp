// SPDX-License-Identifier: MIT
// point_writer.cpp - streams the point records of one LAS file into its
// point file: blocks of whole records in, rows assembled in one text
// buffer, large writes out.
#include "point_writer.h"

#include "format_catalogue.h"
#include "progress.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

// 4096 records in, about 256 KiB of text out: large reads and writes, and
// little memory that a small file leaves untouched.
constexpr std::size_t kRecordsPerBlock = 4096;
constexpr std::size_t kFlushBytes = std::size_t{256} << 10;
// Rows are formatted this many at a time, with room for the longest.
constexpr std::size_t kRowsPerBatch = 64;
constexpr std::size_t kBatchChars = kRowsPerBatch * ptx::kMaxRowChars;

bool writeText(std::FILE *out, const char *text, std::size_t n) {
    return n == 0 || std::fwrite(text, 1, n, out) == n;
}

} // namespace

bool obtainPointBuffers(PointBuffers &b, tamarak::LasType type) {
    b.record_bytes = kRecordsPerBlock * type.record_size();
    b.text_bytes = kFlushBytes + kBatchChars;
    b.records.reset(new (std::nothrow) unsigned char[b.record_bytes]);
    b.text.reset(new (std::nothrow) char[b.text_bytes]);
    return b.records && b.text;
}

int16_t writePointRows(std::FILE *in, std::FILE *out, PointBuffers &b,
                       ptx::RowFormatter rows, std::size_t record_size,
                       const ptx::Transform &t, Progress *progress) {
    const std::size_t block = b.record_bytes / record_size * record_size;
    char *const text = b.text.get();
    char *const flush_at = text + b.text_bytes - kBatchChars;
    char *p = text;
    std::uint64_t done = 0;
    for (;;) {
        const std::size_t got = std::fread(b.records.get(), 1, block, in);
        const std::size_t records = got / record_size;
        for (std::size_t i = 0; i < records; i += kRowsPerBatch) {
            if (p > flush_at) {
                if (!writeText(out, text, static_cast<std::size_t>(p - text)))
                    return kPointsWriteError;
                p = text;
            }
            const std::size_t n = std::min(kRowsPerBatch, records - i);
            p = rows(p, b.records.get() + i * record_size, n, t);
        }
        if (progress)
            progress->advance(done += records);
        if (got < block) {
            if (std::ferror(in))
                return kPointsReadError;
            break;
        }
    }
    return writeText(out, text, static_cast<std::size_t>(p - text))
               ? kPointsWritten
               : kPointsWriteError;
}

int16_t writeAsciiPoints(int format, tamarak::LasType type,
                         const LAS12Header &header, std::FILE *in,
                         std::FILE *out, PointBuffers &buffers,
                         const PointPath *path) {
    const std::string names = ptx::columnNames(format, type);
    if (!writeText(out, names.data(), names.size()))
        return kPointsWriteError;
    const ptx::RowFormatter rows = rowFormatterFor(format, type);
    if (!rows)
        return kPointsWritten;
    const ptx::Transform t{header.XScaleFactor, header.YScaleFactor,
                           header.ZScaleFactor, header.XOffset,
                           header.YOffset,      header.ZOffset};
    const PointJob job{rows, type.record_size(), t};
    if (path &&
        worthWorkers(path->record_bytes, job.record_size, path->shape)) {
        const int16_t result =
            writeRecordsWithWorkers(in, out, job, path->shape, path->progress);
        if (result != kPointsNeedOneThread)
            return result;
    }
    return writePointRows(in, out, buffers, rows, job.record_size, t,
                          path ? path->progress : nullptr);
}
