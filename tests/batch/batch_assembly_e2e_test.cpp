// Batches streamed by the simulated sensor, assembled by the consumer thread
// and delivered to the installed handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <type_traits>

#include "tests/batch/batch_fixture.h"

namespace batch_test {
namespace {

class BatchAssembly : public BatchFixture {};

TEST_F(BatchAssembly, FullBatchEndsWithReceivedStopAndOneFullDelivery) {
    startSensor();
    stream(plan(20));
    ASSERT_TRUE(recorder_.waitFor(1));
    const std::string summary = log_->waitForLineStarting("1:received stop[1]:");
    EXPECT_EQ(summary.rfind("1:received stop[1]: frames 20, batchpoints 20, batchtimes 1, startencoder 0, "
                            "xpitch 0.020000, xpoints 64, ticktime 1000-1019, timestamp 1000000-1019000",
                            0),
              0u)
        << summary;
    const Delivery d = recorder_.items().front();
    EXPECT_EQ(d.notifyCode, 0x10000u);
    EXPECT_EQ(d.info.width, kWidth);
    EXPECT_EQ(d.info.frames, 20);
    EXPECT_EQ(d.info.batch_number, 1);
    EXPECT_DOUBLE_EQ(d.info.x_pitch, 0.02);
    EXPECT_EQ(d.info.constant, 1);
    EXPECT_EQ(d.info.incomplete, 0);
    EXPECT_EQ(d.data.device_id, 1);
    EXPECT_EQ(d.profileCount, 20 * kWidth);
    ASSERT_EQ(d.encoders.size(), 20u);
    EXPECT_EQ(d.encoders[19], 190u);
    EXPECT_EQ(receiver_.fullBatchCount(), 1u);
    EXPECT_TRUE(receiver_.batchFinished());
    EXPECT_EQ(recorder_.items().size(), 1u);
}

TEST_F(BatchAssembly, FramesHeldByTheTemporalRepairAreReleasedBeforeDelivery) {
    controller_.settings().set_regvals(190, 3);
    controller_.settings().set_regvals(191, 3);
    startSensor();
    stream(plan(20));
    ASSERT_TRUE(recorder_.waitFor(1));
    const Delivery d = recorder_.items().front();
    EXPECT_EQ(d.info.frames, 20);
    EXPECT_EQ(d.profileCount, 20 * kWidth);
    EXPECT_EQ(d.encoders.size(), 20u);
}

TEST_F(BatchAssembly, WritingRegister141StartsTheSensorsBatch) {
    startSensor();
    streamer_->setPlan(plan(15));
    ASSERT_EQ(controller_.writeRegister(141, 1), 0);
    ASSERT_TRUE(recorder_.waitFor(1));
    EXPECT_EQ(recorder_.items().front().info.frames, 15);
    EXPECT_EQ(recorder_.items().front().notifyCode, 0x10000u);
}

TEST_F(BatchAssembly, ContinuousTimeOutReconnectsThenDeliversThePartialBatch) {
    extend().continous_frame_timeout = 300;
    extend().timeout_callback_type = 1;  // short batches stay as they are
    startSensor();
    sensor_sim::BatchPlan p = plan(30);
    p.gapAfterFrame = 9;
    p.gapMs = 60000;
    stream(p);
    ASSERT_TRUE(recorder_.waitFor(1));
    EXPECT_NE(log_->waitForLineStarting("1:callback info[1]: frames 10, batchpoints 30"), "");
    EXPECT_TRUE(channel_->waitForConnection(2, 5000));  // the reader reconnected
    const Delivery d = recorder_.items().front();
    EXPECT_EQ(d.notifyCode, 8u);
    EXPECT_EQ(d.info.frames, 10);
    EXPECT_EQ(d.info.incomplete, -1);
    EXPECT_GE(log_->dumps(), 1);
    streamer_->stopStream();
}

TEST_F(BatchAssembly, StartInMidBatchDiscardsTheFramesSoFar) {
    startSensor();
    sensor_sim::BatchPlan p = plan(20, 25);
    p.restartAfterFrame = 4;  // frames 0..4, a new start, frames 5..24
    stream(p);
    ASSERT_TRUE(recorder_.waitFor(1));
    const Delivery d = recorder_.items().front();
    EXPECT_EQ(d.notifyCode, 0x10000u);
    EXPECT_EQ(d.info.frames, 20);
    ASSERT_EQ(d.encoders.size(), 20u);
    EXPECT_EQ(d.encoders.front(), 50u);
    EXPECT_EQ(recorder_.items().size(), 1u);
}

TEST_F(BatchAssembly, WithoutTimeOutsAnUnfinishedBatchWaitsForTheNextStart) {
    startSensor();
    sensor_sim::BatchPlan unfinished = plan(20, 5);
    unfinished.sendStop = false;
    stream(unfinished);
    ASSERT_TRUE(streamer_->waitIdle(5000));
    sensor_sim::BatchPlan next = plan(20);
    next.firstBatchNumber = 2;
    next.sendTicks = false;
    stream(next);
    ASSERT_TRUE(recorder_.waitFor(1));
    const std::string summary = log_->waitForLineStarting("1:received stop[1]:");
    EXPECT_NE(summary.find("frames 20, batchpoints 20, batchtimes 2,"), std::string::npos) << summary;
    EXPECT_NE(summary.find(", ticktime 0-0, "), std::string::npos) << summary;
    EXPECT_EQ(log_->waitForLineStarting("1:callback info", 0), "");
    ASSERT_EQ(recorder_.items().size(), 1u);
    EXPECT_EQ(recorder_.items().front().info.batch_number, 2);
}

TEST_F(BatchAssembly, RollLimitStopsTheMeasurementAndDropsLaterFrames) {
    startSensor();
    receiver_.startRolling();
    receiver_.setRollPoints(100);
    sensor_sim::BatchPlan p = plan(150);
    p.stopOnRegister142 = false;  // the sensor goes on sending: the receiver must drop them
    stream(p);
    ASSERT_NE(log_->waitForLineStarting("1:received stop[1]: frames 100, batchpoints 150"), "");
    ASSERT_TRUE(receiver_.waitBatchState([&] { return receiver_.batchFinished(); }, 5000));
    EXPECT_EQ(receiver_.rollState(), ProfileReceiver::kRollLimitReached);
    bool stopWritten = false;
    for (const sensor_sim::LoggedPacket& packet : sensor_->packetLog())
        stopWritten = stopWritten || (packet.opcode == 160 && packet.address == 142 && packet.value == 1);
    EXPECT_TRUE(stopWritten);
    EXPECT_TRUE(recorder_.items().empty());

    uint32_t encoders[150] = {};
    int32_t profiles[150 * kWidth];
    EXPECT_EQ(receiver_.takeRollFrames(nullptr, profiles, nullptr, encoders, nullptr, nullptr, 150), 100);
    EXPECT_EQ(encoders[99], 990u);
    EXPECT_EQ(receiver_.takeRollFrames(nullptr, profiles, nullptr, encoders, nullptr, nullptr, 150),
              ProfileReceiver::kRollEnded);
}

TEST_F(BatchAssembly, RollModeStartKeepsFramesNotTakenOut) {
    startSensor();
    receiver_.startRolling();
    stream(plan(10));
    ASSERT_NE(log_->waitForLineStarting("1:received stop[1]: frames 10"), "");
    ASSERT_TRUE(streamer_->waitIdle(5000));
    sensor_sim::BatchPlan second = plan(10);
    second.firstBatchNumber = 2;
    stream(second);
    ASSERT_NE(log_->waitForLineStarting("1:received stop[1]: frames 10, batchpoints 10, batchtimes 2"), "");
    uint32_t encoders[40] = {};
    EXPECT_EQ(receiver_.takeRollFrames(nullptr, nullptr, nullptr, encoders, nullptr, nullptr, 40), 20);
    EXPECT_TRUE(recorder_.items().empty());
}

struct ShortBatchCase {
    const char* name;
    int startTimeout, continuousTimeout, amount, received;
    bool fullBatchFirst;
    int frames, incomplete;
    size_t encoders;
};

void PrintTo(const ShortBatchCase& c, std::ostream* os) { *os << c.name; }

class ShortBatches : public BatchFixture, public ::testing::WithParamInterface<ShortBatchCase> {};

TEST_P(ShortBatches, AreCompletedOnlyWhenTimeOutsAreSetAndTheAmountIsNotOne) {
    const ShortBatchCase& c = GetParam();
    extend().start_frame_timeout = c.startTimeout;
    extend().continous_frame_timeout = c.continuousTimeout;
    extend().timeout_callback_type = c.amount;
    startSensor();
    size_t expected = 1;
    if (c.fullBatchFirst) {
        stream(plan(100));
        ASSERT_TRUE(recorder_.waitFor(1));
        ASSERT_TRUE(streamer_->waitIdle(5000));
        expected = 2;
    }
    sensor_sim::BatchPlan p = plan(100, c.received);
    p.firstBatchNumber = 2;
    stream(p);
    ASSERT_TRUE(recorder_.waitFor(expected));
    const Delivery d = recorder_.items().back();
    EXPECT_EQ(d.notifyCode, 8u);  // the code of the batch as it arrived
    EXPECT_EQ(d.info.frames, c.frames);
    EXPECT_EQ(d.info.incomplete, c.incomplete);
    ASSERT_EQ(d.encoders.size(), c.encoders);
    EXPECT_EQ(d.encoders[c.received - 1], static_cast<uint32_t>((c.received - 1) * 10));
    for (size_t i = static_cast<size_t>(c.received); i < d.encoders.size(); ++i) EXPECT_EQ(d.encoders[i], 0u) << i;
    EXPECT_EQ(d.profileCount, c.frames * kWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShortBatches,
    ::testing::Values(ShortBatchCase{"savedBatchReplaces", 0, 500, 2, 40, true, 100, 0, 100},
                      ShortBatchCase{"oneShortIsPadded", 0, 500, 2, 99, true, 100, 0, 100},
                      ShortBatchCase{"noSavedBatchPads", 500, 0, 2, 40, false, 100, 0, 100},
                      ShortBatchCase{"amountOneLeavesIt", 0, 500, 1, 40, false, 40, -1, 40},
                      ShortBatchCase{"noTimeOutsLeaveIt", 0, 0, 2, 40, false, 40, -1, 40}),
    [](const ::testing::TestParamInfo<ShortBatchCase>& info) { return std::string(info.param.name); });

TEST_F(BatchAssembly, YWindowNarrowsTheDeliveryAndThePointers) {
    extend().enable = 1;
    extend().y_roi_first = 10;
    extend().y_roi_last = 200;
    startSensor();
    stream(plan(100));
    ASSERT_TRUE(recorder_.waitFor(1));
    const Delivery d = recorder_.items().front();
    EXPECT_EQ(d.info.frames, 90);
    EXPECT_EQ(d.info.extend_on, 1);
    EXPECT_EQ(extend().y_roi_last, 100);  // lowered for good
    EXPECT_EQ(d.profileCount, 100 * kWidth);
    EXPECT_EQ(d.encoderSkip, 10);  // the encoder pointer starts at frame 10
    ASSERT_EQ(d.encoders.size(), 100u);
    int count = 0;
    int32_t* start = receiver_.profilePointer(&count);
    extend().y_roi_first = 0;
    extend().y_roi_last = 0;
    EXPECT_EQ(start, receiver_.profilePointer(nullptr) + 10 * kWidth);
}

// A long batch of frames that differ from frame to frame, read through every
// getter during the handler's call: whole, in order, every buffer telling the
// same frames; and no second copy of it is kept when no short batch can take
// its place.
TEST_F(BatchAssembly, ALongBatchIsWholeInOrderAndKeptOnce) {
    constexpr int kFrames = 3000;
    constexpr int kVariants = 5;
    // Heights of 10 + variant + a ramp over the columns, on a grid that the
    // frame's columns cover: x = 2 (column - 1024), grid pitch 1.
    hvq5_settings& s = controller_.settings();
    s.set_regvals(285, 100);
    s.set_regvals(350, 1000 * 256);
    s.set_regvals(353, 65536);
    s.set_regvals(357, 1000 * 256);
    auto& head = controller_.laserParams;
    head.z_range_reference = 1000;
    head.z_range_lower = -100;
    head.z_range_upper = 100;
    const double xScale[3] = {0.0, 0.0, 2.0};
    std::memcpy(reinterpret_cast<unsigned char*>(&head) + 90, xScale, sizeof(xScale));
    sensor_sim::BatchPlan p = plan(kFrames);
    for (int v = 0; v < kVariants; ++v) {
        sensor_sim::DataFrame frame;
        for (int c = 0; c < kPoints; ++c) {
            frame.values.push_back(static_cast<uint32_t>(32768 + 10 + v + c % 13));
            frame.intensity.push_back(static_cast<uint8_t>(40 + 20 * v + c % 7));
        }
        p.frameVariants.push_back(frame);
    }
    startSensor();

    struct Seen {
        HVQ5_2_STR_CALLBACK_INFO info{};
        uint32_t batchNumber = 0;
        std::vector<int32_t> taken, pointed;
        std::vector<int16_t> codes;
        std::vector<uint8_t> intensityTaken, intensityPointed;
        std::vector<uint32_t> encoders, frameNumbers, encodersPointed;
        std::vector<uint64_t> timestamps, timestampsPointed;
    };
    mirevo::test::WaitableList<Seen> seen;
    receiver_.setOneTimeHandlerObject([&](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data*) {
        Seen d;
        d.info = *info;
        const size_t frames = static_cast<size_t>(info->frames), values = frames * static_cast<size_t>(info->width);
        d.taken.resize(values);
        d.intensityTaken.resize(values);
        d.encoders.resize(frames);
        d.frameNumbers.resize(frames);
        d.timestamps.resize(frames);
        receiver_.takeBatch(0, &d.batchNumber, d.taken.data(), d.intensityTaken.data(), d.encoders.data(),
                            d.frameNumbers.data(), d.timestamps.data(), info->frames);
        int count = 0;
        const int32_t* profiles = receiver_.profilePointer(&count);
        d.pointed.assign(profiles, profiles + count);
        const int16_t* codes = receiver_.profile16Pointer(&count);
        d.codes.assign(codes, codes + count);
        const uint8_t* intensity = receiver_.intensityPointer(&count);
        d.intensityPointed.assign(intensity, intensity + count);
        const uint32_t* encoders = receiver_.encoderPointer(&count);
        d.encodersPointed.assign(encoders, encoders + count);
        const uint64_t* stamps = receiver_.timestampPointer(&count);
        d.timestampsPointed.assign(stamps, stamps + count);
        seen.add(std::move(d));
    });
    stream(p);
    ASSERT_TRUE(seen.waitFor(1));
    const Seen d = seen.items().front();
    ASSERT_EQ(d.info.frames, kFrames);
    EXPECT_EQ(d.info.incomplete, 0);
    EXPECT_EQ(d.batchNumber, 1u);
    const size_t w = static_cast<size_t>(kWidth);
    ASSERT_EQ(d.pointed.size(), kFrames * w);
    ASSERT_EQ(d.codes.size(), kFrames * w);
    EXPECT_EQ(d.pointed, d.taken);
    EXPECT_EQ(d.intensityPointed, d.intensityTaken);
    EXPECT_EQ(d.encodersPointed, d.encoders);
    EXPECT_EQ(d.timestampsPointed, d.timestamps);
    for (int k = 0; k < kFrames; ++k) {
        ASSERT_EQ(d.frameNumbers[k], static_cast<uint32_t>(k));
        ASSERT_EQ(d.encoders[k], static_cast<uint32_t>(10 * k));
        ASSERT_EQ(d.timestamps[k], 1000000u + 1000u * k);
    }
    // Frame k of batch 1 is variant (1 + k) mod 5: the rows repeat with the
    // variants and differ between neighbours, in every row format.
    auto row = [w](const auto& values, int k) {
        return std::vector<std::decay_t<decltype(values[0])>>(values.begin() + k * w, values.begin() + (k + 1) * w);
    };
    EXPECT_NE(row(d.pointed, 0), row(d.pointed, 1));
    EXPECT_NE(row(d.codes, 0), row(d.codes, 1));
    EXPECT_NE(row(d.intensityPointed, 0), row(d.intensityPointed, 1));
    for (int k = kVariants; k < kFrames; ++k) {
        ASSERT_EQ(row(d.pointed, k), row(d.pointed, k - kVariants)) << k;
        ASSERT_EQ(row(d.codes, k), row(d.codes, k - kVariants)) << k;
        ASSERT_EQ(row(d.intensityPointed, k), row(d.intensityPointed, k - kVariants)) << k;
    }
    // Valid heights: 32768 + 10 x height in the extended codes of the int32 rows.
    EXPECT_GE(d.pointed[0], 32768 + 100);
    EXPECT_EQ(receiver_.batchBuffers().savedProfileValueCount(), 0u);
}

TEST_F(BatchAssembly, AFullBatchIsKeptWhenAShortOneCanTakeItsPlaceAndDroppedWhenNoneCan) {
    extend().continous_frame_timeout = 2000;
    extend().timeout_callback_type = 2;
    startSensor();
    stream(plan(50));
    ASSERT_TRUE(recorder_.waitFor(1));
    EXPECT_EQ(receiver_.batchBuffers().savedProfileValueCount(), 50u * kWidth);
    // The next full batch on the rhythm (the 6th) meets other settings: the
    // saved one would stand in for an older batch, and goes.
    extend().timeout_callback_type = 0;
    ASSERT_TRUE(streamer_->waitIdle(5000));
    sensor_sim::BatchPlan more = plan(50);
    more.firstBatchNumber = 2;
    more.batches = 5;
    stream(more);
    ASSERT_TRUE(recorder_.waitFor(6));
    EXPECT_EQ(receiver_.fullBatchCount(), 6u);
    EXPECT_EQ(receiver_.batchBuffers().savedProfileValueCount(), 0u);
}

// The client's batch thread copies the rows while batches arrive and are delivered.
TEST_F(BatchAssembly, ClientCopiesWhileBatchesAreDelivered) {
    extend().continous_frame_timeout = 2000;
    extend().timeout_callback_type = 0;  // deliveries pad the buffers
    startSensor();
    std::atomic<bool> done{false};
    std::atomic<int> copied{0};
    std::thread client([&] {
        std::vector<int32_t> profiles(10000 * kWidth);
        std::vector<uint8_t> intensity(10000 * kWidth);
        std::vector<uint32_t> encoders(10000), frames(10000);
        uint32_t batchNumber = 0;
        while (!done) {
            const int n = receiver_.takeBatch(0, &batchNumber, profiles.data(), intensity.data(), encoders.data(),
                                              frames.data(), nullptr, 10000);
            copied += n;
            receiver_.copyEncoders(encoders.data());
            receiver_.copyProfiles(profiles.data());
        }
    });
    sensor_sim::BatchPlan p = plan(200, 150);
    p.batches = 5;
    stream(p);
    // No early return while the client thread runs: a joinable thread left behind ends the program.
    EXPECT_TRUE(recorder_.waitFor(5));
    // The last batch stays in the buffers: the client gets to copy it at the latest.
    receiver_.waitBatchState([&] { return copied > 0; }, 5000);
    done = true;
    client.join();
    for (const Delivery& d : recorder_.items()) EXPECT_EQ(d.info.frames, 200);
    EXPECT_GT(copied.load(), 0);
}

TEST_F(BatchAssembly, StopWhileWaitingForTheReconnectionDoesNotHang) {
    extend().continous_frame_timeout = 200;
    startSensor();
    sensor_sim::BatchPlan p = plan(30);
    p.gapAfterFrame = 4;
    p.gapMs = 60000;
    stream(p);
    ASSERT_NE(log_->waitForLineStarting("1:received start[1]"), "");
    sensor_->stop();  // no reconnection will ever succeed
    ASSERT_NE(log_->waitForLineStarting("1:callback info[1]: frames 5"), "");
    EXPECT_EQ(receiver_.stop(), 0);
    ASSERT_TRUE(recorder_.waitFor(1));
    EXPECT_EQ(recorder_.items().front().info.frames, 5);
}

}  // namespace
}  // namespace batch_test
