// Programs, batch memory and the trigger mode.
#include <chrono>
#include <thread>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/device_functions_rules.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/settings/setting_dispatcher.h"

namespace {

constexpr uint32_t kBatchModeRegister = 149;
constexpr uint32_t kTriggerSourceRegister = 194;
constexpr uint32_t kTriggerCompanionRegister = 296;
constexpr uint32_t kTriggerOptionRegister = 289;
constexpr uint32_t kTriggerOptionWriteRegister = 221;
// The sensor needs a moment between the start and the stop of a measurement.
constexpr auto kStopDelay = std::chrono::milliseconds(20);

// Stops a measurement this process started; the flag is cleared either way.
void stopStartedMeasurement(SensorController& controller) {
    ControllerSettingTransport transport(controller);
    if (!transport.takeMeasurementStarted()) return;
    std::this_thread::sleep_for(kStopDelay);
    SettingDispatcher(transport).startStop(false);
}

int switchTriggerMode(SensorController& controller, int mode) {
    stopStartedMeasurement(controller);
    uint32_t batchMode = 0;
    int status = export_registers::read(controller, kBatchModeRegister, batchMode);
    if (status != HVQ5_RC_OK) return status;
    if (batchMode != 0) return HVQ5_RC_NOT_ALLOWED;

    const auto writes = device_rules::triggerModeWrites(mode);
    if (!writes) return HVQ5_RC_BAD_ARGUMENT;
    status = export_registers::write(controller, kTriggerSourceRegister, writes->register194);
    if (status != HVQ5_RC_OK) return status;
    status = export_registers::write(controller, kTriggerCompanionRegister, writes->register296);
    if (status != HVQ5_RC_OK) return status;

    uint32_t option = 0;
    status = export_registers::read(controller, kTriggerOptionRegister, option);
    if (status != HVQ5_RC_OK || option != 1) return status;
    return export_registers::write(controller, kTriggerOptionWriteRegister, writes->register221);
}

}  // namespace

int hvq5_get_program_table(int id, char* program) {
    return deviceStatusCall(id, [program](tandrel_zp_clients& device) {
        if (program == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        uint8_t active = 0;
        const int status = device.controller.readActiveProgram(active);
        if (status == HVQ5_RC_OK) *program = static_cast<char>(active);
        return status;
    });
}

int hvq5_select_program(int id, const uint8_t* program) {
    return deviceStatusCall(id, [program](tandrel_zp_clients& device) {
        if (program == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        return device.controller.selectProgram(*program);
    });
}

int hvq5_load_program(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        const int status = device.controller.loadProgram();
        if (status != HVQ5_RC_OK) return status;
        return device.controller.loadUserRegisters();
    });
}

int hvq5_reset_program(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) { return device.controller.resetProgram(); });
}

int hvq5_reset_settings(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) { return device.controller.resetSettings(); });
}

int hvq5_system_command_30000(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) { return device.controller.systemCommand3(); });
}

int hvq5_memory_operation(int id, int memory) {
    return deviceStatusCall(id, [memory](tandrel_zp_clients& device) {
        ControllerSettingTransport transport(device.controller);
        return SettingDispatcher(transport).clearBatchMemory(memory);
    });
}

int hvq5_set_trigger_mode(int id, int mode) {
    return deviceStatusCall(id, [mode](tandrel_zp_clients& device) { return switchTriggerMode(device.controller, mode); });
}
