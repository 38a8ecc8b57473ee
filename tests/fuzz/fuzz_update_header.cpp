// SPDX-License-Identifier: MIT
// Fuzz target: update_header on arbitrary file contents, in process.  A
// refused file must be left exactly as it was; an updated one keeps its
// length and differs only in the recomputed header bytes.
#include "fuzz_files.h"
#include "header_update.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> readBack(const std::string &name) {
    std::ifstream f(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

bool recomputed(std::size_t at) {
    return (at >= 107 && at <= 130) || (at >= 179 && at <= 226);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string name = fuzz::writeInput("in.las", data, size);
    const int16_t result = tamarak::try_update_header(name.c_str());
    const std::vector<uint8_t> after = readBack(name);
    if (after.size() != size)
        std::abort();
    for (std::size_t at = 0; at < size; ++at)
        if (after[at] != data[at] && (result != 0 || !recomputed(at)))
            std::abort();
    return 0;
}
