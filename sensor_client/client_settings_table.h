#pragma once
// The typed setting accessors of LinelaserClient as data: one row per
// accessor with its setting address, the conversion between the window's
// value and the interface's 32-bit value, and its write rule. One routine
// (settingAccess in client_accessors.cpp) serves every row.
#include <cstdint>
#include <type_traits>

namespace client_settings {

// Setting type: the running program (the client's settingType, 0x10), the
// common settings (2) or the network settings (1).
constexpr uint8_t kProgramType = 0;
constexpr uint8_t kCommonType = 2;
constexpr uint8_t kNetworkType = 1;

enum class Conversion : uint8_t {
    Int,    // the whole 32 bits
    Byte,   // the low byte into a uint8
    UByte,  // the low byte zero-extended into an int
    SByte,  // the low byte sign-extended into an int
    U16,    // the low 16 bits
    Bool,   // writes 1 for any non-zero value; reads true only for a low byte of exactly 1
};

enum class WriteRule : uint8_t {
    AsIs,
    OneSentAsTwo,  // a write of 1 sends 2
    ZeroSentAsOne, // a write of 0 sends 1
};

struct SettingRow {
    uint8_t type;
    uint8_t category;
    uint8_t item;
    Conversion conversion;
    WriteRule rule = WriteRule::AsIs;
    bool anyNonZeroDirWrites = false;  // otherwise only dir 1 writes
};

// Trigger and batch (category 0).
constexpr SettingRow kTriggerMethod{kProgramType, 0, 1, Conversion::Int, WriteRule::OneSentAsTwo};
constexpr SettingRow kSamplingFrequency{kProgramType, 0, 2, Conversion::Int};
constexpr SettingRow kBatchEnable{kProgramType, 0, 3, Conversion::Bool};
constexpr SettingRow kTriggerIntervalEnable{kProgramType, 0, 4, Conversion::Bool};
constexpr SettingRow kTriggerYInterval{kProgramType, 0, 5, Conversion::Int};
constexpr SettingRow kEncoderMode{kProgramType, 0, 7, Conversion::UByte};
constexpr SettingRow kEncoderIntervalEnable{kProgramType, 0, 8, Conversion::Bool};
constexpr SettingRow kEncoderInterval{kProgramType, 0, 9, Conversion::Int};
constexpr SettingRow kBatchSize{kProgramType, 0, 10, Conversion::Int};
constexpr SettingRow kAsyncFunction{kProgramType, 0, 32, Conversion::UByte};
constexpr SettingRow kEncoderTimeout{kProgramType, 0, 33, Conversion::Int, WriteRule::OneSentAsTwo};

// Imaging (category 1).
constexpr SettingRow kZRange{kProgramType, 1, 3, Conversion::SByte};
constexpr SettingRow kHdrRange{kProgramType, 1, 5, Conversion::SByte};
constexpr SettingRow kExposureIndex{kProgramType, 1, 6, Conversion::Int};
constexpr SettingRow kImagingMode{kProgramType, 1, 9, Conversion::Byte};
constexpr SettingRow kLaserPowerControl{kProgramType, 1, 11, Conversion::SByte};
constexpr SettingRow kLaserPowerLower{kProgramType, 1, 13, Conversion::U16, WriteRule::AsIs, true};
constexpr SettingRow kLaserPowerUpper{kProgramType, 1, 12, Conversion::U16, WriteRule::AsIs, true};
constexpr SettingRow kLaserPowerLock{kProgramType, 1, 34, Conversion::U16, WriteRule::AsIs, true};
constexpr SettingRow kSetting_1_15{kProgramType, 1, 15, Conversion::SByte};
constexpr SettingRow kAutoCompleteNum{kProgramType, 1, 16, Conversion::Byte};
constexpr SettingRow kPeakSelection{kProgramType, 1, 17, Conversion::SByte};
constexpr SettingRow kHaloFilter{kProgramType, 1, 20, Conversion::Byte};
constexpr SettingRow kCmosGain{kProgramType, 1, 32, Conversion::SByte};
constexpr SettingRow kExposureTime{kProgramType, 1, 33, Conversion::Int};
constexpr SettingRow kExposureMinimum{kProgramType, 1, 36, Conversion::U16, WriteRule::AsIs, true};
constexpr SettingRow kExposureMaximum{kProgramType, 1, 35, Conversion::U16, WriteRule::AsIs, true};
constexpr SettingRow kExposureLimitTime{kProgramType, 1, 33, Conversion::U16, WriteRule::AsIs, true};
constexpr SettingRow kTransparency{kProgramType, 1, 38, Conversion::Byte};
constexpr SettingRow kGrayFrame{kProgramType, 1, 40, Conversion::Int};
constexpr SettingRow kHdrEnable{kProgramType, 1, 41, Conversion::Byte};
constexpr SettingRow kHdrFrameExposure0{kProgramType, 1, 43, Conversion::Int};  // item 43 + frame

// Profile processing (category 2).
constexpr SettingRow kInvalidDataProcess{kProgramType, 2, 5, Conversion::SByte};
constexpr SettingRow kFlipLeftRight{kProgramType, 2, 6, Conversion::Bool};
constexpr SettingRow kFlipTopBottom{kProgramType, 2, 7, Conversion::Bool};
constexpr SettingRow kFilterXMedian{kProgramType, 2, 10, Conversion::U16};
constexpr SettingRow kFilterXAverage{kProgramType, 2, 11, Conversion::U16};
constexpr SettingRow kFilterYMedian{kProgramType, 2, 12, Conversion::U16};
constexpr SettingRow kFilterYAverage{kProgramType, 2, 13, Conversion::U16};
constexpr SettingRow kInvalidPointRepair{kProgramType, 2, 14, Conversion::Int};  // two bytes

// Common terminal and encoder settings.
constexpr SettingRow kCommonItem7{kCommonType, 0, 7, Conversion::Int, WriteRule::ZeroSentAsOne};
constexpr SettingRow kCommonItem8{kCommonType, 0, 8, Conversion::Int, WriteRule::ZeroSentAsOne};
constexpr SettingRow kBatchModel{kCommonType, 0, 11, Conversion::Bool};
constexpr SettingRow kCommonItem32{kCommonType, 0, 32, Conversion::Int};

// Network address: item 4 address, 5 mask, 6 gateway, 7 apply.
constexpr uint8_t kNetAddressItem = 4;
constexpr uint8_t kNetApplyItem = 7;

// The 32-bit value of a window's value.
inline uint32_t toWire(Conversion conversion, int64_t value) {
    switch (conversion) {
        case Conversion::Int: return static_cast<uint32_t>(value);
        case Conversion::Byte:
        case Conversion::UByte:
        case Conversion::SByte: return static_cast<uint32_t>(value) & 0xFFu;
        case Conversion::U16: return static_cast<uint32_t>(value) & 0xFFFFu;
        case Conversion::Bool: return value != 0 ? 1u : 0u;
    }
    return 0;
}

// A window's value of the 32-bit value.
inline int64_t fromWire(Conversion conversion, uint32_t wire) {
    switch (conversion) {
        case Conversion::Int: return static_cast<int32_t>(wire);
        case Conversion::Byte:
        case Conversion::UByte: return wire & 0xFFu;
        case Conversion::SByte: return static_cast<int8_t>(wire & 0xFFu);
        case Conversion::U16: return wire & 0xFFFFu;
        case Conversion::Bool: return (wire & 0xFFu) == 1u ? 1 : 0;
    }
    return 0;
}

inline int64_t applyWriteRule(WriteRule rule, int64_t value) {
    if (rule == WriteRule::OneSentAsTwo && value == 1) return 2;
    if (rule == WriteRule::ZeroSentAsOne && value == 0) return 1;
    return value;
}

}  // namespace client_settings
