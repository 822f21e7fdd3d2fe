// The ROI and peak pages' arithmetic.
#include <gtest/gtest.h>

#include <vector>

#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/peak_roi_pages.h"

namespace {

IgnoreAreaRecord band(int y0, int y1) { return IgnoreAreaRecord{1, 0, uint16_t(y0), 2047, uint16_t(y1), 0, 0, 1}; }

TEST(RoiBounds, FromTheXRoiRegistersAndTheBands) {
    // A '6' head: 2048 columns, 1024 rows, 6000 points.
    const double perColumn = 6000.0 / 2048.0;
    const shape_block::ZWindow full = shape_block::zWindow(1024, 0);
    const RoiBounds roi = roiBounds(16, 192, perColumn, 1024, full, {band(0, 20), band(100, 1023)});
    EXPECT_EQ(roi.start, 47);
    EXPECT_EQ(roi.end, 608);
    EXPECT_EQ(roi.top, 20);
    EXPECT_EQ(roi.bottom, 100);

    const RoiBounds whole = roiBounds(0, 2048, perColumn, 1024, full, {});
    EXPECT_EQ(whole.start, 0);
    EXPECT_EQ(whole.end, 5999);
    EXPECT_EQ(whole.top, 0);
    EXPECT_EQ(whole.bottom, 1023);

    // Half window of a 608-row head: o = 152, the bands in sensor rows.
    const shape_block::ZWindow half = shape_block::zWindow(608, 1);
    const RoiBounds windowed = roiBounds(0, 2048, 3200.0 / 2048.0, 608, half, {band(152, 172), band(455, 455)});
    EXPECT_EQ(windowed.top, 20);
    EXPECT_EQ(windowed.bottom, 303);
}

TEST(RoiBounds, UserAreasDoNotMoveTheRegion) {
    IgnoreAreaRecord area = band(0, 50);
    area.flag = 0;
    const RoiBounds roi = roiBounds(0, 2048, 1.5625, 608, shape_block::zWindow(608, 0), {area});
    EXPECT_EQ(roi.top, 0);
    EXPECT_EQ(roi.bottom, 607);
}

TEST(RoiPoints, DrawnColumnsTruncateToProfilePoints) {
    EXPECT_EQ(roiPointsOfColumns(10, 200, 6000, 2048), std::make_pair(52, 609));
    EXPECT_EQ(roiPointsOfColumns(0, 2031, 6000, 2048), std::make_pair(23, 5973));
    EXPECT_EQ(roiPointsOfColumns(0, 831, 848, 848), std::make_pair(8, 839));
}

TEST(PeakThreshold, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(peakThresholdWord(1.5), 192);
    EXPECT_EQ(peakThresholdWord(0.78), 100);
    EXPECT_EQ(peakThresholdWord(100.0 / 128.0), 100);
    EXPECT_EQ(peakThresholdWord(0.5 / 128.0), 1);
    EXPECT_EQ(peakThresholdWord(8191.0), 8191 * 128);
}

}  // namespace
