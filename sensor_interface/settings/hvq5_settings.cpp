#include "sensor_interface/settings/hvq5_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/text_file.h"
#include "sensor_interface/settings/decimal_text.h"

namespace {

constexpr unsigned int kBinningRegister = 740;
constexpr unsigned int kGrayGammaRegister = 742;

void put_text(char* field, const char* text) { std::memcpy(field, text, std::strlen(text)); }

zp_laser_reg::laser_params laser_params_template() {
    zp_laser_reg::laser_params params;
    std::memset(&params, 0, sizeof(params));
    put_text(params.head_tag, "ZP-H");
    put_text(params.model, "ZP");
    put_text(params.head_crlf, "\r\n");
    put_text(params.serial_tag, "ZP-H");
    put_text(params.serial_crlf, "\r\n");
    put_text(params.controller_tag, "ZP-C");
    put_text(params.controller_crlf, "\r\n");
    put_text(params.optics_tag, "ZP-H");
    put_text(params.optics_crlf, "\r\n");
    return params;
}

void report_unopenable_file() { std::fputs("Failed to open the file.\n", stdout); }

}  // namespace

hvq5_settings::hvq5_settings()
    : registers_(new std::atomic<uint32_t>[register_count]), laser_params_(laser_params_template()) {
    std::lock_guard<std::mutex> lock(image_mutex_);
    for (unsigned int reg = 0; reg < register_count; ++reg) {
        registers_[reg].store(0, std::memory_order_relaxed);
    }
}

hvq5_settings::~hvq5_settings() = default;

unsigned int hvq5_settings::get_vals(unsigned int reg) {
    if (reg >= register_count) return 0xFFFFFFFFu;
    return registers_[reg].load(std::memory_order_relaxed);
}

bool hvq5_settings::set_regvals(unsigned int reg, unsigned int value) {
    if (reg >= register_count) return false;
    registers_[reg].store(value, std::memory_order_relaxed);
    return true;
}

bool hvq5_settings::set_regvals(std::vector<unsigned int> values) {
    std::lock_guard<std::mutex> lock(image_mutex_);
    for (std::size_t i = 0;
         i < values.size() && zp_laser_reg::user_reg_table[i] != zp_laser_reg::user_reg_end; ++i) {
        registers_[zp_laser_reg::user_reg_table[i]].store(values[i], std::memory_order_relaxed);
    }
    return true;
}

std::vector<zp_laser_reg::regvals> hvq5_settings::get_user_regvals() {
    std::vector<zp_laser_reg::regvals> pairs;
    pairs.reserve(zp_laser_reg::user_reg_count);
    std::lock_guard<std::mutex> lock(image_mutex_);
    for (std::size_t i = 0; zp_laser_reg::user_reg_table[i] != zp_laser_reg::user_reg_end; ++i) {
        const uint32_t reg = zp_laser_reg::user_reg_table[i];
        pairs.push_back({reg, registers_[reg].load(std::memory_order_relaxed)});
    }
    return pairs;
}

bool hvq5_settings::init_from_file(std::string path) {
    std::lock_guard<std::mutex> lock(image_mutex_);
    mirevo::platform::TextLineReader reader(path);
    if (!reader.is_open()) {
        report_unopenable_file();
        return false;
    }
    std::string line;
    for (unsigned int reg = 1; reg < register_count && reader.next_line(line); ++reg) {
        registers_[reg].store(mirevo::settings::parse_register_word(line), std::memory_order_relaxed);
    }
    return true;
}

bool hvq5_settings::out_file(std::string path) {
    std::lock_guard<std::mutex> lock(image_mutex_);
    mirevo::platform::CrlfTextWriter writer(path);
    if (!writer.is_open()) {
        report_unopenable_file();
        return false;
    }
    char digits[16];
    for (unsigned int reg = 1; reg < register_count; ++reg) {
        const int length = std::snprintf(digits, sizeof(digits), "%u",
                                         registers_[reg].load(std::memory_order_relaxed));
        writer.write_line(std::string_view(digits, static_cast<std::size_t>(length)));
    }
    return writer.finish();
}

int hvq5_settings::getbinning_rate() {
    const uint32_t exponent = get_vals(kBinningRegister);
    return (exponent >= 1 && exponent <= 4) ? (1 << exponent) : 1;
}

int hvq5_settings::getbinning_w(int width) { return width / getbinning_rate(); }

int hvq5_settings::extwidth(int width) { return getbinning_w(width); }

float hvq5_settings::get_gray_gamma() {
    return static_cast<float>(static_cast<double>(get_vals(kGrayGammaRegister)) / 100.0);
}

HVQ5_2_EXTEND* hvq5_settings::get_sdk_extend() { return &extend_; }

bool hvq5_settings::yroi_en() { return extend_.y_roi_first != 0 || extend_.y_roi_last != 0; }

int hvq5_settings::yroi_row(int rows) {
    const int32_t first = extend_.y_roi_first;
    int32_t last = extend_.y_roi_last;
    if (extend_.enable == 0 || (first == 0 && last == 0)) return rows;
    int64_t inside;
    if (last > first) {
        if (last > rows) {
            last = rows;
            extend_.y_roi_last = last;
        }
        inside = static_cast<int64_t>(std::min(last, rows)) - first;
    } else {
        inside = static_cast<int64_t>(rows) - first;
    }
    // A window that starts past the last row, or before the first, must not
    // report more rows than exist or a negative count.
    return static_cast<int>(std::clamp<int64_t>(inside, 0, std::max(rows, 0)));
}

void hvq5_settings::set_laser_params(zp_laser_reg::laser_params params) {
    laser_params_ = params;
    laser_params_.head_serial[sizeof(laser_params_.head_serial) - 1] = '\0';
    load_settings_file();
}

char hvq5_settings::series() const {
    return reinterpret_cast<const char*>(&laser_params_)[zp_laser_reg::series_offset];
}
