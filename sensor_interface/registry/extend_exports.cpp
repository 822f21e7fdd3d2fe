// Extended values: processing options beyond the sensor's classic settings.
// Newer heads keep the frame time-outs and the feature word in their own
// registers; older ones leave them to the interface's block, which is saved to
// the per-device settings file after every change.
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/settings/extend_access.h"
#include "sensor_interface/settings/extend_placement.h"
#include "sensor_interface/settings/register_decimal.h"
#include "sensor_interface/settings/z_offset_table.h"

namespace {

using mirevo::settings::ExtendPlacement;
using mirevo::settings::ExtendValue;
using Member = int32_t HVQ5_2_EXTEND::*;

constexpr uint32_t kFirmwareRegister = 166;
constexpr uint32_t kMaxXBinning = 4;

ExtendPlacement placement(SensorController& controller, ExtendValue value) {
    return mirevo::settings::place_extend_value(value, controller.laserParams.model[2],
                                                controller.getVals(kFirmwareRegister));
}

HVQ5_2_EXTEND& block(SensorController& controller) { return *controller.settings().get_sdk_extend(); }

// Changes the block and, when the change is taken, rewrites the settings file.
template <typename Change>
int change_block(int id, Change&& change) {
    return deviceStatusCall(id, [&change](tandrel_zp_clients& device) {
        const int status = change(block(device.controller));
        if (status == HVQ5_RC_OK) device.controller.settings().save_to_extend();
        return status;
    });
}

// A value the head keeps in a register or the interface keeps in the block.
int get_placed(int id, ExtendValue value, Member member, int* out, int success) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (out == nullptr) return success;
        const ExtendPlacement where = placement(device.controller, value);
        *out = where.in_register ? static_cast<int>(device.controller.getVals(where.reg))
                                 : mirevo::settings::load_extend(block(device.controller).*member);
        return success;
    });
}

int set_placed(int id, ExtendValue value, Member member, int wanted) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        const ExtendPlacement where = placement(device.controller, value);
        if (where.in_register)
            return export_registers::write(device.controller, where.reg, static_cast<uint32_t>(wanted));
        mirevo::settings::store_extend(block(device.controller).*member, static_cast<int32_t>(wanted));
        device.controller.settings().save_to_extend();
        return HVQ5_RC_OK;
    });
}

// Values every head keeps in its registers: read from the register image,
// written to the sensor with the write's own status.
int get_register(int id, ExtendValue value, int* out) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (out == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        *out = static_cast<int>(device.controller.getVals(placement(device.controller, value).reg));
        return HVQ5_RC_OK;
    });
}

int set_register(int id, ExtendValue value, uint32_t wanted) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        return export_registers::write(device.controller, placement(device.controller, value).reg, wanted);
    });
}

}  // namespace

extern "C" {

HVQ5_API HVQ5_2_EXTEND* HVQ5_2_GET_EXTEND_CNF(int id) {
    return deviceValueCall(id, static_cast<HVQ5_2_EXTEND*>(nullptr),
                           [](tandrel_zp_clients& device) { return &block(device.controller); });
}

HVQ5_API int HVQ5_2_SET_EXTEND_EN(int id, int) {
    return deviceStatusCall(id, [](tandrel_zp_clients&) { return HVQ5_RC_OK; });
}

HVQ5_API int HVQ5_2_GET_EXTEND_FEATURE_EN(int id, uint64_t bit, bool* on) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (on == nullptr) return HVQ5_RC_OK;
        const ExtendPlacement where = placement(device.controller, ExtendValue::FeatureWord);
        const uint64_t word = where.in_register ? device.controller.getVals(where.reg)
                                                : mirevo::settings::load_extend(block(device.controller).feature_en);
        *on = (word & bit) != 0;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_FEATURE_EN(int id, uint64_t bit, bool on) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        const auto changed = [bit, on](uint64_t word) { return on ? word | bit : word & ~bit; };
        const ExtendPlacement where = placement(device.controller, ExtendValue::FeatureWord);
        if (where.in_register) {
            const uint64_t word = changed(device.controller.getVals(where.reg));
            return export_registers::write(device.controller, where.reg, static_cast<uint32_t>(word));
        }
        mirevo::settings::change_extend_bits(block(device.controller).feature_en, bit, on);
        device.controller.settings().save_to_extend();
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(int id, int* ms) {
    return get_placed(id, ExtendValue::StartFrameTimeout, &HVQ5_2_EXTEND::start_frame_timeout, ms,
                      HVQ5_RC_TIMEOUT_GETTER_OK);
}

HVQ5_API int HVQ5_2_SET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(int id, int ms) {
    return set_placed(id, ExtendValue::StartFrameTimeout, &HVQ5_2_EXTEND::start_frame_timeout, ms);
}

HVQ5_API int HVQ5_2_GET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(int id, int* ms) {
    return get_placed(id, ExtendValue::ContinuousFrameTimeout, &HVQ5_2_EXTEND::continous_frame_timeout, ms,
                      HVQ5_RC_TIMEOUT_GETTER_OK);
}

HVQ5_API int HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(int id, int ms) {
    return set_placed(id, ExtendValue::ContinuousFrameTimeout, &HVQ5_2_EXTEND::continous_frame_timeout, ms);
}

HVQ5_API int HVQ5_2_GET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(int id, int* amount) {
    return get_placed(id, ExtendValue::TimeoutCallbackAmount, &HVQ5_2_EXTEND::timeout_callback_type, amount,
                      HVQ5_RC_OK);
}

HVQ5_API int HVQ5_2_SET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(int id, int amount) {
    return set_placed(id, ExtendValue::TimeoutCallbackAmount, &HVQ5_2_EXTEND::timeout_callback_type, amount);
}

HVQ5_API int HVQ5_2_GET_EXTEND_PROFILE_OUTPUT_WIDTH(int id, int* width) {
    return get_register(id, ExtendValue::ProfileOutputWidth, width);
}

HVQ5_API int HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(int id, int width) {
    return set_register(id, ExtendValue::ProfileOutputWidth, static_cast<uint32_t>(width));
}

HVQ5_API int HVQ5_2_GET_EXTEND_RUN_MODE(int id, int* mode) {
    return get_register(id, ExtendValue::RunMode, mode);
}

HVQ5_API int HVQ5_2_SET_EXTEND_RUN_MODE(int id, int mode) {
    return set_register(id, ExtendValue::RunMode, static_cast<uint32_t>(mode));
}

HVQ5_API int HVQ5_2_SET_EXTEND_LIGHT_CORRECTION(int id, float gamma) {
    return set_register(id, ExtendValue::GrayGamma,
                        static_cast<uint32_t>(mirevo::settings::register_from_decimal(gamma, 100.0)));
}

HVQ5_API int HVQ5_2_GET_EXTEND_563TIF_Z_OFFSET(int id, double* z) {
    int hundredthsOfMm = 0;
    const int status = get_register(id, ExtendValue::ZOffset563, z == nullptr ? nullptr : &hundredthsOfMm);
    if (status == HVQ5_RC_OK) *z = hundredthsOfMm / 100.0;
    return status;
}

HVQ5_API int HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(int id, double z) {
    return set_register(id, ExtendValue::ZOffset563,
                        static_cast<uint32_t>(mirevo::settings::register_from_decimal(z, 100.0)));
}

HVQ5_API int HVQ5_2_GET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(int id, int* bound) {
    return get_register(id, ExtendValue::LightOffsetUpper, bound);
}

HVQ5_API int HVQ5_2_SET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(int id, int bound) {
    return set_register(id, ExtendValue::LightOffsetUpper, static_cast<uint32_t>(bound));
}

HVQ5_API int HVQ5_2_GET_EXTEND_563TIF_X_OFFSET(int id, int* offset) {
    return deviceStatusCall(id, [offset](tandrel_zp_clients& device) {
        if (offset == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        *offset = block(device.controller).x_offset;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_563TIF_X_OFFSET(int id, int offset) {
    return change_block(id, [offset](HVQ5_2_EXTEND& extend) {
        extend.x_offset = offset;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_X_Binning(int id, uint32_t binning) {
    return change_block(id, [binning](HVQ5_2_EXTEND& extend) {
        if (binning > kMaxXBinning) return HVQ5_RC_NOT_ALLOWED;
        extend.x_binning = static_cast<int32_t>(binning);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_Y_ROI(int id, int first, int last) {
    return change_block(id, [first, last](HVQ5_2_EXTEND& extend) {
        extend.y_roi_first = first;
        extend.y_roi_last = last;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_Z_OFFSET(int id, const int32_t* table, int count) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (count < 0 || (count > 0 && table == nullptr)) return HVQ5_RC_BAD_ARGUMENT;
        SensorController& controller = device.controller;
        const int width = controller.settings().extwidth(controller.points);
        if (!mirevo::settings::store_z_offsets(block(controller), table, count, width))
            return HVQ5_RC_NOT_ALLOWED;
        controller.settings().save_to_extend();
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_Z_OFFSET_Double(int id, const double* table, int count) {
    return deviceStatusCall(id, [=](tandrel_zp_clients& device) {
        if (count < 0 || (count > 0 && table == nullptr)) return HVQ5_RC_BAD_ARGUMENT;
        SensorController& controller = device.controller;
        const int width = controller.settings().extwidth(controller.points);
        if (!mirevo::settings::store_z_offsets_mm(block(controller), table, count, width))
            return HVQ5_RC_NOT_ALLOWED;
        controller.settings().save_to_extend();
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_FILTER_GRAD(int id, int thres1, int thres2, int r, bool open_on, int r_open,
                                           bool connected_on, int connected_area, int object) {
    return change_block(id, [=](HVQ5_2_EXTEND& extend) {
        extend.grad_thres1 = thres1;
        extend.grad_thres2 = thres2;
        extend.grad_r = r;
        extend.grad_open_on = open_on ? 1 : 0;
        extend.grad_r_open = r_open;
        extend.grad_connected_on = connected_on ? 1 : 0;
        extend.grad_connected_area = connected_area;
        extend.grad_object = object;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_SET_EXTEND_DUAL_MERGE(int id, bool cloud_align, int b_x_offset, double b_z_offset,
                                          int single_valid_output, double height_delta,
                                          int valid_output_in_delta, int valid_output_beyond_delta) {
    return change_block(id, [=](HVQ5_2_EXTEND& extend) {
        extend.cloud_align = cloud_align ? 1 : 0;
        extend.b_x_offset = b_x_offset;
        extend.b_z_offset = b_z_offset;
        extend.single_valid_output = single_valid_output;
        extend.height_delta = height_delta;
        extend.valid_output_in_delta = valid_output_in_delta;
        extend.valid_output_beyond_delta = valid_output_beyond_delta;
        return HVQ5_RC_OK;
    });
}

}  // extern "C"
