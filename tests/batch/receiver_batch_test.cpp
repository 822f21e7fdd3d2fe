// The receiver's batch operations driven directly, without sockets or threads.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/profile_processor.h"
#include "tests/data_channel/recording_log.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/data_messages.h"

namespace {

constexpr int kWidth = 32;
constexpr size_t kPayloadPos = 8;  // after "algdat1,"

class ReceiverBatch : public ::testing::Test {
protected:
    ReceiverBatch() {
        controller_.laserParams.model[2] = '5';
        controller_.settings().set_regvals(752, kWidth);
        controller_.processor = std::make_shared<ProfileProcessor>(2048, 4096, 2.0);
        controller_.processor->bind(&controller_.settings(), &controller_.laserParams);
        receiver_.attach(3, &controller_);
        info_.framesPerBatch = 100;
        info_.points = 64;
        info_.intensity = true;
        const sensor_sim::Bytes message = sensor_sim::encodeInfo(info_);
        EXPECT_TRUE(receiver_.parseInfo(message.data(), message.size()));
        receiver_.setOneTimeHandlerObject([this](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data*) {
            delivered_.push_back(*info);
        });
    }

    sensor_sim::Bytes frame(uint32_t number) const {
        return sensor_sim::encodeFrame(sensor_sim::sceneFrame(info_, 1, number));
    }

    void feed(int frames) {
        receiver_.setBatchFinished(false);
        for (int i = 0; i < frames; ++i) {
            const sensor_sim::Bytes f = frame(static_cast<uint32_t>(i));
            receiver_.copyFrame(0, f.data(), f.size(), kPayloadPos);
        }
    }

    HVQ5_2_EXTEND& extend() { return *controller_.settings().get_sdk_extend(); }

    mirevo::test::TempDir folder_;
    mirevo::test::ScopedWorkingDir inFolder_{folder_.path()};
    sensor_sim::DataInfo info_;
    SensorController controller_;
    ProfileReceiver receiver_{std::make_shared<data_channel_test::RecordingLog>()};
    std::vector<HVQ5_2_STR_CALLBACK_INFO> delivered_;
};

TEST_F(ReceiverBatch, FrameCutShortIsNotRead) {
    receiver_.setBatchFinished(false);
    sensor_sim::Bytes f = frame(0);
    // The values end 1 byte short of the terminator's place.
    f.erase(f.end() - 7);
    receiver_.copyFrame(0, f.data(), f.size(), kPayloadPos);
    EXPECT_EQ(receiver_.framesReceived(), 0);
    // 32-bit values (the fixed-point rows) need twice the bytes of this frame.
    const sensor_sim::Bytes whole = frame(0);
    receiver_.copyFrame(ProfileReceiver::kFixedPointMode, whole.data(), whole.size(), kPayloadPos);
    EXPECT_EQ(receiver_.framesReceived(), 0);
    receiver_.copyFrame(0, whole.data(), whole.size(), kPayloadPos);
    EXPECT_EQ(receiver_.framesReceived(), 1);
}

TEST_F(ReceiverBatch, BeforeAnyInfoAFrameOfTheFixedLengthHasNoPoints) {
    ProfileReceiver fresh(std::make_shared<data_channel_test::RecordingLog>());
    fresh.attach(4, &controller_);
    fresh.setBatchFinished(false);
    sensor_sim::DataInfo none;
    const sensor_sim::Bytes f = sensor_sim::encodeFrame(sensor_sim::sceneFrame(none, 1, 7));
    ASSERT_EQ(f.size(), 46u);
    ASSERT_TRUE(fresh.isValidFrame(f.size(), kPayloadPos, 2048));
    fresh.copyFrame(0, f.data(), f.size(), kPayloadPos);
    EXPECT_EQ(fresh.framesReceived(), 1);
    uint32_t numbers[1] = {};
    EXPECT_EQ(fresh.copyEncoders(numbers), 1);
    EXPECT_EQ(numbers[0], 70u);
}

TEST_F(ReceiverBatch, YWindowCases) {
    feed(100);
    ASSERT_EQ(receiver_.framesReceived(), 100);
    struct Case {
        uint8_t enable;
        int first, last;
        int frames, storedLast;
    } cases[] = {
        {1, 10, 50, 40, 50},
        {1, 10, 200, 90, 100},  // the last bound is lowered for good
        {1, 30, 0, 70, 0},
        {1, 130, 0, 0, 0},      // a window past the batch is empty, not negative
        {1, 130, 150, 0, 100},
        {0, 10, 50, 100, 50},   // not enabled
        {1, 0, 0, 100, 0},
    };
    for (const Case& c : cases) {
        extend().enable = c.enable;
        extend().y_roi_first = c.first;
        extend().y_roi_last = c.last;
        delivered_.clear();
        receiver_.deliverBatch();
        ASSERT_EQ(delivered_.size(), 1u);
        EXPECT_EQ(delivered_[0].frames, c.frames) << c.first << ".." << c.last;
        EXPECT_EQ(extend().y_roi_last, c.storedLast) << c.first << ".." << c.last;
        EXPECT_EQ(delivered_[0].incomplete, 0);
        EXPECT_EQ(delivered_[0].extend_on, c.enable);
    }
}

TEST_F(ReceiverBatch, PointerGettersStartAtTheWindowAndTakeANullCount) {
    feed(20);
    int count = -1;
    int32_t* profiles = receiver_.profilePointer(&count);
    EXPECT_EQ(count, 20 * kWidth);
    extend().y_roi_first = 5;  // the pointers follow the bounds, enabled or not
    EXPECT_EQ(receiver_.profilePointer(nullptr), profiles + 5 * kWidth);
    EXPECT_NE(receiver_.profile16Pointer(nullptr), nullptr);
    EXPECT_NE(receiver_.intensityPointer(nullptr), nullptr);
    EXPECT_NE(receiver_.encoderPointer(nullptr), nullptr);
    EXPECT_NE(receiver_.timestampPointer(&count), nullptr);
    EXPECT_EQ(count, 20);
    extend().y_roi_first = 500;  // beyond the batch: the end, never past it
    EXPECT_EQ(receiver_.profilePointer(&count), profiles + 20 * kWidth);
}

TEST_F(ReceiverBatch, GettersThroughTheReceiver) {
    feed(10);
    std::vector<int32_t> profiles(10 * kWidth);
    std::vector<uint32_t> encoders(10), numbers(10);
    uint32_t batchNumber = 0;
    EXPECT_EQ(receiver_.takeBatch(8, &batchNumber, profiles.data(), nullptr, encoders.data(), numbers.data(), nullptr, 5), 2);
    EXPECT_EQ(batchNumber, 1u);
    EXPECT_EQ(numbers[1], 9u);
    EXPECT_EQ(receiver_.takeBatch(8, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 5), 2);
    EXPECT_EQ(receiver_.copyProfiles(nullptr), -1);
    EXPECT_EQ(receiver_.copyProfiles(profiles.data()), 10 * kWidth);
    EXPECT_EQ(receiver_.takeProfileFrames(profiles.data(), 4), 4);
    EXPECT_EQ(receiver_.copyEncoders(encoders.data()), 10);

    receiver_.startRolling();
    // Frames count by the int32 profiles, which lost 4 frames above.
    EXPECT_EQ(receiver_.takeRollFrames(&batchNumber, nullptr, nullptr, nullptr, nullptr, nullptr, 100), 6);
    receiver_.clearBatch();
    EXPECT_EQ(receiver_.copyEncoders(encoders.data()), 0);
    EXPECT_TRUE(receiver_.batchFinished());
    EXPECT_EQ(receiver_.takeRollFrames(&batchNumber, nullptr, nullptr, nullptr, nullptr, nullptr, 100), 0)
        << "nothing buffered while the rolling batch runs";
}

TEST_F(ReceiverBatch, PlainCallbackAndHandlerListSeeTheBatchAsItArrived) {
    static std::vector<uint32_t> calls;
    calls.clear();
    receiver_.setBatchCallback([](int32_t* profiles, uint32_t width, uint32_t frames, uint32_t code, int) {
        calls = {profiles != nullptr, width, frames, code};
    });
    std::vector<HVQ5_2_STR_CALLBACK_INFO> listed;
    receiver_.addListHandler(nullptr);  // an empty entry is skipped
    receiver_.addListHandler([&](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
        listed.push_back(*info);
        EXPECT_EQ(data->device_id, 3);
        return true;
    });
    extend().continous_frame_timeout = 100;
    extend().timeout_callback_type = 0;
    receiver_.readExtendFlags();
    feed(40);
    receiver_.deliverBatch();
    EXPECT_EQ(calls, (std::vector<uint32_t>{1, kWidth, 40, 8}));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].width, kWidth);
    EXPECT_EQ(listed[0].frames, 40);
    EXPECT_EQ(listed[0].batch_number, 0);
    ASSERT_EQ(delivered_.size(), 1u);
    EXPECT_EQ(delivered_[0].frames, 100);
    EXPECT_EQ(receiver_.framesReceived(), 100);
    // Padding with codes (extended output width, not our own connection): 0.
    int count = 0;
    const int32_t* profiles = receiver_.profilePointer(&count);
    ASSERT_EQ(count, 100 * kWidth);
    EXPECT_EQ(profiles[count - 1], 0);

    calls.clear();
    receiver_.clearBatch();
    receiver_.deliverBatch();
    // Cleared: 0 frames of 0 announced count as full.
    EXPECT_EQ(calls, (std::vector<uint32_t>{0, 0, 0, 0x10000}));
}

}  // namespace
