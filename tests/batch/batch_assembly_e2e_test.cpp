// Batches streamed by the simulated sensor, assembled by the consumer thread
// and delivered to the installed handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

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
