// SPDX-License-Identifier: MIT
// fuzz_files.cpp - scratch files and silenced output for the fuzz targets.
#include "fuzz_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fuzz {

const std::string &scratchFolder() {
    static const std::string folder = [] {
        const std::string base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/ptxport-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return folder;
}

std::string writeInput(const char *name, const uint8_t *data,
                       std::size_t size) {
    const std::string path = scratchFolder() + "/" + name;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
    return path;
}

} // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    if (!std::freopen("/dev/null", "w", stdout))
        std::abort();
    return 0;
}
