#pragma once
// A simulated sensor ready for the program's client (LinelaserClient) on a
// loopback address: one head of a model preset, the status word and the
// heartbeat, a live DEBUG scene (profiles, raw images, see
// tools/sensor_sim/live_scene.h) and a batch streamer on the data channel
// that streams when the client triggers a batch (register 141).
// The Qt client fixture (tests/support/qt/client_fixture.h) opens the real
// client against it; tests without Qt can use it directly.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/live_scene.h"
#include "tools/sensor_sim/sim_models.h"
#include "tools/sensor_sim/sim_sensor.h"
#include "tools/sensor_sim/sim_status.h"

namespace mirevo::test {

struct ClientSensorOptions {
    // The third character is the series: '3' 848 points, '4' 3200, '5' 4096,
    // '6' 6000 (profile points; see sensor_sim::simGeometry).
    sensor_sim::ModelPreset preset;
    // Register 149 (batch mode) starts off: the live profile runs.
    sensor_sim::OpenKnobs knobs = profileModeKnobs();
    // Batches: register 138 (profiles per batch) and the X window (registers
    // 358 and 359) the sensor measures and streams; the whole camera by default.
    int batchLength = 100;
    uint16_t streamedColumns = 2048;
    uint16_t firstStreamedColumn = 0;

    static sensor_sim::OpenKnobs profileModeKnobs() {
        sensor_sim::OpenKnobs knobs;
        knobs.batchMode = 0;
        return knobs;
    }
};

class ClientSensor {
public:
    ClientSensor(std::string address, ClientSensorOptions options = {});
    ~ClientSensor();
    ClientSensor(const ClientSensor&) = delete;
    ClientSensor& operator=(const ClientSensor&) = delete;

    bool start();
    void stop();

    const std::string& address() const { return address_; }
    const ClientSensorOptions& options() const { return options_; }
    sensor_sim::SimSensor& head() { return sensors_.head(0); }
    // Every head of the model (four for an 'F' model: at the address and the
    // next three fourth octets); the live scene and batches are head 0's.
    int headCount() const { return sensors_.headCount(); }
    sensor_sim::SimSensor& head(int index) { return sensors_.head(index); }
    const std::string& headAddress(int index) const { return sensors_.address(index); }
    sensor_sim::SimStatus& status() { return *status_; }
    sensor_sim::LiveScene& scene() { return *scene_; }
    // The live scene of head `index` (0: scene()); valid while started.
    sensor_sim::LiveScene& scene(int index) { return index == 0 ? *scene_ : *furtherScenes_.at(index - 1); }
    sensor_sim::BatchStreamer& streamer() { return *streamer_; }
    sensor_sim::DataChannelService& dataChannel() { return *sensors_.dataChannel(0); }
    // Data connections accepted since start (0 while stopped).
    size_t dataConnections();
    // Waits until the count-th data connection is served; false after timeoutMs
    // or while stopped.
    bool waitForDataConnection(size_t count, int timeoutMs);

    // A plan of the streamed window: framesPerBatch frames, batch numbers from
    // firstBatchNumber.
    sensor_sim::BatchPlan batchPlan(int framesPerBatch, uint32_t firstBatchNumber = 1) const;

    // The register store and the packet log of the head.
    uint32_t reg(uint32_t address) { return head().reg(address); }
    void setReg(uint32_t address, uint32_t value) { head().setReg(address, value); }
    std::vector<sensor_sim::LoggedPacket> packetLog() { return head().packetLog(); }
    void clearPacketLog() { head().clearPacketLog(); }
    // Register writes (opcode 160) of the log to one address, in order.
    std::vector<uint32_t> writesTo(uint32_t address);

private:
    std::string address_;
    ClientSensorOptions options_;
    sensor_sim::SimModelSensors sensors_;
    std::shared_ptr<sensor_sim::SimStatus> status_;
    std::unique_ptr<sensor_sim::LiveScene> scene_;
    // The further heads answer the heartbeat and the live profile too.
    std::vector<std::shared_ptr<sensor_sim::SimStatus>> furtherStatus_;
    std::vector<std::unique_ptr<sensor_sim::LiveScene>> furtherScenes_;
    std::shared_ptr<sensor_sim::BatchStreamer> streamer_;
};

}  // namespace mirevo::test
