#include "views/height/view3d/height_color_ramp.h"

#include <cmath>

namespace {

uint8_t level(double ratio) { return static_cast<uint8_t>(std::trunc(ratio * 255)); }

std::array<RampColor, kRampEntries> makeRamp() {
    std::array<RampColor, kRampEntries> ramp{};
    for (int i = 0; i < kRampEntries; ++i) {
        const double q = static_cast<float>(i) / kRampEntries;
        RampColor& c = ramp[static_cast<size_t>(i)];
        if (q < 0.25) {
            c = {0, level(q / (0.5 - q)), 255};
        } else if (q < 0.5) {
            c = {0, 255, level((0.5 - q) / q)};
        } else {
            const double p = q - 0.5;
            if (p < 0.25)
                c = {level(p / (0.5 - p)), 255, 0};
            else
                c = {255, level((0.5 - p) / p), 0};
        }
    }
    return ramp;
}

}  // namespace

const std::array<RampColor, kRampEntries>& heightColorRamp() {
    static const std::array<RampColor, kRampEntries> ramp = makeRamp();
    return ramp;
}

int rampIndex(float z, float zMin, float zMax) {
    constexpr int kLast = kRampEntries - 1;
    // An empty range gives an infinite scale: clamp while still floating, so
    // that no infinity or NaN is ever converted to an integer.
    const float u = kLast / (zMax - zMin) * (z - zMin);
    if (!(u >= 0.0f) || u >= kLast) return kLast;
    return static_cast<int>(u);
}
