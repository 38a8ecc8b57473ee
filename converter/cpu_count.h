/* SPDX-License-Identifier: MIT */
// cpu_count.h - how many CPUs the process may run on, which is how many
// threads a conversion puts to work.
#ifndef PTXPORT_CPU_COUNT_H
#define PTXPORT_CPU_COUNT_H

#include "platform.h"

#include <algorithm>

namespace ptx {

// More workers than this gain nothing: one writer cannot take text faster.
inline constexpr unsigned kMaxWorkers = 16;

// The CPUs in the process's affinity mask, from 1 to kMaxWorkers.
inline unsigned usableCpuCount() {
    return std::clamp(tamarak::affinity_cpu_count(), 1u, kMaxWorkers);
}

} // namespace ptx

#endif
