#pragma once
// How the height view turns heights (mm) into the grey levels of its image.
#include <cstdint>

// Fixed mode spreads [fixedMin, fixedMax] over 0..236 with everything at or
// below zLower at 30 and above zUpper at 220; automatic mode maps d to
// d / zUpper x 118 + 138. Levels are truncated and clamped to 0..255.
struct GreyScale {
    bool fixedRange = false;
    double fixedMin = 0;
    double fixedMax = 0;
    double zLower = -6.0;
    double zUpper = 6.0;
};

uint8_t greyLevel(double height, const GreyScale& scale);

// greyLevel of each of n heights into out, several at a time where the
// processor allows: the same levels, bit for bit.
void greyLevels(const double* heights, int n, uint8_t* out, const GreyScale& scale);
