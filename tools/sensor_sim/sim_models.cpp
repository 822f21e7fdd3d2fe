#include "tools/sensor_sim/sim_models.h"

#include <cmath>
#include <cstdio>

#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/imaging_registers.h"

namespace sensor_sim {
namespace {

constexpr uint8_t kFirstHeadRecord = 176;

std::vector<int> octetsOf(const std::string& address) {
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(address.c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    return {a, b, c, d};
}

}  // namespace

SimGeometry simGeometry(const std::string& model) {
    const char series = model.size() > 2 ? model[2] : '\0';
    if (series == '3') return {848, 640, 848};
    if (series == '4') return {2048, 608, 3200};
    if (series == '6') return {2048, 1024, 6000};
    return {2048, 1024, 4096};
}

uint32_t simGridPitch285(const std::string& model, double columnPitch) {
    const SimGeometry geometry = simGeometry(model);
    const double pointsPerColumn = static_cast<double>(geometry.points) / geometry.columns;
    return static_cast<uint32_t>(std::lround(columnPitch / pointsPerColumn * 100.0));
}

int simHeadCount(const std::string& model) {
    if (model.empty()) return 1;
    if (model.back() == 'D') return 2;
    if (model.back() == 'F') return 4;
    return 1;
}

std::string simHeadAddress(const std::string& first, int heads, int index) {
    std::vector<int> octets = octetsOf(first);
    int& counted = heads == 2 ? octets[2] : octets[3];
    counted = (counted + index) & 0xFF;
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." + std::to_string(octets[2]) +
           "." + std::to_string(octets[3]);
}

SimModelSensors::SimModelSensors(const std::string& firstAddress, ModelPreset preset, OpenKnobs knobs)
    : preset_(std::move(preset)), knobs_(std::move(knobs)) {
    const int heads = simHeadCount(preset_.model);
    for (int i = 0; i < heads; ++i) heads_.push_back(Head{simHeadAddress(firstAddress, heads, i), nullptr, nullptr});
}

SimModelSensors::~SimModelSensors() { stop(); }

bool SimModelSensors::start() {
    stop();
    for (Head& head : heads_) {
        presetHead(head);
        if (!head.sensor->start()) return false;
    }
    return true;
}

void SimModelSensors::stop() {
    for (Head& head : heads_) {
        if (head.sensor) head.sensor->stop();
        head.sensor.reset();
        head.data.reset();
    }
}

void SimModelSensors::applyKnobs(const OpenKnobs& knobs) { knobs_ = knobs; }

void presetModelHead(SimSensor& sensor, const ModelPreset& preset, const OpenKnobs& knobs) {
    HeadPreset identity;
    identity.model = preset.model;
    identity.optics = {0.0, 0.0, preset.columnPitch, 0.0, 0.0};
    sensor.model().setHead(identity);
    const SimGeometry geometry = simGeometry(preset.model);
    sensor.setReg(134, preset.firmware134);
    sensor.setReg(135, preset.firmware135);
    sensor.setReg(166, preset.firmware166);
    sensor.setReg(350, preset.range350);
    sensor.setReg(351, preset.range351);
    sensor.setReg(352, preset.range352);
    sensor.setReg(353, preset.codeResolution353);
    sensor.setReg(355, preset.distanceUpper355);
    sensor.setReg(356, preset.distanceLower356);
    sensor.setReg(358, preset.xWindowWidth358.value_or(static_cast<uint32_t>(geometry.columns)));
    sensor.setReg(359, preset.xWindowStart359);
    sensor.setReg(285, preset.xPitch285.value_or(simGridPitch285(preset.model, preset.columnPitch)));
    sensor.setReg(705, knobs.loadStatus);
    sensor.setReg(149, knobs.batchMode);
    presetImagingRegisters(sensor, geometry.rows);
    for (const auto& [address, value] : preset.registers) sensor.setReg(address, value);

    if (knobs.missingHeadTag) {
        sensor.registerOpcodeHandler(kFirstHeadRecord, [](SimSensor& s, const Request& r, ReplyWriter& reply) {
            std::vector<uint8_t> out = encodePacket(r.opcode, r.address, 0);
            std::vector<uint8_t> record = s.model().headRecord(r.opcode);
            record[0] = 'X';
            record[1] = 'X';
            out.insert(out.end(), record.begin(), record.end());
            reply.write(out);
        });
    }
    if (knobs.calibrationBytes)
        sensor.model().overrideCalibrationStream(std::vector<uint8_t>(*knobs.calibrationBytes, 0));
    Fault rejected;
    rejected.kind = FaultKind::WrongAddressEcho;
    for (uint32_t reg : knobs.rejectedRegisters) sensor.injectRegisterFault(reg, rejected);

    installDebugStream(sensor, [model = preset.model, rows = geometry.rows](SimSensor& s) {
        return sceneDebugStreamFor(s, model, rows);
    });
}

// A fresh sensor per start, so that every knob (even the data channel's
// presence) takes effect.
void SimModelSensors::presetHead(Head& head) {
    SimOptions options;
    options.address = head.address;
    head.sensor = std::make_unique<SimSensor>(options);
    SimSensor& sensor = *head.sensor;
    presetModelHead(sensor, preset_, knobs_);
    if (!knobs_.refuseDataChannel) {
        head.data = std::make_shared<DataChannelService>();
        sensor.addService(head.data);
    }
}

}  // namespace sensor_sim
