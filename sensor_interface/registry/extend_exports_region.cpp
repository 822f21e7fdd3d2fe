// The X region, pitch, width and encoder exports.
#include "sensor_interface/registry/extend_exports_region.h"

#include <algorithm>
#include <cmath>

#include "sensor_interface/registry/device_functions_rules.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace x_roi {
namespace {
constexpr double kBlock = 16.0;
}  // namespace

bool window_for_points(int start, int end, int points, int columnLimit, double pointsPerColumn,
                       ColumnWindow& window) {
    if (start < 0 || end < 0 || start > points || end > points || start >= end) return false;
    if (!(pointsPerColumn > 0.0) || columnLimit < 0) return false;
    const double startColumn = start / pointsPerColumn;
    const double endColumn = end / pointsPerColumn;
    const int64_t first = static_cast<int64_t>(startColumn - std::fmod(startColumn, kBlock));
    const int64_t past = static_cast<int64_t>(endColumn - std::fmod(endColumn, kBlock) + kBlock);
    window.firstColumn = static_cast<uint32_t>(first);
    window.columns = static_cast<uint32_t>(std::min<int64_t>(past - first, columnLimit));
    return true;
}

uint32_t first_point(uint32_t firstColumn, double pointsPerColumn) {
    return static_cast<uint32_t>(std::ceil(firstColumn * pointsPerColumn) + 0.5);
}

int last_point(uint32_t columns, uint32_t firstPoint, double pointsPerColumn) {
    return static_cast<int>(std::floor(columns * pointsPerColumn) + firstPoint - 0.5);
}

}  // namespace x_roi

namespace {

using export_registers::read;
using export_registers::write;

constexpr uint32_t kRoiWidthRegister = 358;
constexpr uint32_t kRoiFirstColumnRegister = 359;
constexpr uint32_t kYPitchPresentRegister = 283;
constexpr uint32_t kYPitchRegister = 284;
constexpr uint32_t kXPitchRegister = 285;
constexpr uint32_t kBinningRegister = 740;
constexpr uint32_t kEncoderRegister = 195;
constexpr uint32_t kNewSeriesEncoderRegister = 706;
constexpr int kBatchLengthItem = 10;
constexpr double kPitchUnitsPerMm = 100000.0;

}  // namespace

extern "C" {

HVQ5_API int HVQ5_2_SET_X_ROI(int id, int start, int end) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        x_roi::ColumnWindow window{};
        if (!x_roi::window_for_points(start, end, controller.points, controller.columns,
                                      controller.pointsPerColumn, window))
            return HVQ5_RC_BAD_ARGUMENT;
        const int status = write(controller, kRoiWidthRegister, window.columns);
        if (status != HVQ5_RC_OK) return status;
        return write(controller, kRoiFirstColumnRegister, window.firstColumn);
    });
}

HVQ5_API int HVQ5_2_GET_X_ROI(int id, uint32_t* start, int* end) {
    if (start == nullptr || end == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        uint32_t value = 0;
        int status = read(controller, kRoiFirstColumnRegister, value);
        if (status != HVQ5_RC_OK) return status;
        *start = x_roi::first_point(value, controller.pointsPerColumn);
        status = read(controller, kRoiWidthRegister, value);
        if (status != HVQ5_RC_OK) return status;
        *end = x_roi::last_point(value, *start, controller.pointsPerColumn);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_ProfileDataWidth(int id) {
    return deviceValueCall(id, int(HVQ5_RC_NOT_OPEN_VALUE),
                           [](tandrel_zp_clients& device) { return device.receiver.outputWidth(); });
}

HVQ5_API double HVQ5_2_ProfileData_XPitch(int id) {
    return deviceValueCall(id, 0.0, [](tandrel_zp_clients& device) {
        uint32_t pitch = 0;
        uint32_t binning = 0;
        if (read(device.controller, kXPitchRegister, pitch) != HVQ5_RC_OK) return 0.0;
        if (read(device.controller, kBinningRegister, binning) != HVQ5_RC_OK) return 0.0;
        return std::ldexp(pitch / kPitchUnitsPerMm, static_cast<int>(binning & 31));
    });
}

HVQ5_API double HVQ5_2_ProfileData_YPitch(int id) {
    return deviceValueCall(id, -1.0, [](tandrel_zp_clients& device) {
        uint32_t present = 0;
        uint32_t pitch = 0;
        if (read(device.controller, kYPitchPresentRegister, present) != HVQ5_RC_OK || present == 0) return -1.0;
        if (read(device.controller, kYPitchRegister, pitch) != HVQ5_RC_OK) return -1.0;
        return pitch / kPitchUnitsPerMm;
    });
}

HVQ5_API int HVQ5_2_ProfilePointSetCount(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        int32_t length = 0;
        const HVQ5_SETTING_ADDRESS address =
            makeSettingAddress(SETTING_TYPE_PROGRAM_FIRST, SETTING_CATEGORY_TRIGGER, kBatchLengthItem);
        const int status =
            ControllerDispatch(device.controller)->getSetting(SETTING_DEPTH_RUNNING, address, &length, sizeof(length));
        return status == HVQ5_RC_OK ? length : status;
    });
}

HVQ5_API int HVQ5_2_GetCurrentEncoder(int id, uint32_t* value) {
    return deviceStatusCall(id, [value](tandrel_zp_clients& device) {
        if (value == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        const bool newSeries = device_rules::isNewSeries(device.controller.laserParams.model[2]);
        const uint32_t reg = newSeries ? kNewSeriesEncoderRegister : kEncoderRegister;
        return read(device.controller, reg, *value) == HVQ5_RC_OK ? HVQ5_RC_OK : HVQ5_RC_TIMEOUT;
    });
}

}  // extern "C"
