// The merged batch's arithmetic and the per-head frame queue.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "sensor_interface/registry/merge_rows.h"
#include "sensor_interface/registry/merge_slot.h"

namespace {

TEST(MergeRows, ShorterFrameIsFilledWithInvalidPointsLongerOneIsCut) {
    const std::vector<double> z = {1.0, 2.0, 3.0};
    const std::vector<uint8_t> gray = {10, 20, 30};
    double zOut[5];
    uint8_t grayOut[5];
    fit_merge_frame(z, gray, 5, zOut, grayOut);
    EXPECT_EQ(std::vector<double>(zOut, zOut + 5),
              (std::vector<double>{1.0, 2.0, 3.0, kMergeInvalidHeight, kMergeInvalidHeight}));
    EXPECT_EQ(std::vector<uint8_t>(grayOut, grayOut + 5), (std::vector<uint8_t>{10, 20, 30, 0, 0}));

    fit_merge_frame(z, gray, 2, zOut, grayOut);
    EXPECT_EQ(std::vector<double>(zOut, zOut + 2), (std::vector<double>{1.0, 2.0}));
    EXPECT_EQ(std::vector<uint8_t>(grayOut, grayOut + 2), (std::vector<uint8_t>{10, 20}));
}

TEST(MergeRows, RowValuesAreHundredthsTruncatedTowardZero) {
    const double z[] = {12.349, -12.349, kMergeInvalidHeight, 1e12, -1e12, 0.0};
    const uint8_t gray[] = {1, 2, 3, 4, 5, 6};
    std::vector<int32_t> profile = {7};
    std::vector<uint8_t> intensity = {9};
    append_merged_row(z, gray, 6, profile, intensity);
    EXPECT_EQ(profile, (std::vector<int32_t>{7, 1234, -1234, -999900000, std::numeric_limits<int32_t>::max(),
                                             std::numeric_limits<int32_t>::min(), 0}));
    EXPECT_EQ(intensity, (std::vector<uint8_t>{9, 1, 2, 3, 4, 5, 6}));
}

TEST(MergeRows, HandlerRecordDescribesTheMergedRows) {
    HVQ5_2_STR_CALLBACK_INFO first{};
    first.width = 64;
    first.frames = 100;
    first.batch_number = 5;
    first.x_pitch = 0.02;
    first.constant = 1;
    const HVQ5_2_STR_CALLBACK_INFO merged = merged_batch_info(first, 848, 98);
    EXPECT_EQ(merged.width, 848);
    EXPECT_EQ(merged.frames, 98);
    EXPECT_EQ(merged.batch_number, 5);
    EXPECT_DOUBLE_EQ(merged.x_pitch, 0.02);
    EXPECT_EQ(merged.constant, 1);
}

TEST(MergeSlotQueue, FramesLeaveInArrivalOrderAndTheOldestIsLostBeyondTheLimit) {
    MergeSlot slot(3);
    for (int i = 0; i < 5; ++i) slot.push({double(i)}, {uint8_t(i)});
    EXPECT_EQ(slot.count(), 3u);
    MergeFrame frame;
    for (int expected : {2, 3, 4}) {
        ASSERT_TRUE(slot.pop(frame));
        EXPECT_EQ(frame.z, std::vector<double>{double(expected)});
        EXPECT_EQ(frame.gray, std::vector<uint8_t>{uint8_t(expected)});
        slot.recycle(std::move(frame));
    }
    EXPECT_FALSE(slot.pop(frame));
    EXPECT_EQ(slot.count(), 0u);
}

TEST(MergeSlotQueue, RecycledStorageTakesNewFramesAndClearingEmptiesTheQueue) {
    MergeSlot slot;
    slot.push(std::vector<double>(100, 1.0), std::vector<uint8_t>(100, 1));
    MergeFrame frame;
    ASSERT_TRUE(slot.pop(frame));
    slot.recycle(std::move(frame));
    slot.push({2.0, 3.0}, {2, 3});
    slot.push({4.0}, {4});
    ASSERT_TRUE(slot.pop(frame));
    EXPECT_EQ(frame.z, (std::vector<double>{2.0, 3.0}));
    slot.clearQueue();
    EXPECT_EQ(slot.count(), 0u);
    EXPECT_FALSE(slot.pop(frame));
}

}  // namespace
