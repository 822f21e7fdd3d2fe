#pragma once
// Numbers as the text files of the cloud library print them: C's "%.8g" of a
// float, and unsigned integers in decimal. The bytes are printf's exactly,
// made without its locale and stream machinery (a few times faster than
// std::to_chars for the heights a grid holds). Internal to the library.
#include <cstdint>

namespace kx::common::text {

// Room that `out` must have for every number below: whole words may be
// stored past the end that is returned.
constexpr int kMaxNumberText = 32;

// "%.8g" of the value widened to double: 8 significant digits, correctly
// rounded (ties to even), trailing zeros dropped; "inf", "-inf", "nan" and
// "-nan" as printf gives them. Writes at `out` and returns the end.
char* printFloat8(float value, char* out);

char* printUnsigned(uint32_t value, char* out);

}  // namespace kx::common::text
