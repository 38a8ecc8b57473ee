// SPDX-License-Identifier: MIT
// bench_sorts.cpp - the library's quicksorts, which carry a companion index
// array along, against std::sort of key/index pairs, on 10 million keys.
//
// Argument 0: keys spread over the whole 32-bit range (few equal keys);
// argument 1: keys from 0 to 999 (every key repeated about 10,000 times).
#include "TAMARAK_LiDAR.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr int32_t kKeys = 10'000'000;

template <typename Key> std::vector<Key> make_keys(int64_t spread) {
    std::mt19937_64 rng(12345);
    std::uniform_int_distribution<int64_t> draw(spread == 0 ? INT32_MIN : 0,
                                                spread == 0 ? INT32_MAX : 999);
    std::vector<Key> keys(kKeys);
    for (Key &k : keys)
        k = static_cast<Key>(draw(rng));
    return keys;
}

// Each iteration sorts a fresh copy; the copying is not timed.
template <typename Key, void (*Sort)(Key *, int32_t, int32_t *)>
void BM_library(benchmark::State &state) {
    const std::vector<Key> input = make_keys<Key>(state.range(0));
    std::vector<Key> keys;
    std::vector<int32_t> ind(kKeys);
    for (auto _ : state) {
        state.PauseTiming();
        keys = input;
        std::iota(ind.begin(), ind.end(), 0);
        state.ResumeTiming();
        Sort(keys.data(), kKeys, ind.data());
        benchmark::DoNotOptimize(keys.data());
        benchmark::DoNotOptimize(ind.data());
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}

template <typename Key> struct Pair {
    Key key;
    int32_t index;
};

template <typename Key> void BM_std_sort_pairs(benchmark::State &state) {
    const std::vector<Key> input = make_keys<Key>(state.range(0));
    std::vector<Pair<Key>> pairs(kKeys);
    for (auto _ : state) {
        state.PauseTiming();
        for (int32_t k = 0; k < kKeys; ++k)
            pairs[k] = {input[k], k};
        state.ResumeTiming();
        std::sort(pairs.begin(), pairs.end(),
                  [](const Pair<Key> &a, const Pair<Key> &b) {
                      return a.key < b.key;
                  });
        benchmark::DoNotOptimize(pairs.data());
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}

void configure(benchmark::internal::Benchmark *b) {
    b->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
}

BENCHMARK(BM_library<int32_t, l_quicksort>)->Apply(configure);
BENCHMARK(BM_library<int32_t, l_parallel_quicksort>)->Apply(configure);
BENCHMARK(BM_std_sort_pairs<int32_t>)->Apply(configure);
BENCHMARK(BM_library<double, d_quicksort>)->Apply(configure);
BENCHMARK(BM_library<double, d_parallel_quicksort>)->Apply(configure);
BENCHMARK(BM_std_sort_pairs<double>)->Apply(configure);

} // namespace
