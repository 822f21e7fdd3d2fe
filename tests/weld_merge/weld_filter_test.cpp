#include "sensor_interface/processing/weld_filter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr float kInvalid = -9999000.0f;
constexpr int kRows = 12;
constexpr int kCols = 10;
constexpr int kFullWidth = 8;

// A seam scanned top to bottom: row 0 empty, rows 1..3 only the bead (columns
// 4..6), rows 4..7 the full-width plate, rows 8..10 the bead again, row 11 empty.
struct Seam {
    std::vector<float> heights = std::vector<float>(kRows * kCols, kInvalid);
    std::vector<uint8_t> gray = std::vector<uint8_t>(kRows * kCols, 200);

    Seam(float headSurface = 100.0f, float tailSurface = 100.0f) {
        for (int r = 1; r <= 3; ++r) bead(r, headSurface);
        for (int r = 4; r <= 7; ++r)
            for (int c = 0; c < kCols; ++c) at(r, c) = 100.0f;
        for (int r = 8; r <= 10; ++r) bead(r, tailSurface);
    }
    void bead(int r, float h) {
        for (int c = 4; c <= 6; ++c) at(r, c) = h;
    }
    float& at(int r, int c) { return heights[r * kCols + c]; }
    uint8_t grayAt(int r, int c) const { return gray[r * kCols + c]; }
};

WeldFilterParams params(int ishead, bool grayOn = true, float thHigh = 20.0f) {
    WeldFilterParams p;
    p.ishead = ishead;
    p.th_high = thHigh;
    p.max_valid_width = kFullWidth;
    p.invalid = kInvalid;
    p.gray_filter_en = grayOn;
    return p;
}

struct EndsCase {
    int ishead;
    bool headSpatterRemoved;
    bool tailSpatterRemoved;
};

class WeldFilterEnds : public ::testing::TestWithParam<EndsCase> {};

TEST_P(WeldFilterEnds, RemovesSpatterOnlyInTheChosenEnds) {
    const EndsCase c = GetParam();
    Seam seam;
    seam.at(2, 5) = 150.0f;   // head spatter
    seam.at(9, 4) = 160.0f;   // tail spatter
    seam.at(5, 2) = 170.0f;   // on the full-width plate: never touched
    const std::vector<float> before = seam.heights;

    weld_filter(1, seam.heights.data(), seam.gray.data(), kRows, kCols, params(c.ishead));

    EXPECT_EQ(seam.at(2, 5), c.headSpatterRemoved ? kInvalid : 150.0f);
    EXPECT_EQ(seam.grayAt(2, 5), c.headSpatterRemoved ? 0 : 200);
    EXPECT_EQ(seam.at(9, 4), c.tailSpatterRemoved ? kInvalid : 160.0f);
    EXPECT_EQ(seam.grayAt(9, 4), c.tailSpatterRemoved ? 0 : 200);
    // Everything else is as it was.
    for (int i = 0; i < kRows * kCols; ++i) {
        if (i == 2 * kCols + 5 || i == 9 * kCols + 4) continue;
        EXPECT_EQ(seam.heights[i], before[i]) << "index " << i;
        EXPECT_EQ(seam.gray[i], 200) << "index " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, WeldFilterEnds,
                         ::testing::Values(EndsCase{1, true, false}, EndsCase{0, false, true},
                                           EndsCase{2, true, true}, EndsCase{3, false, false},
                                           EndsCase{-1, false, false}));

TEST(WeldFilter, GraySwitchOffLeavesTheCallersGrayAlone) {
    Seam seam;
    seam.at(2, 5) = 150.0f;
    weld_filter(1, seam.heights.data(), seam.gray.data(), kRows, kCols, params(2, false));
    EXPECT_EQ(seam.at(2, 5), kInvalid);
    for (uint8_t g : seam.gray) EXPECT_EQ(g, 200);
}

TEST(WeldFilter, NullGrayIsNeverWritten) {
    Seam seam;
    seam.at(2, 5) = 150.0f;
    weld_filter(1, seam.heights.data(), nullptr, kRows, kCols, params(2, true));
    EXPECT_EQ(seam.at(2, 5), kInvalid);
}

TEST(WeldFilter, TailEstimateIncludesTheHeadValuesWhenBothEndsAreCleaned) {
    // The bead is at 0 on the head side and at 100 on the tail side.
    Seam tailOnly(0.0f, 100.0f);
    tailOnly.at(9, 5) = 130.0f;
    Seam both = tailOnly;

    weld_filter(1, tailOnly.heights.data(), tailOnly.gray.data(), kRows, kCols, params(0));
    EXPECT_EQ(tailOnly.at(9, 5), kInvalid);
    EXPECT_EQ(tailOnly.at(9, 4), 100.0f);

    // Mean of nine zeros and nine tail values: every tail bead point is removed.
    weld_filter(1, both.heights.data(), both.gray.data(), kRows, kCols, params(2));
    for (int r = 8; r <= 10; ++r)
        for (int c = 4; c <= 6; ++c) EXPECT_EQ(both.at(r, c), kInvalid) << r << "," << c;
}

TEST(WeldFilter, ColumnWalkEndsAfterFiveHeightsAtOrBelowTheThreshold) {
    // A long head: rows 0..7 bead only, rows 8.. full width.
    const int rows = 10;
    std::vector<float> heights(rows * kCols, kInvalid);
    for (int r = 0; r < 8; ++r)
        for (int c = 4; c <= 6; ++c) heights[r * kCols + c] = 100.0f;
    for (int r = 8; r < rows; ++r)
        for (int c = 0; c < kCols; ++c) heights[r * kCols + c] = 100.0f;
    heights[6 * kCols + 4] = 150.0f;  // sixth value of column 4: behind the five kept
    heights[2 * kCols + 5] = 150.0f;  // third value of column 5

    weld_filter(1, heights.data(), nullptr, rows, kCols, params(1));
    EXPECT_EQ(heights[6 * kCols + 4], 150.0f);
    EXPECT_EQ(heights[2 * kCols + 5], kInvalid);
}

TEST(WeldFilter, ImageWithoutValidPointsIsUnchanged) {
    std::vector<float> heights(kRows * kCols, kInvalid);
    std::vector<uint8_t> gray(kRows * kCols, 7);
    weld_filter(1, heights.data(), gray.data(), kRows, kCols, params(2));
    for (float h : heights) EXPECT_EQ(h, kInvalid);
    for (uint8_t g : gray) EXPECT_EQ(g, 7);
}

TEST(WeldFilter, NullHeightsAndEmptyImagesDoNothing) {
    std::vector<uint8_t> gray(4, 9);
    weld_filter(1, nullptr, gray.data(), 2, 2, params(2));
    float one = 5.0f;
    weld_filter(1, &one, gray.data(), 0, 1, params(2));
    EXPECT_EQ(one, 5.0f);
    EXPECT_EQ(gray[0], 9);
}

TEST(WeldRegions, FindsHeadAndTailOfTheSeam) {
    Seam seam;
    const WeldRegions regions = find_weld_regions(seam.heights.data(), kRows, kCols, kFullWidth, kInvalid);
    EXPECT_EQ(regions.headStart, 1);
    EXPECT_EQ(regions.headEnd, 4);
    EXPECT_EQ(regions.tailStart, 11);
    EXPECT_EQ(regions.tailEnd, 7);
}

TEST(WeldRegions, WithoutAFullWidthRowTheRegionsSpanTheImage) {
    Seam seam;
    const WeldRegions regions = find_weld_regions(seam.heights.data(), kRows, kCols, kCols + 1, kInvalid);
    EXPECT_EQ(regions.headStart, 1);
    EXPECT_EQ(regions.headEnd, kRows - 1);  // head rows 1 .. rows - 2
    EXPECT_EQ(regions.tailStart, 11);       // the lowest empty row
    EXPECT_EQ(regions.tailEnd, 0);
}

TEST(WeldRegions, TailStartsAtTheLowestEmptyRowOrTheLastRow) {
    Seam seam;
    for (int c = 4; c <= 6; ++c) seam.at(11, c) = 100.0f;  // last row has data
    EXPECT_EQ(find_weld_regions(seam.heights.data(), kRows, kCols, kFullWidth, kInvalid).tailStart, 11);
    for (int c = 4; c <= 6; ++c) seam.at(9, c) = kInvalid;  // an empty row above it
    EXPECT_EQ(find_weld_regions(seam.heights.data(), kRows, kCols, kFullWidth, kInvalid).tailStart, 9);
}

TEST(WeldFilterParams, FromRegisters) {
    const WeldFilterParams codes = WeldFilterParams::fromRegisters(1500, 3, 2, 50, true);
    EXPECT_EQ(codes.max_valid_width, 1500);
    EXPECT_TRUE(codes.gray_filter_en);
    EXPECT_EQ(codes.ishead, 2);
    EXPECT_FLOAT_EQ(codes.th_high, 500.0f);
    EXPECT_EQ(codes.invalid, 0.0f);

    const WeldFilterParams heights = WeldFilterParams::fromRegisters(10, 0, 1, 250, false);
    EXPECT_FALSE(heights.gray_filter_en);
    EXPECT_EQ(heights.th_high, 250.0f);
    EXPECT_EQ(heights.invalid, kInvalid);
}

TEST(WeldFilterBatchRows, RoundTripKeepsSmallValuesAndTheInvalidMarker) {
    std::vector<int32_t> rows = {12345, -999900000, 0, 1, -1, -2147483647 - 1, 2147483647, 99999999};
    weld_filter_batch_rows(0, rows.data(), nullptr, 2, 4, false, nullptr);
    EXPECT_EQ(rows[0], 12345);
    EXPECT_EQ(rows[1], -999900000);
    EXPECT_EQ(rows[2], 0);
    EXPECT_EQ(rows[3], 1);
    EXPECT_EQ(rows[4], -1);
    // Beyond single precision the values come back as the nearest float.
    EXPECT_EQ(rows[5], -2147483600);
    EXPECT_EQ(rows[6], 2147483600);
    EXPECT_EQ(rows[7], 100000000);

    // 2147483647 becomes 2^31 in single precision: clamped back, not wrapped.
    std::vector<int32_t> codes = {0, 100, 65535, 2147483647};
    weld_filter_batch_rows(0, codes.data(), nullptr, 1, 4, true, nullptr);
    EXPECT_EQ(codes, (std::vector<int32_t>{0, 100, 65535, 2147483647}));
}

TEST(WeldFilterBatchRows, WeldsHeightRowsAndWritesTheExactInvalidMarker) {
    Seam seam;
    seam.at(2, 5) = 150.0f;
    std::vector<int32_t> rows(seam.heights.size());
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int32_t>(seam.heights[i] * 100.0);
    const WeldFilterParams weld = WeldFilterParams::fromRegisters(kFullWidth, 1, 1, 20, false);

    weld_filter_batch_rows(4, rows.data(), seam.gray.data(), kRows, kCols, false, &weld);
    EXPECT_EQ(rows[2 * kCols + 5], -999900000);
    EXPECT_EQ(seam.grayAt(2, 5), 0);
    EXPECT_EQ(rows[1 * kCols + 5], 10000);
    EXPECT_EQ(rows[0], -999900000);
}

TEST(WeldFilterBatchRows, CodesUseZeroAsInvalid) {
    Seam seam(1000.0f, 1000.0f);
    std::vector<int32_t> rows(seam.heights.size());
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = seam.heights[i] > kInvalid ? 1000 : 0;
    rows[2 * kCols + 5] = 3000;
    // Register 785 = 50 tenths: a threshold of 500 codes above the surface.
    const WeldFilterParams weld = WeldFilterParams::fromRegisters(kFullWidth, 0, 1, 50, true);
    weld_filter_batch_rows(4, rows.data(), seam.gray.data(), kRows, kCols, true, &weld);
    EXPECT_EQ(rows[2 * kCols + 5], 0);
    EXPECT_EQ(rows[1 * kCols + 5], 1000);
    EXPECT_EQ(seam.grayAt(2, 5), 200);
}

TEST(WeldFilterLog, LineUsesTheStreamsDefaultFormatting) {
    WeldFilterParams p = params(2, true, 0.5f);
    EXPECT_EQ(weld_filter_log_line(3, 12, 10, p),
              "weld filter[3]: rows 12, cols 10, ishead 2, th_high 0.5, max_valid_width 8, "
              "invalid -9.999e+06, gray_filter_en 1");
    p.gray_filter_en = false;
    p.th_high = 1234567.0f;
    EXPECT_EQ(weld_filter_log_line(0, 1, 2, p),
              "weld filter[0]: rows 1, cols 2, ishead 2, th_high 1.23457e+06, max_valid_width 8, "
              "invalid -9.999e+06, gray_filter_en 0");
}

}  // namespace
