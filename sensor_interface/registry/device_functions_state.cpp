// Series tests, register access, the heartbeat, geometry, the status word and
// the link pause.
#include <chrono>
#include <thread>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/device_functions_rules.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/settings/setting_dispatcher.h"

namespace {

constexpr uint32_t kHeartbeatRegister = 0xFFFC;
constexpr uint32_t kStatusAddress = 300;
constexpr uint8_t kReadOpcode = 161;
constexpr uint32_t kFirmwareRegister134 = 134;
constexpr uint32_t kFirmwareRegister135 = 135;
constexpr uint32_t kFirmwareRegister166 = 166;
// Long enough for a live read that already passed the enable test to finish
// before the caller starts a long transfer.
constexpr auto kPauseSettleTime = std::chrono::milliseconds(100);

// The third character of the model text names the head series.
char seriesOf(const tandrel_zp_clients& device) { return device.controller.laserParams.model[2]; }

bool seriesIs(int id, char series) {
    return deviceValueCall(id, false, [series](tandrel_zp_clients& device) { return seriesOf(device) == series; });
}

}  // namespace

bool hvq5_is_series3(int id) { return seriesIs(id, '3'); }

bool hvq5_is_series4(int id) { return seriesIs(id, '4'); }

bool hvq5_is_new_series(int id) {
    return deviceValueCall(id, true, [](tandrel_zp_clients& device) { return device_rules::isNewSeries(seriesOf(device)); });
}

bool hvq5_is_series4_new(int id) {
    return deviceValueCall(id, false, [](tandrel_zp_clients& device) {
        return device_rules::isSeries4New(seriesOf(device), device.controller.getVals(kFirmwareRegister166));
    });
}

bool hvq5_get_link_paused(int id) {
    return deviceValueCall(id, false,
                           [](tandrel_zp_clients& device) { return device.controller.debugStreamEnabled.load(); });
}

bool hvq5_check_load_status(int id) {
    return deviceValueCall(id, false, [](tandrel_zp_clients& device) { return device.controller.checkLoadStatus(); });
}

int hvq5_get_cached_register(int id, int reg, uint32_t* value) {
    return deviceStatusCall(id, [reg, value](tandrel_zp_clients& device) {
        if (value == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        *value = device.controller.getVals(static_cast<unsigned int>(reg));
        return HVQ5_RC_OK;
    });
}

int hvq5_read_register(int id, int reg, uint32_t* value) {
    return deviceStatusCall(id, [reg, value](tandrel_zp_clients& device) {
        if (value == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        uint32_t read = 0;
        const int status = export_registers::read(device.controller, static_cast<uint32_t>(reg), read);
        if (status == HVQ5_RC_OK) *value = read;
        return status;
    });
}

int hvq5_write_register(int id, int reg, int value) {
    return deviceStatusCall(id, [reg, value](tandrel_zp_clients& device) {
        return export_registers::write(device.controller, static_cast<uint32_t>(reg), static_cast<uint32_t>(value));
    });
}

int hvq5_read_heartbeat(int id, uint32_t* value) {
    return deviceStatusCall(id, [value](tandrel_zp_clients& device) {
        uint32_t read = 0;
        const int status = export_registers::read(device.controller, kHeartbeatRegister, read);
        // Any reply at all, even one for another address, shows the sensor is there.
        if (status != HVQ5_RC_OK && status != HVQ5_RC_BAD_REPLY) return status;
        if (value) *value = read;
        return HVQ5_RC_OK;
    });
}

int hvq5_get_firmware_versions(int id, int which, uint32_t* a, uint32_t* b) {
    return deviceStatusCall(id, [which, a, b](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        if (which != 0) {
            if (a) *a = controller.getVals(kFirmwareRegister135);
            if (b) *b = controller.getVals(kFirmwareRegister166);
        } else if (a) {
            *a = controller.getVals(kFirmwareRegister134);
        }
        return HVQ5_RC_OK;
    });
}

int64_t hvq5_get_geometry(int id) {
    const int64_t lastRead = device_rules::packGeometry(lastColumns.load(), lastPoints.load());
    return deviceValueCall(id, lastRead, [lastRead](tandrel_zp_clients& device) {
        const SensorController& controller = device.controller;
        // A device whose head information has not been read yet has no geometry of its own.
        if (controller.columns <= 0) return lastRead;
        return device_rules::packGeometry(controller.columns, controller.points);
    });
}

int hvq5_get_max_rate(int id) {
    return deviceValueCall(id, 0, [](tandrel_zp_clients& device) { return device.controller.settings().get_real_max_hz(); });
}

int hvq5_apply_max_rate(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        ControllerSettingTransport transport(device.controller);
        SettingDispatcher dispatcher(transport);
        return dispatcher.applyLineRate(device.controller.settings().get_real_max_hz());
    });
}

int hvq5_take_fail_counter(int id) {
    return deviceValueCall(id, 0, [](tandrel_zp_clients& device) {
        return static_cast<int>(device.controller.pendingStatus.exchange(0));
    });
}

int hvq5_get_status_word(int id, uint16_t* word, uint32_t* value) {
    return deviceStatusCall(id, [word, value](tandrel_zp_clients& device) {
        std::vector<uint8_t> reply;
        const int status = device.controller.exchangeRaw(kReadOpcode, kStatusAddress, reply);
        if (status != HVQ5_RC_OK) return status;
        const auto decoded = device_rules::decodeStatusReply(reply.data(), reply.size());
        if (!decoded) return HVQ5_RC_BAD_REPLY;
        if (word) *word = decoded->word;
        if (value) *value = decoded->value;
        return HVQ5_RC_OK;
    });
}

int hvq5_drain_command_channel(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        device.controller.drainSocket();
        return HVQ5_RC_OK;
    });
}

int hvq5_set_link_paused(int id, int value) {
    return deviceStatusCall(id, [value](tandrel_zp_clients& device) {
        const bool enabled = static_cast<uint8_t>(value) != 0;
        device.controller.debugStreamEnabled = enabled;
        if (!enabled) std::this_thread::sleep_for(kPauseSettleTime);
        return HVQ5_RC_OK;
    });
}
