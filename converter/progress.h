/* SPDX-License-Identifier: MIT */
// progress.h - a sign of life for long conversions: one line on a terminal
// showing how far the current file has come, rewritten in place and erased
// when the file is done.
#ifndef PTXPORT_PROGRESS_H
#define PTXPORT_PROGRESS_H

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace ptx {

// When the line first appears, and how often it may change.
struct ProgressTiming {
    std::chrono::milliseconds delay{1000};
    std::chrono::milliseconds interval{250};
};

class Progress {
  public:
    Progress(std::FILE *terminal, std::string name, std::uint64_t total,
             ProgressTiming timing);
    ~Progress(); // erases the line if it was shown
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    // `done` of the total points are written.
    void advance(std::uint64_t done);

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE *terminal_;
    std::string name_;
    std::uint64_t total_;
    ProgressTiming timing_;
    Clock::time_point start_;
    Clock::time_point shown_{};
    bool visible_ = false;
};

// A progress line for the file on standard error if that is a terminal;
// null otherwise, or when the file holds no point.
std::unique_ptr<Progress> progressOnTerminal(const std::string &name,
                                             std::uint64_t total,
                                             ProgressTiming timing);

} // namespace ptx

#endif
