// The live profile and the raw camera image over the command channel.
#include <cstddef>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/device_functions_rules.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {

constexpr int kNoticeLevel = 1;

int logged(const char* what, int id, int status) {
    if (device_rules::isLoggedLiveFailure(status))
        LogManager::instance().log(device_rules::liveFailureLine(what, id, status), kNoticeLevel);
    return status;
}

}  // namespace

int hvq5_get_outline(int id, int* profile, int points) {
    const int status = deviceStatusCall(id, [profile, points](tandrel_zp_clients& device) {
        return device.controller.readDebugProfile(profile, nullptr, points);
    });
    return logged("outline getting error", id, status);
}

int hvq5_get_image(int id, char* image, int size, int* peaks, int peakCount, int* rows) {
    const int status = deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        const std::size_t capacity = size > 0 ? static_cast<std::size_t>(size) : 0;
        return device.controller.readDebugImage(reinterpret_cast<uint8_t*>(image), capacity, peaks, peakCount, rows);
    });
    return logged("image getting error", id, status);
}
