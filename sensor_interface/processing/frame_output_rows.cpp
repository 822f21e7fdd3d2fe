#include "sensor_interface/processing/frame_output_rows.h"

#include <algorithm>
#include <cstring>

#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/frame_rows.h"
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
    fill(processor, processor.rows(), count, rules,
         processor.grayTableFor(rules.gray.gamma, rules.gray.stretch, rules.gray.lut));
}

void FrameOutputRows::fill(const ProfileProcessor& processor, const FrameRows& rows, int count,
                           const OutputRowRules& rules, const uint8_t* grayTable) {
    const int width = std::max(rules.width, 0);
    count = std::clamp(count, 0, processor.points());
    const int offset = static_cast<int>(std::max(count - width, 0) * 0.5);
    // Each row gets exactly its first `window` values written (the plain
    // int32 row's min(width, count) is the same number), the rest is zeroed.
    const int window = std::max(std::min(width, count - offset), 0);
    fillWindow(processor, rows, width, offset, window, std::min(width, count), rules, grayTable);
}

void FrameOutputRows::fillReleased(const ProfileProcessor& processor, const FrameRows& rows, int offset,
                                   const OutputRowRules& rules, const uint8_t* grayTable) {
    const int width = std::max(rules.width, 0);
    const int points = processor.points();
    // The released rows are as wide as the processor's profile: nothing is read beyond it.
    offset = std::clamp(offset, 0, points);
    const int window = std::max(std::min(width, points - offset), 0);
    fillWindow(processor, rows, width, offset, window, std::min(width, points), rules, grayTable);
}

void FrameOutputRows::fillWindow(const ProfileProcessor& processor, const FrameRows& rows, int width, int offset,
                                 int window, int plainCount, const OutputRowRules& rules,
                                 const uint8_t* grayTable) {
    sized(codes_, width);
    sized(heights_, width);
    sized(gray_, width);
    offset_ = offset;
    const int plain = rules.extendedCodes ? window : std::max(plainCount, 0);
    zero_tail(codes_, window);
    zero_tail(heights_, plain);
    zero_tail(gray_, window);
    if (rules.extendedCodes) {
        if (window > 0)
            encode_heights16(rows.heights.data() + offset, processor.points() - offset, heights_.data(), window,
                             kExtendedScale, kExtendedOffset, kExtendedOffset, kInvalidHeight, rules.zOffset);
    } else if (plain > 0) {
        heights_to_int100(rows.heights.data(), heights_.data(), std::min(plain, processor.points()));
    }
    if (window == 0) return;
    processor.heights16(rows, codes_.data(), window, offset);
    std::memcpy(gray_.data(), rows.gray.data() + offset, static_cast<size_t>(window));
    if (grayTable) apply_gray_table(grayTable, gray_.data(), window);
}
