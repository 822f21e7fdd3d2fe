// Read side of the setting dispatch: one table per type or category.
#include <cstring>

#include "sensor_interface/settings/setting_dispatcher.h"
#include "sensor_interface/settings/setting_dispatcher_bytes.h"
#include "sensor_interface/settings/setting_dispatcher_rules.h"

namespace {

enum class SizeRule { Min4, Exact4, None };

// Value: written only when the read succeeds. Always: written in every case,
// from a cleared value when the read fails.
enum class Output { Value, Always };

// How the register value becomes the caller's bytes.
enum class Form {
    Int,          // int32
    IpAddress,    // four bytes, most significant first
    Times20,      // int32 value x 20
    Div1000,      // int32 value / 1000
    Rate,         // int32 line rate from a line period
    LowByte,      // one byte
    Bit,          // one byte: 1 when the bit is set
    Register150,  // one byte: index in the register-150 table, else the low byte
    ZRange,       // int32 index in the z-range row table, else the rows
    HaloFilter,   // int32: 4 when the value is 15
    Float256,     // float value / 256
    Float16,      // float value / 16
    Percent,      // int32 light level in percent
};

struct RegisterRead {
    uint8_t item;
    uint16_t reg;
    SizeRule size;
    Output output;
    Form form;
    uint32_t bit;
};

constexpr RegisterRead kNetworkReads[] = {
    {4, 167, SizeRule::Min4, Output::Always, Form::IpAddress, 0},
    {5, 169, SizeRule::Min4, Output::Always, Form::IpAddress, 0},
    {6, 168, SizeRule::Min4, Output::Always, Form::IpAddress, 0},
};

constexpr RegisterRead kCommonReads[] = {
    {7, 146, SizeRule::Min4, Output::Value, Form::Times20, 0},
    {8, 205, SizeRule::Min4, Output::Value, Form::Int, 0},
    {11, 233, SizeRule::Min4, Output::Value, Form::Int, 0},
    {12, 159, SizeRule::Min4, Output::Value, Form::Int, 0},
    {32, 310, SizeRule::Min4, Output::Value, Form::Div1000, 0},
    {33, 792, SizeRule::Min4, Output::Value, Form::Int, 0},
    {34, 790, SizeRule::Min4, Output::Value, Form::Int, 0},
};

constexpr RegisterRead kTriggerReads[] = {
    {1, 143, SizeRule::Min4, Output::Value, Form::Int, 0},
    {2, 144, SizeRule::Exact4, Output::Always, Form::Rate, 0},
    {3, 149, SizeRule::Min4, Output::Value, Form::Int, 0},
    {4, 283, SizeRule::Min4, Output::Value, Form::Int, 0},
    {5, 284, SizeRule::Min4, Output::Value, Form::Int, 0},
    {7, 145, SizeRule::Min4, Output::Value, Form::Int, 0},
    {8, 282, SizeRule::Min4, Output::Value, Form::Int, 0},
    {9, 176, SizeRule::Min4, Output::Value, Form::Int, 0},
    {10, 138, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {11, 233, SizeRule::Min4, Output::Value, Form::Int, 0},
    {32, 206, SizeRule::Min4, Output::Value, Form::Int, 0},
    {33, 309, SizeRule::Min4, Output::Value, Form::Int, 0},
    {34, 768, SizeRule::Min4, Output::Value, Form::Rate, 0},
    {35, 767, SizeRule::Min4, Output::Value, Form::Int, 0},
    {36, 722, SizeRule::Min4, Output::Value, Form::Int, 0},
    {37, 159, SizeRule::Min4, Output::Value, Form::Int, 0},
    {38, 790, SizeRule::Min4, Output::Value, Form::Int, 0},
};

constexpr RegisterRead kImagingReads[] = {
    {3, 11, SizeRule::Exact4, Output::Always, Form::ZRange, 0},
    {5, 288, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {6, 286, SizeRule::Min4, Output::Value, Form::Int, 0},
    {7, 289, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {9, 238, SizeRule::Min4, Output::Value, Form::Int, 0},
    {11, 290, SizeRule::Min4, Output::Always, Form::LowByte, 0},
    {12, 175, SizeRule::None, Output::Value, Form::Percent, 0},
    {13, 174, SizeRule::None, Output::Value, Form::Percent, 0},
    {15, 150, SizeRule::Exact4, Output::Value, Form::Register150, 0},
    {16, 183, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {17, 431, SizeRule::Min4, Output::Value, Form::Int, 0},
    {18, 401, SizeRule::Min4, Output::Value, Form::Int, 0},
    {19, 400, SizeRule::Min4, Output::Value, Form::Int, 0},
    {20, 801, SizeRule::Min4, Output::Always, Form::HaloFilter, 0},
    {21, 430, SizeRule::Min4, Output::Always, Form::Int, 0},
    {22, 427, SizeRule::Min4, Output::Always, Form::Int, 0},
    {23, 426, SizeRule::Min4, Output::Always, Form::Float256, 0},
    {32, 161, SizeRule::Min4, Output::Value, Form::Int, 0},
    {33, 162, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {34, 158, SizeRule::Min4, Output::Always, Form::Percent, 0},
    {35, 211, SizeRule::Min4, Output::Always, Form::Int, 0},
    {36, 212, SizeRule::Min4, Output::Always, Form::Int, 0},
    {37, 199, SizeRule::Min4, Output::Always, Form::Int, 0},
    {38, 800, SizeRule::Min4, Output::Always, Form::Int, 0},
    {40, 266, SizeRule::Min4, Output::Always, Form::Int, 0},
    {41, 221, SizeRule::Min4, Output::Always, Form::Int, 0},
    {42, 474, SizeRule::Min4, Output::Always, Form::Int, 0},
    {43, 261, SizeRule::Min4, Output::Always, Form::Int, 0},
    {44, 262, SizeRule::Min4, Output::Always, Form::Int, 0},
    {45, 263, SizeRule::Min4, Output::Always, Form::Int, 0},
};

constexpr RegisterRead kProcessingReads[] = {
    {2, 285, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {5, 185, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {6, 291, SizeRule::Exact4, Output::Always, Form::Bit, 1},
    {7, 291, SizeRule::Exact4, Output::Always, Form::Bit, 2},
    {10, 472, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {11, 473, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {12, 470, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {13, 471, SizeRule::Exact4, Output::Value, Form::Int, 0},
    {15, 324, SizeRule::Min4, Output::Value, Form::Int, 0},
    {16, 330, SizeRule::Min4, Output::Value, Form::Int, 0},
    {17, 285, SizeRule::Min4, Output::Value, Form::Int, 0},
    {18, 354, SizeRule::Min4, Output::Value, Form::Int, 0},
    {19, 804, SizeRule::Exact4, Output::Value, Form::Float16, 0},
    {20, 805, SizeRule::Min4, Output::Value, Form::Int, 0},
};

template <size_t N>
const RegisterRead* findRead(const RegisterRead (&table)[N], uint8_t item) {
    for (const RegisterRead& entry : table) {
        if (entry.item == item) return &entry;
    }
    return nullptr;
}

bool sizeFits(SizeRule rule, int size) {
    switch (rule) {
    case SizeRule::Min4: return size >= 4;
    case SizeRule::Exact4: return size == 4;
    case SizeRule::None: return true;
    }
    return false;
}

using setting_bytes::putHostFloat;
using setting_bytes::putHostU32;

}  // namespace

int SettingDispatcher::getSetting(int depth, HVQ5_SETTING_ADDRESS address, void* data, int size) {
    if (depth != SETTING_DEPTH_RUNNING || data == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    uint8_t* bytes = static_cast<uint8_t*>(data);
    if (address.type == SETTING_TYPE_NETWORK) return readNetwork(address.item, bytes, size);
    if (address.type == SETTING_TYPE_COMMON) return readCommon(address.item, bytes, size);
    if (!isProgramSettingType(address.type)) return HVQ5_RC_BAD_ARGUMENT;
    switch (address.category) {
    case SETTING_CATEGORY_TRIGGER: return readTrigger(address.item, bytes, size);
    case SETTING_CATEGORY_IMAGING: return readImaging(address.item, bytes, size);
    case SETTING_CATEGORY_PROCESSING: return readProcessing(address.item, bytes, size);
    default: return HVQ5_RC_BAD_ARGUMENT;
    }
}

namespace {

// Runs one table entry: the size check, the read and the caller's bytes.
class TableRead {
public:
    TableRead(SettingTransport& transport) : transport_(transport) {}

    int run(const RegisterRead* entry, uint8_t* data, int size) {
        if (entry == nullptr || !sizeFits(entry->size, size)) return HVQ5_RC_BAD_ARGUMENT;
        uint32_t value = 0;
        const int status = transport_.readRegister(entry->reg, value, 10);
        if (status != HVQ5_RC_OK) {
            if (entry->output == Output::Value) return status;
            value = 0;
        }
        emit(*entry, value, data);
        return status;
    }

private:
    void emit(const RegisterRead& entry, uint32_t value, uint8_t* data) {
        switch (entry.form) {
        case Form::Int: putHostU32(data, value); break;
        case Form::IpAddress:
            for (int i = 0; i < 4; ++i) data[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
            break;
        case Form::Times20: putHostU32(data, value * 20u); break;
        case Form::Div1000: putHostU32(data, value / 1000u); break;
        case Form::Rate: putHostU32(data, setting_rules::rateFromPeriod(value)); break;
        case Form::LowByte: data[0] = static_cast<uint8_t>(value & 0xFF); break;
        case Form::Bit: data[0] = (value & entry.bit) != 0 ? 1 : 0; break;
        case Form::Register150: data[0] = setting_rules::register150Index(value); break;
        case Form::ZRange:
            putHostU32(data, setting_rules::zRangeIndex(value, transport_.zRangeRows()));
            break;
        case Form::HaloFilter: putHostU32(data, value == 15 ? 4u : value); break;
        case Form::Float256: putHostFloat(data, static_cast<float>(value) * (1.0f / 256.0f)); break;
        case Form::Float16: putHostFloat(data, static_cast<float>(value) / 16.0f); break;
        case Form::Percent:
            putHostU32(data, static_cast<uint32_t>(
                             setting_rules::lightPercentFromRaw(value, transport_.lightScale())));
            break;
        }
    }

    SettingTransport& transport_;
};

}  // namespace

int SettingDispatcher::readNetwork(uint8_t item, uint8_t* data, int size) {
    return TableRead(transport_).run(findRead(kNetworkReads, item), data, size);
}

int SettingDispatcher::readCommon(uint8_t item, uint8_t* data, int size) {
    return TableRead(transport_).run(findRead(kCommonReads, item), data, size);
}

int SettingDispatcher::readTrigger(uint8_t item, uint8_t* data, int size) {
    if (item == 255) {
        if (size < 4) return HVQ5_RC_BAD_ARGUMENT;
        putHostU32(data, static_cast<uint32_t>(transport_.maxLineRateHz()));
        return HVQ5_RC_OK;
    }
    return TableRead(transport_).run(findRead(kTriggerReads, item), data, size);
}

int SettingDispatcher::readImaging(uint8_t item, uint8_t* data, int size) {
    switch (item) {
    case 10: return size >= 4 ? HVQ5_RC_OK : HVQ5_RC_BAD_ARGUMENT;
    case 14: {
        if (size != 4) return HVQ5_RC_BAD_ARGUMENT;
        uint32_t first = 0;
        uint32_t last = 0;
        int status = read(223, first);
        if (status == HVQ5_RC_OK) status = read(224, last);
        if (status == HVQ5_RC_OK) putHostU32(data, ((last & 0xFFFF) << 16) | (first & 0xFFFF));
        return status;
    }
    case 48:
        if (size != setting_bytes::kSegmentRecordSize) return HVQ5_RC_BAD_ARGUMENT;
        return readSegment(data);
    default: return TableRead(transport_).run(findRead(kImagingReads, item), data, size);
    }
}

int SettingDispatcher::readProcessing(uint8_t item, uint8_t* data, int size) {
    if (item != 14) return TableRead(transport_).run(findRead(kProcessingReads, item), data, size);
    if (size != 4) return HVQ5_RC_BAD_ARGUMENT;
    uint32_t value = 0;
    int status = read(190, value);
    if (status != HVQ5_RC_OK) return status;
    data[0] = static_cast<uint8_t>(value & 0xFF);
    status = read(191, value);
    if (status == HVQ5_RC_OK) data[1] = static_cast<uint8_t>(value & 0xFF);
    return status;
}

int SettingDispatcher::readSegment(uint8_t* data) {
    const uint32_t segment = setting_bytes::le32(data + setting_bytes::kSegmentNumberOffset);
    if (segment < 1 || segment > 5) return HVQ5_RC_BAD_ARGUMENT;
    const uint32_t base = 530u + 10u * segment;
    uint32_t value = 0;
    int status = read(530, value);
    if (status != HVQ5_RC_OK) return status;
    data[setting_bytes::kSegmentOnOffset] = value != 0 ? 1 : 0;
    // Read in the sensor's order: upper, lower, line count, peak mode.
    const struct { uint32_t reg; int offset; } fields[] = {
        {base + 1, setting_bytes::kSegmentGrayUpperOffset},
        {base + 2, setting_bytes::kSegmentGrayLowerOffset},
        {base, setting_bytes::kSegmentLineCountOffset},
        {base + 3, setting_bytes::kSegmentPeakModeOffset}};
    for (const auto& field : fields) {
        status = read(field.reg, value);
        if (status != HVQ5_RC_OK) return status;
        setting_bytes::putLe32(data + field.offset, value);
    }
    return HVQ5_RC_OK;
}

int SettingDispatcher::read(uint32_t reg, uint32_t& value) {
    return transport_.readRegister(reg, value, 10);
}
