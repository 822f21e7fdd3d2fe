#include "sensor_interface/processing/frame_output_rows.h"

#include <algorithm>

#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/profile_processor.h"

namespace {

// Constants of the extended codes: 32768 + 10 x (height + z offset).
constexpr double kExtendedScale = 655360.0;
constexpr double kExtendedOffset = 15872000.0;

template <typename T>
void zeroed(std::vector<T>& row, int width) {
    // assign() keeps the capacity: after the first frame nothing is allocated.
    row.assign(static_cast<size_t>(width), T{0});
}

}  // namespace

void FrameOutputRows::fill(const ProfileProcessor& processor, int count,
                           const OutputRowRules& rules) {
    const int width = std::max(rules.width, 0);
    zeroed(codes_, width);
    zeroed(heights_, width);
    zeroed(gray_, width);
    count = std::clamp(count, 0, processor.points());
    offset_ = static_cast<int>(std::max(count - width, 0) * 0.5);
    const int window = std::min(width, count - offset_);
    if (window <= 0) return;

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
