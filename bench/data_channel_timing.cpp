// Throughput of the data channel on loopback: the simulated sensor streams
// batches of 2048-column frames with intensity, as fast as the socket takes
// them, from a head whose profiles have 3200 points. Measured for the reader
// alone (cutting and queueing) and for reader, consumer and profile processor
// together (frames through to delivered batches). Each phase runs about 3 s.
//
// A sensor on gigabit Ethernet sends at most about 125 MB/s; the pipeline
// should keep up with three times that without losing a frame.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/data_channel_reader.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/profile_processor.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/data_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kColumns = 2048;        // camera columns sent per frame
constexpr int kProfilePoints = 3200;  // profile points of the head
constexpr int kFramesPerBatch = 500;
constexpr int kBatchesPerRound = 20;
constexpr double kPhaseSeconds = 3.0;
constexpr double kGigabitMBps = 125.0;

class QuietLog final : public data_channel::ReceiverLog {
public:
    void line(const std::string&, int) override {}
    void reconnection(const std::string&) override {}
    void dump() override {}
};

sensor_sim::BatchPlan roundPlan(uint32_t firstBatch) {
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = kFramesPerBatch;
    plan.info.xPitch = 2000;
    plan.info.intensity = true;
    plan.info.points = kColumns;
    plan.info.wideValues = true;  // the head's fixed-point rows are 32-bit
    plan.batches = kBatchesPerRound;
    plan.firstBatchNumber = firstBatch;
    return plan;
}

struct Figures {
    uint64_t framesSent = 0;
    uint64_t framesThrough = 0;
    uint64_t bytes = 0;
    double seconds = 0.0;
};

void report(const char* name, const Figures& f) {
    const double fps = f.framesThrough / f.seconds;
    const double mbps = f.bytes / f.seconds / 1e6;
    std::printf("%-34s %9.0f frames/s %8.1f MB/s (%.1f x gigabit)  frames lost %llu of %llu\n", name, fps,
                mbps, mbps / kGigabitMBps, static_cast<unsigned long long>(f.framesSent - f.framesThrough),
                static_cast<unsigned long long>(f.framesSent));
}

// Runs rounds of batches until the phase time is used; waitRound returns once
// every frame of the round has come through (or false when it never does).
template <typename WaitRound>
Figures runRounds(sensor_sim::BatchStreamer& streamer, WaitRound waitRound) {
    Figures figures;
    const Clock::time_point begin = Clock::now();
    uint32_t batch = 1;
    while (std::chrono::duration<double>(Clock::now() - begin).count() < kPhaseSeconds) {
        streamer.setPlan(roundPlan(batch));
        streamer.startStream();
        batch += kBatchesPerRound;
        if (!streamer.waitIdle(60000) || !waitRound(streamer.framesSent())) break;
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    figures.framesSent = streamer.framesSent();
    figures.bytes = streamer.bytesSent();
    return figures;
}

Figures readerAlone(const std::string& address) {
    auto channel = std::make_shared<sensor_sim::DataChannelService>();
    if (!channel->start(address, 9)) return {};
    auto streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);

    auto client = std::make_shared<data_channel::linelaser_client>();
    client->connect(address, 9);
    MessageQueue queue;
    data_channel::ConnectionState connection;
    data_channel::RunSignal run;
    QuietLog log;
    run.start();
    std::thread reader([&] { data_channel::DataChannelReader(1, client, queue, connection, run, log).run(); });
    channel->waitForConnection(1, 5000);

    std::atomic<uint64_t> frames{0};
    std::atomic<bool> draining{true};
    std::thread drain([&] {
        while (draining) {
            const MessageQueue::Message message = queue.pop(100);
            if (message.size() > 100) ++frames;
        }
    });
    Figures figures = runRounds(*streamer, [&](uint64_t sent) {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
        while (frames < sent && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::microseconds(200));
        return frames >= sent;
    });
    figures.framesThrough = frames;

    draining = false;
    drain.join();
    run.stop();
    connection.release();
    reader.join();
    client->close(true);
    streamer->stop();
    channel->stop();
    return figures;
}

Figures wholePipeline(const std::string& address, bool withProcessor) {
    auto channel = std::make_shared<sensor_sim::DataChannelService>();
    if (!channel->start(address, 9)) return {};
    auto streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);

    SensorController controller;
    controller.laserParams.model[2] = '4';  // 2048 columns, 3200 profile points
    controller.settings().set_regvals(753, 1);  // normal thread priorities
    controller.settings().set_regvals(752, kProfilePoints);
    if (withProcessor) {
        controller.processor = std::make_shared<ProfileProcessor>(kColumns, kProfilePoints, 3200.0 / 2048.0);
        controller.processor->bind(&controller.settings(), &controller.laserParams);
    }

    ProfileReceiver receiver(std::make_shared<QuietLog>());
    std::atomic<uint64_t> delivered{0};
    receiver.setOneTimeHandlerObject(
        [&](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data*) { delivered += static_cast<uint64_t>(info->frames); });
    if (receiver.start(1, address, 9, 0, &controller) != 0) return {};
    channel->waitForConnection(1, 5000);

    Figures figures = runRounds(*streamer, [&](uint64_t sent) {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
        while (delivered < sent && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::microseconds(200));
        return delivered >= sent;
    });
    figures.framesThrough = delivered;
    receiver.stop();
    streamer->stop();
    channel->stop();
    return figures;
}

// The consumer's frame path alone, fed from memory: copy, process, append.
Figures framePathAlone() {
    SensorController controller;
    controller.laserParams.model[2] = '4';
    controller.settings().set_regvals(752, kProfilePoints);
    controller.processor = std::make_shared<ProfileProcessor>(kColumns, kProfilePoints, 3200.0 / 2048.0);
    controller.processor->bind(&controller.settings(), &controller.laserParams);
    ProfileReceiver receiver(std::make_shared<QuietLog>());
    receiver.attach(1, &controller);
    const sensor_sim::BatchPlan plan = roundPlan(1);
    const sensor_sim::Bytes info = sensor_sim::encodeInfo(plan.info);
    receiver.parseInfo(info.data(), info.size());
    const sensor_sim::Bytes frame = sensor_sim::encodeFrame(sensor_sim::sceneFrame(plan.info, 1, 0));
    constexpr size_t kPayloadPos = 8;

    Figures figures;
    const Clock::time_point begin = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - begin).count() < kPhaseSeconds) {
        receiver.clearBatch();
        receiver.setBatchFinished(false);
        for (int i = 0; i < kFramesPerBatch; ++i)
            receiver.copyFrame(ProfileReceiver::kFixedPointMode, frame.data(), frame.size(), kPayloadPos);
        figures.framesThrough += kFramesPerBatch;
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    figures.framesSent = figures.framesThrough;
    figures.bytes = figures.framesThrough * frame.size();
    return figures;
}

}  // namespace

int main() {
    std::printf("data channel on loopback: %d-column frames with intensity, %d-point profiles, %d frames per batch\n",
                kColumns, kProfilePoints, kFramesPerBatch);
    report("reader alone", readerAlone("127.93.0.1"));
    // Without a processor the consumer records each frame's header entries only.
    report("reader + consumer", wholePipeline("127.93.0.2", false));
    report("reader + consumer + processor", wholePipeline("127.93.0.3", true));
    report("frame path alone (no socket)", framePathAlone());
    return 0;
}
