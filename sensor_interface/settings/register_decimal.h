#pragma once
// The one rule by which a decimal someone typed (a spin box, a caller's
// argument) becomes a register value: the decimal times the register's scale,
// cut to an integer (toward zero, or to the nearest for the registers that
// round). The typed decimal is what counts, not its binary neighbour: 1.13
// lies just below 1.13 in binary, and 1.13 x 100 must still give 113, not
// 112. A product within the rounding error of its type of an integer is that
// integer; everything else is cut as it stands (0.123456 x 100000 gives
// 12345).
#include <cstdint>

namespace mirevo::settings {

// Nearest: halves away from zero. ProductTruncated: the double product cut
// toward zero with no allowance for the decimal's binary error, so 1.001 x 1000
// gives 1000; the weld filter's height threshold and the tilt values have
// always been stored this way, and the values saved on sensors follow it.
enum class DecimalCut { TowardZero, Nearest, ProductTruncated };

// Saturated to the 32-bit signed range; a value that is not a number gives 0.
int32_t register_from_decimal(double typed, double scale, DecimalCut cut = DecimalCut::TowardZero);
// A decimal that travelled as a float (settings and exports that take one):
// its error is the float's.
int32_t register_from_decimal(float typed, double scale, DecimalCut cut = DecimalCut::TowardZero);

}  // namespace mirevo::settings
