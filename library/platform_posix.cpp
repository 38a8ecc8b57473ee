// SPDX-License-Identifier: MIT
// platform_posix.cpp - platform.h on POSIX systems (Linux and the others).
#include "platform.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <limits>
#include <thread>

#include <sched.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace tamarak {

namespace {

// Set by the handler and read by every thread of the point pipeline: a
// lock-free atomic is both safe in a signal handler and free of data races
// between threads, where a volatile sig_atomic_t is only the former.
std::atomic<int> g_interruption{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void noteInterruption(int signal) {
    int none = 0;
    g_interruption.compare_exchange_strong(none, signal);
}

} // namespace

std::FILE *open_file(const char *utf8_name, const char *mode) {
    return std::fopen(utf8_name, mode);
}

int seek_to(std::FILE *f, uint64_t offset) {
    static_assert(sizeof(off_t) >= 8, "large file offsets are required");
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
        return -1;
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
}

std::FILE *create_new_file(const char *utf8_name) {
    return std::fopen(utf8_name, "wbx");
}

bool may_write(const char *utf8_name) {
    return access(utf8_name, W_OK) == 0;
}

int replace_file(const char *from, const char *to) {
    return std::rename(from, to) == 0 ? 0 : errno;
}

void catch_interruptions() {
    struct sigaction action = {};
    action.sa_handler = noteInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocked read or write returns
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before = {};
        // A signal ignored on purpose (nohup, a shell's background job)
        // stays ignored.
        if (sigaction(signal, nullptr, &before) == 0 &&
            before.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}

int interruption() {
    return g_interruption.load();
}

void end_interrupted(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    _exit(128 + signal); // only if the signal is blocked
}

bool identify_file(const char *utf8_name, FileIdentity &id) {
    struct stat st;
    if (stat(utf8_name, &st) != 0)
        return false;
    id.volume = static_cast<uint64_t>(st.st_dev);
    id.index = static_cast<uint64_t>(st.st_ino);
    return true;
}

std::optional<std::string> code_page_to_utf8(std::string_view) {
    return std::nullopt;
}

#ifdef __EMSCRIPTEN__
// Emscripten takes every stream of a Node process for a terminal; Node knows.
// A page has no terminal.
EM_JS(int, node_isatty, (int fd), {
    if (typeof process == "object" && process.versions && process.versions.node)
        return require("tty").isatty(fd) ? 1 : 0;
    return 0;
});
#endif

unsigned affinity_cpu_count() {
// WebAssembly without threads runs on one.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    return 1;
#else
// The affinity mask is Linux's; other POSIX systems have no common one.
#ifdef __linux__
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
        // a machine of more CPUs than the set holds
#endif
    return std::thread::hardware_concurrency();
#endif
}

bool is_terminal(std::FILE *stream) {
#ifdef __EMSCRIPTEN__
    return node_isatty(fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

} // namespace tamarak
