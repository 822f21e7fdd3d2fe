// How long HVQ5_2_TakeBatchData keeps its caller while the reader and the
// consumer work: a long batch (default 50000 frames of 1600 columns, 3200
// points with intensity, as the program's client sees a series-'5' head)
// streamed at loopback speed, taken the way the client's batch thread takes
// it (at most 10000 frames a call, 50 ms between calls, 10 ms after a call
// that brought nothing). Reports the longest and the total time spent inside
// the calls, the rate at which the interface processed the frames (beside
// what a gigabit link carries) and the rate at which the caller had them, for
// the process's first batch and for a second one.
//   batch_take_latency_timing [frames]
#include <algorithm>
#include <utility>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include <unistd.h>

#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/sim_models.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kColumns = 1600;
constexpr int kFirstColumn = 224;
constexpr int kFramesPerCall = 10000;

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50000;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("batch_take_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::current_path(folder);
    setenv("PUBLIC", folder.string().c_str(), 1);

    const std::string address = "127.134.2.1";
    sensor_sim::ModelPreset preset;  // series '5': two points per camera column
    preset.xWindowWidth358 = kColumns;
    preset.xWindowStart359 = kFirstColumn;
    sensor_sim::OpenKnobs knobs;
    knobs.batchMode = 1;
    sensor_sim::SimModelSensors sensors(address, preset, knobs);
    if (!sensors.start()) {
        std::fprintf(stderr, "the simulator cannot listen on %s\n", address.c_str());
        return 1;
    }
    sensors.head(0).setReg(138, static_cast<uint32_t>(frames));
    std::shared_ptr<sensor_sim::DataChannelService> channel(sensors.dataChannel(0),
                                                            [](sensor_sim::DataChannelService*) {});
    auto streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = static_cast<uint16_t>(std::min(frames, 65535));
    plan.info.xPitch = 1000;
    plan.info.intensity = true;
    plan.info.points = kColumns;
    plan.info.firstColumn = kFirstColumn;
    plan.frames = frames;
    streamer->setPlan(plan);
    streamer->start(sensors.head(0));

    HVQ5_NET_ADDRESS net{};
    net.ip[0] = 127, net.ip[1] = 134, net.ip[2] = 2, net.ip[3] = 1;
    net.port = 7;
    net.tag[0] = 'Q', net.tag[1] = 'W';  // the program's own connection, as the client opens it
    if (const int status = HVQ5_EthernetOpen(0, &net); status != 0) {
        std::fprintf(stderr, "open failed: %d\n", status);
        return 1;
    }
    if (!sensors.dataChannel(0)->waitForConnection(1, 10000)) {
        std::fprintf(stderr, "no data connection\n");
        return 1;
    }
    const int width = static_cast<int>(hvq5_get_geometry(0) & 0xFFFFFFFF);

    // One batch: the trigger, then the takes as the client's batch thread
    // makes them, while a watcher notes when the sensor had sent the batch and
    // when the interface had processed it.
    struct Figures {
        double sentMs = 0, processedMs = 0, takenMs = 0, firstRowToEndMs = 0, callsMs = 0, longestCallMs = 0;
        int calls = 0;
        uint64_t bytes = 0;
    };
    std::vector<int> heights(static_cast<size_t>(width) * kFramesPerCall);
    std::vector<uint8_t> intensity(heights.size());
    std::vector<uint32_t> encoders(kFramesPerCall), aux(kFramesPerCall), third(kFramesPerCall);
    std::vector<uint64_t> stamps(kFramesPerCall);
    auto runBatch = [&](uint32_t number, Figures* figures) {
        plan.firstBatchNumber = number;
        streamer->setPlan(plan);
        const uint64_t sentBefore = streamer->framesSent(), bytesBefore = streamer->bytesSent();
        std::atomic<bool> watching{true};
        Clock::time_point lastSent{}, lastProcessed{};
        const auto start = Clock::now();
        if (HVQ5_2_TriggerOneBatch(0) != 0) {
            std::fprintf(stderr, "trigger failed\n");
            return false;
        }
        std::thread watcher([&] {
            bool begun = false;  // the interface holds this batch (its count started again)
            while (watching) {
                if (lastSent == Clock::time_point{} && streamer->framesSent() >= sentBefore + frames)
                    lastSent = Clock::now();
                const int processed = HVQ5_2_ProfilePointCount(0);
                begun = begun || processed < frames;
                if (begun && lastProcessed == Clock::time_point{} && processed >= frames) lastProcessed = Clock::now();
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        int taken = 0;
        Clock::time_point firstRow{};
        const auto giveUp = start + std::chrono::seconds(300);
        while (taken < frames && Clock::now() < giveUp) {
            int batchNumber = -1;
            const auto before = Clock::now();
            const int got = HVQ5_2_TakeBatchData(0, nullptr, taken, batchNumber, heights.data(), intensity.data(),
                                                 encoders.data(), aux.data(), third.data(), stamps.data(),
                                                 kFramesPerCall);
            const double callMs = msBetween(before, Clock::now());
            figures->longestCallMs = std::max(figures->longestCallMs, callMs);
            figures->callsMs += callMs;
            ++figures->calls;
            if (got < 0 || got > kFramesPerCall) break;
            // Frames of the batch before this one are not taken.
            const int fresh = batchNumber == static_cast<int>(number) ? got : 0;
            if (fresh > 0 && taken == 0) firstRow = Clock::now();
            taken += fresh;
            std::this_thread::sleep_for(std::chrono::milliseconds(fresh > 0 ? 50 : 10));
        }
        const auto end = Clock::now();
        watching = false;
        watcher.join();
        if (taken < frames) {
            std::fprintf(stderr, "%d of %d frames taken\n", taken, frames);
            return false;
        }
        figures->sentMs = msBetween(start, lastSent);
        figures->processedMs = msBetween(start, lastProcessed);
        figures->takenMs = msBetween(start, end);
        figures->firstRowToEndMs = msBetween(firstRow, end);
        figures->bytes = streamer->bytesSent() - bytesBefore;
        return true;
    };
    // The first batch of the process touches the interface's batch memory for
    // the first time; the second finds it in place.
    Figures first, second;
    const bool ran = runBatch(1, &first) && runBatch(2, &second);
    HVQ5_Finalize();
    streamer->stop();
    sensors.stop();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    if (!ran) return 1;
    std::printf("batch take, %d frames of %d points with intensity:\n", frames, width);
    for (const auto& [name, f] : {std::pair<const char*, const Figures&>{"first batch", first},
                                  std::pair<const char*, const Figures&>{"second batch", second}}) {
        // What a gigabit link (125 MB/s) needs for the batch's bytes.
        const double linkMs = f.bytes / 125e6 * 1000.0;
        std::printf("  %s: the sensor sent it in %.0f ms (a gigabit link needs %.0f ms); the interface processed it\n"
                    "    in %.0f ms (%.0f frames/s, %.2f x the link's rate); the caller had it all after %.0f ms\n"
                    "    (%.0f rows/s from the first row); %d calls, %.0f ms inside them, the longest %.1f ms\n",
                    name, f.sentMs, linkMs, f.processedMs, frames / (f.processedMs / 1000.0), linkMs / f.processedMs,
                    f.takenMs, frames / (f.firstRowToEndMs / 1000.0), f.calls, f.callsMs, f.longestCallMs);
    }
    return 0;
}
