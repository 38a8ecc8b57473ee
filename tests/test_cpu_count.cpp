// SPDX-License-Identifier: MIT
// Tests of the count of usable CPUs, which sets the number of threads of a
// run.
#include "cpu_count.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <thread>

using namespace ptx;

TEST(CpuCount, FollowsTheAffinityMask) {
    const unsigned all = usableCpuCount();
    EXPECT_GE(all, 1u);
    EXPECT_LE(all, kMaxWorkers);
    // A thread pinned to one CPU: the count follows the mask, whose rules
    // are per thread on Linux.
    unsigned pinned = 0;
    std::thread([&pinned] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(static_cast<int>(sched_getcpu()), &one);
        if (sched_setaffinity(0, sizeof one, &one) == 0)
            pinned = usableCpuCount();
    }).join();
    EXPECT_EQ(pinned, 1u);
}
