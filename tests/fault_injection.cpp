// SPDX-License-Identifier: MIT
// fault_injection.cpp - a preloaded library that changes the file system at
// an exact moment of a run, so that tests can meet files that change
// between validation and conversion without racing against the command.
//
// When the PTX_FAULT_AT-th fopen() of the name PTX_FAULT_PATH happens, the
// action PTX_FAULT_ACTION is applied to PTX_FAULT_TARGET (default: the same
// name) just before the real fopen() runs:
//   unlink          remove the file
//   truncate:N      cut the file to N bytes
//   copy:SOURCE     replace the file by a copy of SOURCE
//   write:TEXT      replace the file's contents by TEXT
//   readerror:N     the stream this fopen() returns delivers its first N
//                   bytes, then reads fail as a failing disk's do: ferror
//                   set, errno EIO on the thread that read
//   full:N          the stream this fopen() returns takes its first N
//                   bytes, then writes fail as on a full disk (ENOSPC)
//   signal:S        the process is sent signal number S, then the fopen()
//                   runs (if it still can)
//   signal:S:N      the stream this fopen() returns delivers its first N
//                   bytes; the read that would go further first sends S
//   run:N:COMMAND   the same, but the read first runs COMMAND with the
//                   shell, without this library, and waits for it: another
//                   run of the command on the same files, say
// A PTX_FAULT_PATH that ends in '*' names every name that begins with the
// rest: the temporary names of the outputs, which end in unique letters.
// Both fopen and fopen64 are defined here, so neither may be renamed to the
// other by the large-file switch that the rest of the project builds with.
#undef _FILE_OFFSET_BITS

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

using FopenFn = FILE *(*)(const char *, const char *);

int g_opens = 0;

// The stream that fails its reads, how many bytes it may still deliver,
// and whether it has failed.  Reads happen on one thread at a time.
FILE *g_failing = nullptr;
std::size_t g_read_budget = 0;
bool g_read_failed = false;
int g_signal = 0;      // sent instead of failing, where nonzero
std::string g_command; // run instead of failing, where not empty

// The stream that fills the disk, how many bytes it may still write, and
// whether it has failed.
FILE *g_full = nullptr;
std::size_t g_write_budget = 0;
bool g_write_failed = false;

// What the chosen open arms: a stream that fails to read or write, or
// sends a signal.
struct Armed {
    enum Kind { none, reads, writes } kind = none;
    long long budget = 0;
    int signal = 0;
    std::string command;
};

void applyAction(const char *target, const std::string &action) {
    if (action == "unlink") {
        unlink(target);
    } else if (action.rfind("truncate:", 0) == 0) {
        if (truncate(target, std::stoll(action.substr(9))) != 0)
            std::abort();
    } else if (action.rfind("copy:", 0) == 0) {
        std::ifstream in(action.substr(5), std::ios::binary);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out << in.rdbuf();
    } else if (action.rfind("write:", 0) == 0) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out << action.substr(6);
    }
}

// What an action that works on the opened stream arms; none for the
// others, and for a signal sent at once.
Armed armedBy(const std::string &action) {
    if (action.rfind("readerror:", 0) == 0)
        return {Armed::reads, std::stoll(action.substr(10)), 0, {}};
    if (action.rfind("full:", 0) == 0)
        return {Armed::writes, std::stoll(action.substr(5)), 0, {}};
    if (action.rfind("signal:", 0) == 0) {
        const std::size_t colon = action.find(':', 7);
        const int signal = std::stoi(action.substr(7));
        if (colon == std::string::npos) {
            kill(getpid(), signal);
            return {};
        }
        return {Armed::reads, std::stoll(action.substr(colon + 1)), signal, {}};
    }
    if (action.rfind("run:", 0) == 0) {
        const std::size_t colon = action.find(':', 4);
        return {Armed::reads, std::stoll(action.substr(4)), 0,
                action.substr(colon + 1)};
    }
    return {};
}

// Runs a shell command that neither this library nor its settings reach.
void runAlone(const std::string &command) {
    for (const char *name : {"LD_PRELOAD", "PTX_FAULT_PATH", "PTX_FAULT_AT",
                             "PTX_FAULT_ACTION", "PTX_FAULT_TARGET"})
        unsetenv(name);
    if (std::system(command.c_str()) != 0)
        std::abort();
}

bool namesPath(const char *name, const char *path) {
    const std::size_t n = std::strlen(path);
    if (n > 0 && path[n - 1] == '*')
        return std::strncmp(name, path, n - 1) == 0;
    return std::strcmp(name, path) == 0;
}

// Applies the action if this is the chosen open, and tells what it arms.
Armed maybeInject(const char *name) {
    const char *path = std::getenv("PTX_FAULT_PATH");
    const char *at = std::getenv("PTX_FAULT_AT");
    const char *action = std::getenv("PTX_FAULT_ACTION");
    if (!path || !at || !action || !namesPath(name, path))
        return {};
    if (++g_opens != std::atoi(at))
        return {};
    const char *target = std::getenv("PTX_FAULT_TARGET");
    applyAction(target ? target : path, action);
    return armedBy(action);
}

FILE *openWithFaults(const char *symbol, const char *name, const char *mode) {
    static FopenFn fn = reinterpret_cast<FopenFn>(dlsym(RTLD_NEXT, symbol));
    const Armed armed = maybeInject(name);
    FILE *f = fn(name, mode);
    if (f && armed.kind == Armed::reads) {
        g_failing = f;
        g_read_budget = static_cast<std::size_t>(armed.budget);
        g_signal = armed.signal;
        g_command = armed.command;
    } else if (f && armed.kind == Armed::writes) {
        g_full = f;
        g_write_budget = static_cast<std::size_t>(armed.budget);
    }
    return f;
}

using FreadFn = std::size_t (*)(void *, std::size_t, std::size_t, FILE *);
using FerrorFn = int (*)(FILE *);

// Whole items as far as the budget goes; past it the stream fails with
// error, as a short read or a full disk does.
template <typename Real, typename Buffer>
std::size_t withinBudget(Real real, Buffer buf, std::size_t size, std::size_t n,
                         FILE *f, std::size_t &budget, bool &failed,
                         int error) {
    const std::size_t allowed = std::min(n, budget / size);
    const std::size_t done = real(buf, size, allowed, f);
    budget -= done * size;
    if (allowed < n) {
        failed = true;
        errno = error;
    }
    return done;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) FILE *fopen(const char *name,
                                                   const char *mode) {
    return openWithFaults("fopen", name, mode);
}

__attribute__((visibility("default"))) FILE *fopen64(const char *name,
                                                     const char *mode) {
    return openWithFaults("fopen64", name, mode);
}

// Whole items only, as a real short read of a block of bytes delivers.
__attribute__((visibility("default"))) std::size_t
fread(void *buf, std::size_t size, std::size_t n, FILE *f) {
    static FreadFn real = reinterpret_cast<FreadFn>(dlsym(RTLD_NEXT, "fread"));
    if (f != g_failing || size == 0)
        return real(buf, size, n, f);
    if (g_signal != 0 || !g_command.empty()) {
        if (g_read_budget < size * n) {
            if (g_signal != 0)
                kill(getpid(), std::exchange(g_signal, 0));
            else
                runAlone(std::exchange(g_command, {}));
            g_failing = nullptr;
        } else {
            g_read_budget -= size * n;
        }
        return real(buf, size, n, f);
    }
    return withinBudget(real, buf, size, n, f, g_read_budget, g_read_failed,
                        EIO);
}

using FwriteFn = std::size_t (*)(const void *, std::size_t, std::size_t,
                                 FILE *);

__attribute__((visibility("default"))) std::size_t
fwrite(const void *buf, std::size_t size, std::size_t n, FILE *f) {
    static FwriteFn real =
        reinterpret_cast<FwriteFn>(dlsym(RTLD_NEXT, "fwrite"));
    if (f != g_full || size == 0)
        return real(buf, size, n, f);
    return withinBudget(real, buf, size, n, f, g_write_budget, g_write_failed,
                        ENOSPC);
}

__attribute__((visibility("default"))) int ferror(FILE *f) {
    static FerrorFn real =
        reinterpret_cast<FerrorFn>(dlsym(RTLD_NEXT, "ferror"));
    return (f == g_failing && g_read_failed) ||
           (f == g_full && g_write_failed) || real(f);
}

__attribute__((visibility("default"))) int fclose(FILE *f) {
    static FerrorFn real =
        reinterpret_cast<FerrorFn>(dlsym(RTLD_NEXT, "fclose"));
    if (f == g_failing)
        g_failing = nullptr;
    if (f == g_full)
        g_full = nullptr;
    return real(f);
}

} // extern "C"
