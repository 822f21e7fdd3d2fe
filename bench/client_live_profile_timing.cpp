// The client's live profile on a 6000-point head at its real pace (50 ms):
// profiles per second, the client's own time per pass, the time a window's
// copy takes after each "oneline" (p99), torn copies (the simulated scene
// moves on with every request, so a copy mixing two profiles shows), and the
// longest the event queue grew.
//   client_live_profile_timing [seconds]   (default 10)
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "sensor_client/linelaser_client.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tools/sensor_sim/live_scene.h"
#include "tools/sensor_sim/sim_models.h"
#include "tools/sensor_sim/sim_status.h"

using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    QCoreApplication app(argc, argv);
    const std::string address = "127.77.41.9";
    sensor_sim::ModelPreset preset;
    preset.model = "ZP6100";
    sensor_sim::OpenKnobs knobs;
    knobs.batchMode = 0;
    sensor_sim::SimModelSensors sensors(address, preset, knobs);
    if (!sensors.start()) {
        std::fprintf(stderr, "cannot listen on %s\n", address.c_str());
        return 1;
    }
    auto status = sensor_sim::installStatus(sensors.head(0));
    sensor_sim::LiveScene scene(preset.model, 1024);
    scene.setGenerationStep(256 * 7);
    scene.install(sensors.head(0));

    LinelaserClient* client = linelaserClient();
    int opened = -1;
    std::thread([&] { opened = client->open(QString::fromStdString(address), 7); }).join();
    if (opened != 0) {
        std::fprintf(stderr, "open failed: %d\n", opened);
        return 1;
    }

    std::vector<double> x(6000), z(6000);
    std::vector<double> copyUs;
    std::vector<Clock::time_point> arrivals;
    int torn = 0;
    QObject::connect(client, &LinelaserClient::signal_recv_type_datas, [&](int kind) {
        if (kind != 0) return;
        arrivals.push_back(Clock::now());
        const auto begin = Clock::now();
        client->copyProfile(x.data(), z.data(), 6000);
        copyUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
        double low = 1e9, high = -1e9;
        for (int i = 0; i < 6000; ++i) {
            if (z[i] == -9999.0 || i >= 2900) continue;
            low = std::min(low, z[i]);
            high = std::max(high, z[i]);
        }
        if (low <= high && high - low > 1e-6) ++torn;
    });
    const int framesBefore = client->frameCount;
    const auto start = Clock::now();
    client->startProfileAcquisition();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    client->stopAcquisition();
    const int frames = client->frameCount - framesBefore;
    // The pass itself: the profile read the thread makes, timed alone.
    std::vector<int> raw(6000);
    const auto passBegin = Clock::now();
    constexpr int kPasses = 20;
    for (int i = 0; i < kPasses; ++i) hvq5_get_outline(0, raw.data(), 6000);
    const double passMs = std::chrono::duration<double, std::milli>(Clock::now() - passBegin).count() / kPasses;
    client->close();
    sensors.stop();

    std::sort(copyUs.begin(), copyUs.end());
    const double p99 = copyUs.empty() ? 0.0 : copyUs[std::min(copyUs.size() - 1, copyUs.size() * 99 / 100)];
    double meanInterval = 0.0;
    if (arrivals.size() > 1)
        meanInterval = std::chrono::duration<double, std::milli>(arrivals.back() - arrivals.front()).count() /
                       static_cast<double>(arrivals.size() - 1);
    const int paceMs = client->timings().profileMs;
    std::printf("live profile, 6000 points, %d s: %d profiles (%.1f per second), %zu copies\n", seconds, frames,
                frames / elapsed, copyUs.size());
    std::printf("  interval between profiles %.1f ms (pace %d ms); one pass (the profile read) %.1f ms\n",
                meanInterval, paceMs, passMs);
    std::printf("  copy after \"oneline\": p50 %.1f us, p99 %.1f us; torn copies %d; longest event queue %zu\n",
                copyUs.empty() ? 0.0 : copyUs[copyUs.size() / 2], p99, torn, client->events.longest());
    return torn == 0 ? 0 : 1;
}
