// The client's batch copy of 50000 frames of 3200 points with intensity,
// streamed at loopback speed: rows per second, the lag from the sensor's last
// frame to the batch's completion, the longest wait for batchMutex of a
// painter that takes it every 10 ms (as the height view does), and the peak
// memory of the process; then the first row of the next batch when it is
// started again right after the batch completed (as a person presses again),
// and after a pause.
//   client_batch_copy_timing [frames]   (default 50000)
#include <QCoreApplication>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "sensor_client/linelaser_client.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/sim_models.h"
#include "tools/sensor_sim/sim_status.h"

using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 50000;
    QCoreApplication app(argc, argv);
    const std::string address = "127.77.42.9";
    sensor_sim::ModelPreset preset;  // series '5': two points per camera column
    preset.xWindowWidth358 = 1600;   // 3200 points
    preset.xWindowStart359 = 224;
    sensor_sim::OpenKnobs knobs;
    knobs.batchMode = 1;
    sensor_sim::SimModelSensors sensors(address, preset, knobs);
    if (!sensors.start()) {
        std::fprintf(stderr, "cannot listen on %s\n", address.c_str());
        return 1;
    }
    sensors.head(0).setReg(138, static_cast<uint32_t>(frames));
    auto status = sensor_sim::installStatus(sensors.head(0));
    std::shared_ptr<sensor_sim::DataChannelService> channel(sensors.dataChannel(0),
                                                            [](sensor_sim::DataChannelService*) {});
    auto streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = static_cast<uint16_t>(frames);
    plan.info.xPitch = 1000;
    plan.info.intensity = true;
    plan.info.points = 1600;
    plan.info.firstColumn = 224;
    streamer->setPlan(plan);
    streamer->start(sensors.head(0));

    LinelaserClient* client = linelaserClient();
    int opened = -1;
    std::thread([&] { opened = client->open(QString::fromStdString(address), 7); }).join();
    if (opened != 0 || !sensors.dataChannel(0)->waitForConnection(1, 10000)) {
        std::fprintf(stderr, "open failed: %d\n", opened);
        return 1;
    }

    // A painter that takes the batch lock every 10 ms, as the height view does.
    std::atomic<bool> painting{true};
    std::atomic<int64_t> longestWaitUs{0};
    std::thread painter([&] {
        while (painting) {
            const auto begin = Clock::now();
            { std::lock_guard<std::mutex> lock(client->batchMutex); }
            const int64_t waited =
                std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begin).count();
            longestWaitUs = std::max<int64_t>(longestWaitUs, waited);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    Clock::time_point lastFrameSent{}, lastFrameProcessed{}, firstRow{}, complete{};
    std::thread watcher([&] {
        const auto deadline = Clock::now() + std::chrono::seconds(120);
        while (Clock::now() < deadline) {
            if (firstRow == Clock::time_point{} && client->batchProfileCount > 0) firstRow = Clock::now();
            if (lastFrameSent == Clock::time_point{} && streamer->framesSent() >= static_cast<uint64_t>(frames))
                lastFrameSent = Clock::now();
            if (lastFrameProcessed == Clock::time_point{} && HVQ5_2_ProfilePointCount(0) >= frames)
                lastFrameProcessed = Clock::now();
            if (client->batchComplete) {
                complete = Clock::now();
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const auto start = Clock::now();
    client->startBatchAcquisition(true);
    watcher.join();
    const int rows = client->batchProfileCount;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };

    // A new start of the batch thread with the next batch's trigger, as a
    // press of the start button does: how long from the start (the trigger
    // goes out at its end) until the batch's first row is in the client. Returns once the
    // client has the whole batch, or (interfaceOnly) once the interface has
    // processed its last frame, while the client may still be copying.
    struct NextBatch {
        double firstRowMs = -1.0;
        double completeMs = -1.0;
        bool done = false;
    };
    auto nextBatch = [&](uint32_t number, bool interfaceOnly) {
        NextBatch result;
        plan.firstBatchNumber = number;
        streamer->setPlan(plan);
        const auto pressed = Clock::now();
        client->startBatchAcquisition(true);
        while (Clock::now() - pressed < std::chrono::seconds(60)) {
            const BatchState state = client->batchState();
            const bool ours = state.number == static_cast<int>(number);
            if (result.firstRowMs < 0.0 && ours && state.rows > 0) result.firstRowMs = ms(pressed, Clock::now());
            if (interfaceOnly ? streamer->framesSent() >= static_cast<uint64_t>(frames) * number &&
                                    HVQ5_2_ProfilePointCount(0) >= frames && !streamer->streaming()
                              : ours && state.complete) {
                result.done = true;
                result.completeMs = ms(pressed, Clock::now());
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return result;
    };
    const NextBatch rightAway = nextBatch(2, false);
    // The interface keeps every fifth full batch (the 1st, 6th, ...) for a
    // short batch to come: the press follows the 6th as soon as the interface
    // has it.
    for (uint32_t number = 3; number <= 6; ++number) nextBatch(number, true);
    const NextBatch behind = nextBatch(7, false);

    // The client's own copy rate: the finished batch copied again from row 0
    // (what a repaired batch does), with the interface idle.
    client->batchComplete = false;
    {
        std::lock_guard<std::mutex> lock(client->batchMutex);
        client->batchProfileCount = 0;
    }
    const auto recopyStart = Clock::now();
    while (!client->batchComplete && Clock::now() - recopyStart < std::chrono::seconds(60))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto recopyEnd = Clock::now();
    painting = false;
    painter.join();

    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const NextBatch afterPause = nextBatch(8, false);
    client->stopAcquisition();
    client->close();
    streamer->stop();
    sensors.stop();
    if (complete == Clock::time_point{}) {
        std::fprintf(stderr, "the batch did not complete: %d rows\n", rows);
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("batch copy, %d frames of 3200 points with intensity: %d rows in %.0f ms from the trigger\n", frames,
                rows, ms(start, complete));
    std::printf("  %.0f rows per second (first row to completion); the sensor sent them in %.0f ms\n",
                rows / (ms(firstRow, complete) / 1000.0), ms(start, lastFrameSent));
    std::printf("  lag from the interface's last processed frame to completion %.1f ms\n",
                ms(lastFrameProcessed, complete));
    std::printf("  the client's own copy of the finished batch: %.0f rows per second (%.0f ms)\n",
                rows / (ms(recopyStart, recopyEnd) / 1000.0), ms(recopyStart, recopyEnd));
    std::printf("  longest wait of a 10 ms painter for batchMutex %.2f ms; peak memory %.0f MB\n",
                longestWaitUs / 1000.0, usage.ru_maxrss / 1024.0);
    auto shown = [](const NextBatch& batch) {
        return batch.done ? batch.firstRowMs : -1.0;
    };
    std::printf("  the next batch, its rows in the client's memory already: %d rows in %.0f ms from its start\n", frames,
                rightAway.completeMs);
    std::printf("  the next batch's first row after its start (trigger included): right after completion %.1f ms;\n"
                "  while the client still copied the last one (a 6th full batch) %.1f ms; after a pause %.1f ms (-1: not complete)\n",
                shown(rightAway), shown(behind), shown(afterPause));
    return 0;
}
