// What processFrame appends to the batch rows, and when.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/processor/frame_scene.h"

namespace processor_test {
namespace {

TEST(BatchAppend, WithoutTemporalRepairEveryFrameAppendsOneOfEach) {
    SceneReceiver scene;
    scene.sendScene(Words::Bits16, 20);
    EXPECT_EQ(scene.rows->heights.size(), 20u);
    EXPECT_EQ(scene.rows->codes.size(), 20u);
    EXPECT_EQ(scene.rows->gray.size(), 20u);
    EXPECT_EQ(scene.rows->encoders.size(), 20u);
    EXPECT_EQ(scene.rows->frames.back(), 20u);
    EXPECT_EQ(scene.rows->timestamps.back(), 5020u);
    EXPECT_EQ(scene.rows->unlockedAppends, 0);
    EXPECT_EQ(scene.receiver.framesReceived(), 20);
    EXPECT_EQ(scene.receiver.batchNumber(), 7u);
    EXPECT_EQ(scene.receiver.firstTimestamp(), 5001u);
    EXPECT_EQ(scene.receiver.lastTimestamp(), 5020u);
}

TEST(BatchAppend, TemporalRepairHoldsTheFirst510FramesUntilTheFlush) {
    SceneReceiver scene;
    scene.settings().set_regvals(190, 5);
    scene.sendScene(Words::Bits16, 512);
    EXPECT_EQ(scene.rows->heights.size(), 2u);
    EXPECT_EQ(scene.rows->encoders.size(), 512u);
    EXPECT_EQ(scene.rows->frames[511], 512u);
    EXPECT_EQ(scene.receiver.framesReceived(), 512);
    // The released frames are the scene's frames.
    EXPECT_EQ(scene.rows->heights[0][100], 1000);
    EXPECT_EQ(scene.rows->heights[1][500], 5000);

    int released = 0;
    EXPECT_TRUE(scene.processor().flushRepair(scene.receiver.framesReceived(), [&] { ++released; }));
    EXPECT_EQ(released, 510);
}

TEST(BatchAppend, FinishedBatchTakesNothing) {
    SceneReceiver scene;
    scene.receiver.setBatchFinished(true);
    scene.sendScene(Words::Bits16, 3);
    EXPECT_TRUE(scene.rows->encoders.empty());
    EXPECT_TRUE(scene.rows->heights.empty());
    EXPECT_EQ(scene.receiver.framesReceived(), 0);
    // The time stamps of the batch are still taken.
    EXPECT_EQ(scene.receiver.firstTimestamp(), 5001u);
    EXPECT_EQ(scene.receiver.lastTimestamp(), 5003u);
}

TEST(BatchAppend, MergeHookGetsTheProfileAndTheFrameInfoIsAppendedUnderTheLock) {
    SceneReceiver scene;
    std::vector<double> hookHeights;
    std::vector<uint8_t> hookGray;
    int hookId = -1;
    scene.receiver.setFrameMergeHook(
        [&](int id, const std::vector<double>& heights, const std::vector<uint8_t>& gray) {
            hookId = id;
            hookHeights = heights;
            hookGray = gray;
        });
    scene.settings().set_regvals(740, 1);  // binned: the hook gets the binned count
    scene.sendScene(Words::Bits16, 2);
    EXPECT_EQ(hookId, 3);
    ASSERT_EQ(hookHeights.size(), 424u);
    EXPECT_DOUBLE_EQ(hookHeights[50], 10.0);
    EXPECT_EQ(hookGray[50], 100 + 100 % 50);
    EXPECT_TRUE(scene.rows->heights.empty());
    EXPECT_EQ(scene.rows->encoders.size(), 2u);
    EXPECT_EQ(scene.rows->unlockedAppends, 0);
    EXPECT_EQ(scene.receiver.framesReceived(), 2);
}

TEST(BatchAppend, MergeHookCanBeInstalledWhileFramesArrive) {
    SceneReceiver scene;
    std::atomic<int> hooked{0};
    std::atomic<bool> done{false};
    std::thread installer([&] {
        for (int i = 0; !done; ++i) {
            if (i % 2)
                scene.receiver.setFrameMergeHook(nullptr);
            else
                scene.receiver.setFrameMergeHook(
                    [&](int, const std::vector<double>&, const std::vector<uint8_t>&) { ++hooked; });
            std::this_thread::yield();
        }
    });
    scene.sendScene(Words::Bits16, 200);
    done = true;
    installer.join();
    // Every frame went one way or the other.
    EXPECT_EQ(static_cast<int>(scene.rows->heights.size()) + hooked, 200);
    EXPECT_EQ(scene.rows->encoders.size(), 200u);
}

// Output rows cut from a profile whose point p has height p / 8.
class OutputSlicing : public ::testing::Test {
protected:
    OutputSlicing() : processor(kColumns, kColumns, 1.0) {
        configure_scene(settings, params);
        processor.bind(&settings, &params);
        for (int p = 0; p < kColumns; ++p) {
            processor.heightsOut()[p] = p / 8.0;
            processor.grayOutRow()[p] = static_cast<uint8_t>(p);
        }
    }
    hvq5_settings settings;
    zp_laser_reg::laser_params params;
    ProfileProcessor processor;
    FrameOutputRows rows;
};

TEST_F(OutputSlicing, RowsNarrowerThanTheProfileTakeItsMiddleExceptThePlainHeights) {
    struct Case {
        bool extended;
        int32_t firstInt;
    } cases[] = {{false, 0}, {true, int32_t(32768 + 10 * 15.5)}};
    for (const Case& c : cases) {
        OutputRowRules rules;
        rules.width = 600;
        rules.extendedCodes = c.extended;
        rows.fill(processor, 848, rules);
        EXPECT_EQ(rows.offset(), 124);
        EXPECT_EQ(rows.width(), 600);
        EXPECT_EQ(rows.heights()[0], c.firstInt) << c.extended;
        EXPECT_EQ(static_cast<uint16_t>(rows.codes()[0]), uint16_t(32768 + 15.5));
        EXPECT_EQ(rows.gray()[0], 124);
        EXPECT_EQ(rows.gray()[599], 723 % 256);
    }
}

TEST_F(OutputSlicing, RowsWiderThanTheProfileEndInZeros) {
    for (bool extended : {false, true}) {
        OutputRowRules rules;
        rules.width = 600;
        rules.extendedCodes = extended;
        rows.fill(processor, 300, rules);
        EXPECT_EQ(rows.offset(), 0);
        EXPECT_EQ(rows.heights()[299], extended ? int32_t(32768 + 10 * 37.375) : 3737);
        EXPECT_EQ(rows.gray()[299], 299 % 256);
        for (int i = 300; i < 600; ++i) {
            ASSERT_EQ(rows.heights()[i], 0) << i;
            ASSERT_EQ(rows.codes()[i], 0) << i;
            ASSERT_EQ(rows.gray()[i], 0) << i;
        }
    }
}

TEST_F(OutputSlicing, ExtendedCodesAddTheZOffset) {
    OutputRowRules rules;
    rules.width = 4;
    rules.extendedCodes = true;
    rules.zOffset = -1.5;
    rows.fill(processor, 4, rules);
    EXPECT_EQ(rows.heights()[3], int32_t(32768 + 10 * (0.375 - 1.5)));
}

}  // namespace
}  // namespace processor_test
