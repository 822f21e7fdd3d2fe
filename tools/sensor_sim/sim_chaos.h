#pragma once
// A sensor having a bad day, reproducibly: each write of register 141 = 1
// streams one batch of the scene (batch numbers counting up from 1) that may
// suffer one fault on the data channel, and arms at most one fault for the
// next write of register 141 on the command channel. A fixed seed gives the
// same faults in the same order.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/data_messages.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

enum class DataChaos {
    None,
    Silence,            // stops after a frame, stays silent, never ends the batch
    CloseConnection,    // closes the data connection after a frame
    TruncatedFrame,     // a frame loses its tail but keeps its terminator
    UnterminatedFrame,  // a frame is cut and runs into the next message
    GarbledTag,         // a frame's tag is not a frame's tag
};

struct ChaosOptions {
    uint32_t seed = 1;
    DataInfo info;                // framesPerBatch frames of info.points points per batch
    int dataFaultPercent = 50;    // batches that suffer a data-channel fault
    int commandFaultPercent = 15; // triggers that meet a command-channel fault
    int silenceMs = 600;          // length of a data-channel silence
    int reconnectWaitMs = 5000;   // how long a broken batch waits for the host to come back
};

// What happened to one batch, for the test's own account.
struct ChaosBatch {
    uint32_t batchNumber = 0;
    DataChaos fault = DataChaos::None;
    int faultyFrame = -1;
    uint32_t cut = 0;  // truncated frame: bytes lost; unterminated frame: bytes kept
};

std::string chaosName(DataChaos fault);

class ChaosStreamer : public SimService, public std::enable_shared_from_this<ChaosStreamer> {
public:
    static constexpr uint32_t kStartRegister = 141;

    ChaosStreamer(std::shared_ptr<DataChannelService> channel, ChaosOptions options);
    ~ChaosStreamer() override;

    // Listens for writes of register 141 of the sensor.
    bool start(SimSensor& sensor) override;
    void stop() override;

    // Waits until no batch is being streamed; false after timeoutMs.
    bool waitIdle(int timeoutMs);
    std::vector<ChaosBatch> batches() const;
    // Command-channel faults armed so far.
    int commandFaults() const { return commandFaults_.load(); }

private:
    void onTrigger();
    void stream(ChaosBatch batch);
    Bytes frameBytes(uint32_t batchNumber, int frame) const;
    bool waitForHost(size_t connectionsBefore);
    void armCommandFault();
    uint32_t draw(uint32_t below);

    std::shared_ptr<DataChannelService> channel_;
    ChaosOptions options_;
    SimSensor* sensor_ = nullptr;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::mt19937 random_;
    uint32_t nextBatchNumber_ = 1;
    std::vector<ChaosBatch> batches_;
    std::thread worker_;
    bool streaming_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<int> commandFaults_{0};
};

}  // namespace sensor_sim
