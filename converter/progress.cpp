// SPDX-License-Identifier: MIT
// progress.cpp - the progress line on standard error.
#include "progress.h"

#include "platform.h"

#include <algorithm>

namespace ptx {

namespace {

// Long names are cut from the front: the end of a path tells files apart.
std::string shortName(const std::string &name) {
    constexpr std::size_t kMax = 40;
    return name.size() <= kMax ? name
                               : "..." + name.substr(name.size() - kMax + 3);
}

// "\033[K" clears to the end of the line, so a shorter line leaves no
// remains of a longer one.
constexpr const char *kClearRest = "\033[K";

} // namespace

Progress::Progress(std::FILE *terminal, std::string name, std::uint64_t total,
                   ProgressTiming timing)
    : terminal_(terminal), name_(shortName(name)), total_(total),
      timing_(timing), start_(Clock::now()) {}

Progress::~Progress() {
    if (visible_) {
        std::fprintf(terminal_, "\r%s", kClearRest);
        std::fflush(terminal_);
    }
}

void Progress::advance(std::uint64_t done) {
    const Clock::time_point now = Clock::now();
    if (now - start_ < timing_.delay ||
        (visible_ && now - shown_ < timing_.interval))
        return;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const auto rate = static_cast<std::uint64_t>(
        seconds > 0 ? static_cast<double>(done) / seconds : 0.0);
    const std::uint64_t percent =
        std::min<std::uint64_t>(total_ ? done * 100 / total_ : 100, 100);
    std::fprintf(terminal_,
                 "\rptxport: %s  %llu%%  %llu / %llu points  %llu points/s%s",
                 name_.c_str(), static_cast<unsigned long long>(percent),
                 static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total_),
                 static_cast<unsigned long long>(rate), kClearRest);
    std::fflush(terminal_);
    shown_ = now;
    visible_ = true;
}

std::unique_ptr<Progress> progressOnTerminal(const std::string &name,
                                             std::uint64_t total,
                                             ProgressTiming timing) {
    if (total == 0 || !tamarak::is_terminal(stderr))
        return nullptr;
    return std::make_unique<Progress>(stderr, name, total, timing);
}

} // namespace ptx
