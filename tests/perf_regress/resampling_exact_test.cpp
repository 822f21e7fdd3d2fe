// The optimised resampling against the plain per-grid-point algorithm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "sensor_interface/processing/resampling.h"
#include "tests/perf_regress/exactness_support.h"
#include "tests/perf_regress/plain_resampling.h"

namespace {

using namespace perf_regress;

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
