// SPDX-License-Identifier: MIT
// parallel_points.cpp - one file's point records over several threads.
//
// Each thread holds one block at a time, so memory does not depend on the
// file: a block of records and its text per thread.
#include "parallel_points.h"

#include "point_writer.h"
#include "progress.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kDefaultRecordsPerBlock = 4096;
// Text of one block: about twice what 4096 rows of format 0 take, and far
// less than the worst rows could; the thread that writes the block formats
// any overflow itself.
constexpr std::size_t kTextBytes = std::size_t{1} << 20;
// Files shorter than this many blocks are not worth starting threads for.
constexpr std::uint64_t kFewBlocks = 8;

std::size_t recordsPerBlock(const WorkerShape &shape) {
    return shape.records_per_block ? shape.records_per_block
                                   : kDefaultRecordsPerBlock;
}

struct Slot {
    std::unique_ptr<unsigned char[]> records;
    std::unique_ptr<char[]> text;
    std::uint64_t seq = 0;     // the block's place in the file
    std::size_t count = 0;     // whole records in the block
    std::size_t formatted = 0; // records whose rows are in the text or out
    std::size_t text_used = 0;
};

// Formats the block's next records, as many as the text buffer surely
// holds.
void formatSome(Slot &s, const PointJob &job) {
    char *p = s.text.get();
    char *const end = p + kTextBytes;
    while (s.formatted < s.count) {
        const auto room = static_cast<std::size_t>(end - p) / ptx::kMaxRowChars;
        if (room == 0)
            break;
        const std::size_t n = std::min(room, s.count - s.formatted);
        p = job.format(p, s.records.get() + s.formatted * job.record_size, n,
                       job.transform);
        s.formatted += n;
    }
    s.text_used = static_cast<std::size_t>(p - s.text.get());
}

// Each of the N threads (the caller and N - 1 others) owns one slot and
// loops: take the next block of the input, format it, wait for its turn
// and write it.  Reads happen one at a time in file order, and so do
// writes, so the text comes out in file order; a block's records and text
// stay in the cache of the core that reads, formats and writes them.
class Pipeline {
  public:
    Pipeline(const PointJob &job, const WorkerShape &shape, std::FILE *in,
             std::FILE *out, Progress *progress)
        : job_(job), block_records_(recordsPerBlock(shape)), in_(in), out_(out),
          progress_(progress) {
        for (unsigned i = 0; i < shape.workers; ++i) {
            Slot s;
            s.records.reset(new (
                std::nothrow) unsigned char[block_records_ * job.record_size]);
            s.text.reset(new (std::nothrow) char[kTextBytes]);
            if (!s.records || !s.text)
                break;
            slots_.push_back(std::move(s));
        }
    }

    bool ready() const { return slots_.size() >= 2; }

    // Every thread has ended when this returns.
    int16_t run() {
        {
            std::vector<std::jthread> others;
            for (std::size_t i = 1; i < slots_.size(); ++i)
                others.emplace_back([this, i] { work(slots_[i]); });
            work(slots_[0]);
        }
        return status_;
    }

  private:
    void work(Slot &s);
    bool readBlock(Slot &s);
    bool awaitTurn(const Slot &s);
    bool writeBlock(Slot &s);
    void fail(int16_t status);

    const PointJob job_;
    const std::size_t block_records_;
    std::FILE *const in_;
    std::FILE *const out_;
    Progress *const progress_;
    std::vector<Slot> slots_;

    std::mutex read_mutex_; // the input, in file order
    std::uint64_t blocks_read_ = 0;
    bool input_ended_ = false;

    std::mutex turn_mutex_; // whose turn to write, and the outcome
    std::condition_variable turn_;
    std::uint64_t blocks_written_ = 0;
    std::uint64_t records_written_ = 0; // by the thread whose turn it is
    bool stopped_ = false;
    int16_t status_ = kPointsWritten;
};

void Pipeline::work(Slot &s) {
    while (readBlock(s)) {
        formatSome(s, job_);
        if (!awaitTurn(s))
            return;
        const bool written = writeBlock(s);
        {
            std::lock_guard lock(turn_mutex_);
            ++blocks_written_;
        }
        if (!written)
            return fail(kPointsWriteError);
        turn_.notify_all();
    }
}

// Takes the next block of the input; false when there is none, or after a
// failure anywhere.
bool Pipeline::readBlock(Slot &s) {
    std::lock_guard lock(read_mutex_);
    if (input_ended_)
        return false;
    {
        std::lock_guard turn(turn_mutex_);
        if (stopped_)
            return false;
    }
    const std::size_t want = block_records_ * job_.record_size;
    const std::size_t got = std::fread(s.records.get(), 1, want, in_);
    input_ended_ = got < want;
    if (input_ended_ && std::ferror(in_)) {
        fail(kPointsReadError);
        return false;
    }
    s.seq = blocks_read_++;
    s.count = got / job_.record_size;
    s.formatted = 0;
    return s.count != 0;
}

// Waits until every block before this one is written; false if the run
// stopped meanwhile.
bool Pipeline::awaitTurn(const Slot &s) {
    std::unique_lock lock(turn_mutex_);
    turn_.wait(lock, [&] { return blocks_written_ == s.seq || stopped_; });
    return !stopped_;
}

// Writes the block's text; rows that did not fit are formatted here, into
// the same buffer, once its text is out.
bool Pipeline::writeBlock(Slot &s) {
    for (;;) {
        if (s.text_used != 0 &&
            std::fwrite(s.text.get(), 1, s.text_used, out_) != s.text_used)
            return false;
        if (s.formatted == s.count)
            break;
        formatSome(s, job_);
    }
    records_written_ += s.count;
    if (progress_)
        progress_->advance(records_written_);
    return true;
}

// Stops every thread at its next step; the first failure is the result.
void Pipeline::fail(int16_t status) {
    {
        std::lock_guard lock(turn_mutex_);
        if (!stopped_)
            status_ = status;
        stopped_ = true;
    }
    turn_.notify_all();
}

} // namespace

bool worthWorkers(std::uint64_t bytes, std::size_t record_size,
                  const WorkerShape &shape) {
    const std::uint64_t block = recordsPerBlock(shape) * record_size;
    return shape.workers >= 2 && bytes >= kFewBlocks * block;
}

int16_t writeRecordsWithWorkers(std::FILE *in, std::FILE *out,
                                const PointJob &job, const WorkerShape &shape,
                                Progress *progress) {
    Pipeline pipeline(job, shape, in, out, progress);
    if (!pipeline.ready())
        return kPointsNeedOneThread;
    return pipeline.run();
}
