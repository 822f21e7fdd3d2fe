#include "sensor_interface/processing/frame_output_rows.h"

#include <algorithm>

#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/profile_processor.h"

namespace {

// Constants of the extended codes: 32768 + 10 x (height + z offset).
constexpr double kExtendedScale = 655360.0;
constexpr double kExtendedOffset = 15872000.0;

template <typename T>
void sized(std::vector<T>& row, int width) {
    // resize() keeps the capacity: after the first frame nothing is allocated.
    row.resize(static_cast<size_t>(width));
}

// Zeroes the values from `from` on; those before it have just been written.
template <typename T>
void zero_tail(std::vector<T>& row, int from) {
    std::fill(row.begin() + std::min(static_cast<size_t>(std::max(from, 0)), row.size()), row.end(),
              T{0});
}

}  // namespace

void FrameOutputRows::fill(const ProfileProcessor& processor, int count,
                           const OutputRowRules& rules) {
    const int width = std::max(rules.width, 0);
    sized(codes_, width);
    sized(heights_, width);
    sized(gray_, width);
    count = std::clamp(count, 0, processor.points());
    offset_ = static_cast<int>(std::max(count - width, 0) * 0.5);
    // Each row gets exactly its first `window` values written below (the plain
    // int32 row's min(width, count) is the same number), the rest is zeroed.
    const int window = std::max(std::min(width, count - offset_), 0);
    zero_tail(codes_, window);
    zero_tail(heights_, window);
    zero_tail(gray_, window);
    if (window == 0) return;

    if (rules.extendedCodes)
        encode_heights16(processor.heightsOut() + offset_, processor.points() - offset_,
                         heights_.data(), window, kExtendedScale, kExtendedOffset,
                         kExtendedOffset, kInvalidHeight, rules.zOffset);
    else
        processor.heightsInt(heights_.data(), std::min(width, count));
    processor.heights16(codes_.data(), window, offset_);
    processor.grayOut(gray_.data(), window, offset_, rules.gray.gamma, rules.gray.stretch,
                      rules.gray.lut);
}
