// SPDX-License-Identifier: MIT
// test_sorts.cpp - the eight quicksorts: the order in which they leave keys and
// companion indices, their ranges and depth budgets, and their stack use on
// arrangements that cost n^2 comparisons.
#include "TAMARAK_LiDAR.h"
#include "build_info.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

// ---------------------------------------------------------------------------
// Reference: the partition steps written out literally, recursing into both
// sub-ranges, the left one first.  Positions and budgets are 64-bit so that
// (left + right) / 2 is the exact middle, truncated toward zero, for any pair
// of 32-bit positions.  `nesting` counts the levels of recursion.

struct Nesting {
    long now = 0;
    long deepest = 0;
};

template <typename Key>
void reference_partition(Key *p, int64_t left, int64_t right, int32_t *p_ind,
                         int64_t &i, int64_t &j) {
    i = left;
    j = right;
    const Key v = p[(left + right) / 2];
    do {
        while (p[i] < v && i < right)
            i++;
        while (v < p[j] && j > left)
            j--;
        if (i <= j) {
            const Key p_tmp = p[i];
            p[i] = p[j];
            p[j] = p_tmp;
            const int32_t p_ind_tmp = p_ind[i];
            p_ind[i] = p_ind[j];
            p_ind[j] = p_ind_tmp;
            i++;
            j--;
        }
    } while (i <= j);
}

template <typename Key>
void reference_qs(Key *p, int64_t left, int64_t right, int32_t *p_ind,
                  Nesting &nesting) {
    nesting.deepest = std::max(nesting.deepest, ++nesting.now);
    int64_t i, j;
    reference_partition(p, left, right, p_ind, i, j);
    if (left < j)
        reference_qs(p, left, j, p_ind, nesting);
    if (i < right)
        reference_qs(p, i, right, p_ind, nesting);
    --nesting.now; // also keeps the last call from becoming a jump
}

template <typename Key>
void reference_parallel_qs(Key *p, int64_t left, int64_t right, int32_t *p_ind,
                           int64_t deep, Nesting &nesting) {
    nesting.deepest = std::max(nesting.deepest, ++nesting.now);
    int64_t i, j;
    reference_partition(p, left, right, p_ind, i, j);
    if (left < j) {
        if (deep != 0)
            reference_parallel_qs(p, left, j, p_ind, deep - 1, nesting);
        else
            reference_qs(p, left, j, p_ind, nesting);
    }
    if (i < right) {
        if (deep != 0)
            reference_parallel_qs(p, i, right, p_ind, deep - 1, nesting);
        else
            reference_qs(p, i, right, p_ind, nesting);
    }
    --nesting.now;
}

// ---------------------------------------------------------------------------
// Keys with their companion array, and comparison by bit pattern so that the
// place of every NaN, and of -0.0 against 0.0, counts.

template <typename Key> struct Arrays {
    std::vector<Key> keys;
    std::vector<int32_t> ind;
};

template <typename Key> Arrays<Key> with_positions(std::vector<Key> keys) {
    std::vector<int32_t> ind(keys.size());
    std::iota(ind.begin(), ind.end(), 0);
    return {std::move(keys), std::move(ind)};
}

uint64_t bits_of(int32_t key) {
    return static_cast<uint32_t>(key);
}
uint64_t bits_of(double key) {
    return std::bit_cast<uint64_t>(key);
}

template <typename Key>
testing::AssertionResult same_arrays(const Arrays<Key> &got,
                                     const Arrays<Key> &want) {
    if (got.keys.size() != want.keys.size() ||
        got.ind.size() != want.ind.size())
        return testing::AssertionFailure() << "sizes differ";
    for (std::size_t k = 0; k < got.keys.size(); ++k)
        if (bits_of(got.keys[k]) != bits_of(want.keys[k]) ||
            got.ind[k] != want.ind[k])
            return testing::AssertionFailure()
                   << "first difference at " << k << ": key " << got.keys[k]
                   << " index " << got.ind[k] << ", want key " << want.keys[k]
                   << " index " << want.ind[k];
    return testing::AssertionSuccess();
}

// The whole array sorted by the reference: plain, or budgeted with deep.
template <typename Key>
Arrays<Key> reference_sorted(Arrays<Key> a, const int64_t *deep = nullptr) {
    Nesting nesting;
    const int64_t right = static_cast<int64_t>(a.keys.size()) - 1;
    if (right < 0)
        return a;
    if (deep)
        reference_parallel_qs(a.keys.data(), 0, right, a.ind.data(), *deep,
                              nesting);
    else
        reference_qs(a.keys.data(), 0, right, a.ind.data(), nesting);
    return a;
}

// ---------------------------------------------------------------------------
// The routines under test, by key type.

void qs(int32_t *p, int32_t l, int32_t r, int32_t *ind) {
    l_qs(p, l, r, ind);
}
void qs(double *p, int32_t l, int32_t r, int32_t *ind) {
    d_qs(p, l, r, ind);
}
void parallel_qs(int32_t *p, int32_t l, int32_t r, int32_t *ind, int32_t d) {
    l_parallel_qs(p, l, r, ind, d);
}
void parallel_qs(double *p, int32_t l, int32_t r, int32_t *ind, int32_t d) {
    d_parallel_qs(p, l, r, ind, d);
}

// The plain routine without a budget, the depth-bounded one with it.
template <typename Key>
void sort_range(Key *p, int32_t l, int32_t r, int32_t *ind,
                std::optional<int32_t> deep) {
    if (deep)
        parallel_qs(p, l, r, ind, *deep);
    else
        qs(p, l, r, ind);
}

// Each routine as a sort of a whole array of `count` keys; the range
// routines are given 0 and count - 1, which the lowest count does not have.
template <typename Key> struct WholeSort {
    const char *name;
    void (*sort)(Key *p, int32_t count, int32_t *p_ind);
    bool takes_count;
};

template <typename Key> void plain_range(Key *p, int32_t n, int32_t *ind) {
    qs(p, 0, n - 1, ind);
}

template <typename Key> void budget_range(Key *p, int32_t n, int32_t *ind) {
    parallel_qs(p, 0, n - 1, ind, 15);
}

template <typename Key> const std::vector<WholeSort<Key>> kWholeSorts;

template <>
const std::vector<WholeSort<int32_t>> kWholeSorts<int32_t> = {
    {"l_quicksort", l_quicksort, true},
    {"l_qs", plain_range<int32_t>, false},
    {"l_parallel_quicksort", l_parallel_quicksort, true},
    {"l_parallel_qs", budget_range<int32_t>, false},
};

template <>
const std::vector<WholeSort<double>> kWholeSorts<double> = {
    {"d_quicksort", d_quicksort, true},
    {"d_qs", plain_range<double>, false},
    {"d_parallel_quicksort", d_parallel_quicksort, true},
    {"d_parallel_qs", budget_range<double>, false},
};

template <typename Key>
Arrays<Key> sorted_by(const WholeSort<Key> &s, Arrays<Key> a) {
    s.sort(a.keys.data(), static_cast<int32_t>(a.keys.size()), a.ind.data());
    return a;
}

template <typename Key> std::vector<Key> keys_of(std::vector<int64_t> values) {
    return std::vector<Key>(values.begin(), values.end());
}

template <typename Key> class SortTest : public testing::Test {};
using KeyTypes = testing::Types<int32_t, double>;
TYPED_TEST_SUITE(SortTest, KeyTypes);

// ---------------------------------------------------------------------------

TYPED_TEST(SortTest, ExamplesGiveTheirOrderOfEqualKeys) {
    using Key = TypeParam;
    struct Example {
        std::vector<int64_t> before, after;
        std::vector<int32_t> ind;
    };
    const Example examples[] = {
        {{5, 5, 5, 5}, {5, 5, 5, 5}, {2, 3, 0, 1}},
        {{3, 1, 2}, {1, 2, 3}, {1, 2, 0}},
        {{2, 1, 2, 1}, {1, 1, 2, 2}, {3, 1, 0, 2}},
        {{30, 10, 20, 10, 30}, {10, 10, 20, 30, 30}, {1, 3, 2, 4, 0}},
        {{-3, 8, -3, 0, 8, 1}, {-3, -3, 0, 1, 8, 8}, {2, 0, 3, 5, 4, 1}},
        {{4, 3, 2, 1}, {1, 2, 3, 4}, {3, 2, 1, 0}},
        {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {0, 1, 2, 3, 4}},
        {{7}, {7}, {0}},
        {{}, {}, {}},
    };
    for (const WholeSort<Key> &s : kWholeSorts<Key>)
        for (const Example &e : examples) {
            SCOPED_TRACE(std::string(s.name) + ", " +
                         std::to_string(e.before.size()) + " keys");
            const Arrays<Key> got =
                sorted_by(s, with_positions(keys_of<Key>(e.before)));
            EXPECT_TRUE(same_arrays(got, {keys_of<Key>(e.after), e.ind}));
        }
}

// Arrays of many sizes and shapes, most with many equal keys.
template <typename Key> std::vector<std::vector<Key>> shapes(std::size_t n) {
    std::mt19937 rng(static_cast<uint32_t>(n) * 2654435761u + 7u);
    auto random_in = [&](int64_t lo, int64_t hi) {
        std::uniform_int_distribution<int64_t> d(lo, hi);
        std::vector<Key> v(n);
        for (Key &k : v)
            k = static_cast<Key>(d(rng));
        return v;
    };
    std::vector<std::vector<Key>> out = {std::vector<Key>(n, 7),
                                         random_in(0, 1),
                                         random_in(0, 3),
                                         random_in(-5, 5),
                                         random_in(0, static_cast<int64_t>(n)),
                                         random_in(kMin32, kMax32)};
    std::vector<Key> up = random_in(0, static_cast<int64_t>(n / 3));
    std::sort(up.begin(), up.end());
    out.push_back(up);
    out.emplace_back(up.rbegin(), up.rend());
    std::vector<Key> pipe(n);
    for (std::size_t k = 0; k < n; ++k)
        pipe[k] = static_cast<Key>(std::min(k, n - 1 - k));
    out.push_back(pipe);
    return out;
}

// Keys drawn from NaNs of both signs, signed zeros, infinities and ordinary
// values, and sorted keys with a NaN pivot in the middle.
std::vector<std::vector<double>> nan_shapes(std::size_t n) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double pool[] = {nan, -nan, 0.0, -0.0, 1.5, -2.0, inf, -inf, 1e-310};
    std::mt19937 rng(static_cast<uint32_t>(n) + 99u);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pool) - 1);
    std::vector<double> mixed(n), sorted(n);
    for (double &k : mixed)
        k = pool[pick(rng)];
    for (std::size_t k = 0; k < n; ++k)
        sorted[k] = static_cast<double>(k % 5);
    std::sort(sorted.begin(), sorted.end());
    if (n > 0)
        sorted[(n - 1) / 2] = nan;
    return {mixed, sorted};
}

template <typename Key> std::vector<std::vector<Key>> differential_cases() {
    std::vector<std::vector<Key>> cases;
    std::vector<std::size_t> sizes(65);
    std::iota(sizes.begin(), sizes.end(), 0);
    for (std::size_t n : {100, 257, 1000, 4099, 30000})
        sizes.push_back(n);
    for (std::size_t n : sizes) {
        for (auto &v : shapes<Key>(n))
            cases.push_back(std::move(v));
        if constexpr (std::is_same_v<Key, double>)
            for (auto &v : nan_shapes(n))
                cases.push_back(std::move(v));
    }
    return cases;
}

TYPED_TEST(SortTest, EveryRoutineFollowsThePartitionSteps) {
    using Key = TypeParam;
    const auto cases = differential_cases<Key>();
    for (std::size_t c = 0; c < cases.size(); ++c) {
        const Arrays<Key> input = with_positions(cases[c]);
        const Arrays<Key> want = reference_sorted(input);
        for (const WholeSort<Key> &s : kWholeSorts<Key>) {
            SCOPED_TRACE(std::string(s.name) + ", case " + std::to_string(c) +
                         ", " + std::to_string(input.keys.size()) + " keys");
            ASSERT_TRUE(same_arrays(sorted_by(s, input), want));
        }
    }
}

// Any budget, spent, unspent or negative, gives the plain routine's order;
// the budgeted reference is run with the same budget.
TYPED_TEST(SortTest, DepthBudgetsChangeNothing) {
    using Key = TypeParam;
    const int32_t budgets[] = {0, 1, 2, 15, kMax32, -1, -1000, kMin32};
    const auto cases = differential_cases<Key>();
    for (std::size_t c = 0; c < cases.size(); c += 3)
        for (int32_t deep : budgets) {
            SCOPED_TRACE("case " + std::to_string(c) + ", deep " +
                         std::to_string(deep));
            Arrays<Key> got = with_positions(cases[c]);
            const int64_t budget = deep;
            const Arrays<Key> want = reference_sorted(got, &budget);
            parallel_qs(got.keys.data(), 0,
                        static_cast<int32_t>(got.keys.size()) - 1,
                        got.ind.data(), deep);
            ASSERT_TRUE(same_arrays(got, want));
        }
}

// The plain routine (no budget) and the depth-bounded one with budgets that
// run out at once, soon or never.
const std::optional<int32_t> kBudgets[] = {std::nullopt, 0, 1, 3, 15, -1};

std::string budget_text(std::optional<int32_t> deep) {
    return deep ? "deep " + std::to_string(*deep) : "plain";
}

// Sorting part of an array touches nothing outside it.
TYPED_TEST(SortTest, SubRangesLeaveTheRestAlone) {
    using Key = TypeParam;
    struct Range {
        int32_t left, right;
    };
    const Range ranges[] = {{10, 30}, {0, 49}, {0, 0},   {49, 49},
                            {48, 49}, {1, 48}, {30, 10}, {25, 24}};
    const Arrays<Key> input = with_positions(shapes<Key>(50)[3]);
    for (const Range r : ranges)
        for (std::optional<int32_t> deep : kBudgets) {
            SCOPED_TRACE(std::to_string(r.left) + ".." +
                         std::to_string(r.right) + ", " + budget_text(deep));
            Arrays<Key> want = input;
            Nesting nesting;
            if (r.left <= r.right)
                reference_qs(want.keys.data(), r.left, r.right, want.ind.data(),
                             nesting);
            Arrays<Key> got = input;
            sort_range(got.keys.data(), r.left, r.right, got.ind.data(), deep);
            EXPECT_TRUE(same_arrays(got, want));
        }
}

// Ranges at the ends of the 32-bit position range, where left + right
// overflows 32 bits and the scans step past right or below left.  The buffers
// are reached through pointers moved by -left, so that position left is the
// buffer's first element.
TYPED_TEST(SortTest, RangesAtTheEndsOfThePositionRange) {
    using Key = TypeParam;
    struct Range {
        int32_t left, right;
    };
    const Range ranges[] = {{kMax32 - 63, kMax32},
                            {kMax32 - 1, kMax32},
                            {kMin32, kMin32 + 63},
                            {kMin32, kMin32 + 1},
                            {-40, 23},
                            {-11, -1}};
    for (const Range r : ranges)
        for (std::optional<int32_t> deep : kBudgets) {
            SCOPED_TRACE(std::to_string(r.left) + ".." +
                         std::to_string(r.right) + ", " + budget_text(deep));
            const std::size_t n = static_cast<std::size_t>(
                static_cast<int64_t>(r.right) - r.left + 1);
            const Arrays<Key> input = with_positions(shapes<Key>(n)[3]);
            Arrays<Key> want = input, got = input;
            Nesting nesting;
            reference_qs(want.keys.data() - int64_t{r.left}, r.left, r.right,
                         want.ind.data() - int64_t{r.left}, nesting);
            sort_range(got.keys.data() - int64_t{r.left}, r.left, r.right,
                       got.ind.data() - int64_t{r.left}, deep);
            EXPECT_TRUE(same_arrays(got, want));
        }
}

// Address space in which every access faults: position k of keys() or ind(),
// for any 32-bit k, lies inside it.
class Untouchable {
  public:
    Untouchable()
        : mem_(mmap(nullptr, kBytes, PROT_NONE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)) {}
    ~Untouchable() {
        if (ok())
            munmap(mem_, kBytes);
    }
    Untouchable(const Untouchable &) = delete;
    Untouchable &operator=(const Untouchable &) = delete;
    bool ok() const { return mem_ != MAP_FAILED; }
    template <typename Key> Key *keys() const {
        return reinterpret_cast<Key *>(middle());
    }
    int32_t *ind() const { return reinterpret_cast<int32_t *>(middle()); }

  private:
    // Room for 2^32 doubles and a margin that keeps the middle aligned (a
    // 32-bit process has no such room: the test is skipped there).
    static constexpr std::size_t kBytes =
        sizeof(void *) >= 8
            ? static_cast<std::size_t>((uint64_t{1} << 32) * 8 + 16)
            : 16;
    char *middle() const { return static_cast<char *>(mem_) + kBytes / 2; }
    void *mem_;
};

// Empty and reversed ranges must neither read nor write either array: they
// are given arrays of which any element would fault.
TYPED_TEST(SortTest, NothingToSortReadsNothing) {
    using Key = TypeParam;
    if (sizeof(void *) < 8)
        GTEST_SKIP() << "a 32-bit address space has no room for arrays of "
                        "which every element faults";
    const Untouchable none;
    ASSERT_TRUE(none.ok()) << "cannot reserve the address space";
    Key *const keys = none.keys<Key>();
    int32_t *const ind = none.ind();
    struct Range {
        int32_t left, right;
    };
    const fixture::CommandResult r = fixture::run_in_child([&] {
        for (const WholeSort<Key> &s : kWholeSorts<Key>)
            for (int32_t count : {0, -1, -100, kMin32})
                if (s.takes_count || count != kMin32)
                    s.sort(keys, count, ind);
        for (const Range g : {Range{5, 4}, Range{0, -1}, Range{kMax32, kMin32},
                              Range{kMin32 + 1, kMin32}, Range{-1, -2}})
            for (int32_t deep : {0, 15, -1}) {
                qs(keys, g.left, g.right, ind);
                parallel_qs(keys, g.left, g.right, ind, deep);
            }
    });
    EXPECT_EQ(r.signal, 0) << "an array was touched";
    EXPECT_EQ(r.status, 0);
    for (const WholeSort<Key> &s : kWholeSorts<Key>) {
        const Arrays<Key> one = with_positions(keys_of<Key>({42}));
        EXPECT_TRUE(same_arrays(sorted_by(s, one), one)) << s.name;
    }
}

// ---------------------------------------------------------------------------
// Stack use.  The arrangement below makes the middle key the smallest of its
// range at every level, so the partition steps split off one element at a
// time and their literal recursion nests n levels deep.

// Rank of the key at each position: ranks 0..n-1 are handed out in order to
// whichever position sits in the middle of the remaining range, following
// the one exchange that each level then makes (its left end with its middle).
std::vector<int64_t> smallest_in_middle(int64_t n) {
    std::vector<int64_t> holder(static_cast<std::size_t>(n)), rank(holder);
    std::iota(holder.begin(), holder.end(), 0);
    for (int64_t left = 0; left < n; ++left) {
        const int64_t middle = (left + n - 1) / 2;
        rank[holder[middle]] = left;
        std::swap(holder[left], holder[middle]);
    }
    return rank;
}

// Distinct keys admit one result: keys ascending, and at each sorted
// position the position that held that key.
template <typename Key> Arrays<Key> known_result(const std::vector<Key> &keys) {
    Arrays<Key> a = with_positions(keys);
    std::sort(a.ind.begin(), a.ind.end(),
              [&](int32_t x, int32_t y) { return keys[x] < keys[y]; });
    std::sort(a.keys.begin(), a.keys.end());
    return a;
}

struct ThreadJob {
    const std::function<void()> *body;
};

void *run_job(void *job) {
    (*static_cast<ThreadJob *>(job)->body)();
    return nullptr;
}

// Runs body on a new thread with a stack of stack_bytes; false if no such
// thread could be started.
bool run_on_thread(std::size_t stack_bytes, const std::function<void()> &body) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, stack_bytes);
    ThreadJob job{&body};
    pthread_t thread;
    const bool started = pthread_create(&thread, &attr, run_job, &job) == 0;
    pthread_attr_destroy(&attr);
    if (started)
        pthread_join(thread, nullptr);
    return started;
}

// Runs check on a thread with a stack of stack_bytes in a child process, so
// that a stack overflow ends only the child: exit status 0 when check held,
// 1 when it did not, 2 with no thread.
fixture::CommandResult on_small_stack(std::size_t stack_bytes,
                                      const std::function<bool()> &check) {
    return fixture::run_in_child([&] {
        bool held = false;
        const bool ran = run_on_thread(stack_bytes, [&] { held = check(); });
        _exit(!ran ? 2 : held ? 0 : 1);
    });
}

constexpr std::size_t kSmallStack = 64 * 1024;
constexpr int32_t kDeepKeys = 12000;

// The arrangement with its larger half of keys made equal: the steps still
// split off one element at a time until only the equal keys are left, and
// the order those then receive records every exchange made on the way.
template <typename Key> std::vector<Key> deep_with_ties(int64_t n) {
    std::vector<int64_t> rank = smallest_in_middle(n);
    for (int64_t &r : rank)
        r = std::min(r, n / 2);
    return keys_of<Key>(rank);
}

TYPED_TEST(SortTest, ArrangementDrivesTheLiteralStepsDeep) {
    using Key = TypeParam;
    const Arrays<Key> input = with_positions(deep_with_ties<Key>(kDeepKeys));
    Arrays<Key> literal = input;
    Nesting nesting;
    ASSERT_TRUE(run_on_thread(256 << 20, [&] {
        reference_qs(literal.keys.data(), 0, kDeepKeys - 1, literal.ind.data(),
                     nesting);
    }));
    EXPECT_GE(nesting.deepest, kDeepKeys / 2);
    // Equal keys left in the order of their positions would check nothing.
    EXPECT_FALSE(
        std::is_sorted(literal.ind.begin() + kDeepKeys / 2, literal.ind.end()));
    for (const WholeSort<Key> &s : kWholeSorts<Key>)
        EXPECT_TRUE(same_arrays(sorted_by(s, input), literal)) << s.name;

    // The same steps run out of a small stack: this is what the routines
    // below must survive.
    const fixture::CommandResult r = on_small_stack(kSmallStack, [&] {
        Arrays<Key> a = input;
        Nesting n;
        reference_qs(a.keys.data(), 0, kDeepKeys - 1, a.ind.data(), n);
        return static_cast<bool>(same_arrays(a, literal));
    });
    EXPECT_NE(r.status, 0);
}

TYPED_TEST(SortTest, DeepArrangementSortsOnASmallStack) {
    using Key = TypeParam;
    const Arrays<Key> input =
        with_positions(keys_of<Key>(smallest_in_middle(kDeepKeys)));
    const Arrays<Key> want = known_result(input.keys);
    for (const WholeSort<Key> &s : kWholeSorts<Key>) {
        const fixture::CommandResult r = on_small_stack(kSmallStack, [&] {
            return static_cast<bool>(same_arrays(sorted_by(s, input), want));
        });
        EXPECT_EQ(r.status, 0) << s.name << ": signal " << r.signal;
    }
}

// A budget that is never spent keeps every level in the depth-bounded
// routine, which must then bound its own nesting.
TYPED_TEST(SortTest, UnspentBudgetsSortOnASmallStack) {
    using Key = TypeParam;
    const Arrays<Key> input =
        with_positions(keys_of<Key>(smallest_in_middle(kDeepKeys)));
    const Arrays<Key> want = known_result(input.keys);
    for (int32_t deep : {-1, kMin32, kMax32, 0}) {
        const fixture::CommandResult r = on_small_stack(kSmallStack, [&] {
            Arrays<Key> a = input;
            parallel_qs(a.keys.data(), 0, kDeepKeys - 1, a.ind.data(), deep);
            return static_cast<bool>(same_arrays(a, want));
        });
        EXPECT_EQ(r.status, 0) << "deep " << deep << ": signal " << r.signal;
    }
}

// ---------------------------------------------------------------------------
// Other tools reach the routines by name through the shared library (that
// every routine is exported is the Exports check of the build).

TEST(SharedLibrary, SortsWhenReachedByName) {
    void *lib = dlopen(build_info::shared_library, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using LongSort = void (*)(int32_t *, int32_t, int32_t *);
    auto sort = reinterpret_cast<LongSort>(dlsym(lib, "l_parallel_quicksort"));
    ASSERT_NE(sort, nullptr);
    Arrays<int32_t> a = with_positions(keys_of<int32_t>({-3, 8, -3, 0, 8, 1}));
    sort(a.keys.data(), 6, a.ind.data());
    EXPECT_TRUE(same_arrays(a, {{-3, -3, 0, 1, 8, 8}, {2, 0, 3, 5, 4, 1}}));
    dlclose(lib);
}

} // namespace
