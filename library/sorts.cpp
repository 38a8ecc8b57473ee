// SPDX-License-Identifier: MIT
// sorts.cpp - in-place quicksorts of 32-bit integer and double keys that
// apply every exchange of two keys to a companion index array as well.
//
// The partition is a Hoare scheme around the middle key, with strict
// comparisons on both scans, so equal keys are exchanged and the companion
// order they receive is fixed by these exact steps: callers rely on it, and it
// must not change.  What does vary is how the two sub-ranges are visited:
// each routine recurses into the smaller one and keeps working on the larger
// one in the same invocation.  The sub-ranges are disjoint, so the result is
// the same as visiting the left one first, but nesting never exceeds about
// log2(n) levels even on arrangements that cost n^2 comparisons.
//
// Positions are widened to 64 bits inside a partition: the middle position
// and the scanning positions may step one past either end of the range, and
// neither may overflow when the range touches the limits of the 32-bit range.
#include "TAMARAK_LiDAR.h"

#include <cstdint>

namespace {

using Pos = int64_t;

template <typename Key> void exchange(Key *p, int32_t *p_ind, Pos a, Pos b) {
    const Key p_tmp = p[a];
    p[a] = p[b];
    p[b] = p_tmp;
    const int32_t p_ind_tmp = p_ind[a];
    p_ind[a] = p_ind[b];
    p_ind[b] = p_ind_tmp;
}

// The two sub-ranges a partition leaves: left..j and i..right, either of
// which holds fewer than two elements when it needs no further work.
struct Split {
    Pos i;
    Pos j;
};

// Partitions left..right (left < right) around the key at the middle.  The
// 64-bit sum divided by two truncates toward zero just as the 32-bit sum
// would, wherever that sum does not overflow.  For doubles a NaN key or pivot
// makes both scans stop, as a key equal to the pivot does.
template <typename Key>
Split partition(Key *p, Pos left, Pos right, int32_t *p_ind) {
    Pos i = left;
    Pos j = right;
    const Key v = p[(left + right) / 2];
    do {
        while (p[i] < v && i < right)
            ++i;
        while (v < p[j] && j > left)
            --j;
        if (i <= j) {
            exchange(p, p_ind, i, j);
            ++i;
            --j;
        }
    } while (i <= j);
    return Split{i, j};
}

// The plain sort of left..right.
template <typename Key>
void sort_range(Key *p, Pos left, Pos right, int32_t *p_ind) {
    while (left < right) {
        const Split s = partition(p, left, right, p_ind);
        if (s.j - left < right - s.i) {
            sort_range(p, left, s.j, p_ind);
            left = s.i;
        } else {
            sort_range(p, s.i, right, p_ind);
            right = s.j;
        }
    }
}

// Budget of the sub-ranges of a level whose budget is deep (deep != 0).  A
// negative budget never reaches 0 however often it is lowered, so it is kept
// as it is, which also keeps it from wrapping around.
int32_t lowered(int32_t deep) {
    return deep > 0 ? deep - 1 : deep;
}

template <typename Key>
void sort_range_bounded(Key *p, Pos left, Pos right, int32_t *p_ind,
                        int32_t deep);

// Sorts one sub-range of a depth-bounded level with budget deep: a spent
// budget hands it to the plain routine.
template <typename Key>
void sort_sub_range(Key *p, Pos left, Pos right, int32_t *p_ind, int32_t deep) {
    if (deep == 0)
        sort_range(p, left, right, p_ind);
    else
        sort_range_bounded(p, left, right, p_ind, lowered(deep));
}

// The depth-bounded sort of left..right: the sub-ranges of a level with
// budget deep are sorted with budget deep - 1, or by the plain sort once the
// budget is spent.  Continuing with the larger sub-range is the same as
// calling this routine on it with the lowered budget.
template <typename Key>
void sort_range_bounded(Key *p, Pos left, Pos right, int32_t *p_ind,
                        int32_t deep) {
    while (left < right) {
        const Split s = partition(p, left, right, p_ind);
        const bool left_smaller = s.j - left < right - s.i;
        if (left_smaller)
            sort_sub_range(p, left, s.j, p_ind, deep);
        else
            sort_sub_range(p, s.i, right, p_ind, deep);
        const Pos next_left = left_smaller ? s.i : left;
        const Pos next_right = left_smaller ? right : s.j;
        if (deep == 0) {
            sort_range(p, next_left, next_right, p_ind);
            return;
        }
        left = next_left;
        right = next_right;
        deep = lowered(deep);
    }
}

} // namespace

extern "C" {

void l_qs(int32_t *p, int32_t left, int32_t right, int32_t *p_ind) {
    sort_range(p, left, right, p_ind);
}

void d_qs(double *p, int32_t left, int32_t right, int32_t *p_ind) {
    sort_range(p, left, right, p_ind);
}

// The entry points sort positions 0 to count - 1; a count below 1 leaves
// nothing to sort and is not lowered, which could overflow.
void l_quicksort(int32_t *p, int32_t count, int32_t *p_ind) {
    if (count > 0)
        l_qs(p, 0, count - 1, p_ind);
}

void d_quicksort(double *p, int32_t count, int32_t *p_ind) {
    if (count > 0)
        d_qs(p, 0, count - 1, p_ind);
}

void l_parallel_qs(int32_t *p, int32_t left, int32_t right, int32_t *p_ind,
                   int32_t deep) {
    sort_range_bounded(p, left, right, p_ind, deep);
}

void d_parallel_qs(double *p, int32_t left, int32_t right, int32_t *p_ind,
                   int32_t deep) {
    sort_range_bounded(p, left, right, p_ind, deep);
}

void l_parallel_quicksort(int32_t *p, int32_t count, int32_t *p_ind) {
    if (count > 0)
        l_parallel_qs(p, 0, count - 1, p_ind, 15);
}

void d_parallel_quicksort(double *p, int32_t count, int32_t *p_ind) {
    if (count > 0)
        d_parallel_qs(p, 0, count - 1, p_ind, 15);
}

} // extern "C"
