/* SPDX-License-Identifier: MIT */
// platform_thread.h - std::jthread, or where the host's C++ library lacks it
// (Emscripten 3.1's libc++) a thread joined when it goes, which is all that
// the point pipeline asks of it.
#ifndef TAMARAK_PLATFORM_THREAD_H
#define TAMARAK_PLATFORM_THREAD_H

#include <thread>
#include <utility>

namespace tamarak {

#ifdef __cpp_lib_jthread
using std::jthread;
#else
class jthread {
  public:
    template <typename Work>
    explicit jthread(Work &&work) : thread_(std::forward<Work>(work)) {}
    jthread(jthread &&) noexcept = default;
    jthread &operator=(jthread &&) = delete;
    ~jthread() {
        if (thread_.joinable())
            thread_.join();
    }

  private:
    std::thread thread_;
};
#endif

} // namespace tamarak

#endif
