#pragma once
// The resampling as written, one grid point after the other: the plain form
// that the optimised resampling and the whole frame path are compared with.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tests/perf_regress/exactness_support.h"

namespace perf_regress {

inline bool invalid_z(double v) { return std::fabs(v - kInvalidHeight) < 0.000001; }

// The interpolation of segment s at g as written: ((g - x[s]) z[s + 1] +
// (x[s + 1] - g) z[s]) / dx, the gray likewise and truncated. Ends at one x
// (dx 0) give the left end.
inline void interpolate(const double* x, const double* z, const uint8_t* gray, int s, double g,
                 double* h, uint8_t* gr) {
    const double dx = x[s + 1] - x[s];
    if (dx == 0.0) {
        *h = z[s];
        *gr = gray[s];
        return;
    }
    *h = ((g - x[s]) * z[s + 1] + (x[s + 1] - g) * z[s]) / dx;
    *gr = static_cast<uint8_t>(
        static_cast<int>(((g - x[s]) * gray[s + 1] + (x[s + 1] - g) * gray[s]) / dx));
}

// An end is taken when its height is valid and it lies within one pitch of g;
// the left end is asked first.
inline bool take_end(const double* x, const double* z, const uint8_t* gray, int e, double g, double pitch,
              double* h, uint8_t* gr) {
    if (!(std::fabs(g - x[e]) <= pitch) || invalid_z(z[e])) return false;
    *h = z[e];
    *gr = gray[e];
    return true;
}

// The resampling as written, one grid point after the other:
//   1. pitch = grid[1] - grid[0];
//   2./3. grid points left of x[0] and right of x[n - 1] are invalid, gray 0;
//   4. each other grid point finds its segment s (x[s] <= g <= x[s + 1]),
//      searching on from the previous one; then
//      - a run mark on either end makes the segment uncertain;
//      - else an invalid end: the left end, else the right end (valid and
//        within one pitch), else invalid with gray 0;
//      - else a steep segment (|dz/dx| >= slope and |dz| >= step) or one wider
//        than six pitches marks its left end and is uncertain; any other is
//        interpolated;
//      - uncertain: gray 0, then the left end, else the right end (valid and
//        within one pitch), else by mode: 1 the interpolation (two valid ends
//        only), 2 the lower height and the lower gray, other invalid.
//   A grid point inside no segment keeps what it held.
inline void reference_resample(const double* x, const double* z, const uint8_t* gray, int32_t* marks,
                        int n, const double* grid, double* heights, uint8_t* grayOut, int m,
                        double slope, double stepT, int mode) {
    if (m <= 0) return;
    if (n <= 0) {
        for (int p = 0; p < m; ++p) heights[p] = kInvalidHeight, grayOut[p] = 0;
        return;
    }
    const double pitch = m >= 2 ? grid[1] - grid[0] : 0.0;
    int first = 0;
    while (first < m && !(x[0] <= grid[first])) heights[first] = kInvalidHeight, grayOut[first++] = 0;
    int last = m - 1;
    while (last >= first && !(grid[last] <= x[n - 1])) heights[last] = kInvalidHeight, grayOut[last--] = 0;
    int found = 0;  // the segment of the previous grid point
    for (int p = first; p <= last; ++p) {
        const double g = grid[p];
        int s = found;
        while (s <= n - 2 && !(x[s] <= g && g <= x[s + 1])) ++s;
        if (s > n - 2) continue;
        found = s;
        double h = kInvalidHeight;
        uint8_t gr = 0;
        bool uncertain = marks[s] == 1 || marks[s + 1] == 1;
        if (!uncertain && (invalid_z(z[s]) || invalid_z(z[s + 1]))) {
            if (!take_end(x, z, gray, s, g, pitch, &h, &gr) &&
                !take_end(x, z, gray, s + 1, g, pitch, &h, &gr))
                h = kInvalidHeight, gr = 0;
            heights[p] = h, grayOut[p] = gr;
            continue;
        }
        if (!uncertain) {
            const double dx = x[s + 1] - x[s], dz = z[s + 1] - z[s];
            if ((std::fabs(dz / dx) >= slope && std::fabs(dz) >= stepT) || dx > 6.0 * pitch) {
                marks[s] = 1;
                uncertain = true;
            }
        }
        if (!uncertain) {
            interpolate(x, z, gray, s, g, &h, &gr);
        } else if (take_end(x, z, gray, s, g, pitch, &h, &gr) ||
                   take_end(x, z, gray, s + 1, g, pitch, &h, &gr)) {
        } else if (mode == 1 && !invalid_z(z[s]) && !invalid_z(z[s + 1])) {
            interpolate(x, z, gray, s, g, &h, &gr);
        } else if (mode == 2) {
            h = std::min(z[s], z[s + 1]), gr = std::min(gray[s], gray[s + 1]);
        } else {
            h = kInvalidHeight, gr = 0;
        }
        heights[p] = h;
        grayOut[p] = gr;
    }
}

}  // namespace perf_regress
