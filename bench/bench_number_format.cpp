// SPDX-License-Identifier: MIT
// bench_number_format.cpp - the point writer's number conversions against
// snprintf and std::to_chars, one value of each kind the rows print.
//
// Each benchmark converts values drawn in turn from 1024 typical ones, so
// that the time is per value and the branch predictor cannot learn a single
// value's path.
#include "coordinate_plan.h"
#include "number_format.h"

#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <random>

namespace {

constexpr std::size_t kValues = 1024;

template <typename T, typename Draw>
std::array<T, kValues> draw(Draw draw_one) {
    std::mt19937_64 rng{20240501};
    std::array<T, kValues> values{};
    for (T &v : values)
        v = draw_one(rng);
    return values;
}

// Easting at 0.01 m scale around a UTM offset, as X * scale + offset.
const auto kCoordinates = draw<double>([](std::mt19937_64 &rng) {
    std::uniform_int_distribution<int32_t> x(-5'000'000, 5'000'000);
    const double product = 0.01 * x(rng);
    return product + 500000.0;
});

// Adjusted standard GPS time, 0 to 1e9 s, every fraction bit in use.
const auto kGpsTimes = draw<double>([](std::mt19937_64 &rng) {
    std::uniform_real_distribution<double> t(0, 1e9);
    return t(rng);
});

// Intensities and similar 16-bit fields.
const auto kUnsigned = draw<uint32_t>(
    [](std::mt19937_64 &rng) { return static_cast<uint32_t>(rng() % 65536); });

// Raw record coordinates.
const auto kSigned = draw<int32_t>([](std::mt19937_64 &rng) {
    std::uniform_int_distribution<int32_t> x(-50'000'000, 50'000'000);
    return x(rng);
});

// Runs put over the values in turn; put returns the end of what it wrote.
// Each benchmark passes its own lambda, so the call is direct and inlined.
template <typename T, typename Put>
void run(benchmark::State &state, const std::array<T, kValues> &values,
         Put put) {
    char buf[ptx::kMaxNumberChars];
    std::size_t i = 0;
    for (auto _ : state) {
        char *end = put(buf, values[i++ % kValues]);
        benchmark::DoNotOptimize(end);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

char *snprintf_fixed2(char *p, double v) {
    return p + std::snprintf(p, ptx::kMaxNumberChars, "%.2f", v);
}
char *snprintf_fixed7(char *p, double v) {
    return p + std::snprintf(p, ptx::kMaxNumberChars, "%.7f", v);
}
char *snprintf_uint(char *p, uint32_t v) {
    return p + std::snprintf(p, ptx::kMaxNumberChars, "%u", v);
}
char *snprintf_int(char *p, int32_t v) {
    return p + std::snprintf(p, ptx::kMaxNumberChars, "%d", v);
}

template <int D> char *to_chars_fixed(char *p, double v) {
    return std::to_chars(p, p + ptx::kMaxNumberChars, v,
                         std::chars_format::fixed, D)
        .ptr;
}
template <typename T> char *to_chars_int(char *p, T v) {
    return std::to_chars(p, p + ptx::kMaxNumberChars, v).ptr;
}

void Fixed2_Coordinate_ptx(benchmark::State &s) {
    run(s, kCoordinates, [](char *p, auto v) { return ptx::put_fixed2(p, v); });
}
void Fixed2_Coordinate_snprintf(benchmark::State &s) {
    run(s, kCoordinates, [](char *p, auto v) { return snprintf_fixed2(p, v); });
}
void Fixed2_Coordinate_to_chars(benchmark::State &s) {
    run(s, kCoordinates,
        [](char *p, auto v) { return to_chars_fixed<2>(p, v); });
}

// The same coordinates from their raw X through the file's plan.
const auto kRawEastings = draw<int32_t>([](std::mt19937_64 &rng) {
    std::uniform_int_distribution<int32_t> x(-5'000'000, 5'000'000);
    return x(rng);
});

void Fixed2_Coordinate_plan(benchmark::State &s) {
    const ptx::CoordinatePlan plan = ptx::planCoordinate(0.01, 500000.0);
    run(s, kRawEastings,
        [&plan](char *p, auto x) { return ptx::put_coordinate(p, x, plan); });
}

void Fixed7_GpsTime_ptx(benchmark::State &s) {
    run(s, kGpsTimes, [](char *p, auto v) { return ptx::put_fixed7(p, v); });
}
void Fixed7_GpsTime_snprintf(benchmark::State &s) {
    run(s, kGpsTimes, [](char *p, auto v) { return snprintf_fixed7(p, v); });
}
void Fixed7_GpsTime_to_chars(benchmark::State &s) {
    run(s, kGpsTimes, [](char *p, auto v) { return to_chars_fixed<7>(p, v); });
}

void Uint_Intensity_ptx(benchmark::State &s) {
    run(s, kUnsigned, [](char *p, auto v) { return ptx::put_uint(p, v); });
}
// The row loops' conversion of the 16-bit fields, from the table of 0 to 999.
void U16_Intensity_ptx(benchmark::State &s) {
    run(s, kUnsigned, [](char *p, auto v) {
        return ptx::put_u16(p, static_cast<uint16_t>(v));
    });
}
void Uint_Intensity_snprintf(benchmark::State &s) {
    run(s, kUnsigned, [](char *p, auto v) { return snprintf_uint(p, v); });
}
void Uint_Intensity_to_chars(benchmark::State &s) {
    run(s, kUnsigned,
        [](char *p, auto v) { return to_chars_int<uint32_t>(p, v); });
}

void Int_RawCoordinate_ptx(benchmark::State &s) {
    run(s, kSigned, [](char *p, auto v) { return ptx::put_int(p, v); });
}
void Int_RawCoordinate_snprintf(benchmark::State &s) {
    run(s, kSigned, [](char *p, auto v) { return snprintf_int(p, v); });
}
void Int_RawCoordinate_to_chars(benchmark::State &s) {
    run(s, kSigned,
        [](char *p, auto v) { return to_chars_int<int32_t>(p, v); });
}

BENCHMARK(Fixed2_Coordinate_ptx);
BENCHMARK(Fixed2_Coordinate_plan);
BENCHMARK(Fixed2_Coordinate_snprintf);
BENCHMARK(Fixed2_Coordinate_to_chars);
BENCHMARK(Fixed7_GpsTime_ptx);
BENCHMARK(Fixed7_GpsTime_snprintf);
BENCHMARK(Fixed7_GpsTime_to_chars);
BENCHMARK(Uint_Intensity_ptx);
BENCHMARK(U16_Intensity_ptx);
BENCHMARK(Uint_Intensity_snprintf);
BENCHMARK(Uint_Intensity_to_chars);
BENCHMARK(Int_RawCoordinate_ptx);
BENCHMARK(Int_RawCoordinate_snprintf);
BENCHMARK(Int_RawCoordinate_to_chars);

} // namespace
