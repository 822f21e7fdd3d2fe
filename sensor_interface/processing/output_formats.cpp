#include "sensor_interface/processing/output_formats.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sensor_interface/processing/processing_types.h"

void heights_to_int100(const double* heights, int32_t* out, int count) {
    // Truncated to an integer and held at the int32 ends. The conversion
    // instruction truncates by itself, so inside the open interval below (where
    // it is defined) no separate trunc is needed; the ends, infinities and NaN
    // take the slow path, NaN giving the minimum as the conversion would.
    constexpr double kBelowMin = -2147483649.0;
    constexpr double kAboveMax = 2147483648.0;
    for (int i = 0; i < count; ++i) {
        const double v = heights[i] * 100.0;
        if (v > kBelowMin && v < kAboveMax)
            out[i] = static_cast<int32_t>(v);
        else
            out[i] = v >= kAboveMax ? std::numeric_limits<int32_t>::max()
                                    : std::numeric_limits<int32_t>::min();
    }
}

void heights_to_u16(const double* heights, uint16_t* out, int count, double scale,
                    double offsetA, double offsetB, double invalid) {
    const double factor = scale / 65536.0 / 256.0;
    for (int i = 0; i < count; ++i) {
        const double h = heights[i];
        out[i] = 0;
        if (std::fabs(h - invalid) < kInvalidTolerance) continue;
        const double v = factor * (h * 256.0 + offsetA - offsetB) + 32768.0;
        if (v > 0.0 && v < 65535.0) out[i] = static_cast<uint16_t>(v);
    }
}

void encode_heights16(const double* heights, int available, int32_t* out, int count,
                      double scale, double offsetA, double offsetB, double invalid,
                      double zOffset) {
    for (int i = 0; i < count; ++i) {
        out[i] = 0;
        if (i >= available) continue;
        const double h = heights[i];
        if (std::fabs(h - invalid) < kInvalidTolerance) continue;
        const double v = ((h + zOffset) * 256.0 + offsetA - offsetB) * scale / 65536.0 / 256.0 +
                         32768.0;
        if (v > 0.0 && v < 65536.0) out[i] = static_cast<int32_t>(v);
    }
}

int profile_output_width(int extendedWidth, bool ownConnection, uint32_t roiWidthColumns,
                         double pointsPerColumn, int binningRate) {
    if (!ownConnection && extendedWidth > 0) return extendedWidth;
    const int width = static_cast<int>(static_cast<double>(roiWidthColumns) * pointsPerColumn);
    if (ownConnection || binningRate <= 1) return width;
    return width / binningRate;
}

void build_gray_lut(uint8_t lut[256], int low, int high, float gain) {
    for (int i = 0; i < 256; ++i) {
        if (i < low || i > high) {
            lut[i] = static_cast<uint8_t>(i);
            continue;
        }
        const float v = static_cast<float>(i - low) * gain + static_cast<float>(low);
        lut[i] = static_cast<uint8_t>(static_cast<long long>(v) & 0xFF);
    }
}

namespace {

uint8_t gamma_byte(int v, float exponent) {
    return static_cast<uint8_t>(
        static_cast<int>(std::ceil(std::pow(v / 255.0, exponent) * 220.0)));
}

uint8_t stretch_byte(int v) {
    if (v < 128) return static_cast<uint8_t>(v);
    if (v > 230) return 255;
    const float stretched = static_cast<float>(v - 128) * 1.245098f + 128.0f + 0.5f;
    return static_cast<uint8_t>(static_cast<int>(stretched));
}

}  // namespace

void build_gray_table(uint8_t table[256], bool gamma, float gammaValue, bool stretch,
                      const uint8_t* lut) {
    const float exponent = 1.0f / gammaValue;
    for (int v = 0; v < 256; ++v) {
        int b = v;
        if (gamma) b = gamma_byte(b, exponent);
        if (stretch) b = stretch_byte(b);
        if (lut) b = lut[b];
        table[v] = static_cast<uint8_t>(b);
    }
}

void apply_gray_table(const uint8_t table[256], uint8_t* gray, int count) {
    for (int i = 0; i < count; ++i) gray[i] = table[gray[i]];
}
