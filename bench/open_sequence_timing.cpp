// Time from HVQ5_EthernetOpen to an open sensor against the simulator on
// loopback, and of closing it again: the whole sequence of identity reads,
// head records, user registers, calibration table, start-up writes and the
// data channel. Runs in a temporary working folder.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <unistd.h>

#include "sensor_interface/registry/hvq5_api.h"
#include "tools/sensor_sim/sim_models.h"

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("open_timing_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::current_path(folder);
    setenv("PUBLIC", folder.string().c_str(), 1);

    sensor_sim::SimModelSensors sensor("127.133.1.1");
    if (!sensor.start()) {
        std::fprintf(stderr, "the simulator cannot listen on %s\n", sensor.address(0).c_str());
        return 1;
    }
    const HVQ5_NET_ADDRESS address{{127, 133, 1, 1}, 7, {'Q', 'W'}};
    using Clock = std::chrono::steady_clock;
    std::vector<double> openMs, closeMs;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        const int status = HVQ5_EthernetOpen(0, &address);
        const auto opened = Clock::now();
        if (status != 0) {
            std::fprintf(stderr, "open failed: %d\n", status);
            return 1;
        }
        HVQ5_CommunicationClose(0);
        const auto closed = Clock::now();
        openMs.push_back(std::chrono::duration<double, std::milli>(opened - start).count());
        closeMs.push_back(std::chrono::duration<double, std::milli>(closed - opened).count());
    }
    std::sort(openMs.begin(), openMs.end());
    std::sort(closeMs.begin(), closeMs.end());
    std::printf("open sequence: %d rounds, median %.1f ms (min %.1f, max %.1f); close: median %.1f ms\n", rounds,
                openMs[openMs.size() / 2], openMs.front(), openMs.back(), closeMs[closeMs.size() / 2]);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return 0;
}
