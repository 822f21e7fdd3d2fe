#pragma once
// The one decimal reader for register values kept as text.
#include <cstdint>
#include <string_view>

namespace mirevo::settings {

// Leading white space, an optional sign, then digits up to the first other
// character; no digits give 0. The result is the 32-bit register word: negative
// numbers wrap as two's complement, so both the signed and the unsigned
// spelling of a word read back exactly. Numbers outside
// [-2147483648, 4294967295] are clamped to that range first.
uint32_t parse_register_word(std::string_view text);

}  // namespace mirevo::settings
