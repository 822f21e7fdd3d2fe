// The classic setting, program and head-state exports: each is a short
// sequence on the command channel of the device the id names.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/setting_exports.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {

using export_registers::legacy;
using export_registers::read;
using export_registers::write;

constexpr uint32_t kXPitchRegister = 285;
constexpr uint32_t kLaserPowerRegister = 158;
constexpr uint32_t kRebootCameraRegister = 239;
constexpr uint32_t kRebootControllerRegister = 227;
constexpr uint32_t kTriggerRegister = 203;
constexpr uint32_t kPulseRegister = 196;
constexpr uint32_t kTemperature1Register = 131;
constexpr uint32_t kTemperature2Register = 132;
constexpr uint32_t kTemperatureRawRegister = 133;
constexpr int kBatchMemoryCleared = 2;

short truncated_short(double value) {
    if (std::isnan(value)) return 0;
    const double kept = std::clamp(std::trunc(value), double(std::numeric_limits<short>::min()),
                                   double(std::numeric_limits<short>::max()));
    return static_cast<short>(kept);
}

}  // namespace

namespace setting_exports {

uint32_t laser_power_value(uint8_t percent) {
    const uint32_t kept = std::min<uint32_t>(percent, 99);
    return kept * 65535u / 100u;
}

short temperature1_centi(uint32_t reg131) {
    return truncated_short(static_cast<float>(reg131) * 0.0078125f * 100.0f);
}

short temperature2_centi(uint32_t reg132) {
    return truncated_short((reg132 * 503.975 / 65536.0 - 273.15) * 100.0);
}

}  // namespace setting_exports

extern "C" {

HVQ5_API int HVQ5_GetSetting(int id, int depth, HVQ5_SETTING_ADDRESS address, uint32_t* data, int size) {
    return deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        return ControllerDispatch(device.controller)->getSetting(depth & 0xFF, address, data, size);
    });
}

HVQ5_API int HVQ5_SetSetting(int id, int depth, HVQ5_SETTING_ADDRESS address, uint32_t* data, int size,
                             uint32_t*) {
    // The dispatcher ends a running measurement itself before it writes.
    return deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        return ControllerDispatch(device.controller)->setSetting(depth & 0xFF, address, data, size);
    });
}

HVQ5_API int HVQ5_2_GetSetting(int id, int type, int category, int item, int, uint32_t* data, int size) {
    return HVQ5_GetSetting(id, SETTING_DEPTH_RUNNING, makeSettingAddress(type, category, item), data, size);
}

HVQ5_API int HVQ5_2_SetSetting(int id, int depth, int type, int category, int item, int, uint32_t* data,
                               int size) {
    uint32_t discarded = 0;
    return HVQ5_SetSetting(id, depth, makeSettingAddress(type, category, item), data, size, &discarded);
}

HVQ5_API int HVQ5_GetXpitch(int id, uint32_t* pitch) {
    return deviceStatusCall(id, [pitch](tandrel_zp_clients& device) {
        if (pitch == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        return legacy(read(device.controller, kXPitchRegister, *pitch));
    });
}

HVQ5_API int HVQ5_2_GetXpitch(int id, uint32_t* pitch) { return HVQ5_GetXpitch(id, pitch); }

HVQ5_API int HVQ5_SetXpitch(int id, int pitch) {
    return deviceStatusCall(id, [pitch](tandrel_zp_clients& device) {
        return legacy(write(device.controller, kXPitchRegister, static_cast<uint32_t>(pitch)));
    });
}

HVQ5_API int HVQ5_2_SetXpitch(int id, int pitch) { return HVQ5_SetXpitch(id, pitch); }

HVQ5_API int HVQ5_ControlLaser(int id, uint8_t percent) {
    return deviceStatusCall(id, [percent](tandrel_zp_clients& device) {
        return legacy(write(device.controller, kLaserPowerRegister, setting_exports::laser_power_value(percent)));
    });
}

HVQ5_API int HVQ5_RebootCamera(int id) {
    return deviceStatusCall(
        id, [](tandrel_zp_clients& device) { return legacy(write(device.controller, kRebootCameraRegister, 1)); });
}

HVQ5_API int HVQ5_RebootController(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        return legacy(write(device.controller, kRebootControllerRegister, 1));
    });
}

HVQ5_API int HVQ5_ChangeActiveProgram(int id, int program) {
    return deviceStatusCall(id, [program](tandrel_zp_clients& device) {
        if (device.controller.selectProgram(program) != HVQ5_RC_OK) return HVQ5_RC_COMMAND_FAILED;
        return legacy(device.controller.loadProgram());
    });
}

HVQ5_API int HVQ5_2_SwitchProgram(int id, int program) { return HVQ5_ChangeActiveProgram(id, program); }

HVQ5_API int HVQ5_GetActiveProgram(int id, char* program) {
    return deviceStatusCall(id, [program](tandrel_zp_clients& device) {
        if (program == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        uint8_t active = 0;
        const int status = device.controller.readActiveProgram(active);
        if (status != HVQ5_RC_OK) return HVQ5_RC_COMMAND_FAILED;
        *program = static_cast<char>(active);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_ReflectSetting(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) { return device.controller.loadProgram(); });
}

HVQ5_API int HVQ5_RewriteTemporarySetting(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) { return device.controller.saveSettings(); });
}

HVQ5_API int HVQ5_ReturnToFactorySetting(int id) {
    return deviceStatusCall(id,
                            [](tandrel_zp_clients& device) { return device.controller.restoreFactorySettings(); });
}

HVQ5_API int HVQ5_ClearMemory(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        return ControllerDispatch(device.controller)->clearBatchMemory(kBatchMemoryCleared);
    });
}

HVQ5_API int HVQ5_CheckMemoryAccess(int id, char* status) {
    return deviceStatusCall(id, [status](tandrel_zp_clients&) {
        if (status == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        *status = 1;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_GetAttentionStatus(int id, short* status) {
    return deviceStatusCall(id, [status](tandrel_zp_clients&) {
        if (status == nullptr) return HVQ5_RC_NOT_OPEN;
        *status = 1;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_GetHeadTemperature(int id, short* t1, short* t2, short* raw) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (t1 == nullptr || t2 == nullptr || raw == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        SensorController& controller = device.controller;
        controller.drainSocket();
        uint32_t value = 0;
        if (read(controller, kTemperature1Register, value) != HVQ5_RC_OK) return HVQ5_RC_COMMAND_FAILED;
        *t1 = setting_exports::temperature1_centi(value);
        if (read(controller, kTemperature2Register, value) != HVQ5_RC_OK) return HVQ5_RC_COMMAND_FAILED;
        *t2 = setting_exports::temperature2_centi(value);
        if (read(controller, kTemperatureRawRegister, value) != HVQ5_RC_OK) return HVQ5_RC_COMMAND_FAILED;
        *raw = static_cast<short>(value & 0xFFFF);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_GetTriggerAndPulseCount(int id, int* trigger, int* pulses) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (trigger == nullptr || pulses == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        uint32_t value = 0;
        int status = read(device.controller, kTriggerRegister, value);
        if (status != HVQ5_RC_OK) return status;
        *trigger = static_cast<int>(value);
        status = read(device.controller, kPulseRegister, value);
        if (status != HVQ5_RC_OK) return status;
        *pulses = static_cast<int>(value);
        return HVQ5_RC_OK;
    });
}

}  // extern "C"
