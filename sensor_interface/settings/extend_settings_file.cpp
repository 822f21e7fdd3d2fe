// The per-device settings file that older heads use to keep the frame
// time-outs and two feature switches between runs.
#include <cstdint>
#include <string>
#include <system_error>

#include "platform/public_folder.h"
#include "sensor_interface/settings/decimal_text.h"
#include "sensor_interface/settings/extend_access.h"
#include "sensor_interface/settings/extend_placement.h"
#include "sensor_interface/settings/hvq5_settings.h"
#include "sensor_interface/settings/ini_file.h"

namespace {

constexpr unsigned int kFirmwareRegister = 166;
const char* const kBatchCallback = "BatchCallback";
const char* const kCapture = "Capture";
const char* const kProfile = "Profile";
const char* const kStartFrameTimeout = "start_frame_timeout";
const char* const kContinuousFrameTimeout = "continous_frame_timeout";
const char* const kTimeoutCallbackType = "timeout_callback_type";
const char* const kGrayCorrection = "gray_correction_en";
const char* const kThetaBaseZero = "theta_base_zero_en";

// The head serial as text: up to its first zero byte, at most 15 characters.
// A '/' would make the serial name a folder, so it is replaced.
std::string head_serial_text(const zp_laser_reg::laser_params& params) {
    std::string serial;
    for (std::size_t i = 0; i + 1 < sizeof(params.head_serial) && params.head_serial[i] != '\0'; ++i) {
        serial.push_back(params.head_serial[i] == '/' ? '_' : params.head_serial[i]);
    }
    return serial;
}

std::string bit_text(uint64_t word, uint64_t bit) { return (word & bit) != 0 ? "1" : "0"; }

int32_t read_int(const std::string& text) {
    return static_cast<int32_t>(mirevo::settings::parse_register_word(text));
}

void apply_feature_bit(const std::string* text, uint64_t bit, uint64_t& word) {
    if (text == nullptr) return;
    if (read_int(*text) != 0) {
        word |= bit;
    } else {
        word &= ~bit;
    }
}

}  // namespace

std::filesystem::path hvq5_settings::base_folder() { return mirevo::platform::public_folder(); }

void hvq5_settings::ini_path(const std::string& subfolder, const std::string& head_serial) {
    settings_folder_ = base_folder() / subfolder / "settings";
    settings_file_name_ = "zpsdk_conf_" + head_serial + ".ini";
    std::error_code ignored;
    std::filesystem::create_directories(settings_folder_, ignored);
}

std::filesystem::path hvq5_settings::settings_file_path() const {
    if (settings_file_name_.empty()) return {};
    return settings_folder_ / settings_file_name_;
}

void hvq5_settings::save_to_extend() {
    if (settings_file_name_.empty()) return;
    using mirevo::settings::load_extend;
    const HVQ5_2_EXTEND& block = extend_;
    const uint64_t features = load_extend(block.feature_en);
    mirevo::settings::IniTable table;
    table.set(kBatchCallback, kStartFrameTimeout,
              std::to_string(static_cast<uint32_t>(load_extend(block.start_frame_timeout))));
    table.set(kBatchCallback, kContinuousFrameTimeout,
              std::to_string(static_cast<uint32_t>(load_extend(block.continous_frame_timeout))));
    table.set(kBatchCallback, kTimeoutCallbackType, std::to_string(load_extend(block.timeout_callback_type)));
    table.set(kCapture, kGrayCorrection, bit_text(features, HVQ5_2_EXTEND::gray_correction_en));
    table.set(kProfile, kThetaBaseZero, bit_text(features, HVQ5_2_EXTEND::theta_base_zero_en));
    // A file that cannot be written is not reported: the values stay in the block.
    mirevo::settings::write_ini_file(settings_folder_, settings_file_name_, table);
}

void hvq5_settings::load_settings_file() {
    if (!mirevo::settings::head_loads_settings_file(series(), get_vals(kFirmwareRegister))) return;
    ini_path(".tandrel", head_serial_text(laser_params_));
    const mirevo::settings::IniTable table =
        mirevo::settings::read_ini_file(settings_folder_, settings_file_name_);

    using mirevo::settings::store_extend;
    if (const std::string* text = table.find(kBatchCallback, kStartFrameTimeout)) {
        store_extend(extend_.start_frame_timeout, read_int(*text));
    }
    if (const std::string* text = table.find(kBatchCallback, kContinuousFrameTimeout)) {
        store_extend(extend_.continous_frame_timeout, read_int(*text));
    }
    if (const std::string* text = table.find(kBatchCallback, kTimeoutCallbackType)) {
        store_extend(extend_.timeout_callback_type, read_int(*text));
    }
    uint64_t feature = mirevo::settings::load_extend(extend_.feature_en);
    apply_feature_bit(table.find(kCapture, kGrayCorrection), HVQ5_2_EXTEND::gray_correction_en, feature);
    apply_feature_bit(table.find(kProfile, kThetaBaseZero), HVQ5_2_EXTEND::theta_base_zero_en, feature);
    store_extend(extend_.feature_en, feature);
}
