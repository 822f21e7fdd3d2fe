#include "views/height/height_map_denoise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float N = -9999.0f;

std::vector<float> indexCoords(int n) {
    std::vector<float> c(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) c[static_cast<size_t>(i)] = static_cast<float>(i);
    return c;
}

// The line as every row of a square grid (maxGap is cut to the smaller grid
// size, so a single row could never be filled); the columns are then constant.
HeightGrid rowGrid(const std::vector<float>& values) {
    const auto n = static_cast<Eigen::Index>(values.size());
    HeightGrid g(n, n);
    for (Eigen::Index r = 0; r < n; ++r)
        for (Eigen::Index c = 0; c < n; ++c) g(r, c) = values[static_cast<size_t>(c)];
    return g;
}

HeightGrid columnGrid(const std::vector<float>& values) { return rowGrid(values).transpose(); }

// The first row of a row grid; every row must be the same.
std::vector<float> firstRow(const HeightGrid& g) {
    std::vector<float> out;
    for (Eigen::Index c = 0; c < g.cols(); ++c) out.push_back(g(0, c));
    for (Eigen::Index r = 1; r < g.rows(); ++r)
        for (Eigen::Index c = 0; c < g.cols(); ++c) EXPECT_EQ(out[static_cast<size_t>(c)], g(r, c));
    return out;
}

std::vector<float> firstColumn(const HeightGrid& g) { return firstRow(g.transpose()); }

void expectValues(const std::vector<float>& expected, const std::vector<float>& actual, const std::string& name) {
    ASSERT_EQ(expected.size(), actual.size()) << name;
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(expected[i], actual[i], 1e-5) << name << " at " << i;
}

// ---- nullAwareMovingAverage ----

struct AverageCase {
    const char* name;
    std::vector<float> in;
    int window;
    std::vector<float> expected;
};

TEST(NullAwareMovingAverage, Table) {
    const std::vector<AverageCase> cases = {
        {"window 2 reads v[0] before the start", {0, 2, 4, 6}, 2, {0, 1, 3, 5}},
        {"odd window raised to the next even", {0, 2, 4, 6}, 1, {0, 1, 3, 5}},
        {"window 4 reads v[n-1] after the end", {0, 4, 8, 12}, 4, {1, 3, 6, 9}},
        {"window 3 is window 4", {0, 4, 8, 12}, 3, {1, 3, 6, 9}},
        {"nulls left out of the mean and kept null", {1, N, 3, 5}, 2, {1, N, 3, 4}},
        {"all neighbours null: the value keeps its own", {N, 7, N, N}, 2, {N, 7, N, N}},
        {"fewer values than the window: unchanged", {1, 2, 3}, 4, {1, 2, 3}},
        {"odd window raised past the size: unchanged", {1, 2, 3}, 3, {1, 2, 3}},
        {"window 0: unchanged", {1, 5, 3}, 0, {1, 5, 3}},
        {"negative window: unchanged", {1, 5, 3}, -3, {1, 5, 3}},
    };
    for (const AverageCase& c : cases) {
        std::vector<float> v = c.in;
        nullAwareMovingAverage(v, c.window, N);
        expectValues(c.expected, v, c.name);
    }
}

// ---- HeightMapDenoise: outliers ----

struct Params {
    int window = 4;
    double k = 1;
    double dz = 0.01;
    int removeRadius = 2;
    int minRun = 0;
    int maxGap = 0;
    float slope = 5.0f;
};

void denoise(HeightGrid& g, const Params& p) {
    HeightMapDenoise(g, indexCoords(static_cast<int>(g.cols())), indexCoords(static_cast<int>(g.rows())), p.window,
                     p.k, p.dz, p.removeRadius, p.minRun, p.maxGap, p.slope, N);
}

HeightGrid spikeGrid(int rows, int cols, int spikeRow, int spikeCol) {
    HeightGrid g = HeightGrid::Zero(rows, cols);
    g(spikeRow, spikeCol) = 5.0f;
    return g;
}

std::vector<int> nulledRows(const HeightGrid& g, int col) {
    std::vector<int> rows;
    for (int r = 0; r < g.rows(); ++r)
        if (g(r, col) == N) rows.push_back(r);
    return rows;
}

struct SpikeCase {
    const char* name;
    int rows, cols;
    Params params;
    std::vector<int> nulled;  // rows of the spike's column that become null
};

TEST(HeightMapDenoise, OutliersAroundASpike) {
    Params base;
    Params noDz = base;
    noDz.dz = 6.0;  // the spike's residual stays below the tolerance
    Params longWindow = base;
    longWindow.window = 32;
    Params zeroWindow = base;
    zeroWindow.window = 0;
    zeroWindow.dz = 0;
    Params wideRadius = base;
    wideRadius.removeRadius = 50;
    const std::vector<SpikeCase> cases = {
        {"k 1, dz 0.01, radius 2 nulls 5 rows", 20, 6, base, {8, 9, 10, 11, 12}},
        {"radius cut to rows/2 - 1 and cols/2 - 1", 20, 8, wideRadius, {7, 8, 9, 10, 11, 12, 13}},
        {"two columns cut the radius to 0", 20, 2, base, {10}},
        {"one column makes it negative: nothing cleared", 20, 1, base, {}},
        {"residual below dz", 20, 6, noDz, {}},
        {"window above an even row count is cut to it", 20, 6, longWindow, {8, 9, 10, 11, 12}},
        {"window above an odd row count leaves the column", 21, 6, longWindow, {}},
        {"window 0 smooths nothing and finds nothing", 20, 6, zeroWindow, {}},
    };
    for (const SpikeCase& c : cases) {
        HeightGrid g = spikeGrid(c.rows, c.cols, 10, c.cols / 2);
        denoise(g, c.params);
        EXPECT_EQ(c.nulled, nulledRows(g, c.cols / 2)) << c.name;
        for (int col = 0; col < c.cols; ++col) {
            if (col == c.cols / 2) continue;
            EXPECT_TRUE(nulledRows(g, col).empty()) << c.name << " column " << col;
        }
    }
}

TEST(HeightMapDenoise, FlatGridWithZeroToleranceStaysWhole) {
    HeightGrid g = HeightGrid::Constant(12, 6, 2.5f);
    Params p;
    p.dz = 0;
    p.k = 0;
    denoise(g, p);
    EXPECT_TRUE((g.array() == 2.5f).all());
}

// ---- HeightMapDenoise: gaps ----

struct GapCase {
    const char* name;
    std::vector<float> line;
    int minRun, maxGap;
    float slope;
    std::vector<float> alongX;  // the line as a row
    std::vector<float> alongY;  // the same line as a column
};

TEST(HeightMapDenoise, GapsAlongBothDirections) {
    const std::vector<float> s = {1, 1, 1, 1, 1, 1, 1, N, 2, 2, N, 1, 1, 1, 1, 1, 1, 1};
    const std::vector<float> sCleared = {1, 1, 1, 1, 1, 1, 1, N, N, N, N, 1, 1, 1, 1, 1, 1, 1};
    const std::vector<float> lead = {1, 1, 1, N, 1, 1, 1, 1, 1, 1, 1, 1};
    const std::vector<float> leadCleared = {N, N, N, N, 1, 1, 1, 1, 1, 1, 1, 1};
    const std::vector<float> ramp = {0, 0, 0, 0, 0, 0, N, N, 3, 3, 3, 3, 3, 3};
    const std::vector<float> rampLinear = {0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3, 3};
    const std::vector<float> rampHigh = {0, 0, 0, 0, 0, 0, 3, 3, 3, 3, 3, 3, 3, 3};
    const std::vector<float> rampCleared = {0, 0, 0, 0, 0, 0, N, N, 3, 3, 3, 3, 3, 3};
    const std::vector<float> edges = {N, 7, N, 5, 5, 5, 5, 5, 5, 5, 5, N, 9, N, N};
    const std::vector<float> edgesX = {N, N, N, 5, 5, 5, 5, 5, 5, 5, 5, N, N, N, N};
    const std::vector<float> noisy = {4, 4, 4, 4, N, 8, N, 6, 6, 6, 6};
    const std::vector<float> noisyFilled = {4, 4, 4, 4, 4.5f, 5, 5.5f, 6, 6, 6, 6};
    const std::vector<GapCase> cases = {
        {"defaults: a short run inside a gap goes with it", s, 5, 0, 5.0f, sCleared, sCleared},
        {"leading run of at most minRun points is noise", lead, 5, 0, 5.0f, leadCleared, leadCleared},
        {"slope below the threshold: linear fill", ramp, 5, 3, 5.0f, rampLinear, rampLinear},
        {"slope at the threshold: the higher end", ramp, 5, 3, 1.0f, rampHigh, rampHigh},
        {"slope above the threshold: the higher end", ramp, 5, 3, 0.5f, rampHigh, rampHigh},
        {"gap longer than maxGap: cleared", ramp, 5, 2, 5.0f, rampCleared, rampCleared},
        {"gaps at the ends: cleared along x, kept along y", edges, 2, 5, 5.0f, edgesX, edges},
        {"noise inside a short gap is filled over", noisy, 1, 4, 5.0f, noisyFilled, noisyFilled},
    };
    for (const GapCase& c : cases) {
        Params p;
        p.window = 0;
        p.minRun = c.minRun;
        p.maxGap = c.maxGap;
        p.slope = c.slope;
        HeightGrid row = rowGrid(c.line);
        denoise(row, p);
        expectValues(c.alongX, firstRow(row), std::string(c.name) + " (row)");
        HeightGrid column = columnGrid(c.line);
        denoise(column, p);
        expectValues(c.alongY, firstColumn(column), std::string(c.name) + " (column)");
    }
}

TEST(HeightMapDenoise, MaxGapIsCutToTheGridSize) {
    // maxGap 100 on a grid of 2 rows is cut to 2: a gap of two (b - a = 3) stays a gap.
    HeightGrid g(2, 6);
    g << 1, N, N, 1, 1, 1,  //
        1, N, 1, 1, 1, 1;
    Params p;
    p.window = 0;
    p.minRun = 0;
    p.maxGap = 100;
    denoise(g, p);
    HeightGrid expected(2, 6);
    expected << 1, N, N, 1, 1, 1,  //
        1, 1, 1, 1, 1, 1;
    EXPECT_TRUE(g.isApprox(expected)) << g;
}

TEST(HeightMapDenoise, SlopeUsesTheCoordinates) {
    // The same rise over a wide pitch is gentle enough for a linear fill.
    HeightGrid g = rowGrid({0, 0, 0, N, 4, 4, 4});
    const std::vector<float> xs = {0, 10, 20, 30, 40, 50, 60};
    HeightMapDenoise(g, xs, indexCoords(7), 0, 1, 0.01, 0, 0, 2, 1.0f, N);
    expectValues({0, 0, 0, 2, 4, 4, 4}, firstRow(g), "pitch 10");
    g = rowGrid({0, 0, 0, N, 4, 4, 4});
    HeightMapDenoise(g, indexCoords(7), indexCoords(7), 0, 1, 0.01, 0, 0, 2, 1.0f, N);
    expectValues({0, 0, 0, 4, 4, 4, 4}, firstRow(g), "pitch 1");
}

TEST(HeightMapDenoise, EmptyGridIsLeftAlone) {
    HeightGrid g(0, 0);
    HeightMapDenoise(g, {}, {}, 32, 1, 1, 0, 5, 0, 5.0f, N);
    EXPECT_EQ(0, g.size());
}

}  // namespace
