#pragma once
// The 2.5D measured values that the sensor reports to the PLC page: the value
// block (or the plain output register), their text forms, what the page hands
// on to the 2.5D pages and the lines of the measured-value files.
#include <cstdint>
#include <string>
#include <vector>

namespace measured {

// Register 837 (837 / 860 for Modbus RTU): how the sensor sends its values.
enum DataType { Float = 0, Int32 = 1, Int16 = 2 };

// Room the block reader gets: the sensor never sends more words.
constexpr size_t kBlockWords = 100;
// A measured-value file is closed and a new one opened after this many lines.
constexpr uint32_t kFileLineLimit = 1000000;
// The monitor polls fast while the sensor measures in 2.5D mode.
constexpr int kWorkModePollMs = 80;
constexpr int kIdlePollMs = 1000;

// A word as the operator reads it: signed decimal for the integer types, the
// word's bits as a single-precision float with 4 decimals for Float.
std::string formatWord(int32_t word, int dataType);
// Unit of the caption sent with the values: "um" for the integer types, "mm"
// for Float (and any unknown type).
const char* valueUnit(int dataType);

// What one poll hands to the 2.5D pages.
struct Frame {
    std::string valueText;  // " v0, v1, v2" from a block, "v" from a register, empty when nothing was read
    int boundary = -1;
    int offset1 = 0;
    int offset2 = 0;
    int len1 = 0;
    int len2 = 0;
};

// From a value block of at least 3 words: the three values; the boundary is
// word 3 when the block has 12 words or more and word 11 is 0, else word 8
// (0 for a block of fewer than 9 words); offsets from words 4 and 5, lengths
// from words 6 and 7 (0 where the block is shorter). A block of fewer than 3
// words gives an empty value text and boundary -1.
Frame frameFromBlock(const std::vector<int32_t>& words, int dataType);
// From register 829 / 861: the value alone, boundary -1, the rest 0.
Frame frameFromRegister(uint32_t value, int dataType);

// One line of a measured-value file: the time stamp, the value text and then
// every word of the list from word 3 on (words 9 and 10 as floats with 4
// decimals, the others as unsigned decimals), comma separated, ending in CR LF.
std::string csvLine(const std::string& timeStamp, const std::string& valueText, const std::vector<int32_t>& words);

// The value block exists on series-'4' sensors whose version word (register
// 166) has low 16 bits above 28711; older ones only have the output register.
bool hasValueBlock(bool series4, uint32_t version166);

// The sensor interface's live reads may use the command channel only while no
// PLC link is requested (838) and the sensor is not in 2.5D work mode (842).
bool liveReadsAllowed(uint32_t linkRequest838, uint32_t workMode842);

}  // namespace measured
