#include "settings_windows/core/measured_values.h"

#include <cstdio>
#include <cstring>

namespace measured {
namespace {

std::string fixed4(float value) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.4f", static_cast<double>(value));
    return text;
}

float asFloat(int32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof(value));
    return value;
}

int wordAt(const std::vector<int32_t>& words, size_t index) { return index < words.size() ? words[index] : 0; }

}  // namespace

std::string formatWord(int32_t word, int dataType) {
    if (dataType == Int32 || dataType == Int16) return std::to_string(word);
    return fixed4(asFloat(word));
}

const char* valueUnit(int dataType) { return (dataType == Int32 || dataType == Int16) ? "um" : "mm"; }

Frame frameFromBlock(const std::vector<int32_t>& words, int dataType) {
    Frame frame;
    if (words.size() < 3) return frame;
    for (size_t i = 0; i < 3; ++i) frame.valueText += " " + formatWord(words[i], dataType) + ",";
    frame.valueText.pop_back();
    if (words.size() >= 12 && words[11] == 0)
        frame.boundary = words[3];
    else
        frame.boundary = wordAt(words, 8);
    frame.offset1 = wordAt(words, 4);
    frame.offset2 = wordAt(words, 5);
    frame.len1 = wordAt(words, 6);
    frame.len2 = wordAt(words, 7);
    return frame;
}

Frame frameFromRegister(uint32_t value, int dataType) {
    Frame frame;
    frame.valueText = formatWord(static_cast<int32_t>(value), dataType);
    return frame;
}

std::string csvLine(const std::string& timeStamp, const std::string& valueText, const std::vector<int32_t>& words) {
    std::string line = timeStamp + "," + valueText;
    for (size_t i = 3; i < words.size(); ++i) {
        line += ",";
        if (i == 9 || i == 10)
            line += fixed4(asFloat(words[i]));
        else
            line += std::to_string(static_cast<uint32_t>(words[i]));
    }
    line += "\r\n";
    return line;
}

bool hasValueBlock(bool series4, uint32_t version166) { return series4 && (version166 & 0xFFFFu) > 28711u; }

bool liveReadsAllowed(uint32_t linkRequest838, uint32_t workMode842) {
    return linkRequest838 == 0 && workMode842 == 0;
}

}  // namespace measured
