// mirevo-sensor-sim: plays one sensor on a loopback address until interrupted.
//   mirevo-sensor-sim [--address 127.0.0.2] [--command-port 7] [--data-port 9] [--model ZP5160]
//                     [--reg ADDRESS=VALUE ...] [--quiet] [--search] [--private-netns]
// The sensor is a healthy head of the model (identity, firmware, measuring
// range, status and heartbeat, a live scene of a plane with a step) that the
// program can open, in profile mode; --reg 149=1 starts it in batch mode.
// --search answers the device search (UDP 20010) on every interface.
// --private-netns allows an address that is not loopback, for a network
// namespace of its own whose only other interfaces are the "mvs-" veth ends a
// script made (scripts/run-with-simulator); the program checks that.
// Every request on the command channel is printed with its time. A write of
// register 227 reboots the sensor (connections dropped, back after a moment).
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/live_scene.h"
#include "tools/sensor_sim/search_responder.h"
#include "tools/sensor_sim/sim_batch_memory.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_models.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_reboot.h"
#include "tools/sensor_sim/sim_sensor.h"
#include "tools/sensor_sim/sim_status.h"

namespace {

std::atomic<bool> g_stop{false};

constexpr uint16_t kFramesPerBatch = 1000;

void onSignal(int) { g_stop = true; }

void usage() {
    std::fprintf(stderr,
                 "usage: mirevo-sensor-sim [--address 127.x.y.z] [--command-port N] [--data-port N] [--model TEXT]\n"
                 "                         [--reg ADDRESS=VALUE ...] [--quiet] [--search] [--private-netns]\n");
}

bool parseRegister(const char* text, sensor_sim::SimSensor& sensor) {
    const char* equals = std::strchr(text, '=');
    if (!equals) return false;
    char* end = nullptr;
    unsigned long address = std::strtoul(text, &end, 0);
    if (end != equals || address > 0xFFFF) return false;
    unsigned long value = std::strtoul(equals + 1, &end, 0);
    if (*end != '\0') return false;
    sensor.setReg(static_cast<uint32_t>(address), static_cast<uint32_t>(value));
    return true;
}

// Only inside a namespace whose interfaces are loopback and our own veth
// ends: nothing the simulator sends can reach a real network.
bool inPrivateNamespace() {
    std::ifstream dev("/proc/net/dev");
    std::string line;
    int interfaces = 0;
    while (std::getline(dev, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::istringstream name(line.substr(0, colon));
        std::string interface;
        name >> interface;
        ++interfaces;
        if (interface != "lo" && interface.rfind("mvs-", 0) != 0) return false;
    }
    return interfaces > 0;
}

bool parsePort(const char* text, uint16_t* port) {
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (*end != '\0' || value == 0 || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    sensor_sim::SimOptions options;
    sensor_sim::ModelPreset preset;
    bool quiet = false;
    bool search = false;
    bool privateNamespace = false;
    std::vector<const char*> registers;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--address" && hasValue) {
            options.address = argv[++i];
        } else if (arg == "--command-port" && hasValue) {
            if (!parsePort(argv[++i], &options.commandPort)) { usage(); return 2; }
        } else if (arg == "--data-port" && hasValue) {
            if (!parsePort(argv[++i], &options.dataPort)) { usage(); return 2; }
        } else if (arg == "--model" && hasValue) {
            preset.model = argv[++i];
            if (preset.model.size() < 3) { usage(); return 2; }
        } else if (arg == "--reg" && hasValue) {
            registers.push_back(argv[++i]);
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--search") {
            search = true;
        } else if (arg == "--private-netns") {
            privateNamespace = true;
        } else {
            usage();
            return 2;
        }
    }
    if (privateNamespace && !inPrivateNamespace()) {
        std::fprintf(stderr, "--private-netns: this network namespace has interfaces of its own beyond lo and mvs-*\n");
        return 2;
    }
    if (options.address.rfind("127.", 0) != 0 && !privateNamespace) {
        std::fprintf(stderr, "the simulator only listens on loopback addresses (127.x.y.z)\n");
        return 2;
    }

    sensor_sim::SimSensor sensor(options);
    // A head the program can open, in profile mode until told otherwise.
    sensor_sim::OpenKnobs knobs;
    knobs.batchMode = 0;
    sensor_sim::presetModelHead(sensor, preset, knobs);
    sensor.setReg(138, kFramesPerBatch);  // profiles per batch, as streamed below
    for (const char* text : registers) {
        if (!parseRegister(text, sensor)) {
            std::fprintf(stderr, "bad register preset: %s\n", text);
            return 2;
        }
    }
    sensor_sim::installStatus(sensor);
    sensor_sim::LiveScene scene(preset.model, sensor_sim::simGeometry(preset.model).rows);
    scene.install(sensor);
    sensor_sim::installBatchMemory(sensor);
    sensor_sim::installFlash(sensor);
    sensor_sim::installPrograms(sensor);
    sensor_sim::installReboot(sensor);
    auto dataChannel = std::make_shared<sensor_sim::DataChannelService>();
    sensor.addService(dataChannel);
    // Writing register 141 = 1 streams a batch of the deterministic scene.
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = kFramesPerBatch;
    plan.info.xPitch = 2000;
    plan.info.intensity = true;
    plan.info.points = static_cast<uint16_t>(sensor.reg(358));
    plan.info.firstColumn = static_cast<uint16_t>(sensor.reg(359));
    plan.frameRateHz = 1000;
    plan.countOnwards = true;
    sensor_sim::installBatchStream(sensor, dataChannel, plan);
    if (search) {
        // Broadcasts reach only an unspecific bind.
        sensor_sim::SearchResponderOptions searchOptions;
        searchOptions.bindAddress = privateNamespace ? "0.0.0.0" : options.address;
        sensor.addService(std::make_shared<sensor_sim::SearchResponder>(searchOptions));
    }
    if (!sensor.start()) {
        std::fprintf(stderr, "cannot listen on %s (ports %u and %u)\n", options.address.c_str(),
                     options.commandPort, options.dataPort);
        return 1;
    }
    std::printf("sensor on %s: command port %u, data port %u\n", options.address.c_str(), options.commandPort,
                options.dataPort);
    std::fflush(stdout);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    const auto begin = std::chrono::steady_clock::now();
    size_t printed = 0;
    while (!g_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (quiet) continue;
        auto log = sensor.packetLog();
        for (; printed < log.size(); ++printed) {
            const auto& packet = log[printed];
            double ms = std::chrono::duration<double, std::milli>(packet.time - begin).count();
            std::printf("%10.1f ms  %-7s opcode %3u  address %u  value %u  payload %zu bytes\n", ms,
                        packet.channel.c_str(), packet.opcode, packet.address, packet.value, packet.payload.size());
        }
        std::fflush(stdout);
    }
    sensor.stop();
    return 0;
}
