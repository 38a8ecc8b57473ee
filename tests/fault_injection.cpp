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
// Both fopen and fopen64 are defined here, so neither may be renamed to the
// other by the large-file switch that the rest of the project builds with.
#undef _FILE_OFFSET_BITS

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using FopenFn = FILE *(*)(const char *, const char *);

int g_opens = 0;

// The stream that fails its reads, how many bytes it may still deliver,
// and whether it has failed.  Reads happen on one thread at a time.
FILE *g_failing = nullptr;
std::size_t g_read_budget = 0;
bool g_read_failed = false;

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

// The read budget of a readerror action; -1 for any other action.
long long readBudget(const std::string &action) {
    return action.rfind("readerror:", 0) == 0 ? std::stoll(action.substr(10))
                                              : -1;
}

// Applies the action if this is the chosen open; its read budget if the
// stream to be opened is the one that fails, else -1.
long long maybeInject(const char *name) {
    const char *path = std::getenv("PTX_FAULT_PATH");
    const char *at = std::getenv("PTX_FAULT_AT");
    const char *action = std::getenv("PTX_FAULT_ACTION");
    if (!path || !at || !action || std::strcmp(name, path) != 0)
        return -1;
    if (++g_opens != std::atoi(at))
        return -1;
    if (const long long budget = readBudget(action); budget >= 0)
        return budget;
    const char *target = std::getenv("PTX_FAULT_TARGET");
    applyAction(target ? target : path, action);
    return -1;
}

FILE *openWithFaults(const char *symbol, const char *name, const char *mode) {
    static FopenFn fn = reinterpret_cast<FopenFn>(dlsym(RTLD_NEXT, symbol));
    const long long budget = maybeInject(name);
    FILE *f = fn(name, mode);
    if (budget >= 0 && f) {
        g_failing = f;
        g_read_budget = static_cast<std::size_t>(budget);
    }
    return f;
}

using FreadFn = std::size_t (*)(void *, std::size_t, std::size_t, FILE *);
using FerrorFn = int (*)(FILE *);

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
    const std::size_t allowed = std::min(n, g_read_budget / size);
    const std::size_t got = real(buf, size, allowed, f);
    g_read_budget -= got * size;
    if (allowed < n) {
        g_read_failed = true;
        errno = EIO;
    }
    return got;
}

__attribute__((visibility("default"))) int ferror(FILE *f) {
    static FerrorFn real =
        reinterpret_cast<FerrorFn>(dlsym(RTLD_NEXT, "ferror"));
    return (f == g_failing && g_read_failed) || real(f);
}

__attribute__((visibility("default"))) int fclose(FILE *f) {
    static FerrorFn real =
        reinterpret_cast<FerrorFn>(dlsym(RTLD_NEXT, "fclose"));
    if (f == g_failing)
        g_failing = nullptr;
    return real(f);
}

} // extern "C"
