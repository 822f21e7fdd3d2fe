// The optimised resampling against the plain per-grid-point algorithm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "sensor_interface/processing/resampling.h"
#include "tests/perf_regress/exactness_support.h"

namespace {

using namespace perf_regress;

bool invalid_z(double v) { return std::fabs(v - kInvalidHeight) < 0.000001; }

// The interpolation of segment s at g as written: ((g - x[s]) z[s + 1] +
// (x[s + 1] - g) z[s]) / dx, the gray likewise and truncated. Ends at one x
// (dx 0) give the left end.
void interpolate(const double* x, const double* z, const uint8_t* gray, int s, double g,
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
bool take_end(const double* x, const double* z, const uint8_t* gray, int e, double g, double pitch,
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
void reference_resample(const double* x, const double* z, const uint8_t* gray, int32_t* marks,
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

TEST(ResamplingExactness, MatchesThePlainAlgorithmBitForBitOnRandomFrames) {
    std::mt19937 rng(20261210);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 600; ++round) {
        const int n = 2 + static_cast<int>(rng() % 400);
        const Columns c = random_columns(rng, n);
        const int m = 1 + static_cast<int>(rng() % 700);
        const double pitch = 0.2 + 1.5 * unit(rng);
        const double start = c.x.front() - 20.0 * unit(rng);
        std::vector<double> grid(m);
        for (int p = 0; p < m; ++p) grid[p] = start + p * pitch;
        const int mode = static_cast<int>(rng() % 3);
        const double slope = round % 4 == 0 ? 1e9 : 5.0 * unit(rng);
        const double step = round % 4 == 0 ? 1e9 : 10.0 * unit(rng);

        std::vector<int32_t> marksRef = c.marks, marksNew = c.marks;
        std::vector<double> hRef(m, kInvalidHeight), hNew(m, kInvalidHeight);
        std::vector<uint8_t> gRef(m, 0), gNew(m, 0);
        reference_resample(c.x.data(), c.z.data(), c.gray.data(), marksRef.data(), n, grid.data(),
                           hRef.data(), gRef.data(), m, slope, step, mode);
        resample_to_grid(c.x.data(), c.z.data(), c.gray.data(), marksNew.data(), n, grid.data(),
                         hNew.data(), gNew.data(), m, slope, step, mode, kInvalid);
        ASSERT_TRUE(same_bits(hRef, hNew)) << "round " << round;
        ASSERT_EQ(gRef, gNew) << "round " << round;
        ASSERT_EQ(marksRef, marksNew) << "round " << round;
    }
}

// x that never decreases, as the pipeline leaves it after the fold repair:
// equal neighbours, wide gaps, steps and invalid runs, grids both finer and
// coarser than the columns, grid points right on columns.
TEST(ResamplingExactness, SortedColumnsMatchThePlainAlgorithmBitForBit) {
    std::mt19937 rng(424242);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 800; ++round) {
        const int n = 2 + static_cast<int>(rng() % 500);
        Columns c = random_columns(rng, n);
        std::sort(c.x.begin(), c.x.end());
        if (round % 5 == 0)  // whole-number x: grid points land on columns
            for (double& v : c.x) v = std::floor(v);
        const double span = c.x.back() - c.x.front();
        const double pitch = round % 7 == 0 ? 1.0 : (0.05 + 2.0 * unit(rng)) * (span + 1.0) / n;
        const double start = round % 5 == 0 ? std::floor(c.x.front()) - 3.0
                                            : c.x.front() - 4.0 * pitch * unit(rng);
        const int m = 1 + static_cast<int>((span + 8.0 * pitch) / pitch * unit(rng)) + 2;
        std::vector<double> grid(m);
        for (int p = 0; p < m; ++p) grid[p] = (p + start / pitch) * pitch;
        if (round % 3 == 1) {  // a grid that is not quite uniform
            for (int p = 1; p < m; ++p) grid[p] += 0.45 * pitch * unit(rng);
            std::sort(grid.begin(), grid.end());
        }
        if (round % 2 == 0) {  // columns right on grid points
            for (int k = 0; k < n / 4; ++k) c.x[rng() % n] = grid[rng() % m];
            std::sort(c.x.begin(), c.x.end());
        }
        const int mode = static_cast<int>(rng() % 3);
        const double slope = round % 4 == 0 ? 1e9 : 5.0 * unit(rng);
        const double step = round % 4 == 0 ? 1e9 : 10.0 * unit(rng);

        std::vector<int32_t> marksRef = c.marks, marksNew = c.marks, marksMasked = c.marks;
        std::vector<double> hRef(m, kInvalidHeight), hNew(m, kInvalidHeight), hMasked(m, kInvalidHeight);
        std::vector<uint8_t> gRef(m, 0), gNew(m, 0), gMasked(m, 0);
        reference_resample(c.x.data(), c.z.data(), c.gray.data(), marksRef.data(), n, grid.data(),
                           hRef.data(), gRef.data(), m, slope, step, mode);
        resample_to_grid(c.x.data(), c.z.data(), c.gray.data(), marksNew.data(), n, grid.data(),
                         hNew.data(), gNew.data(), m, slope, step, mode, kInvalid);
        resample_and_mask(c.x.data(), c.z.data(), c.gray.data(), marksMasked.data(), n,
                          grid.data(), hMasked.data(), gMasked.data(), m, slope, step, mode, kInvalid);
        ASSERT_TRUE(same_bits(hRef, hNew)) << "round " << round;
        ASSERT_EQ(gRef, gNew) << "round " << round;
        ASSERT_EQ(marksRef, marksNew) << "round " << round;
        // The masked form: the gray of every invalid grid point is 0.
        for (int p = 0; p < m; ++p)
            if (invalid_z(hRef[p])) gRef[p] = 0;
        ASSERT_TRUE(same_bits(hRef, hMasked)) << "round " << round;
        ASSERT_EQ(gRef, gMasked) << "round " << round;
        ASSERT_EQ(marksRef, marksMasked) << "round " << round;
    }
}

}  // namespace
