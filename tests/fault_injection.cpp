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
// Both fopen and fopen64 are defined here, so neither may be renamed to the
// other by the large-file switch that the rest of the project builds with.
#undef _FILE_OFFSET_BITS

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

void maybeInject(const char *name) {
    const char *path = std::getenv("PTX_FAULT_PATH");
    const char *at = std::getenv("PTX_FAULT_AT");
    const char *action = std::getenv("PTX_FAULT_ACTION");
    if (!path || !at || !action || std::strcmp(name, path) != 0)
        return;
    if (++g_opens != std::atoi(at))
        return;
    const char *target = std::getenv("PTX_FAULT_TARGET");
    applyAction(target ? target : path, action);
}

FILE *realFopen(const char *symbol, const char *name, const char *mode) {
    static FopenFn fn = reinterpret_cast<FopenFn>(dlsym(RTLD_NEXT, symbol));
    return fn(name, mode);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) FILE *fopen(const char *name,
                                                   const char *mode) {
    maybeInject(name);
    return realFopen("fopen", name, mode);
}

__attribute__((visibility("default"))) FILE *fopen64(const char *name,
                                                     const char *mode) {
    maybeInject(name);
    return realFopen("fopen64", name, mode);
}

} // extern "C"
