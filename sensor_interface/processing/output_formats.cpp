#include "sensor_interface/processing/output_formats.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/processing_types.h"

void heights_to_int100(const double* heights, int32_t* out, int count) {
    // Truncated to an integer and held at the int32 ends (NaN gives the minimum).
    frame_kernels().toInt100(heights, out, count);
}

void heights_to_u16(const double* heights, uint16_t* out, int count, double scale,
                    double offsetA, double offsetB, double invalid) {
    frame_kernels().toU16(heights, out, count, scale / 65536.0 / 256.0, offsetA, offsetB, invalid);
}

void encode_heights16(const double* heights, int available, int32_t* out, int count,
                      double scale, double offsetA, double offsetB, double invalid,
                      double zOffset) {
    const int read = std::clamp(available, 0, std::max(count, 0));
    frame_kernels().toExtendedCodes(heights, out, read, scale, offsetA, offsetB, invalid, zOffset);
    if (count > read) std::fill(out + read, out + count, 0);
}

int profile_output_width(int extendedWidth, bool ownConnection, uint32_t roiWidthColumns,
                         double pointsPerColumn, int binningRate) {
    if (!ownConnection && extendedWidth > 0) return std::min(extendedWidth, kMaxOutputWidth);
    const double points = static_cast<double>(roiWidthColumns) * pointsPerColumn;
    const int width = points < kMaxOutputWidth ? static_cast<int>(points) : kMaxOutputWidth;
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
    frame_kernels().applyGrayTable(table, gray, count);
}
