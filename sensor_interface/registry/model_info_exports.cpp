// Identity exports of a head: model, serials and the model-information record.
#include <cstdio>
#include <cstring>
#include <vector>

#include "sensor_interface/registry/hvq5_open_api.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/model_info.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {

constexpr uint32_t kTriggerCounterRegister = 294;
constexpr uint32_t kRangeReferenceRegister = 350;
constexpr uint32_t kRangeLowerRegister = 351;
constexpr uint32_t kRangeUpperRegister = 352;
constexpr uint32_t kCodeScaleRegister = 353;
constexpr uint32_t kCodeKindRegister = 354;
constexpr std::size_t kSharedTextSize = 32;

int read_registers(SensorController& controller, std::initializer_list<uint32_t> regs, uint32_t* values) {
    for (uint32_t reg : regs) {
        const int status = export_registers::read(controller, reg, *values++);
        if (status != HVQ5_RC_OK) return status;
    }
    return HVQ5_RC_OK;
}

// The record from the batch length on, once model and id are known good.
int fill_model_info(int id, SensorController& controller, HVQ5_2_MODEL_INFO& info) {
    info.batch_length = HVQ5_2_ProfilePointSetCount(id);
    info.profile_width = HVQ5_2_ProfileDataWidth(id);
    info.x_pitch = HVQ5_2_ProfileData_XPitch(id);
    info.y_pitch = HVQ5_2_ProfileData_YPitch(id);

    std::memset(info.head_serial, 0, sizeof(info.head_serial) + sizeof(info.controller_serial));
    int status = HVQ5_GetSerialNumber(id, info.controller_serial, info.head_serial);
    if (status != HVQ5_RC_OK) return status;

    HVQ5_2_GetCurrentEncoder(id, &info.encoder);
    if (export_registers::read(controller, kTriggerCounterRegister, info.trigger_count) != HVQ5_RC_OK)
        return HVQ5_RC_NOT_OPEN_VALUE;

    std::memset(info.version, 0, sizeof(info.version));
    const HVQ5_VERSION version = HVQ5_GetVersion();
    std::snprintf(info.version, sizeof(info.version), "%d.%d.%d.%d", version.major, version.minor,
                  version.patch, version.build);

    uint32_t range[2] = {0, 0};
    if (read_registers(controller, {kRangeReferenceRegister, kRangeUpperRegister}, range) != HVQ5_RC_OK)
        return HVQ5_RC_NOT_OPEN_VALUE;
    info.range_upper_mm = model_info::range_end_mm(range[0], range[1]);
    uint32_t lower = 0;
    if (export_registers::read(controller, kRangeLowerRegister, lower) != HVQ5_RC_OK)
        return HVQ5_RC_NOT_OPEN_VALUE;
    info.range_lower_mm = model_info::range_end_mm(range[0], lower);

    const std::vector<double> positions = SensorController::xPositions(info.x_pitch, controller.points);
    if (!positions.empty() && positions.size() == static_cast<std::size_t>(controller.points)) {
        info.x_first = positions.front();
        info.x_last = positions.back();
    }

    uint32_t code[2] = {0, 0};
    if (read_registers(controller, {kCodeKindRegister, kCodeScaleRegister}, code) != HVQ5_RC_OK)
        return HVQ5_RC_NOT_OPEN_VALUE;
    return model_info::z_step(code[0], code[1], info.z_step) ? HVQ5_RC_OK : HVQ5_RC_BAD_ARGUMENT;
}

}  // namespace

int hvq5_get_model_text(int id, char* model) {
    return deviceStatusCall(id, [model](tandrel_zp_clients& device) {
        if (model == nullptr) return HVQ5_RC_NOT_OPEN;
        model_info::copy_bounded(model, model_info::kModelCapacity,
                                 model_info::model_text(device.controller.laserParams));
        return HVQ5_RC_OK;
    });
}

extern "C" {

HVQ5_API int HVQ5_GetHeadModel(int id, char* model) {
    return deviceStatusCall(id, [model](tandrel_zp_clients& device) {
        if (model == nullptr) return HVQ5_RC_NOT_OPEN;
        model_info::copy_bounded(model, model_info::kModelCapacity,
                                 model_info::display_model(device.controller.laserParams));
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_GetSerialNumber(int id, char* controllerSerial, char* headSerial) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (controllerSerial == nullptr || headSerial == nullptr) return HVQ5_RC_NOT_OPEN;
        const zp_laser_reg::laser_params& params = device.controller.laserParams;
        std::memcpy(controllerSerial, model_info::controller_serial_bytes(params), model_info::kSerialLength);
        controllerSerial[model_info::kSerialLength] = '\0';
        std::memcpy(headSerial, model_info::head_serial_bytes(params), model_info::kSerialLength);
        headSerial[model_info::kSerialLength] = '\0';
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GetModelInfos(int id, HVQ5_2_MODEL_INFO* info) {
    return deviceStatusCall(id, [id, info](tandrel_zp_clients& device) {
        if (info == nullptr) return HVQ5_RC_OK;
        std::memset(info->head_model, 0, sizeof(info->head_model));
        const int status = HVQ5_GetHeadModel(id, info->head_model);
        if (status != HVQ5_RC_OK) return status;
        return fill_model_info(id, device.controller, *info);
    });
}

HVQ5_API char* HVQ5_2_GetModels(int id) {
    static char models[kSharedTextSize];
    char model[model_info::kModelCapacity] = {};
    if (HVQ5_GetHeadModel(id, model) != HVQ5_RC_OK) return nullptr;
    model_info::copy_bounded(models, sizeof(models), model);
    return models;
}

HVQ5_API char* HVQ5_2_GetHeaderSerial(int id) {
    static char serial[kSharedTextSize];
    return deviceValueCall(id, static_cast<char*>(nullptr), [](tandrel_zp_clients& device) {
        std::memset(serial, 0, sizeof(serial));
        std::memcpy(serial, model_info::head_serial_bytes(device.controller.laserParams),
                    model_info::kSerialLength);
        return serial;
    });
}

}  // extern "C"
