#pragma once

#include <cstdint>
#include <limits>

// Sizes and block counts come from the file system and may be anything up to 2^63 - 1 (a sparse file
// on xfs or btrfs): sums of them stop at the largest value instead of wrapping negative.
namespace saturating {

constexpr int64_t add(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

constexpr int64_t sub(int64_t a, int64_t b) {
    int64_t difference = 0;
    if (!__builtin_sub_overflow(a, b, &difference)) return difference;
    return b < 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

} // namespace saturating
