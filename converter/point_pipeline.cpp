// SPDX-License-Identifier: MIT
// point_pipeline.cpp - the point records of one file over one to N
// threads.
//
// Each thread holds one block at a time, so memory does not depend on the
// file: a block of records and its text per thread.
#include "point_pipeline.h"

#include "platform.h"
#include "platform_thread.h"
#include "progress.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>

namespace ptx {

namespace {

// 4096 records in, a few hundred KiB of text out: large reads and writes,
// and little memory that a small file leaves untouched.
constexpr std::size_t kDefaultRecordsPerBlock = 4096;
// Text of one block: about twice what 4096 rows of format 0 take, and far
// less than the worst rows could; the thread that writes the block formats
// any overflow itself.
constexpr std::size_t kTextBytes = std::size_t{1} << 20;
// Files shorter than this many blocks are not worth starting threads for.
constexpr std::uint64_t kFewBlocks = 8;
// How often the thread next in line looks for its turn before it sleeps:
// longer than a block's write takes.
constexpr int kPolls = 1000;

} // namespace

struct PointSlots::Slot {
    std::unique_ptr<unsigned char[]> records;
    std::unique_ptr<char[]> text;
    std::uint64_t seq = 0;     // the block's place in the file
    std::size_t count = 0;     // whole records in the block
    std::size_t formatted = 0; // records whose rows are in the text or out
    std::size_t text_used = 0;
};

PointSlots::PointSlots(unsigned workers, std::size_t record_size,
                       std::size_t records_per_block)
    : records_per_block_(records_per_block ? records_per_block
                                           : kDefaultRecordsPerBlock) {
    for (unsigned i = 0; i < std::max(workers, 1u); ++i) {
        Slot s;
        s.records.reset(
            new (std::nothrow) unsigned char[records_per_block_ * record_size]);
        s.text.reset(new (std::nothrow) char[kTextBytes]);
        if (!s.records || !s.text)
            break;
        slots_.push_back(std::move(s));
    }
}

PointSlots::~PointSlots() = default;

bool PointSlots::ready() const {
    return !slots_.empty();
}

using Slot = PointSlots::Slot;

namespace {

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

// Each of the threads (the caller and as many others as slots beyond the
// first) owns one slot and loops: take the next block of the input, format
// it, wait for its turn and write it.  Reads happen one at a time in file
// order, and so do writes, so the text comes out in file order; a block's
// records and text stay in the cache of the core that reads, formats and
// writes them.
class Pipeline {
  public:
    Pipeline(const PointJob &job, std::vector<Slot> &slots, std::size_t threads,
             std::size_t records_per_block, std::FILE *in, std::FILE *out,
             Progress *progress)
        : job_(job), slots_(slots), threads_(threads),
          block_bytes_(records_per_block * job.record_size), in_(in), out_(out),
          progress_(progress) {}

    // Every thread has ended when this returns.
    Failure run() {
        {
            std::vector<tamarak::jthread> others;
            for (std::size_t i = 1; i < threads_; ++i)
                others.emplace_back([this, i] { work(slots_[i]); });
            work(slots_[0]);
        }
        return failure_;
    }

  private:
    void work(Slot &s);
    bool readBlock(Slot &s);
    bool awaitTurn(const Slot &s);
    bool writeBlock(Slot &s);
    void stop(const Failure &f);

    const PointJob job_;
    std::vector<Slot> &slots_;
    const std::size_t threads_;
    const std::size_t block_bytes_;
    tamarak::Stream in_;  // read one thread at a time, under read_mutex_
    tamarak::Stream out_; // written by the thread whose turn it is
    Progress *const progress_;

    std::mutex read_mutex_; // the input, in file order
    std::uint64_t blocks_read_ = 0;
    bool input_ended_ = false;

    std::mutex turn_mutex_; // whose turn to write, and the outcome
    std::condition_variable turn_;
    // Also read without the lock, by a thread polling for its turn.
    std::atomic<std::uint64_t> blocks_written_ = 0;
    std::uint64_t records_written_ = 0; // by the thread whose turn it is
    bool stopped_ = false;
    Failure failure_;
};

void Pipeline::work(Slot &s) {
    while (readBlock(s)) {
        formatSome(s, job_);
        if (!awaitTurn(s))
            return;
        const bool written = writeBlock(s);
        {
            std::lock_guard lock(turn_mutex_);
            blocks_written_.fetch_add(1, std::memory_order_release);
        }
        if (!written)
            return;
        turn_.notify_all();
    }
}

// Takes the next block of the input; false when there is none, after a
// failure anywhere, or once a signal has asked the run to stop.
bool Pipeline::readBlock(Slot &s) {
    std::lock_guard lock(read_mutex_);
    if (input_ended_)
        return false;
    {
        std::lock_guard turn(turn_mutex_);
        if (stopped_)
            return false;
    }
    // A signal is noticed here, between blocks, by whichever thread comes
    // next; stop() then ends the others.
    if (tamarak::interruption() != 0) {
        stop(Failure{FileStep::interrupted, FileRole::las, {}, {}});
        return false;
    }
    const std::size_t got = in_.read(s.records.get(), 1, block_bytes_);
    input_ended_ = got < block_bytes_;
    if (in_.failed()) {
        stop(failed(FileStep::read, FileRole::las, in_));
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
    // The thread next in line is a write away from its turn, and waking it
    // from sleep would cost as much as writing a block, so it polls a
    // while first.  Threads further back sleep at once: where threads
    // outnumber CPUs, they leave the CPUs to the threads at work.
    for (int i = 0;
         i < kPolls &&
         blocks_written_.load(std::memory_order_acquire) + 1 == s.seq;
         ++i)
        std::this_thread::yield();
    std::unique_lock lock(turn_mutex_);
    turn_.wait(lock, [&] { return blocks_written_ == s.seq || stopped_; });
    return !stopped_;
}

// Writes the block's text; rows that did not fit are formatted here, into
// the same buffer, once its text is out.  False after a failed write, which
// has stopped the run.
bool Pipeline::writeBlock(Slot &s) {
    for (;;) {
        if (s.text_used != 0 && !out_.write(s.text.get(), s.text_used)) {
            stop(failed(FileStep::write, FileRole::points, out_));
            return false;
        }
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
void Pipeline::stop(const Failure &f) {
    {
        std::lock_guard lock(turn_mutex_);
        if (!stopped_)
            failure_ = f;
        stopped_ = true;
    }
    turn_.notify_all();
}

} // namespace

Failure writePointRecords(std::FILE *in, std::FILE *out, const PointJob &job,
                          PointSlots &slots, std::uint64_t record_bytes,
                          Progress *progress) {
    const std::size_t block = slots.records_per_block_;
    const bool few = record_bytes < kFewBlocks * block * job.record_size;
    const std::size_t threads = few ? 1 : slots.slots_.size();
    Pipeline pipeline(job, slots.slots_, threads, block, in, out, progress);
    return pipeline.run();
}

} // namespace ptx
