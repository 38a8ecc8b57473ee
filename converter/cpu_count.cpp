// SPDX-License-Identifier: MIT
// cpu_count.cpp - the process's affinity mask, counted.
#include "cpu_count.h"

#include <algorithm>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include <bit>
#else
#include <sched.h>
#endif

namespace ptx {

namespace {

// What the system reports when the mask cannot be read.
unsigned fallbackCount() {
    return std::thread::hardware_concurrency();
}

#ifdef _WIN32
unsigned maskCount() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        return fallbackCount();
    return static_cast<unsigned>(std::popcount(process));
}
#elif defined(__linux__)
unsigned maskCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return fallbackCount(); // a machine of more CPUs than the set holds
    return static_cast<unsigned>(CPU_COUNT(&set));
}
#else
unsigned maskCount() {
    return fallbackCount();
}
#endif

} // namespace

unsigned usableCpuCount() {
    return std::clamp(maskCount(), 1u, kMaxWorkers);
}

} // namespace ptx
