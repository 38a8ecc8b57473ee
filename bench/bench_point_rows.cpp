// SPDX-License-Identifier: MIT
// bench_point_rows.cpp - one row of every format on every record layout:
// the cost of turning a point record into its line of text, without I/O.
#include "point_rows.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using tamarak::Layout;

constexpr std::size_t kRecords = 4096;

// Records of a survey strip: centimetre coordinates near 512000/4310000,
// heights around 200 m, GPS times near 3.3e8 s.
std::vector<unsigned char> surveyRecords(Layout l) {
    std::mt19937 rng(7);
    const std::size_t size = tamarak::record_size(l);
    std::vector<unsigned char> block(kRecords * size);
    for (std::size_t i = 0; i < kRecords; ++i) {
        unsigned char *r = block.data() + i * size;
        const int32_t xyz[3] = {static_cast<int32_t>(rng() % 100000),
                                static_cast<int32_t>(rng() % 800000),
                                static_cast<int32_t>(20000 + rng() % 3000)};
        std::memcpy(r, xyz, sizeof xyz);
        for (std::size_t b = 12; b < size; ++b)
            r[b] = static_cast<unsigned char>(rng());
        if (tamarak::has_gps_time(l)) {
            const double t = 331452786.0 + i * 1.5e-5;
            std::memcpy(r + tamarak::kGpsTimeAt, &t, sizeof t);
        }
    }
    return block;
}

template <int F, Layout L> void rows(benchmark::State &state) {
    const std::vector<unsigned char> block = surveyRecords(L);
    const ptx::Transform t{0.01, 0.01, 0.01, 512000.0, 4310000.0, 0.0};
    std::string text(kRecords * ptx::kMaxRowChars, '\0');
    std::size_t bytes = 0;
    for (auto _ : state) {
        char *p = ptx::row::formatRows<ptx::ExactNumbers, F, L>(
            text.data(), block.data(), kRecords, t);
        bytes += static_cast<std::size_t>(p - text.data());
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(
        static_cast<int64_t>(state.iterations() * kRecords));
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

template <int F, Layout L> void add(const char *layout) {
    if constexpr (ptx::serves(F, L))
        benchmark::RegisterBenchmark(
            ("Row/format" + std::to_string(F) + "/" + layout).c_str(),
            &rows<F, L>);
}

template <int... F> void addAll(std::integer_sequence<int, F...>) {
    (add<F, Layout::Core20>("fm0_20"), ...);
    (add<F, Layout::Gps28>("fm1_28"), ...);
    (add<F, Layout::Rgb26>("fm2_26"), ...);
    (add<F, Layout::GpsRgb34>("fm3_34"), ...);
}

const int registered = (addAll(std::make_integer_sequence<int, 20>()), 0);

} // namespace
