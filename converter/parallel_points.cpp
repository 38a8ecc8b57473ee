// parallel_points.cpp - a bounded pipeline for one file's point records.
//
// The calling thread reads blocks into a ring of slots and writes the
// slots' text in ring order; the workers format whatever block is queued.
// The ring never holds more than a fixed number of blocks, so memory does
// not depend on the file.
#include "parallel_points.h"

#include "point_writer.h"
#include "progress.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <stop_token>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kDefaultRecordsPerBlock = 4096;
// Text of one block: about twice what 4096 rows of format 0 take, and far
// less than the worst rows could; the writer formats any overflow itself.
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
    std::size_t count = 0;     // whole records in the block
    std::size_t formatted = 0; // records whose rows are in the text or out
    std::size_t text_used = 0;
    bool done = false; // guarded by the pipeline's mutex
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

class Pipeline {
  public:
    Pipeline(const PointJob &job, const WorkerShape &shape)
        : job_(job), block_records_(recordsPerBlock(shape)) {
        const std::size_t n = shape.workers + std::min(shape.workers, 4u);
        for (std::size_t i = 0; i < n; ++i) {
            Slot s;
            s.records.reset(new (
                std::nothrow) unsigned char[block_records_ * job.record_size]);
            s.text.reset(new (std::nothrow) char[kTextBytes]);
            if (!s.records || !s.text)
                break;
            slots_.push_back(std::move(s));
        }
        if (slots_.size() < 2)
            return;
        for (unsigned i = 0; i < shape.workers; ++i)
            workers_.emplace_back([this](std::stop_token st) { work(st); });
    }

    // Every worker is told to stop before the first is waited for.
    ~Pipeline() {
        for (std::jthread &w : workers_)
            w.request_stop();
    }

    bool ready() const { return !workers_.empty(); }

    int16_t run(std::FILE *in, std::FILE *out, Progress *progress);

  private:
    Slot &slot(std::uint64_t seq) { return slots_[seq % slots_.size()]; }
    void work(std::stop_token st);
    bool readBlock(std::FILE *in, Slot &s);
    void submit(Slot &s);
    void awaitDone(Slot &s);
    bool writeBlock(std::FILE *out, Slot &s);

    const PointJob job_;
    const std::size_t block_records_;
    std::vector<Slot> slots_;
    std::mutex mutex_;
    std::condition_variable_any work_ready_;
    std::condition_variable block_done_;
    std::deque<Slot *> queue_;
    // Last, so that the workers are stopped and joined before anything
    // they use goes away.
    std::vector<std::jthread> workers_;
};

void Pipeline::work(std::stop_token st) {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_ready_.wait(lock, st, [this] { return !queue_.empty(); });
        if (st.stop_requested())
            return;
        Slot &s = *queue_.front();
        queue_.pop_front();
        lock.unlock();
        formatSome(s, job_);
        lock.lock();
        s.done = true;
        block_done_.notify_one();
    }
}

// Reads the next block; false at the end of the input or on a read error.
bool Pipeline::readBlock(std::FILE *in, Slot &s) {
    const std::size_t want = block_records_ * job_.record_size;
    const std::size_t got = std::fread(s.records.get(), 1, want, in);
    s.count = got / job_.record_size;
    s.formatted = 0;
    s.done = false;
    return got == want;
}

void Pipeline::submit(Slot &s) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(&s);
    }
    work_ready_.notify_one();
}

void Pipeline::awaitDone(Slot &s) {
    std::unique_lock lock(mutex_);
    block_done_.wait(lock, [&s] { return s.done; });
}

// Writes the block's text; rows that did not fit are formatted here, into
// the same buffer, once its text is out.
bool Pipeline::writeBlock(std::FILE *out, Slot &s) {
    for (;;) {
        if (s.text_used != 0 &&
            std::fwrite(s.text.get(), 1, s.text_used, out) != s.text_used)
            return false;
        if (s.formatted == s.count)
            return true;
        formatSome(s, job_);
    }
}

int16_t Pipeline::run(std::FILE *in, std::FILE *out, Progress *progress) {
    std::uint64_t read = 0, written = 0, records = 0;
    bool more = true;
    while (more || written < read) {
        if (more && read - written < slots_.size()) {
            Slot &s = slot(read);
            more = readBlock(in, s);
            if (!more && std::ferror(in))
                return kPointsReadError; // the workers stop on the way out
            if (s.count != 0) {
                submit(s);
                ++read;
            }
            continue;
        }
        Slot &s = slot(written);
        awaitDone(s);
        if (!writeBlock(out, s))
            return kPointsWriteError;
        ++written;
        records += s.count;
        if (progress)
            progress->advance(records);
    }
    return kPointsWritten;
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
    Pipeline pipeline(job, shape);
    if (!pipeline.ready())
        return kPointsNeedOneThread;
    return pipeline.run(in, out, progress);
}
