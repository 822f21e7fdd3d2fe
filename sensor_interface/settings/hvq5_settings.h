#pragma once
// The register image of one sensor: the last known value of every register,
// the head information block and the interface's extended values.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sensor_interface/hvq5_export.h"

namespace zp_laser_reg {

// Head information as the sensor sends it: four records of tag, text and CR LF,
// then the measuring range. Byte positions are part of the exported interface.
struct laser_params {
    char head_tag[4];                 // "ZP-H"
    char model[16];                   // model text; model[2] is the series character
    char head_crlf[2];
    unsigned char head_rest[20];
    char serial_tag[4];               // "ZP-H"
    char head_serial[16];             // at most 15 characters once taken into the image
    char serial_crlf[2];
    char controller_tag[4];           // "ZP-C"
    char controller_serial[16];
    char controller_crlf[2];
    char optics_tag[4];               // "ZP-H"
    unsigned char optics_body[40];    // holds five unaligned doubles at block offsets 90..129
    char optics_crlf[2];
    int32_t z_range_upper;            // reference minus register 352 / 256
    int32_t z_range_lower;            // reference minus register 351 / 256
    int32_t z_range_reference;        // register 350 >> 8
};

static_assert(sizeof(laser_params) == 144, "head information is 144 bytes");
static_assert(offsetof(laser_params, model) == 4, "");
static_assert(offsetof(laser_params, head_rest) == 22, "");
static_assert(offsetof(laser_params, serial_tag) == 42, "");
static_assert(offsetof(laser_params, head_serial) == 46, "");
static_assert(offsetof(laser_params, serial_crlf) == 62, "");
static_assert(offsetof(laser_params, controller_tag) == 64, "");
static_assert(offsetof(laser_params, controller_serial) == 68, "");
static_assert(offsetof(laser_params, controller_crlf) == 84, "");
static_assert(offsetof(laser_params, optics_tag) == 86, "");
static_assert(offsetof(laser_params, optics_body) == 90, "");
static_assert(offsetof(laser_params, optics_crlf) == 130, "");
static_assert(offsetof(laser_params, z_range_upper) == 132, "");
static_assert(offsetof(laser_params, z_range_lower) == 136, "");
static_assert(offsetof(laser_params, z_range_reference) == 140, "");

// Byte offset of the series character ('3', '4', '5', '6') in the block.
constexpr std::size_t series_offset = 6;

struct regvals {
    uint32_t reg;
    uint32_t value;
};

// Registers a sensor reads at open and writes back on a factory reset, in that
// order; repeated addresses are intended.
constexpr std::size_t user_reg_count = 147;
constexpr uint32_t user_reg_end = 0xFFFF;
extern HVQ5_API const uint32_t user_reg_table[user_reg_count + 1];  // ends with user_reg_end

}  // namespace zp_laser_reg

// Values the interface keeps on top of the sensor's registers. Handed to other
// programs by address, so field order and widths are fixed.
struct HVQ5_2_EXTEND {
    // Bit values of feature_en.
    static constexpr uint64_t theta_base_zero_en = 1;
    static constexpr uint64_t gray_correction_en = 2;
    static constexpr uint64_t gray_lut_en = 4;
    static constexpr uint64_t cloud_filter_en = 8;
    static constexpr int z_offset_capacity = 4096;

    uint8_t enable = 0;                       // Y window and z-offset table switch
    int32_t x_binning = 0;
    int32_t reserved0[2] = {0, 0};
    int32_t y_roi_first = 0;
    int32_t y_roi_last = 0;
    int32_t z_offset[z_offset_capacity];      // 0.00001 mm per unit; not initialised
    int32_t z_offset_count = 0;
    int32_t model_type = 22;
    float gray_gamma = 1.0f;
    uint64_t feature_en = 0;
    int32_t grad_thres1 = -40000;
    int32_t grad_thres2 = -1000;
    int32_t grad_r = 15;
    int32_t grad_r_open = 3;
    uint8_t grad_open_on = 0;
    uint8_t grad_connected_on = 1;
    int32_t grad_connected_area = 200;
    int32_t x_offset = 0;
    int32_t ref_row_a = 0;
    int32_t ref_row_b = 0;
    uint8_t reserved1[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int32_t reserved2[4] = {0, 3, 13, 15};
    int32_t grad_object = 2;
    int32_t reserved3[2] = {0, 1};
    uint8_t cloud_align = 0;
    int32_t b_x_offset = 0;
    double b_z_offset = 0.0;
    int32_t single_valid_output = 0;
    double height_delta = 0.0;
    int32_t valid_output_in_delta = 0;
    int32_t valid_output_beyond_delta = 0;
    int32_t start_frame_timeout = 0;          // ms, 0 = no limit
    int32_t timeout_callback_type = 1;        // 2 = short batches completed before delivery
    int32_t continous_frame_timeout = 0;      // ms, 0 = no limit
};

static_assert(offsetof(HVQ5_2_EXTEND, x_binning) == 4, "");
static_assert(offsetof(HVQ5_2_EXTEND, y_roi_first) == 16, "");
static_assert(offsetof(HVQ5_2_EXTEND, y_roi_last) == 20, "");
static_assert(offsetof(HVQ5_2_EXTEND, z_offset) == 24, "");
static_assert(offsetof(HVQ5_2_EXTEND, z_offset_count) == 16408, "");
static_assert(offsetof(HVQ5_2_EXTEND, model_type) == 16412, "");
static_assert(offsetof(HVQ5_2_EXTEND, gray_gamma) == 16416, "");
static_assert(offsetof(HVQ5_2_EXTEND, feature_en) == 16424, "");
static_assert(offsetof(HVQ5_2_EXTEND, grad_thres1) == 16432, "");
static_assert(offsetof(HVQ5_2_EXTEND, grad_open_on) == 16448, "");
static_assert(offsetof(HVQ5_2_EXTEND, grad_connected_on) == 16449, "");
static_assert(offsetof(HVQ5_2_EXTEND, grad_connected_area) == 16452, "");
static_assert(offsetof(HVQ5_2_EXTEND, x_offset) == 16456, "");
static_assert(offsetof(HVQ5_2_EXTEND, ref_row_a) == 16460, "");
static_assert(offsetof(HVQ5_2_EXTEND, ref_row_b) == 16464, "");
static_assert(offsetof(HVQ5_2_EXTEND, reserved1) == 16468, "");
static_assert(offsetof(HVQ5_2_EXTEND, reserved2) == 16476, "");
static_assert(offsetof(HVQ5_2_EXTEND, grad_object) == 16492, "");
static_assert(offsetof(HVQ5_2_EXTEND, reserved3) == 16496, "");
static_assert(offsetof(HVQ5_2_EXTEND, cloud_align) == 16504, "");
static_assert(offsetof(HVQ5_2_EXTEND, b_x_offset) == 16508, "");
static_assert(offsetof(HVQ5_2_EXTEND, b_z_offset) == 16512, "");
static_assert(offsetof(HVQ5_2_EXTEND, single_valid_output) == 16520, "");
static_assert(offsetof(HVQ5_2_EXTEND, height_delta) == 16528, "");
static_assert(offsetof(HVQ5_2_EXTEND, valid_output_in_delta) == 16536, "");
static_assert(offsetof(HVQ5_2_EXTEND, valid_output_beyond_delta) == 16540, "");
static_assert(offsetof(HVQ5_2_EXTEND, start_frame_timeout) == 16544, "");
static_assert(offsetof(HVQ5_2_EXTEND, timeout_callback_type) == 16548, "");
static_assert(offsetof(HVQ5_2_EXTEND, continous_frame_timeout) == 16552, "");
static_assert(sizeof(HVQ5_2_EXTEND) == 16560, "");

class HVQ5_API hvq5_settings {
public:
    static constexpr unsigned int register_count = 65535;

    hvq5_settings();
    ~hvq5_settings();
    hvq5_settings(const hvq5_settings&) = delete;
    hvq5_settings& operator=(const hvq5_settings&) = delete;

    // Single registers take no lock: each is one aligned 32-bit access, and the
    // profile processor reads them per frame. 0xFFFFFFFF / false for addresses
    // outside the image.
    unsigned int get_vals(unsigned int reg);
    bool set_regvals(unsigned int reg, unsigned int value);

    // Stores values in user-register-table order; extra values are ignored.
    bool set_regvals(std::vector<unsigned int> values);
    std::vector<zp_laser_reg::regvals> get_user_regvals();

    // Register text file: line k holds register k (1..65534), CR LF endings.
    bool init_from_file(std::string path);
    bool out_file(std::string path);

    int get_real_max_hz();
    int get_min_period_from_cmos_y(int rows, int extended);
    int getbinning_rate();
    int getbinning_w(int width);
    int extwidth(int width);
    float get_gray_gamma();

    HVQ5_2_EXTEND* get_sdk_extend();
    bool yroi_en();
    int yroi_row(int rows);

    // Takes the head information; for heads that keep their extended values on
    // the computer, also loads the per-device settings file into the block.
    void set_laser_params(zp_laser_reg::laser_params params);
    // Rewrites the per-device settings file from the block (no-op without one).
    void save_to_extend();

    // The members below serve the interface itself and stay out of the
    // shared library's exports.
    const zp_laser_reg::laser_params& laser_params() const { return laser_params_; }
    // Full path of the per-device settings file; empty while the head keeps its
    // values in registers or before set_laser_params.
    [[gnu::visibility("hidden")]] std::filesystem::path settings_file_path() const;
    // Base folder of the per-device settings files.
    [[gnu::visibility("hidden")]] static std::filesystem::path base_folder();

private:
    [[gnu::visibility("hidden")]] void ini_path(const std::string& subfolder,
                                                const std::string& head_serial);
    [[gnu::visibility("hidden")]] void load_settings_file();
    [[gnu::visibility("hidden")]] char series() const;

    std::unique_ptr<std::atomic<uint32_t>[]> registers_;
    zp_laser_reg::laser_params laser_params_;
    std::mutex image_mutex_;
    HVQ5_2_EXTEND extend_;
    std::filesystem::path settings_folder_;
    std::string settings_file_name_;
};
