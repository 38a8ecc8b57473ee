/* SPDX-License-Identifier: MIT */
// platform_thread.h - std::jthread, or where the host's C++ library lacks it
// (Emscripten 3.1's libc++) a thread joined when it goes, which is all that
// the point pipeline asks of it.
#ifndef TAMARAK_PLATFORM_THREAD_H
#define TAMARAK_PLATFORM_THREAD_H

#include <thread>
#include <utility>

namespace tamarak {

// A thread joined when it goes.
class JoiningThread {
  public:
    template <typename Work>
    explicit JoiningThread(Work &&work) : thread_(std::forward<Work>(work)) {}
    JoiningThread(JoiningThread &&) noexcept = default;
    JoiningThread &operator=(JoiningThread &&) = delete;
    ~JoiningThread() {
        if (thread_.joinable())
            thread_.join();
    }

  private:
    std::thread thread_;
};

#ifdef __cpp_lib_jthread
using jthread = std::jthread;
#else
using jthread = JoiningThread;
#endif

} // namespace tamarak

#endif
