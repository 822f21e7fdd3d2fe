#pragma once
// The setting dispatcher of an open sensor, bound to its command channel, and
// the register access of the exports with their waits and result mapping.
#include <cstdint>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/settings/setting_dispatcher.h"

// A dispatcher keeps nothing between calls, so each export makes its own.
class ControllerDispatch {
public:
    explicit ControllerDispatch(SensorController& controller) : transport_(controller), dispatcher_(transport_) {}
    SettingDispatcher& operator*() { return dispatcher_; }
    SettingDispatcher* operator->() { return &dispatcher_; }

private:
    ControllerSettingTransport transport_;
    SettingDispatcher dispatcher_;
};

namespace export_registers {


// Asks the sensor; the answer is also kept in the register image.
inline int read(SensorController& controller, uint32_t reg, uint32_t& value) {
    return controller.readRegister(reg, value, SensorController::kRegisterReadWaitMs);
}
inline int write(SensorController& controller, uint32_t reg, uint32_t value) {
    return controller.writeRegister(reg, value, nullptr, SensorController::kRegisterWriteWaitMs);
}
// The classic exports report any failed transaction as an incomplete command.
inline int legacy(int status) { return status == HVQ5_RC_OK ? HVQ5_RC_OK : HVQ5_RC_COMMAND_FAILED; }

}  // namespace export_registers
