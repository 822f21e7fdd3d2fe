// Measurement control: short sequences of register writes that start, trigger
// and stop the sensor's streaming, plus the flags of the device object.
#include "sensor_interface/registry/hvq5_measure_api.h"

#include <cstdio>

#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/status_codes.h"


namespace {

using export_registers::legacy;
using export_registers::read;
using export_registers::write;

constexpr uint32_t kTriggerRegister = 2;
constexpr uint32_t kBatchLengthRegister = 138;
constexpr uint32_t kStartRegister = 141;
constexpr uint32_t kStopRegister = 142;
constexpr uint32_t kBatchModeRegister = 149;
constexpr uint32_t kStartModeRegister = 336;

// Start modes of register 336.
constexpr uint32_t kModeIdle = 12;
constexpr uint32_t kModeIo = 13;
constexpr uint32_t kModeSoftware = 14;
constexpr uint32_t kModeHeld = 15;  // left in place by the starts

bool batchModeOff(SensorController& controller) { return controller.getVals(kBatchModeRegister) == 0; }

bool failed(int status) { return status != HVQ5_RC_OK; }

// Start mode for a batch started by `mode`, unless the sensor holds mode 15.
int prepareStart(tandrel_zp_clients& device, uint32_t mode) {
    SensorController& controller = device.controller;
    uint32_t current = 0;
    if (failed(read(controller, kStartModeRegister, current))) return HVQ5_RC_COMMAND_FAILED;
    device.receiver.clearBatch();
    if (current != kModeHeld && failed(write(controller, kStartModeRegister, mode)))
        return HVQ5_RC_COMMAND_FAILED;
    return HVQ5_RC_OK;
}

int waitForTrigger(SensorController& controller, int timeoutMs) {
    return ControllerDispatch(controller)->waitTriggerCount(timeoutMs, nullptr);
}

}  // namespace

extern "C" {

HVQ5_API int HVQ5_StartMeasure(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        if (batchModeOff(controller)) return HVQ5_RC_BATCH_MODE_OFF;
        const int status = prepareStart(device, kModeSoftware);
        if (failed(status)) return status;
        if (failed(write(controller, kStartRegister, 1))) return HVQ5_RC_COMMAND_FAILED;
        controller.measurementStarted = true;
        return legacy(write(controller, kStartModeRegister, kModeIdle));
    });
}

HVQ5_API int HVQ5_2_StartMeasure(int id) { return HVQ5_StartMeasure(id); }

HVQ5_API int HVQ5_StartIOMeasure(int id, int timeoutMs) {
    return deviceStatusCall(id, [timeoutMs](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        if (batchModeOff(controller)) return HVQ5_RC_BATCH_MODE_OFF;
        const int status = prepareStart(device, kModeIo);
        if (failed(status)) return status;
        const int waited = waitForTrigger(controller, timeoutMs);
        if (failed(write(controller, kStartModeRegister, kModeIdle))) return HVQ5_RC_COMMAND_FAILED;
        return waited;
    });
}

HVQ5_API int HVQ5_2_StartIOTriggerMeasure(int id, int timeoutMs) { return HVQ5_StartIOMeasure(id, timeoutMs); }

HVQ5_API int hvq5_pri_startiomeasure(int id, int timeoutMs, int keepMode) {
    return deviceStatusCall(id, [timeoutMs, keepMode](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        if (failed(write(controller, kStartModeRegister, kModeHeld))) return HVQ5_RC_COMMAND_FAILED;
        const int waited = waitForTrigger(controller, timeoutMs);
        if (keepMode == 0 && failed(write(controller, kStartModeRegister, kModeIdle)))
            return HVQ5_RC_COMMAND_FAILED;
        return waited;
    });
}

HVQ5_API int HVQ5_StopMeasure(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        return legacy(write(device.controller, kStopRegister, 1));
    });
}

HVQ5_API int HVQ5_2_StopMeasure(int id) { return HVQ5_StopMeasure(id); }

HVQ5_API int HVQ5_Trigger(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        return legacy(write(device.controller, kTriggerRegister, 1));
    });
}

HVQ5_API int HVQ5_2_TriggerOneBatch(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        if (failed(write(device.controller, kStartRegister, 1))) return HVQ5_RC_COMMAND_FAILED;
        device.controller.measurementStarted = true;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_StartMeasureWithCallback(int id, int noStart) {
    uint32_t batchModeOn = 1;
    uint32_t discarded = 0;
    const int status = HVQ5_SetSetting(id, 1, makeSettingAddress(16, 0, 3), &batchModeOn, 4, &discarded);
    std::printf("HVQ5_SetSetting code = %d \n", status);
    std::fflush(stdout);
    if (failed(status)) return status;
    return deviceStatusCall(id, [noStart](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        if (failed(write(controller, kStartModeRegister, kModeHeld))) return HVQ5_RC_COMMAND_FAILED;
        if (noStart == 0) return write(controller, kStartRegister, 1);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_StartIOBatchRollData(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        if (batchModeOff(controller)) return HVQ5_RC_BATCH_MODE_OFF;
        // A rolling batch runs without a length: the sensor streams until stopped.
        uint32_t batchLength = 0;
        if (failed(read(controller, kBatchLengthRegister, batchLength))) return HVQ5_RC_BAD_REPLY;
        if (failed(write(controller, kBatchLengthRegister, 0))) return HVQ5_RC_BAD_REPLY;
        device.receiver.clearBatch();
        if (failed(write(controller, kStartModeRegister, kModeHeld))) return HVQ5_RC_BAD_REPLY;
        device.receiver.startRolling();
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_StartBatchRollData(int id) {
    const int status = HVQ5_2_StartIOBatchRollData(id);
    if (failed(status)) return status;
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        return write(device.controller, kStartRegister, 1);
    });
}

HVQ5_API int HVQ5_2_SetBatchRollProfilePoint(int id, int, int count) {
    return deviceStatusCall(id, [count](tandrel_zp_clients& device) {
        device.receiver.setRollPoints(count);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GetSingleProfile(int id, int32_t* profile, uint32_t* encoder) {
    const int status = deviceValueCall(id, HVQ5_RC_NOT_OPEN_VALUE, [profile, encoder](tandrel_zp_clients& device) {
        uint32_t batchMode = 0;
        if (failed(read(device.controller, kBatchModeRegister, batchMode))) return HVQ5_RC_NOT_OPEN_VALUE;
        if (batchMode != 0) return HVQ5_RC_NOT_ALLOWED;
        if (profile == nullptr || encoder == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        return HVQ5_RC_OK;
    });
    if (failed(status)) return status;
    HVQ5_2_GetCurrentEncoder(id, encoder);
    const int points = deviceValueCall(id, 0, [](tandrel_zp_clients& device) { return device.controller.points; });
    return hvq5_get_outline(id, profile, points);
}

}  // extern "C"

HVQ5_API int HVQ5_2_ClearData(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        device.receiver.clearBatch();
        return HVQ5_RC_OK;
    });
}
