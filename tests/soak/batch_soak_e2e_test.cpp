// A bounded soak: a simulated sensor with random (seeded) faults on both
// channels streams batch after batch while a caller's thread takes them with
// HVQ5_2_TakeBatchData. Every batch the caller sees complete must be whole
// and show the scene; nothing may hang or crash, and no thread may be left.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sensor_interface/registry/hvq5_api.h"
#include "tests/acceptance/batch_taker.h"
#include "tests/acceptance/scene_sensor.h"
#include "tests/acceptance/thread_count.h"
#include "tests/acceptance/watchdog.h"
#include "tools/sensor_sim/sim_chaos.h"

namespace acceptance {
namespace {

constexpr int kArea = 203;
constexpr int kId = 0;
constexpr int kFrames = 20;
constexpr int kWidth = 400;
constexpr int kBatches = 60;
constexpr auto kTimeBudget = std::chrono::seconds(45);
constexpr uint32_t kSeed = 20261210;

class BatchSoak : public InterfaceTest {};

TEST_F(BatchSoak, EveryBatchReportedCompleteIsWholeUnderRandomFaults) {
    const int threadsBefore = threadCountBaseline();
    std::map<std::string, int> faultsSeen;
    std::set<uint32_t> mustArrive;  // clean batches after a clean batch
    std::vector<TakenBatch> taken;
    int triggered = 0;
    int triggerFailures = 0;
    size_t chaosBatches = 0;
    int commandFaults = 0;
    {
        sensor_sim::SimModelSensors sensors(testAddress(kArea), scenePreset("ZP5160"));
        ASSERT_TRUE(sensors.start());
        presetSceneRegisters(sensors.head(0), kFrames);
        sensor_sim::ChaosOptions options;
        options.seed = kSeed;
        options.info = scenePlan(kFrames, 1).info;
        std::shared_ptr<sensor_sim::DataChannelService> channel(sensors.dataChannel(0),
                                                                [](sensor_sim::DataChannelService*) {});
        auto chaos = std::make_shared<sensor_sim::ChaosStreamer>(channel, options);
        ASSERT_TRUE(chaos->start(sensors.head(0)));

        ASSERT_EQ(HVQ5_2_EthernetOpen(kId, netAddress(sensors.address(0)).ip), HVQ5_RC_OK);
        ASSERT_TRUE(sensors.dataChannel(0)->waitForConnection(1, 10000));
        // A stalled batch ends after 300 ms without a frame, and the reader reconnects.
        ASSERT_EQ(HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kId, 300), HVQ5_RC_OK);

        BatchTaker taker(kId, kWidth, kFrames);
        taker.start();
        auto hasTaken = [&taker](uint32_t batchNumber) {
            for (const TakenBatch& batch : taker.batches())
                if (batch.batchNumber == static_cast<int>(batchNumber)) return true;
            return false;
        };

        const auto begin = std::chrono::steady_clock::now();
        bool previousClean = true;
        for (int attempt = 0; attempt < kBatches && std::chrono::steady_clock::now() - begin < kTimeBudget;
             ++attempt) {
            const int status = withinWatchdog<int>("trigger", [] { return HVQ5_2_TriggerOneBatch(kId); });
            if (status != HVQ5_RC_OK) {
                // A bad echo, a closed or a silent command channel: reported, not hidden.
                EXPECT_EQ(status, HVQ5_RC_COMMAND_FAILED);
                ++triggerFailures;
                previousClean = false;
                continue;
            }
            ++triggered;
            ASSERT_TRUE(eventually([&] { return chaos->batches().size() == static_cast<size_t>(triggered); }, 5000))
                << "a trigger reported as done reached the sensor";
            ASSERT_TRUE(chaos->waitIdle(20000));
            const sensor_sim::ChaosBatch batch = chaos->batches().back();
            ++faultsSeen[sensor_sim::chaosName(batch.fault)];
            const bool clean = batch.fault == sensor_sim::DataChaos::None;
            if (clean && previousClean) {
                mustArrive.insert(batch.batchNumber);
                eventually([&] { return hasTaken(batch.batchNumber); }, 10000);
            }
            previousClean = clean;
        }
        EXPECT_TRUE(taker.error().empty()) << taker.error();
        taker.stop();
        taken = taker.batches();
        chaosBatches = chaos->batches().size();
        commandFaults = chaos->commandFaults();

        EXPECT_EQ(withinWatchdog<int>("finalize", [] { return HVQ5_Finalize(); }), HVQ5_RC_OK);
        chaos->stop();
        sensors.stop();
    }

    EXPECT_EQ(chaosBatches, static_cast<size_t>(triggered)) << "every trigger reported as failed did fail";
    // Each command fault fails one trigger (the last one armed may find none left).
    EXPECT_LE(triggerFailures, commandFaults);
    EXPECT_GE(triggerFailures, commandFaults - 1);
    std::string account = "command faults " + std::to_string(commandFaults) + ", triggers failed " +
                          std::to_string(triggerFailures) + ";";
    for (const auto& [fault, count] : faultsSeen) account += " " + fault + " " + std::to_string(count) + ";";
    account += " clean batches that had to arrive " + std::to_string(mustArrive.size()) + "; complete batches " +
               std::to_string(taken.size());
    std::printf("soak: %s\n", account.c_str());
    SCOPED_TRACE(account);
    EXPECT_GE(mustArrive.size(), 5u) << "the soak exercised too few clean batches";

    // Whatever the caller saw complete is whole: every frame once, in order,
    // and the scene's heights.
    const std::vector<int32_t> expected = sceneRow();
    std::set<int> seen;
    for (const TakenBatch& batch : taken) {
        EXPECT_TRUE(seen.insert(batch.batchNumber).second) << "batch " << batch.batchNumber << " taken twice";
        ASSERT_EQ(batch.frameNumbers.size(), static_cast<size_t>(kFrames));
        ASSERT_EQ(batch.profiles.size(), static_cast<size_t>(kFrames) * kWidth);
        for (int f = 0; f < kFrames; ++f) {
            EXPECT_EQ(batch.frameNumbers[f], static_cast<uint32_t>(f)) << "batch " << batch.batchNumber;
            EXPECT_EQ(batch.encoders[f], static_cast<uint32_t>(10 * f)) << "batch " << batch.batchNumber;
            const std::vector<int32_t> row(batch.profiles.begin() + f * kWidth,
                                           batch.profiles.begin() + (f + 1) * kWidth);
            ASSERT_EQ(row, expected) << "batch " << batch.batchNumber << " frame " << f;
        }
    }
    // A clean batch after a clean batch always arrives.
    for (uint32_t number : mustArrive)
        EXPECT_EQ(seen.count(static_cast<int>(number)), 1u) << "clean batch " << number << " did not arrive whole";

    EXPECT_LE(waitForThreadCount(threadsBefore, 10000), threadsBefore) << "threads left behind: " << processThreadNames();
}

}  // namespace
}  // namespace acceptance
