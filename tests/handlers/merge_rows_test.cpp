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
    MergeEvent event;
    for (int expected : {2, 3, 4}) {
        ASSERT_TRUE(slot.pop(event));
        EXPECT_EQ(event.kind, MergeEvent::Kind::Frame);
        EXPECT_EQ(event.frame.z, std::vector<double>{double(expected)});
        EXPECT_EQ(event.frame.gray, std::vector<uint8_t>{uint8_t(expected)});
        slot.recycle(std::move(event));
    }
    EXPECT_FALSE(slot.pop(event));
    EXPECT_EQ(slot.count(), 0u);
}

TEST(MergeSlotQueue, RecycledStorageTakesNewFramesAndClearingEmptiesTheQueue) {
    MergeSlot slot;
    slot.push(std::vector<double>(100, 1.0), std::vector<uint8_t>(100, 1));
    MergeEvent event;
    ASSERT_TRUE(slot.pop(event));
    slot.recycle(std::move(event));
    slot.push({2.0, 3.0}, {2, 3});
    slot.push({4.0}, {4});
    ASSERT_TRUE(slot.pop(event));
    EXPECT_EQ(event.frame.z, (std::vector<double>{2.0, 3.0}));
    slot.clearQueue();
    EXPECT_EQ(slot.count(), 0u);
    EXPECT_FALSE(slot.pop(event));
}

// The head's order is kept: frames stay between the start and the end of
// their batch, and the end carries the head's records.
TEST(MergeSlotQueue, StartsFramesAndEndsLeaveInTheHeadsOrder) {
    MergeSlot slot;
    HVQ5_2_STR_CALLBACK_INFO info{};
    info.frames = 2;
    _HVQ5_2_Data data{1, 0};
    slot.pushBatchStart();
    slot.push({1.0}, {1});
    slot.push({2.0}, {2});
    slot.pushBatchEnd(info, data);
    slot.pushBatchStart();
    slot.push({3.0}, {3});
    using Kind = MergeEvent::Kind;
    std::vector<Kind> kinds;
    MergeEvent event;
    Kind front = Kind::Frame;
    while (slot.frontKind(&front)) {
        ASSERT_TRUE(slot.pop(event));
        EXPECT_EQ(event.kind, front);
        kinds.push_back(event.kind);
        if (event.kind == Kind::BatchEnd) {
            EXPECT_EQ(event.info.frames, 2);
            EXPECT_EQ(event.data.device_id, 1);
        }
    }
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::BatchStart, Kind::Frame, Kind::Frame, Kind::BatchEnd,
                                        Kind::BatchStart, Kind::Frame}));
}

// A head whose partner sends nothing holds the batch it sends and the two
// whole batches before it, not every batch it ever sent.
TEST(MergeSlotQueue, ANewStartDropsAllButTheLastTwoWholeBatches) {
    MergeSlot slot;
    for (int batch = 0; batch < 4; ++batch) {
        slot.pushBatchStart();
        slot.push({double(batch)}, {uint8_t(batch)});
        slot.pushBatchEnd(HVQ5_2_STR_CALLBACK_INFO{}, _HVQ5_2_Data{});
    }
    EXPECT_EQ(slot.count(), 9u) << "batches 1, 2 and 3";
    MergeEvent event;
    ASSERT_TRUE(slot.pop(event));
    EXPECT_EQ(event.kind, MergeEvent::Kind::BatchStart);
    ASSERT_TRUE(slot.pop(event));
    EXPECT_EQ(event.frame.z, std::vector<double>{1.0});
    // Starts taken no longer count: the next start drops nothing.
    ASSERT_TRUE(slot.pop(event));
    ASSERT_TRUE(slot.pop(event));
    EXPECT_EQ(event.kind, MergeEvent::Kind::BatchStart);
    slot.pushBatchStart();
    EXPECT_EQ(slot.count(), 6u) << "batch 2's frame and end, batch 3, and the new start";
}

}  // namespace
