#include "sensor_interface/registry/merge_rows.h"

#include <algorithm>
#include <cmath>
#include <limits>

void fit_merge_frame(const std::vector<double>& z, const std::vector<uint8_t>& gray, int width,
                     double* zOut, uint8_t* grayOut) {
    if (width <= 0) return;
    const size_t n = static_cast<size_t>(width);
    const size_t zTaken = std::min(z.size(), n);
    std::copy_n(z.begin(), zTaken, zOut);
    std::fill(zOut + zTaken, zOut + n, kMergeInvalidHeight);
    const size_t grayTaken = std::min(gray.size(), n);
    std::copy_n(gray.begin(), grayTaken, grayOut);
    std::fill(grayOut + grayTaken, grayOut + n, uint8_t{0});
}

void append_merged_row(const double* z, const uint8_t* gray, int width, std::vector<int32_t>& profile,
                       std::vector<uint8_t>& intensity) {
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    for (int i = 0; i < width; ++i) {
        const double scaled = std::trunc(z[i] * 100.0);
        // A value outside the int32 range (or not a number) has no row value: it is held to the range.
        profile.push_back(std::isnan(scaled) ? 0 : static_cast<int32_t>(std::clamp(scaled, kLowest, kHighest)));
    }
    intensity.insert(intensity.end(), gray, gray + std::max(width, 0));
}

HVQ5_2_STR_CALLBACK_INFO merged_batch_info(const HVQ5_2_STR_CALLBACK_INFO& firstHead, int width,
                                           int frames) {
    HVQ5_2_STR_CALLBACK_INFO info = firstHead;
    info.width = width;
    info.frames = frames;
    return info;
}
