// The batch handler exports, the high-speed callback start and the cloud
// filter that the handler list can hold.
#include "sensor_interface/registry/batch_handlers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <utility>

#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/processing/weld_filter.h"
#include "sensor_interface/registry/batch_handlers_api.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/model_table.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/settings/extend_placement.h"

namespace {

constexpr uint64_t kCloudFilterBit = HVQ5_2_EXTEND::cloud_filter_en;
// The value of the cloud filter that welds as well.
constexpr int kWeldValue = 8;
constexpr unsigned int kFirmwareRegister = 166;
constexpr unsigned int kExtendedWidthRegister = 752;
constexpr unsigned int kWeldFullWidthRegister = 777;
constexpr unsigned int kWeldGrayRegister = 778;
constexpr unsigned int kWeldEndsRegister = 779;
constexpr unsigned int kWeldThresholdRegister = 785;

constexpr int32_t kInvalidHundredths = -999900000;
constexpr float kInvalidMicrometres = -9999000.0f;
constexpr int32_t kInvalidCode = 0;

// A float written back as a row value: truncated toward zero, held to the int32 range.
int32_t truncated_row_value(float value) {
    constexpr float kLowest = -2147483648.0f;
    constexpr float kBeyondHighest = 2147483648.0f;
    if (std::isnan(value)) return 0;
    if (value <= kLowest) return std::numeric_limits<int32_t>::min();
    if (value >= kBeyondHighest) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

std::string model_text(const SensorController& controller) {
    const char* model = controller.laserParams.model;
    return std::string(model, strnlen(model, sizeof controller.laserParams.model));
}

// Empties the handler list and, when enable, adds the cloud filter.
void install_cloud_filter(ProfileReceiver& receiver, int id, int value, bool enable) {
    receiver.clearHandlerList();
    if (enable)
        receiver.addListHandler([id, value](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
            return sdkManager().run_cloud_filter(id, value, info, data);
        });
}

// The handler list follows feature bit 8 as it is stored.
void rebuild_handler_list(tandrel_zp_clients& device, int id) {
    bool on = false;
    HVQ5_2_GET_EXTEND_FEATURE_EN(id, kCloudFilterBit, &on);
    SensorController& controller = device.controller;
    const bool inRegister = mirevo::settings::place_extend_value(mirevo::settings::ExtendValue::FeatureWord,
                                                                 controller.laserParams.model[2],
                                                                 controller.getVals(kFirmwareRegister))
                                .in_register;
    if (inRegister) {
        // The bit is written back to the sensor's register, as always.
        HVQ5_2_ENABLE_CLOUD_FILTER(id, kWeldValue, on);
        return;
    }
    // Writing the unchanged bit back into the interface's block would change
    // nothing but would race with the consumer thread reading the block.
    install_cloud_filter(device.receiver, id, kWeldValue, on);
}

}  // namespace

void cloud_filter_rows(int id, int32_t* rows, uint8_t* gray, int frames, int points, CloudRows kind,
                       const WeldFilterParams* weld, std::vector<float>& heights) {
    if (!rows || frames <= 0 || points <= 0) return;
    const size_t total = static_cast<size_t>(frames) * static_cast<size_t>(points);
    heights.resize(total);
    const bool hundredths = kind == CloudRows::Hundredths;
    // Single precision both ways: rows far from 0 lose their last digits.
    for (size_t i = 0; i < total; ++i)
        heights[i] = hundredths ? static_cast<float>(rows[i]) / 100.0f : static_cast<float>(rows[i]);
    if (weld) weld_filter(id, heights.data(), gray, frames, points, *weld);
    const float invalid = hundredths ? kInvalidMicrometres : 0.0f;
    const int32_t marker = hundredths ? kInvalidHundredths : kInvalidCode;
    for (size_t i = 0; i < total; ++i) {
        const float h = heights[i];
        // -999900000 has no single-precision value: it would come back as a height.
        if (h == invalid)
            rows[i] = marker;
        else
            rows[i] = truncated_row_value(hundredths ? h * 100.0f : h);
    }
}

bool tandrel_zp_manager::run_cloud_filter(int id, int value, const HVQ5_2_STR_CALLBACK_INFO* info,
                                          _HVQ5_2_Data* data) {
    if (!info || !data) return false;
    const std::shared_ptr<tandrel_zp_clients> device = find(data->device_id);
    if (!device) return false;
    const std::shared_ptr<tandrel_zp_clients> captured = find(id);
    const int32_t extendedWidth =
        captured ? static_cast<int32_t>(captured->controller.getVals(kExtendedWidthRegister)) : 0;
    SensorController& controller = device->controller;
    const CloudRows kind = controller.ownConnection || extendedWidth < 1 ? CloudRows::Hundredths : CloudRows::Codes;

    WeldFilterParams weld;
    if (value == kWeldValue)
        weld = WeldFilterParams::fromRegisters(controller.getVals(kWeldFullWidthRegister),
                                               controller.getVals(kWeldGrayRegister),
                                               controller.getVals(kWeldEndsRegister),
                                               controller.getVals(kWeldThresholdRegister), kind == CloudRows::Codes);

    const int width = info->width;
    if (width <= 0 || info->frames <= 0) return true;
    ProfileReceiver& receiver = device->receiver;
    data_channel::BatchBuffers& buffers = receiver.batchBuffers();
    std::lock_guard<data_channel::BatchBuffers> lock(buffers);
    // The rows from the Y window on, as the profile getter hands them out;
    // only the whole rows the buffer really holds are filtered.
    int profileCount = 0;
    int32_t* profiles = receiver.profilePointer(&profileCount);
    const size_t profilesLeft = static_cast<size_t>(profileCount) - static_cast<size_t>(profiles - buffers.profiles(0).data);
    const int frames = static_cast<int>(std::min<size_t>(static_cast<size_t>(info->frames), profilesLeft / static_cast<size_t>(width)));
    int intensityCount = 0;
    uint8_t* intensity = receiver.intensityPointer(&intensityCount);
    const size_t intensityLeft =
        static_cast<size_t>(intensityCount) - static_cast<size_t>(intensity - buffers.intensity(0).data);
    const size_t values = static_cast<size_t>(frames) * static_cast<size_t>(width);
    // Gray bytes the buffer does not hold are never written.
    uint8_t* gray = intensityLeft >= values ? intensity : nullptr;

    std::vector<float> heights;
    cloud_filter_rows(data->device_id, profiles, gray, frames, width, kind, value == kWeldValue ? &weld : nullptr,
                      heights);
    return true;
}

extern "C" {

HVQ5_API int HVQ5_2_SetBatchOneTimeDataHandler(int id, HVQ5_2_BatchHandler handler) {
    try {
        const std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(id);
        if (!device) return HVQ5_RC_NOT_OPEN;
        const bool mergedHeads =
            !device->controller.ownConnection && sensorHeadCount(model_text(device->controller)) == 2;
        if (mergedHeads) return sdkManager().install_merge_handler(id, handler);
        rebuild_handler_list(*device, id);
        device->receiver.setOneTimeHandler(handler);
        return HVQ5_RC_OK;
    } catch (...) {
        return HVQ5_RC_COMMAND_FAILED;
    }
}

HVQ5_API int HVQ5_2_HighSpeedDataEthernetCommunicationInitalize(int id, const uint8_t ip[4], int port,
                                                                HVQ5_2_BatchCallback callback, void*,
                                                                int user) {
    return deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        if (ip == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        char address[16];
        std::snprintf(address, sizeof address, "%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]);
        // start() stops a receiver that runs before it connects anew.
        if (device.receiver.start(id, address, port, user, &device.controller) != 0) return HVQ5_RC_OPEN_FAILED;
        device.receiver.setBatchCallback(callback);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_ENABLE_CLOUD_FILTER(int id, int value, bool enable) {
    const int found = deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        install_cloud_filter(device.receiver, id, value, enable);
        return HVQ5_RC_OK;
    });
    if (found != HVQ5_RC_OK) return found;
    return HVQ5_2_SET_EXTEND_FEATURE_EN(id, kCloudFilterBit, enable);
}

}  // extern "C"

HVQ5_API int HVQ5_2_SetBatchOneTimeDataHandler_V2(int id, HVQ5_2_BatchHandlerObject handler) {
    try {
        const std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(id);
        if (!device) return HVQ5_RC_NOT_OPEN;
        rebuild_handler_list(*device, id);
        device->receiver.setOneTimeHandlerObject(std::move(handler));
        return HVQ5_RC_OK;
    } catch (...) {
        return HVQ5_RC_COMMAND_FAILED;
    }
}
