// Sessions that meet the sensor's troubles through the exported functions: a
// two-head sensor whose batches are merged, a sensor that reboots in the
// middle of a batch, and a sensor that goes silent.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sensor_interface/registry/batch_handlers_api.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tests/acceptance/batch_taker.h"
#include "tests/acceptance/scene_sensor.h"
#include "tests/acceptance/thread_count.h"
#include "tests/acceptance/watchdog.h"

namespace acceptance {
namespace {

constexpr int kArea = 202;
constexpr int kId = 0;
constexpr int kWidth = 400;

// What the one-time handler saw, copied during the call: it is a plain
// function, so it reaches its log through the one it was given last.
struct MergedBatch {
    HVQ5_2_STR_CALLBACK_INFO info{};
    int deviceId = -1;
    std::vector<int32_t> profiles;
};

class MergedBatches {
public:
    static MergedBatches*& current() {
        static MergedBatches* log = nullptr;
        return log;
    }
    static void handler(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
        MergedBatch batch;
        batch.info = *info;
        batch.deviceId = data->device_id;
        const int32_t* profiles = HVQ5_2_GetBatchProfilePoint(data);
        if (profiles) batch.profiles.assign(profiles, profiles + static_cast<size_t>(info->frames) * info->width);
        MergedBatches* log = current();
        std::lock_guard<std::mutex> lock(log->mutex_);
        log->batches_.push_back(std::move(batch));
        log->changed_.notify_all();
    }
    bool waitFor(size_t count, int timeoutMs) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return batches_.size() >= count; });
    }
    std::vector<MergedBatch> batches() {
        std::lock_guard<std::mutex> lock(mutex_);
        return batches_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<MergedBatch> batches_;
};

class SensorTrouble : public InterfaceTest {
protected:
    void startSensor(const std::string& model, int batchLength) {
        batchLength_ = batchLength;
        sensors_ = std::make_unique<SceneSensors>(testAddress(kArea), model, batchLength);
        ASSERT_TRUE(sensors_->start());
    }
    void open() {
        ASSERT_EQ(HVQ5_2_EthernetOpen(kId, netAddress(sensors_->address(0)).ip), HVQ5_RC_OK);
        for (int head = 0; head < sensors_->heads().headCount(); ++head)
            ASSERT_TRUE(sensors_->dataChannel(head).waitForConnection(1, 10000));
    }
    // Every frame of a taken batch is the scene, in order.
    void expectWholeScene(const TakenBatch& batch) {
        ASSERT_EQ(static_cast<int>(batch.frameNumbers.size()), batchLength_);
        const std::vector<int32_t> expected = sceneRow();
        for (int f = 0; f < batchLength_; ++f) {
            EXPECT_EQ(batch.frameNumbers[f], static_cast<uint32_t>(f));
            const std::vector<int32_t> row(batch.profiles.begin() + f * kWidth,
                                           batch.profiles.begin() + (f + 1) * kWidth);
            ASSERT_EQ(row, expected) << "batch " << batch.batchNumber << " frame " << f;
        }
    }

    std::unique_ptr<SceneSensors> sensors_;
    int batchLength_ = 0;
};

TEST_F(SensorTrouble, TwoHeadsDeliverOneMergedBatchOfTheScene) {
    constexpr int kFrames = 20;
    startSensor("ZP5160D", kFrames);
    open();
    MergedBatches merged;
    MergedBatches::current() = &merged;
    ASSERT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(kId, &MergedBatches::handler), HVQ5_RC_OK);
    // Installing the merge restarts both heads' data channels.
    for (int head = 0; head < 2; ++head) ASSERT_TRUE(sensors_->dataChannel(head).waitForConnection(2, 10000));

    for (int head = 0; head < 2; ++head) sensors_->streamer(head).setPlan(scenePlan(kFrames, 5));
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId + 1), HVQ5_RC_OK);
    ASSERT_TRUE(merged.waitFor(1, 20000));

    const std::vector<MergedBatch> batches = merged.batches();
    ASSERT_EQ(batches.size(), 1u);
    const MergedBatch& batch = batches[0];
    EXPECT_EQ(batch.deviceId, kId);
    EXPECT_EQ(batch.info.width, kWidth);
    EXPECT_EQ(batch.info.frames, kFrames);
    EXPECT_EQ(batch.info.batch_number, 5);
    EXPECT_EQ(batch.info.incomplete, 0);
    ASSERT_EQ(batch.profiles.size(), static_cast<size_t>(kFrames) * kWidth);
    // Both heads see the same scene: the merged profile is that scene.
    const std::vector<int32_t> expected = sceneRow();
    for (int f = 0; f < kFrames; ++f) {
        const std::vector<int32_t> row(batch.profiles.begin() + f * kWidth, batch.profiles.begin() + (f + 1) * kWidth);
        ASSERT_EQ(row, expected) << "frame " << f;
    }
    withinWatchdog<int>("finalize with the merge running", [] { return HVQ5_Finalize(); });
    MergedBatches::current() = nullptr;
}

TEST_F(SensorTrouble, AfterARebootInTheMiddleOfABatchTheNextBatchArrivesWhole) {
    constexpr int kFrames = 100;
    startSensor("ZP5160", kFrames);
    open();
    BatchTaker taker(kId, kWidth, kFrames);
    taker.start();

    sensor_sim::BatchPlan slow = scenePlan(kFrames, 7);
    slow.frameRateHz = 100;
    sensors_->streamer(0).setPlan(slow);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(eventually([] { return HVQ5_2_ProfilePointCount(kId) >= 10; }, 20000));

    // The sensor reboots: both channels close, and it listens again.
    sensors_->streamer(0).stopStream();
    ASSERT_TRUE(sensors_->streamer(0).waitIdle(10000));
    sensor_sim::SimSensor& head = sensors_->head(0);
    head.stop();
    ASSERT_TRUE(head.start());
    ASSERT_TRUE(sensors_->dataChannel(0).waitForConnection(1, 20000)) << "the data channel reconnects";

    sensors_->streamer(0).setPlan(scenePlan(kFrames, 8));
    // The first command after the reboot may meet the dead connection; it
    // reports that and reconnects, so a retry reaches the sensor.
    int triggered = -1;
    for (int attempt = 0; attempt < 3 && triggered != HVQ5_RC_OK; ++attempt)
        triggered = withinWatchdog<int>("trigger after the reboot", [] { return HVQ5_2_TriggerOneBatch(kId); });
    ASSERT_EQ(triggered, HVQ5_RC_OK);
    ASSERT_TRUE(taker.waitForBatches(1, 20000)) << taker.error();
    taker.stop();

    const std::vector<TakenBatch> batches = taker.batches();
    ASSERT_EQ(batches.size(), 1u) << "the interrupted batch is never complete";
    EXPECT_EQ(batches[0].batchNumber, 8);
    expectWholeScene(batches[0]);
}

TEST_F(SensorTrouble, ASilentSensorGivesStatusCodesInsteadOfHanging) {
    constexpr int kFrames = 30;
    startSensor("ZP5160", kFrames);
    open();
    sensor_sim::SimSensor& head = sensors_->head(0);

    // The command channel: a read that is never answered, then an echo of the wrong register.
    head.injectOpcodeFault(161, sensor_sim::Fault{sensor_sim::FaultKind::Silence, 0, 3, 6, 1});
    uint32_t value = 0;
    EXPECT_EQ(withinWatchdog<int>("a read from a silent sensor",
                                  [&] { return HVQ5_2_GetSetting(kId, 16, 0, 10, 0, &value, 4); }),
              HVQ5_RC_TIMEOUT);
    head.injectOpcodeFault(161, sensor_sim::Fault{sensor_sim::FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    uint32_t pitch = 0;
    EXPECT_EQ(withinWatchdog<int>("a read answered wrongly", [&] { return HVQ5_GetXpitch(kId, &pitch); }),
              HVQ5_RC_COMMAND_FAILED);
    ASSERT_EQ(HVQ5_2_GetSetting(kId, 16, 0, 10, 0, &value, 4), HVQ5_RC_OK) << "the channel recovered";
    EXPECT_EQ(value, static_cast<uint32_t>(kFrames));

    // The data channel: the sensor stops sending after 10 frames of a batch.
    // The frame time-out ends the batch short; nobody waits for ever.
    ASSERT_EQ(HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kId, 300), HVQ5_RC_OK);
    BatchTaker taker(kId, kWidth, kFrames);
    taker.start();
    sensor_sim::BatchPlan stalled = scenePlan(kFrames, 3);
    stalled.frames = 10;
    stalled.sendStop = false;
    sensors_->streamer(0).setPlan(stalled);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(eventually([] { return HVQ5_2_ProfilePointCount(kId) == 10; }, 20000));
    EXPECT_EQ(withinWatchdog<int>("waiting for a stalled batch", [] { return HVQ5_2_ReceiveData(kId); }),
              HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_2_ProfilePointCount(kId), 10);

    // The next batch arrives whole once the reader has reconnected.
    ASSERT_TRUE(sensors_->dataChannel(0).waitForConnection(2, 20000));
    sensors_->streamer(0).setPlan(scenePlan(kFrames, 4));
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(taker.waitForBatches(1, 20000)) << taker.error();
    taker.stop();
    const std::vector<TakenBatch> batches = taker.batches();
    ASSERT_EQ(batches.size(), 1u) << "the stalled batch is never complete";
    EXPECT_EQ(batches[0].batchNumber, 4);
    expectWholeScene(batches[0]);
}

TEST_F(SensorTrouble, ClosingWhileTheSensorIsGoneReturns) {
    constexpr int kFrames = 30;
    startSensor("ZP5160", kFrames);
    open();
    ASSERT_EQ(HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kId, 200), HVQ5_RC_OK);
    sensor_sim::BatchPlan stalled = scenePlan(kFrames, 9);
    stalled.frames = 10;
    stalled.sendStop = false;
    sensors_->streamer(0).setPlan(stalled);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(eventually([] { return HVQ5_2_ProfilePointCount(kId) == 10; }, 20000));

    // The sensor is switched off in the middle of the batch: the batch times
    // out and waits for a reconnection that cannot come.
    ASSERT_TRUE(sensors_->streamer(0).waitIdle(10000));
    sensors_->head(0).stop();
    EXPECT_EQ(withinWatchdog<int>("close while reconnecting", [] { return HVQ5_CommunicationClose(kId); }),
              HVQ5_RC_OK);
    EXPECT_EQ(withinWatchdog<int>("finalize", [] { return HVQ5_Finalize(); }), HVQ5_RC_OK);
}

// A batch that started but never sends a frame keeps a caller waiting for
// its end; closing the id must set that caller free.
TEST_F(SensorTrouble, AWaitForTheBatchEndIsEndedByClosing) {
    constexpr int kFrames = 30;
    startSensor("ZP5160", kFrames);
    open();
    sensor_sim::BatchPlan stalled = scenePlan(kFrames, 9);
    stalled.frames = 0;
    stalled.sendStop = false;
    sensors_->streamer(0).setPlan(stalled);

    // The caller waits from before the trigger: once the batch's info is
    // read, its frame count with the flag of no batch yet begun reads as an
    // ended batch until the start is read, and a loaded machine can read the
    // two far apart.
    std::promise<int> waited;
    std::future<int> result = waited.get_future();
    std::thread waiter([&waited] { waited.set_value(HVQ5_2_ReceiveData(kId)); });
    // Expectations only from here: the close below must free the waiter.
    EXPECT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    EXPECT_TRUE(sensors_->streamer(0).waitIdle(10000));
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout)
        << "the batch has not ended";
    EXPECT_EQ(HVQ5_CommunicationClose(kId), HVQ5_RC_OK);
    const bool ended = result.wait_for(std::chrono::seconds(15)) == std::future_status::ready;
    if (!ended) {
        std::fprintf(stderr, "hang: the wait for the batch end outlived the close\n");
        std::_Exit(2);
    }
    waiter.join();
    EXPECT_NE(result.get(), HVQ5_RC_OK) << "no batch ended";
}

TEST_F(SensorTrouble, MergedBatchesGoOnAfterAHeadLostItsDataConnection) {
    constexpr int kFrames = 20;
    startSensor("ZP5160D", kFrames);
    open();
    MergedBatches merged;
    MergedBatches::current() = &merged;
    ASSERT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(kId, &MergedBatches::handler), HVQ5_RC_OK);
    for (int head = 0; head < 2; ++head) ASSERT_TRUE(sensors_->dataChannel(head).waitForConnection(2, 10000));

    // The second head loses its data connection half-way through batch 6.
    sensor_sim::BatchPlan slow = scenePlan(kFrames, 6);
    slow.frameRateHz = 100;
    sensors_->streamer(0).setPlan(scenePlan(kFrames, 6));
    sensors_->streamer(1).setPlan(slow);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId + 1), HVQ5_RC_OK);
    ASSERT_TRUE(eventually([&] { return sensors_->streamer(1).framesSent() >= 10; }, 20000));
    sensors_->streamer(1).stopStream();
    ASSERT_TRUE(sensors_->streamer(1).waitIdle(10000));
    sensors_->dataChannel(1).closeConnection();
    ASSERT_TRUE(sensors_->dataChannel(1).waitForConnection(3, 20000)) << "the head's data channel reconnects";

    // Batch 7 of both heads is merged whole.
    for (int head = 0; head < 2; ++head) sensors_->streamer(head).setPlan(scenePlan(kFrames, 7));
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId + 1), HVQ5_RC_OK);
    ASSERT_TRUE(merged.waitFor(1, 20000));
    const std::vector<MergedBatch> batches = merged.batches();
    ASSERT_EQ(batches.size(), 1u) << "the broken batch is not delivered";
    EXPECT_EQ(batches[0].info.batch_number, 7);
    EXPECT_EQ(batches[0].info.frames, kFrames);
    ASSERT_EQ(batches[0].profiles.size(), static_cast<size_t>(kFrames) * kWidth);
    const std::vector<int32_t> expected = sceneRow();
    for (int f = 0; f < kFrames; ++f) {
        const std::vector<int32_t> row(batches[0].profiles.begin() + f * kWidth,
                                       batches[0].profiles.begin() + (f + 1) * kWidth);
        ASSERT_EQ(row, expected) << "frame " << f;
    }
    withinWatchdog<int>("finalize with the merge running", [] { return HVQ5_Finalize(); });
    MergedBatches::current() = nullptr;
}

TEST_F(SensorTrouble, FinalizeWhileABatchStreamsAndACallerTakesIt) {
    constexpr int kFrames = 200;
    const int threadsBefore = threadCountBaseline();
    startSensor("ZP5160", kFrames);
    open();
    BatchTaker taker(kId, kWidth, kFrames);
    taker.start();
    sensor_sim::BatchPlan slow = scenePlan(kFrames, 2);
    slow.frameRateHz = 200;
    sensors_->streamer(0).setPlan(slow);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(eventually([] { return HVQ5_2_ProfilePointCount(kId) >= 20; }, 20000));

    EXPECT_EQ(withinWatchdog<int>("finalize while frames arrive", [] { return HVQ5_Finalize(); }), HVQ5_RC_OK);
    ASSERT_TRUE(taker.waitForBatches(1, 10000)) << "the caller learns that the id is gone";
    EXPECT_EQ(taker.error(), "take answered 4097");
    EXPECT_TRUE(taker.batches().empty());
    taker.stop();
    sensors_.reset();
    EXPECT_LE(waitForThreadCount(threadsBefore, 10000), threadsBefore) << "threads left behind: " << processThreadNames();
}

// A setting written while a batch streams ends the measurement first; the
// broken-off batch is never complete, and the next one arrives whole.
TEST_F(SensorTrouble, ASettingWrittenDuringABatchStopsItAndTheNextBatchIsWhole) {
    constexpr int kFrames = 100;
    startSensor("ZP5160", kFrames);
    open();
    BatchTaker taker(kId, kWidth, kFrames);
    taker.start();
    sensor_sim::BatchPlan slow = scenePlan(kFrames, 21);
    slow.frameRateHz = 100;
    sensors_->streamer(0).setPlan(slow);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(eventually([] { return HVQ5_2_ProfilePointCount(kId) >= 10; }, 20000));

    uint32_t length = kFrames;
    ASSERT_EQ(HVQ5_2_SetSetting(kId, 1, 16, 0, 10, 0, &length, 4), HVQ5_RC_OK);
    ASSERT_TRUE(sensors_->streamer(0).waitIdle(10000)) << "the measurement was stopped";
    EXPECT_LT(sensors_->streamer(0).framesSent(), static_cast<uint64_t>(kFrames));

    sensors_->streamer(0).setPlan(scenePlan(kFrames, 22));
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(taker.waitForBatches(1, 20000)) << taker.error();
    taker.stop();
    const std::vector<TakenBatch> batches = taker.batches();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].batchNumber, 22);
    expectWholeScene(batches[0]);
}

}  // namespace
}  // namespace acceptance
