#include "views/height/cloud/grid_fill.h"

namespace kx::common::grid {

// The float epsilon for values up to about 1, growing with their size.
bool sameSpacing(double first, double second, float a0, float a1, float b0, float b1) {
    const double scale = std::max(std::fabs(a0), std::fabs(a1)) + std::max(std::fabs(b0), std::fabs(b1));
    return std::fabs(second - first) <= static_cast<double>(FLT_EPSILON) * std::max(1.0, scale);
}

uchar lowByte(float value) {
    if (!(std::fabs(value) < 9.2e18f)) return 0;
    return static_cast<uchar>(static_cast<int64_t>(value) & 0xFF);
}

}  // namespace kx::common::grid
