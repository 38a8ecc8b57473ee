// SPDX-License-Identifier: MIT
// library_probe.cpp - runs the library's routines that the command does not
// call, so that compare_builds.py can set two builds side by side on them.
//
//   library_probe update <file.las>      update_header on the file, in place
//   library_probe sorts <seed> <count>   the eight sorts on arrays of random
//                                        keys, every result printed in hex
//
// Only the public header is used, so that the program also builds against
// the library of an earlier version.
#include "TAMARAK_LiDAR.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: the same numbers from a seed on every machine and library.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
};

// Integer keys with many repeats, and the extremes.
// Arrays hold at least one element, so that a count below 1 has storage.
std::size_t storage(int32_t count) {
    return static_cast<std::size_t>(count < 1 ? 1 : count);
}

std::vector<int32_t> intKeys(Random &r, int32_t count) {
    static const int32_t kSpecial[] = {INT32_MIN, INT32_MAX, 0, -1, 1};
    std::vector<int32_t> keys(storage(count));
    for (auto &k : keys) {
        const uint64_t x = r.next();
        if (x % 11 == 0)
            k = kSpecial[(x >> 8) % 5];
        else
            k = static_cast<int32_t>(x % 4 == 0 ? (x >> 32) % 17 : x >> 32);
    }
    return keys;
}

// Double keys: random bit patterns and small repeats, signed zeros,
// infinities and NaNs of either sign.
std::vector<double> doubleKeys(Random &r, int32_t count) {
    static const uint64_t kSpecial[] = {
        0x0000000000000000ULL, 0x8000000000000000ULL, 0x7ff0000000000000ULL,
        0xfff0000000000000ULL, 0x7ff8000000000000ULL, 0xfff8000000000001ULL,
        0x0000000000000001ULL, 0x3ff0000000000000ULL};
    std::vector<double> keys(storage(count));
    for (auto &k : keys) {
        const uint64_t x = r.next();
        uint64_t bits = x;
        if (x % 13 == 0)
            bits = kSpecial[(x >> 8) % 8];
        else if (x % 3 == 0)
            bits =
                0x4000000000000000ULL + ((x >> 40) % 9) * 0x0008000000000000ULL;
        std::memcpy(&k, &bits, sizeof k);
    }
    return keys;
}

std::vector<int32_t> identity(int32_t count) {
    std::vector<int32_t> ind(storage(count));
    for (std::size_t i = 0; i < ind.size(); ++i)
        ind[i] = static_cast<int32_t>(i);
    return ind;
}

void print(const char *name, const std::vector<int32_t> &keys,
           const std::vector<int32_t> &ind) {
    std::printf("%s\n", name);
    for (std::size_t i = 0; i < keys.size(); ++i)
        std::printf("%08" PRIx32 " %" PRId32 "\n",
                    static_cast<uint32_t>(keys[i]), ind[i]);
}

void print(const char *name, const std::vector<double> &keys,
           const std::vector<int32_t> &ind) {
    std::printf("%s\n", name);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        uint64_t bits;
        std::memcpy(&bits, &keys[i], sizeof bits);
        std::printf("%016" PRIx64 " %" PRId32 "\n", bits, ind[i]);
    }
}

// Each routine on its own copy of the same keys; the ranged ones on an
// inner range, the depth-bounded ones with several budgets.
template <typename T, typename Whole, typename Range, typename Deep>
void sortAll(const char *type, int32_t n, const std::vector<T> &keys,
             Whole whole, Whole parallelWhole, Range range, Deep deep) {
    const std::string t = type;
    auto k = keys;
    auto ind = identity(n);
    whole(k.data(), n, ind.data());
    print((t + "_quicksort").c_str(), k, ind);
    k = keys, ind = identity(n);
    parallelWhole(k.data(), n, ind.data());
    print((t + "_parallel_quicksort").c_str(), k, ind);
    k = keys, ind = identity(n);
    range(k.data(), n / 5, n - 1 - n / 7, ind.data());
    print((t + "_qs inner range").c_str(), k, ind);
    for (int32_t budget : {0, 1, 3, 40}) {
        k = keys, ind = identity(n);
        deep(k.data(), n / 7, n - 1, ind.data(), budget);
        std::printf("budget %d: ", budget);
        print((t + "_parallel_qs").c_str(), k, ind);
    }
}

int sorts(uint64_t seed, int32_t count) {
    Random r{seed};
    sortAll("l", count, intKeys(r, count), l_quicksort, l_parallel_quicksort,
            l_qs, l_parallel_qs);
    sortAll("d", count, doubleKeys(r, count), d_quicksort, d_parallel_quicksort,
            d_qs, d_parallel_qs);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "update") == 0) {
        update_header(argv[2]);
        std::printf("\n");
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "sorts") == 0)
        return sorts(std::strtoull(argv[2], nullptr, 10),
                     static_cast<int32_t>(std::atol(argv[3])));
    std::fprintf(stderr,
                 "usage: library_probe update FILE | sorts SEED COUNT\n");
    return 2;
}
