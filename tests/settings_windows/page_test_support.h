#pragma once
// Helpers of the settings windows' page tests: widgets by object name, the
// register writes in the simulator's packet log, a simulated head of a preset.
#include <QAbstractButton>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/client_sensor.h"
#include "tests/support/qt/client_fixture.h"
#include "tools/sensor_sim/sim_presets.h"

namespace settings_gui {

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kReadOpcode = 161;

template <typename T>
T* child(const QWidget& page, const char* name) {
    T* widget = page.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << "no " << name;
    return widget;
}

// Registers written (opcode 160), in order.
inline std::vector<uint32_t> writtenRegisters(mirevo::test::ClientSensor& sensor) {
    std::vector<uint32_t> registers;
    for (const auto& packet : sensor.packetLog())
        if (packet.opcode == kWriteOpcode) registers.push_back(packet.address & 0xFFFF);
    return registers;
}

// Whether a register was read from the sensor (opcode 161).
inline bool wasRead(mirevo::test::ClientSensor& sensor, uint32_t reg) {
    for (const auto& packet : sensor.packetLog())
        if (packet.opcode == kReadOpcode && (packet.address & 0xFFFF) == reg) return true;
    return false;
}

// A head of the given preset in profile mode, registers preset before it opens.
inline mirevo::test::ClientSensorOptions headOf(sensor_sim::ModelPreset preset,
                                                 std::vector<std::pair<uint32_t, uint32_t>> registers = {},
                                                 uint32_t batchMode = 0) {
    mirevo::test::ClientSensorOptions options;
    options.preset = std::move(preset);
    for (const auto& reg : registers) options.preset.registers.push_back(reg);
    options.knobs.batchMode = batchMode;
    return options;
}

// Shown once its page is shown (the pages are tested without showing them).
inline bool shown(const QWidget* widget, const QWidget& page) { return widget && widget->isVisibleTo(&page); }

inline sensor_sim::Fault rejected() {
    sensor_sim::Fault fault;
    fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
    return fault;
}

}  // namespace settings_gui
