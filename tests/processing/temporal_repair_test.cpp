#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/processing/temporal_repair.h"
#include "sensor_interface/settings/hvq5_settings.h"

namespace {

constexpr int kInvalid = -9999000;
constexpr double I = kInvalidHeight;

// A processor whose temporal repair is on (fill 3, keep 2), frames of 4 points.
class TemporalRepair : public ::testing::Test {
protected:
    static constexpr int kWidth = 4;

    TemporalRepair() : processor(848, 848, 1.0) {
        std::memset(&params, 0, sizeof(params));
        settings.set_regvals(190, 3);
        settings.set_regvals(191, 2);
        processor.bind(&settings, &params);
    }

    // Frame k carries height k at every point; returns whether a frame came out
    // and, if so, its first height.
    bool feed(int k, int width, double* released) {
        std::fill(processor.heightsOut(), processor.heightsOut() + width, double(k));
        std::fill(processor.grayOutRow(), processor.grayOutRow() + width, uint8_t(k));
        processor.updateTemporalRepair(k == 0, width);
        processor.runTemporalRepair(width);
        *released = processor.heightsOut()[0];
        return processor.frameReady == 1;
    }

    hvq5_settings settings;
    zp_laser_reg::laser_params params;
    ProfileProcessor processor;
};

TEST_F(TemporalRepair, LongBatchReleasesFromCall511AndTheRestInTheFlush) {
    std::vector<double> released;
    for (int k = 0; k < 600; ++k) {
        double first;
        if (feed(k, kWidth, &first)) {
            if (released.empty()) {
                EXPECT_EQ(k + 1, 511);
            }
            released.push_back(first);
        }
    }
    EXPECT_EQ(released.size(), 90u);
    int flushed = 0;
    EXPECT_TRUE(processor.flushRepair(600, [&] {
        ++flushed;
        released.push_back(processor.heightsOut()[0]);
    }));
    EXPECT_EQ(flushed, 510);
    ASSERT_EQ(released.size(), 600u);
    for (int k = 0; k < 600; ++k) EXPECT_DOUBLE_EQ(released[k], k);
}

TEST_F(TemporalRepair, ShortBatchReleasesEverythingInTheFlush) {
    double first;
    for (int k = 0; k < 100; ++k) EXPECT_FALSE(feed(k, kWidth, &first));
    std::vector<double> released;
    EXPECT_TRUE(processor.flushRepair(100, [&] { released.push_back(processor.heightsOut()[3]); }));
    ASSERT_EQ(released.size(), 100u);
    EXPECT_DOUBLE_EQ(released.front(), 0.0);
    EXPECT_DOUBLE_EQ(released.back(), 99.0);
    EXPECT_EQ(processor.temporalRepair()->frameCount(), 610);
    // After the flush frames pass through untouched and none comes out.
    EXPECT_FALSE(feed(5, kWidth, &first));
    EXPECT_DOUBLE_EQ(first, 5.0);
}

// A batch end that counts no frames (frames came outside the batch, or the
// batch was started again) reaches the last state before anything was stored
// long enough: the flush ends without handing out a frame it never released.
TEST_F(TemporalRepair, FlushOfABatchWithoutFramesHandsOutNothing) {
    double first;
    EXPECT_FALSE(feed(0, kWidth, &first));
    int appended = 0;
    EXPECT_TRUE(processor.flushRepair(0, [&] { ++appended; }));
    EXPECT_EQ(appended, 0);
}

TEST_F(TemporalRepair, WithoutRepairEveryFrameIsReadyAndTheFlushDoesNothing) {
    settings.set_regvals(190, 0);
    settings.set_regvals(191, 0);
    double first;
    EXPECT_TRUE(feed(0, kWidth, &first));
    EXPECT_EQ(processor.temporalRepair(), nullptr);
    bool called = false;
    EXPECT_FALSE(processor.flushRepair(1, [&] { called = true; }));
    EXPECT_FALSE(called);
}

TEST_F(TemporalRepair, LimitsAbove512CountAsOne) {
    EXPECT_EQ(temporal_repair_limit(513), 1);
    EXPECT_EQ(temporal_repair_limit(512), 512);
    EXPECT_EQ(temporal_repair_limit(0), 0);
}

// The stage keeps the width of the batch's first frame; wider or narrower frames
// must neither overrun its rows nor leak another frame's points into the output.
TEST_F(TemporalRepair, FramesOfAnotherWidthStayInsideTheRows) {
    double first;
    feed(0, kWidth, &first);
    for (int k = 1; k < 520; ++k) {
        const int width = k % 2 ? 2 * kWidth : 2;
        std::fill(processor.heightsOut(), processor.heightsOut() + 848, double(k));
        processor.updateTemporalRepair(false, width);
        processor.runTemporalRepair(width);
        if (k == 511) {  // releases frame 1, 8 points wide, cut to 4
            ASSERT_EQ(processor.frameReady, 1);
            EXPECT_DOUBLE_EQ(processor.heightsOut()[3], 1.0);
            for (int i = kWidth; i < 2 * kWidth; ++i) EXPECT_DOUBLE_EQ(processor.heightsOut()[i], I);
        }
        if (k == 512) {  // releases frame 2, 2 points wide, padded
            EXPECT_DOUBLE_EQ(processor.heightsOut()[1], 2.0);
            EXPECT_DOUBLE_EQ(processor.heightsOut()[2], I);
        }
    }
    EXPECT_EQ(processor.temporalRepair()->width(), kWidth);
}

// repairWindow on one grid point per case: 510 frames, the first block then the
// second; fill limit 3, keep limit 2.
std::vector<double> repair_window(std::vector<double> series, int fill = 3, int keep = 2) {
    series.resize(510, 1.0);
    std::vector<double> prev(series.begin(), series.begin() + 255);
    std::vector<double> cur(series.begin() + 255, series.end());
    std::vector<uint8_t> prevGray(255, 9), curGray(255, 9);
    processTimeInvalid stage(fill, keep, 1, kInvalid);
    stage.repairWindow(prev.data(), prevGray.data(), cur.data(), curGray.data(), 255, 1, fill, keep);
    prev.insert(prev.end(), cur.begin(), cur.end());
    prev.resize(12);
    return prev;
}

TEST(RepairWindow, ErasesFlickersAndFillsShortGaps) {
    struct Case {
        const char* name;
        int fill, keep;
        std::vector<double> in, out;
    } cases[] = {
        {"single valid frame erased", 3, 2, {4, 4, I, 5, I, I, I, 6, 6, 6, 6, 6},
         {4, 4, I, I, I, I, I, 6, 6, 6, 6, 6}},
        {"gap of two filled", 3, 2, {4, 4, 4, I, I, 6, 6, 6, 6, 6, 6, 6},
         {4, 4, 4, 4, 4, 6, 6, 6, 6, 6, 6, 6}},
        {"gap of three kept", 3, 2, {4, 4, 4, I, I, I, 6, 6, 6, 6, 6, 6},
         {4, 4, 4, I, I, I, 6, 6, 6, 6, 6, 6}},
        {"erased flicker joins the gap", 3, 2, {4, 4, 4, I, 5, I, 6, 6, 6, 6, 6, 6},
         {4, 4, 4, I, I, I, 6, 6, 6, 6, 6, 6}},
        {"joined gap below the fill limit filled", 4, 2, {4, 4, 4, I, 5, I, 6, 6, 6, 6, 6, 6},
         {4, 4, 4, 4, 4, 4, 6, 6, 6, 6, 6, 6}},
        {"no fill from the window's first frame", 3, 1, {4, I, I, 6, 6, 6, 6, 6, 6, 6, 6, 6},
         {4, I, I, 6, 6, 6, 6, 6, 6, 6, 6, 6}},
        {"gap at the window start kept", 3, 2, {I, I, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6},
         {I, I, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6}},
    };
    for (const auto& c : cases) {
        const auto out = repair_window(c.in, c.fill, c.keep);
        for (size_t t = 0; t < c.out.size(); ++t)
            EXPECT_DOUBLE_EQ(out[t], c.out[t]) << c.name << " t=" << t;
    }
}

TEST(RepairWindow, ErasedAndFilledGrayFollowTheHeights) {
    std::vector<double> prev(255, 4.0), cur(255, 4.0);
    prev[10] = I, prev[11] = 7.0, prev[12] = I;  // flicker between invalid frames
    std::vector<uint8_t> prevGray(255, 9), curGray(255, 9);
    prevGray[9] = 50;
    processTimeInvalid stage(3, 2, 1, kInvalid);
    stage.repairWindow(prev.data(), prevGray.data(), cur.data(), curGray.data(), 255, 1, 5, 2);
    // Stretch 10..12 (three frames, fill limit 5) takes frame 9's value.
    EXPECT_DOUBLE_EQ(prev[11], 4.0);
    EXPECT_EQ(prevGray[11], 50);
}

}  // namespace
