#pragma once
// The batch thread's window of the region of interest, in profile points:
// first = trunc(register 359 x k), last = trunc(register 358 x k + first - 1),
// k the profile points per camera column. The registers are 32-bit (an
// unreadable one counts as 0xFFFFFFFF), so the products are taken wide.
// A point j lies inside when first <= j <= last compared as unsigned numbers
// (so a last of -1 takes every point).
#include <climits>
#include <cmath>
#include <cstdint>

struct BatchWindow {
    int64_t first = 0;
    int64_t last = -1;

    bool contains(int64_t j) const {
        return static_cast<uint64_t>(first) <= static_cast<uint64_t>(j) &&
               static_cast<uint64_t>(j) <= static_cast<uint64_t>(last < 0 ? UINT32_MAX : last);
    }
    // The points of a profile of `width` points that lie inside: lo..hi
    // (hi < lo when none).
    void insideOf(int width, int* lo, int* hi) const {
        const uint64_t end = static_cast<uint64_t>(last < 0 ? UINT32_MAX : last);
        const uint64_t start = static_cast<uint64_t>(first);
        *lo = static_cast<int>(start > static_cast<uint64_t>(width) ? width : start);
        *hi = static_cast<int>(end >= static_cast<uint64_t>(width) ? width - 1 : end);
        if (start > end) *hi = *lo - 1;
    }
    // As the windows keep them (int): clamped.
    int firstColumn() const { return static_cast<int>(first > INT_MAX ? INT_MAX : first); }
    int lastColumn() const { return static_cast<int>(last > INT_MAX ? INT_MAX : last < INT_MIN ? INT_MIN : last); }
};

inline BatchWindow batchWindow(uint32_t register359, uint32_t register358, double pointsPerColumn) {
    BatchWindow window;
    window.first = static_cast<int64_t>(std::trunc(register359 * pointsPerColumn));
    window.last = static_cast<int64_t>(std::trunc(register358 * pointsPerColumn + window.first - 1));
    return window;
}
