/* SPDX-License-Identifier: MIT */
// cpu_count.h - how many CPUs the process may run on, which is how many
// threads a conversion puts to work.
#ifndef PTXPORT_CPU_COUNT_H
#define PTXPORT_CPU_COUNT_H

namespace ptx {

// More workers than this gain nothing: one writer cannot take text faster.
inline constexpr unsigned kMaxWorkers = 16;

// The CPUs in the process's affinity mask (so taskset, cgroups and batch
// allocations are honoured), from 1 to kMaxWorkers.
unsigned usableCpuCount();

} // namespace ptx

#endif
