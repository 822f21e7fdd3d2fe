// Line-rate limits derived from the cached exposure and imaging registers.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "sensor_interface/settings/hvq5_settings.h"

namespace {

constexpr unsigned int kCameraRows = 11;
constexpr unsigned int kExposure = 162;
constexpr unsigned int kMultiFrameOn = 221;
constexpr unsigned int kFrameCount = 238;
constexpr unsigned int kFrameExposureBefore = 260;  // frame i's exposure is register 260 + i
constexpr unsigned int kExtendedExposure = 288;
constexpr unsigned int kSegmentsOn = 530;
constexpr unsigned int kSegmentLines = 540;         // + 10 per segment
constexpr unsigned int kSegmentExposure = 544;      // + 10 per segment
constexpr uint32_t kSegmentOff = 0xFFFF;

// 0x43460001: the float just above 198, the factor the sensor's timing uses.
float family4_row_factor() {
    const uint32_t bits = 0x43460001u;
    float factor;
    std::memcpy(&factor, &bits, sizeof(factor));
    return factor;
}

}  // namespace

int hvq5_settings::get_min_period_from_cmos_y(int rows, int extended) {
    int base;
    if (rows <= 128) {
        base = 46;
    } else if (rows <= 256) {
        base = 75;
    } else if (rows <= 512) {
        base = 134;
    } else if (rows <= 1024) {
        base = 252;
    } else {
        base = 297;
    }
    return extended != 0 ? base + 26 : base;
}

int hvq5_settings::get_real_max_hz() {
    const uint32_t rows = get_vals(kCameraRows);
    const uint32_t ext = get_vals(kExtendedExposure);
    const uint32_t hdr = get_vals(kMultiFrameOn);
    const int32_t frames = static_cast<int32_t>(get_vals(kFrameCount));
    const uint32_t exposure = get_vals(kExposure);
    const char family = series();

    if (family == '3') {
        const double a_us = static_cast<double>(exposure) + 10.0;
        const float a = ext != 0 ? static_cast<float>(a_us * 1.5) : static_cast<float>(a_us);
        const uint64_t row_time = (static_cast<uint64_t>(rows & ~0xFu) + 16) * 108;
        const float b = static_cast<float>(static_cast<float>(row_time) / 65.0);
        const float period = std::ceil(std::max(b, a));
        return static_cast<int>(1000000.0 / period);
    }
    if (family != '4' && family != '5' && family != '6') return 1;

    // Longest exposure of any imaging frame or exposure segment.
    uint32_t longest = 0;
    if (hdr == 0) {
        longest = exposure;
    } else if (frames > 0) {
        // Frames beyond the image have no cached exposure to consider.
        const uint32_t last = std::min<uint32_t>(kFrameExposureBefore + static_cast<uint32_t>(frames),
                                                 register_count - 1);
        for (uint32_t reg = kFrameExposureBefore + 1; reg <= last; ++reg) {
            longest = std::max(longest, get_vals(reg));
        }
    }
    if (get_vals(kSegmentsOn) != 0) {
        for (unsigned int segment = 0; segment < 5; ++segment) {
            longest = std::max(longest, get_vals(kSegmentExposure + 10 * segment));
            if (get_vals(kSegmentLines + 10 * segment) == kSegmentOff) break;
        }
    }

    if (family == '4') {
        const uint64_t sensor_rows = static_cast<uint64_t>(rows - rows % 16) + 24 + (ext != 0 ? 64 : 0);
        const float c = static_cast<float>(sensor_rows);
        const float readout = c * family4_row_factor() / 150.0f;
        const float g = std::ceil(std::max(readout, static_cast<float>(longest) + 20.0f));
        const float m = hdr != 0 ? std::max(g, g * static_cast<float>(frames)) : g;
        return static_cast<int>(1000000.0f / m);
    }

    const int base = get_min_period_from_cmos_y(static_cast<int32_t>(rows), static_cast<int>(ext != 0));
    const int64_t f = static_cast<int64_t>(
        std::max(static_cast<double>(base), static_cast<double>(longest) + 12.0));
    const int64_t h = hdr != 0 ? f * frames : 0;
    return static_cast<int>(1000000.0 / static_cast<double>(std::max(f, h)));
}
