// SPDX-License-Identifier: MIT
// Tests of the point pipeline: the same bytes for one thread and for many,
// for every format, layout and block boundary; failures that stop every
// thread at once and name what failed, with the error number of the thread
// that met it.
#include "header_bytes.h"
#include "las_fixture.h"
#include "point_pipeline.h"
#include "point_writer.h"
#include "reference_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace ptx;

using namespace fixture;

namespace {

// Record bytes that make every slot work, whatever the file's length.
constexpr std::uint64_t kEveryThread = UINT64_MAX;

PointJob jobFor(int format, int type, const LAS12Header &h) {
    const auto las_type =
        tamarak::LasType::from_code(static_cast<int16_t>(type));
    return {rowFormatterFor(format, las_type),
            las_type.record_size(),
            {h.XScaleFactor, h.YScaleFactor, h.ZScaleFactor, h.XOffset,
             h.YOffset, h.ZOffset}};
}

struct Converted {
    Failure failure;
    std::string text;
};

// Converts the records of a file image from an in-memory stream with
// `workers` threads and blocks of `block` records.
Converted convert(const Bytes &las, int format, int type, unsigned workers,
                  std::size_t block) {
    const LAS12Header h = tamarak::decode_header(las.data());
    Bytes copy = las; // fmemopen wants a mutable buffer
    std::FILE *in = fmemopen(copy.data(), copy.size(), "rb");
    char *buf = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&buf, &size);
    std::fseek(in, static_cast<long>(h.OffsetToData), SEEK_SET);
    const PointJob job = jobFor(format, type, h);
    PointSlots slots(workers, job.record_size, block);
    const Failure failure =
        writePointRecords(in, out, job, slots, kEveryThread, nullptr);
    std::fclose(in);
    std::fclose(out);
    Converted r{failure, std::string(buf, size)};
    std::free(buf);
    return r;
}

// The reference point file without its column-name line.
std::string expectedRows(const Bytes &las, int format, int type) {
    const std::string all = referencePointFile(las, format, type);
    return all.substr(all.find('\n') + 1);
}

} // namespace

TEST(Workers, SameBytesAsOneThreadForEveryFormatAndLayout) {
    struct Shape {
        int points;
        std::size_t between, after, block;
    };
    // Blocks of 5 records: files that end on a block boundary, one record
    // past it and one short of it, with trailing fragments and odd offsets.
    const Shape shapes[] = {{40, 0, 0, 5},  {41, 3, 0, 5}, {39, 1, 19, 5},
                            {0, 5, 7, 5},   {3, 0, 1, 5},  {64, 7, 33, 1},
                            {57, 2, 13, 16}};
    for (int type = 1; type <= 8; ++type) {
        for (const Shape &s : shapes) {
            const LasFixture f = survey(type, s.points, s.between, s.after);
            const Bytes las = f.bytes();
            for (int format = 0; format < 20; ++format) {
                if (!referenceServes(format, type))
                    continue;
                const std::string want = expectedRows(las, format, type);
                for (unsigned workers : {1u, 2u, 3u, 7u}) {
                    const Converted r =
                        convert(las, format, type, workers, s.block);
                    EXPECT_FALSE(r.failure);
                    EXPECT_EQ(r.text, want)
                        << "type " << type << " format " << format << " points "
                        << s.points << " workers " << workers;
                }
            }
        }
    }
}

// Rows of about a thousand digits: a block of 2000 takes more text than a
// block's buffer holds, and the rest of the block is formatted when its
// turn to be written comes.
TEST(Workers, RowsLongerThanABlockBufferHolds) {
    LasFixture f = survey(8, 2500, 0, 5);
    f.header.XScaleFactor = 1e298;
    f.header.YScaleFactor = -1e298;
    f.header.ZScaleFactor = 1e290;
    const Bytes las = f.bytes();
    for (int format : {0, 15, 19}) {
        const Converted r = convert(las, format, 8, 3, 2000);
        ASSERT_FALSE(r.failure);
        ASSERT_GT(r.text.size() / 2500 * 2000, std::size_t{1} << 20);
        // Compared as a flag: a failure's diff of megabytes helps no one.
        EXPECT_TRUE(r.text == expectedRows(las, format, 8)) << format;
    }
}

namespace {

// A stream over a file image that fails after `fail_at` bytes: reads end
// with an error there, or writes are refused from there on.  It counts
// what went through, so a test can tell how far the pipeline went.
struct FaultyStream {
    Bytes data;
    std::size_t fail_at = SIZE_MAX;
    std::size_t pos = 0;
    std::string written;

    static ssize_t read(void *c, char *buf, std::size_t n) {
        auto *s = static_cast<FaultyStream *>(c);
        if (s->pos >= s->fail_at) {
            errno = EIO;
            return -1;
        }
        n = std::min({n, s->data.size() - s->pos, s->fail_at - s->pos});
        std::memcpy(buf, s->data.data() + s->pos, n);
        s->pos += n;
        return static_cast<ssize_t>(n);
    }
    static ssize_t write(void *c, const char *buf, std::size_t n) {
        auto *s = static_cast<FaultyStream *>(c);
        if (s->written.size() + n > s->fail_at) {
            s->fail_at = 0; // a full disk stays full
            errno = ENOSPC;
            return 0; // how a cookie stream reports a failed write
        }
        s->written.append(buf, n);
        return static_cast<ssize_t>(n);
    }
    // Unbuffered, so that the counts are what the pipeline asked for.
    std::FILE *open(const char *mode) {
        std::FILE *f = fopencookie(
            this, mode,
            {&FaultyStream::read, &FaultyStream::write, nullptr, nullptr});
        std::setvbuf(f, nullptr, _IONBF, 0);
        return f;
    }
};

} // namespace

// The stream sets errno on the thread that reads or writes, most often a
// worker; the failure must carry that number, not the caller's.
TEST(Workers, FailuresStopTheWholePipeline) {
    constexpr int kPoints = 20000;
    constexpr std::size_t kBlock = 50, kRecord = 28;
    const Bytes las = survey(6, kPoints, 0, 0).bytes();
    const LAS12Header h = tamarak::decode_header(las.data());
    const std::string all = expectedRows(las, 0, 6);
    struct Case {
        const char *what;
        std::size_t read_fails_at, write_fails_at;
        FileStep step;
        FileRole file;
        int error;
    };
    const Case cases[] = {
        {"read error in a record", 227 + 1234 * kRecord + 9, SIZE_MAX,
         FileStep::read, FileRole::las, EIO},
        {"read error on a block boundary", 227 + 100 * kBlock * kRecord,
         SIZE_MAX, FileStep::read, FileRole::las, EIO},
        {"disk full", SIZE_MAX, 30000, FileStep::write, FileRole::points,
         ENOSPC},
    };
    for (const Case &c : cases) {
        for (unsigned workers : {1u, 2u, 3u, 7u}) {
            FaultyStream in{las, c.read_fails_at, 0, {}};
            FaultyStream out{{}, c.write_fails_at, 0, {}};
            std::FILE *fin = in.open("rb");
            std::FILE *fout = out.open("w");
            in.pos = 227; // where the driver leaves the input
            PointSlots slots(workers, kRecord, kBlock);
            const Failure f = writePointRecords(fin, fout, jobFor(0, 6, h),
                                                slots, kEveryThread, nullptr);
            std::fclose(fin);
            std::fclose(fout);
            EXPECT_EQ(f.step, c.step) << c.what;
            EXPECT_EQ(f.file, c.file) << c.what;
            EXPECT_EQ(f.error(), c.error) << c.what << " workers " << workers;
            // Whatever reached the output is the start of the rows, and
            // no row of a record at or beyond the failed read.
            const std::size_t rows = static_cast<std::size_t>(
                std::count(out.written.begin(), out.written.end(), '\n'));
            EXPECT_EQ(all.compare(0, out.written.size(), out.written), 0)
                << c.what;
            EXPECT_LE(rows * kRecord, c.read_fails_at - 227) << c.what;
            // Prompt: reading stopped within the blocks in flight, one a
            // thread.
            const std::size_t in_flight = workers + 1;
            EXPECT_LE(in.pos, 227 + (rows + in_flight * kBlock) * kRecord)
                << c.what << " workers " << workers;
        }
    }
}
