// SPDX-License-Identifier: MIT
// io_floor.cpp - the I/O floor of a conversion: reads the whole input and
// writes an output of a given size, in the same large blocks the converter
// uses, and does nothing else.  No converter can be faster than this.
//
//   io_floor <input> <output> <output bytes>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: io_floor <input> <output> <bytes>\n");
        return 2;
    }
    std::FILE *in = std::fopen(argv[1], "rb");
    std::FILE *out = std::fopen(argv[2], "w");
    if (!in || !out) {
        std::perror("io_floor");
        return 1;
    }
    unsigned long long left = std::strtoull(argv[3], nullptr, 10);
    std::vector<char> block(1 << 20, 'x');
    // Interleave reads and writes, as a conversion does.
    for (bool reading = true; reading || left > 0;) {
        if (reading)
            reading = std::fread(block.data(), 1, 136 * 1024, in) > 0;
        const std::size_t n = left < block.size() ? left : block.size();
        if (n > 0 && std::fwrite(block.data(), 1, n, out) != n) {
            std::perror("io_floor");
            return 1;
        }
        left -= n;
    }
    std::fclose(in);
    return std::fclose(out) == 0 ? 0 : 1;
}
