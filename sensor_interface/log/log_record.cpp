#include "sensor_interface/log/log_record.h"

#include <charconv>

namespace {

// The decimal digits of value, without a temporary string.
template <typename Integer>
void append_decimal(std::string& text, Integer value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof(digits), value).ptr;
    text.append(digits, end);
}

}  // namespace

void appendFrameLine(std::string& text, const FrameLineNumbers& numbers) {
    text.append("processed data[");
    append_decimal(text, numbers.device);
    text.append("]: batchtimes ");
    append_decimal(text, numbers.batchtimes);
    text.append(", frame ");
    append_decimal(text, numbers.frame);
    text.append(", encoder ");
    append_decimal(text, numbers.encoder);
    text.append(", timestamp ");
    append_decimal(text, numbers.timestamp);
}
