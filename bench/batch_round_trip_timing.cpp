// Time from HVQ5_2_TriggerOneBatch to the last frame of the batch in a
// caller's hands, taken with HVQ5_2_TakeBatchData while the frames arrive, as
// the program's client polls: full-width frames of a series-'5' head from the
// simulator on loopback, sent as fast as the socket takes them. Runs in a
// temporary working folder.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include <unistd.h>

#include "sensor_interface/registry/hvq5_api.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/sim_models.h"

namespace {

constexpr int kColumns = 2048;
constexpr int kWidth = 4096;  // two points per column

// Registers of a head whose scene gives valid heights over the whole camera.
void presetHead(sensor_sim::SimSensor& head, int frames) {
    head.setReg(351, 80000u << 8);
    head.setReg(352, 20000u << 8);
    head.setReg(353, 65536);
    head.setReg(285, 1000);
    head.setReg(358, kColumns);
    head.setReg(359, 0);
    head.setReg(138, static_cast<uint32_t>(frames));
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("batch_timing_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::current_path(folder);
    setenv("PUBLIC", folder.string().c_str(), 1);

    sensor_sim::SimModelSensors sensor("127.134.1.1");
    if (!sensor.start()) {
        std::fprintf(stderr, "the simulator cannot listen on %s\n", sensor.address(0).c_str());
        return 1;
    }
    presetHead(sensor.head(0), frames);
    std::shared_ptr<sensor_sim::DataChannelService> channel(sensor.dataChannel(0),
                                                            [](sensor_sim::DataChannelService*) {});
    auto streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);
    streamer->start(sensor.head(0));
    const uint8_t ip[4] = {127, 134, 1, 1};
    if (const int status = HVQ5_2_EthernetOpen(0, ip); status != 0) {
        std::fprintf(stderr, "open failed: %d\n", status);
        return 1;
    }

    std::vector<int> profiles(static_cast<size_t>(frames) * kWidth);
    std::vector<uint8_t> intensity(profiles.size());
    std::vector<uint32_t> encoders(frames), frameNumbers(frames);
    using Clock = std::chrono::steady_clock;
    std::vector<double> roundMs;
    for (int round = 0; round < rounds; ++round) {
        sensor_sim::BatchPlan plan;
        plan.info.framesPerBatch = static_cast<uint16_t>(frames);
        plan.info.xPitch = 1000;
        plan.info.intensity = true;
        plan.info.points = kColumns;
        plan.firstBatchNumber = static_cast<uint32_t>(100 + round);
        streamer->setPlan(plan);

        const auto start = Clock::now();
        if (HVQ5_2_TriggerOneBatch(0) != 0) {
            std::fprintf(stderr, "trigger failed\n");
            return 1;
        }
        int taken = 0;
        const auto giveUp = start + std::chrono::seconds(30);
        while (taken < frames && Clock::now() < giveUp) {
            int batchNumber = -1;
            const int got = HVQ5_2_TakeBatchData(0, nullptr, taken, batchNumber, profiles.data() + taken * kWidth,
                                                 intensity.data() + taken * kWidth, encoders.data() + taken,
                                                 frameNumbers.data() + taken, nullptr, nullptr,
                                                 static_cast<uint32_t>(frames - taken));
            if (batchNumber != 100 + round) {
                taken = 0;
            } else if (got > 0) {
                taken += got;
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (taken < frames) {
            std::fprintf(stderr, "round %d: %d of %d frames taken\n", round, taken, frames);
            return 1;
        }
        roundMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        streamer->waitIdle(10000);
    }
    HVQ5_Finalize();
    streamer->stop();
    std::sort(roundMs.begin(), roundMs.end());
    const double median = roundMs[roundMs.size() / 2];
    std::printf("batch round trip: %d rounds of %d frames x %d points, median %.1f ms (min %.1f, max %.1f), "
                "%.0f frames/s\n",
                rounds, frames, kWidth, median, roundMs.front(), roundMs.back(), frames * 1000.0 / median);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return 0;
}
