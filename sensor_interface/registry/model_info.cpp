#include "sensor_interface/registry/model_info.h"

#include <algorithm>
#include <cstring>

namespace model_info {
namespace {

// Text of a fixed field up to its first NUL, never past the field.
std::string field_text(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

// The alternative name lies in the bytes behind the model record's line end.
std::string alternative_model(const zp_laser_reg::laser_params& params) {
    return field_text(reinterpret_cast<const char*>(params.head_rest), sizeof(params.head_rest));
}

}  // namespace

std::string model_text(const zp_laser_reg::laser_params& params) {
    return field_text(params.model, sizeof(params.model));
}

std::string display_model(const zp_laser_reg::laser_params& params) {
    const std::string model = model_text(params);
    std::string shown;
    const std::size_t mark = model.find('>');
    if (mark != std::string::npos) {
        shown = model.substr(mark + 1);
    } else {
        shown = alternative_model(params);
        if (shown.empty()) shown = model;
    }
    if (shown.compare(0, 2, "ZP") == 0) shown.erase(0, 2);
    return shown;
}

const char* head_serial_bytes(const zp_laser_reg::laser_params& params) { return params.head_serial; }

const char* controller_serial_bytes(const zp_laser_reg::laser_params& params) {
    return params.controller_serial;
}

void copy_bounded(char* target, std::size_t capacity, const std::string& text) {
    if (target == nullptr || capacity == 0) return;
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

double range_end_mm(uint32_t reg350, uint32_t other) {
    const int64_t difference = int64_t(static_cast<int32_t>(reg350)) - int64_t(static_cast<int32_t>(other));
    return static_cast<double>(difference / 256) / 1000.0;
}

bool z_step(uint32_t reg354, uint32_t reg353, double& step) {
    switch (reg354) {
    case 0: step = reg353 == 0 ? 0.0 : 256.0 / reg353; return true;
    case 1: step = 0.00390625; return true;
    case 2:
    case 3: step = 0.0; return true;
    default: return false;
    }
}

}  // namespace model_info
