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

// One grid point after the other, every segment judged anew.
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
    int segment = 0;
    for (int p = first; p <= last; ++p) {
        const double g = grid[p];
        int s = segment;
        while (s <= n - 2 && !(x[s] <= g && g <= x[s + 1])) ++s;
        if (s > n - 2) continue;
        segment = s;
        bool uncertain = marks[s] == 1 || marks[s + 1] == 1;
        bool invalidEnd = false;
        if (!uncertain) {
            if (invalid_z(z[s]) || invalid_z(z[s + 1])) {
                invalidEnd = true;
            } else {
                const double dx = x[s + 1] - x[s], dz = z[s + 1] - z[s];
                if ((std::fabs(dz / dx) >= slope && std::fabs(dz) >= stepT) || dx > 6.0 * pitch) {
                    marks[s] = 1;
                    uncertain = true;
                }
            }
        }
        double h = kInvalidHeight;
        uint8_t gr = 0;
        if (!uncertain && !invalidEnd) {
            interpolate(x, z, gray, s, g, &h, &gr);
        } else {
            const double toL = std::fabs(g - x[s]), toR = std::fabs(x[s + 1] - g);
            const bool l = toL <= pitch && !invalid_z(z[s]);
            const bool r = toR <= pitch && !invalid_z(z[s + 1]);
            if (l || r) {
                const int e = l && (!r || toL <= toR) ? s : s + 1;
                h = z[e], gr = gray[e];
            } else if (invalidEnd) {
            } else if (mode == 1 && !invalid_z(z[s]) && !invalid_z(z[s + 1])) {
                interpolate(x, z, gray, s, g, &h, &gr);
            } else if (mode == 2) {
                h = std::min(z[s], z[s + 1]), gr = std::min(gray[s], gray[s + 1]);
            }
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

}  // namespace
