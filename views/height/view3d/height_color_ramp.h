#pragma once
// The colours of the 3D mesh: a ramp of 512 entries from blue (lowest)
// through cyan, green and yellow to red (highest).
#include <array>
#include <cstdint>

struct RampColor {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

constexpr int kRampEntries = 512;

const std::array<RampColor, kRampEntries>& heightColorRamp();

// The ramp entry of height z in [zMin, zMax]: 511 / (zMax - zMin) x (z - zMin)
// truncated. Anything that is not a number from 0 to 511 (below zMin, above
// zMax, an empty range) takes the last entry, red.
int rampIndex(float z, float zMin, float zMax);
