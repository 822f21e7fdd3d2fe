// Write side of the setting dispatch: one table per type or category, and the
// compound settings that keep dependent registers consistent.
#include "sensor_interface/settings/setting_dispatcher.h"
#include "sensor_interface/settings/setting_dispatcher_bytes.h"
#include "sensor_interface/settings/register_decimal.h"
#include "sensor_interface/settings/setting_dispatcher_rules.h"

using setting_bytes::hostFloat;
using setting_bytes::hostU32;
using setting_bytes::putHostU32;

namespace {

constexpr int kApplyNetworkWaitMs = 500;
constexpr int kSlowWriteWaitMs = 10;
constexpr uint32_t kNewHeadModelWord = 0x702F;

// A setting that is one register write of the caller's value.
struct PlainWrite {
    uint8_t item;
    uint16_t reg;
    bool exactSize;  // the size must be 4, else at least 4
    bool back;       // the written value is stored back into the caller's data
};

constexpr PlainWrite kCommonWrites[] = {
    {8, 205, false, false}, {11, 233, false, false}, {12, 159, false, false},
    {33, 792, false, false}, {34, 790, false, false},
};

constexpr PlainWrite kTriggerWrites[] = {
    {4, 283, false, true}, {5, 284, false, true},  {9, 176, false, true},
    {11, 233, false, true}, {33, 309, false, true}, {36, 722, false, true},
    {37, 159, false, true}, {38, 790, false, true},
};

// Imaging items without a size rule take the value 0 unless the size is 4.
constexpr PlainWrite kImagingWrites[] = {
    {16, 183, true, false}, {17, 431, false, false}, {18, 401, false, false},
    {19, 400, false, false}, {32, 161, false, false}, {35, 211, false, false},
    {36, 212, false, false}, {37, 199, false, false}, {38, 800, false, false},
    {40, 266, false, false}, {42, 474, false, false},
};

constexpr PlainWrite kProcessingWrites[] = {
    {2, 285, true, false},   {5, 185, true, false},   {10, 472, true, false},
    {11, 473, true, false},  {12, 470, true, false},  {13, 471, true, false},
    {17, 285, false, false}, {20, 805, false, false},
};

template <size_t N>
const PlainWrite* findWrite(const PlainWrite (&table)[N], uint8_t item) {
    for (const PlainWrite& entry : table) {
        if (entry.item == item) return &entry;
    }
    return nullptr;
}

uint32_t signExtendedByte(uint8_t byte) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(byte)));
}

}  // namespace

int SettingDispatcher::setSetting(int depth, HVQ5_SETTING_ADDRESS address, void* data, int size) {
    stopRunningMeasurement();
    if (depth == SETTING_DEPTH_PROGRAM) {
        const int program = (address.type - SETTING_TYPE_PROGRAM_FIRST) & 0xFF;
        if (program > 15) return HVQ5_RC_BAD_ARGUMENT;
        const int status = transport_.selectProgram(program);
        if (status != HVQ5_RC_OK) return status;
        return transport_.saveSettings();
    }
    if (depth != SETTING_DEPTH_RUNNING || data == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    uint8_t* bytes = static_cast<uint8_t*>(data);
    if (address.type == SETTING_TYPE_NETWORK || address.type == SETTING_TYPE_COMMON) {
        if (size < 4) return HVQ5_RC_BAD_ARGUMENT;
        return address.type == SETTING_TYPE_NETWORK ? writeNetwork(address.item, bytes)
                                                    : writeCommon(address.item, bytes);
    }
    if (!isProgramSettingType(address.type)) return HVQ5_RC_BAD_ARGUMENT;
    switch (address.category) {
    case SETTING_CATEGORY_TRIGGER: return writeTrigger(address.item, bytes, size);
    case SETTING_CATEGORY_IMAGING: return writeImaging(address.item, bytes, size);
    case SETTING_CATEGORY_PROCESSING: return writeProcessing(address.item, bytes, size);
    default: return HVQ5_RC_BAD_ARGUMENT;
    }
}

void SettingDispatcher::stopRunningMeasurement() {
    if (!transport_.takeMeasurementStarted()) return;
    // Give the sensor a moment before the stop, as the measurement exports do.
    clock_.sleepMs(20);
    write(142, 1);
}

int SettingDispatcher::writeNetwork(uint8_t item, const uint8_t* data) {
    uint32_t reg = 0;
    switch (item) {
    case 4: reg = 167; break;
    case 5: reg = 169; break;
    case 6: reg = 168; break;
    case 7: return write(170, 1, kApplyNetworkWaitMs);
    default: return HVQ5_RC_BAD_ARGUMENT;
    }
    const uint32_t address = (static_cast<uint32_t>(data[0]) << 24) | (data[1] << 16) |
                             (data[2] << 8) | data[3];
    const int status = write(reg, address);
    if (status != HVQ5_RC_OK) return status;
    return write(170, 1, kApplyNetworkWaitMs);
}

int SettingDispatcher::writeCommon(uint8_t item, const uint8_t* data) {
    const uint32_t v = hostU32(data);
    switch (item) {
    case 7: return write(146, v / 20u < 1u ? 1u : v / 20u);
    case 32: return write(310, v * 1000u);
    default: break;
    }
    const PlainWrite* entry = findWrite(kCommonWrites, item);
    return entry == nullptr ? HVQ5_RC_BAD_ARGUMENT : write(entry->reg, v);
}

int SettingDispatcher::writeTrigger(uint8_t item, uint8_t* data, int size) {
    if (size < 4) return HVQ5_RC_BAD_ARGUMENT;
    const uint32_t v = hostU32(data);
    const auto writeBack = [&](uint32_t reg, uint32_t value) {
        const int status = write(reg, value);
        if (status == HVQ5_RC_OK) putHostU32(data, value);
        return status;
    };
    switch (item) {
    case 1:
        if (size != 4) return HVQ5_RC_BAD_ARGUMENT;
        return write(143, v > 2u ? 2u : (v == 1u ? 0u : v));
    case 2: return setLineRate(v, size);
    case 3:
        if (size != 4) return HVQ5_RC_BAD_ARGUMENT;
        return setBatchMode(data, size);
    case 7: return writeBack(145, v < 3u ? v : 3u);
    case 8: return writeBack(282, v != 0 ? 1u : 0u);
    case 10:
        if (size != 4 || v > 60000u) return HVQ5_RC_BAD_ARGUMENT;
        return write(138, v);
    case 32: {
        const uint32_t mode = v <= 5u ? v : 0u;
        write(206, mode);  // the period write below reports the outcome
        const int status = applyPeriod(static_cast<int>(mode));
        if (status == HVQ5_RC_OK) putHostU32(data, mode);
        return status;
    }
    case 34: {
        const int maxHz = transport_.maxLineRateHz();
        if (v > static_cast<uint32_t>(maxHz < 0 ? 0 : maxHz)) return HVQ5_RC_BAD_ARGUMENT;
        int status = write(768, setting_rules::periodFromRate(v));
        if (status != HVQ5_RC_OK) return status;
        if (transport_.cachedRegister(767) != 0) {
            status = setLineRate(v, size);
            if (status == HVQ5_RC_OK) putHostU32(data, v);
            return status;
        }
        putHostU32(data, v);
        return HVQ5_RC_OK;
    }
    case 35: {
        int status = write(767, v);
        if (status != HVQ5_RC_OK) return status;
        const uint32_t rate = v != 0 ? setting_rules::rateFromPeriod(transport_.cachedRegister(768))
                                     : static_cast<uint32_t>(transport_.maxLineRateHz());
        status = setLineRate(rate, size);
        if (status == HVQ5_RC_OK) putHostU32(data, v);
        return status;
    }
    default: break;
    }
    const PlainWrite* entry = findWrite(kTriggerWrites, item);
    if (entry == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    return writeBack(entry->reg, v);
}

int SettingDispatcher::setLineRate(uint32_t rateHz, int size) {
    if (size != 4) return HVQ5_RC_BAD_ARGUMENT;
    uint32_t period = setting_rules::periodFromRate(rateHz);
    if ((transport_.cachedRegister(166) & 0xFFFF) >= kNewHeadModelWord &&
        transport_.cachedRegister(842) != 0) {
        period = transport_.cachedRegister(875);
    }
    const int status = write(144, period);
    if (status != HVQ5_RC_OK) return status;
    return writePeriodForAsyncMode();
}

int SettingDispatcher::writePeriodForAsyncMode() {
    uint32_t mode = 0;
    const int status = read(206, mode);
    if (status != HVQ5_RC_OK) return status;
    return applyPeriod(static_cast<int>(mode));
}

int SettingDispatcher::applyPeriod(int mode) {
    if (mode != 2) return write(260, 0);
    const int maxHz = transport_.maxLineRateHz();
    // No line fits into a second: keep the old period rather than divide by zero.
    if (maxHz <= 0) return HVQ5_RC_BAD_ARGUMENT;
    return write(260, static_cast<uint32_t>(1000000 / maxHz));
}

int SettingDispatcher::applyLineRate(int maxHz) {
    if ((transport_.cachedRegister(166) & 0xFFFF) >= kNewHeadModelWord &&
        transport_.cachedRegister(842) != 0) {
        return write(144, transport_.cachedRegister(875));
    }
    if (maxHz <= 0) return HVQ5_RC_BAD_ARGUMENT;
    const uint32_t period = static_cast<uint32_t>(1000000 / maxHz);
    if (transport_.cachedRegister(768) < period) write(768, period);  // best effort
    const uint32_t userPeriod = transport_.cachedRegister(768);
    return write(144, transport_.cachedRegister(767) != 0 ? userPeriod : period);
}

int SettingDispatcher::setBatchMode(const uint8_t* data, int size) {
    if (data == nullptr || size < 1) return HVQ5_RC_BAD_ARGUMENT;
    uint32_t lines = 0;
    int status = read(159, lines);
    if (status != HVQ5_RC_OK) return status;
    const uint32_t atLeastOne = lines < 1u ? 1u : lines;
    if (data[0] == 1) {
        const struct { uint32_t reg; uint32_t value; int waitMs; } steps[] = {
            {208, 0, 2}, {149, 1, kSlowWriteWaitMs}, {159, atLeastOne, kSlowWriteWaitMs},
            {194, 1, kSlowWriteWaitMs}};
        for (const auto& step : steps) {
            status = write(step.reg, step.value, step.waitMs);
            if (status != HVQ5_RC_OK) return status;
        }
        return status;
    }
    const struct { uint32_t reg; uint32_t value; int waitMs; } steps[] = {
        {149, 0, kSlowWriteWaitMs}, {208, 1, 2}, {159, atLeastOne, kSlowWriteWaitMs}};
    for (const auto& step : steps) {
        status = write(step.reg, step.value, step.waitMs);
        if (status != HVQ5_RC_OK) return status;
    }
    return status;
}

int SettingDispatcher::writeImaging(uint8_t item, uint8_t* data, int size) {
    const bool exact = size == 4;
    const uint32_t v = exact ? hostU32(data) : 0u;
    switch (item) {
    case 3: {
        if (!exact) return HVQ5_RC_BAD_ARGUMENT;
        // Taken as unsigned, so a negative index is refused as well.
        if (v > 3u) return HVQ5_RC_BAD_BLOCK;
        const int status = write(11, static_cast<uint32_t>(transport_.zRangeRows()[v]));
        if (status == HVQ5_RC_OK) applyLineRate(transport_.maxLineRateHz());
        return status;
    }
    case 5: {
        if (!exact) return HVQ5_RC_BAD_ARGUMENT;
        const int status = write(288, signExtendedByte(data[0]));
        if (status != HVQ5_RC_OK) return status;
        applyLineRate(transport_.maxLineRateHz());
        return HVQ5_RC_OK;
    }
    case 6: {
        const int status = write(286, v);
        if (status != HVQ5_RC_OK) return status;
        if (v < setting_rules::kExposureTimesUs.size()) {
            return setExposureTime(setting_rules::kExposureTimesUs[v], size);
        }
        return HVQ5_RC_OK;
    }
    case 7:
        if (!exact) return HVQ5_RC_BAD_ARGUMENT;
        return setMultiFrame(data);
    case 9: {
        if (v > 3u) return HVQ5_RC_BAD_ARGUMENT;
        const int status = write(238, v);
        applyLineRate(transport_.maxLineRateHz());
        return status;
    }
    case 10:
    case 34: return HVQ5_RC_OK;
    case 11: return setLaserPowerControl(data[0]);
    case 12: return write(175, setting_rules::lightRawFromPercent(hostU32(data), transport_.lightScale()));
    case 13: return write(174, setting_rules::lightRawFromPercent(hostU32(data), transport_.lightScale()));
    case 14: {
        if (!exact) return HVQ5_RC_BAD_ARGUMENT;
        const int status = write(223, v & 0xFFFF);
        if (status != HVQ5_RC_OK) return status;
        return write(224, setting_rules::rowWindowHeight(v));
    }
    case 15:
        if (!exact || data[0] >= setting_rules::kRegister150Values.size()) {
            return HVQ5_RC_BAD_ARGUMENT;
        }
        return write(150, setting_rules::kRegister150Values[data[0]]);
    case 20: {
        const int status = write(425, v != 0 ? 1u : 0u);
        if (status != HVQ5_RC_OK) return status;
        return write(801, v == 4 ? 15u : v);
    }
    case 21: return setHaloParameter(430, 756, v);
    case 22: return setHaloParameter(427, 757, v);
    case 23:
        return setHaloParameter(
            426, 758, static_cast<uint32_t>(mirevo::settings::register_from_decimal(hostFloat(data), 256.0)));
    case 33: return setExposureTime(v, size);
    case 41:
    case 43:
    case 44:
    case 45: {
        const uint32_t reg = item == 41 ? 221u : 261u + (item - 43u);
        const int status = write(reg, v);
        applyLineRate(transport_.maxLineRateHz());
        return status;
    }
    case 48:
        if (size != setting_bytes::kSegmentRecordSize) return HVQ5_RC_BAD_ARGUMENT;
        return setSegment(data);
    default: break;
    }
    const PlainWrite* entry = findWrite(kImagingWrites, item);
    if (entry == nullptr || (entry->exactSize && !exact)) return HVQ5_RC_BAD_ARGUMENT;
    return write(entry->reg, v);
}

int SettingDispatcher::setExposureTime(uint32_t exposureUs, int size) {
    if (size != 4) return HVQ5_RC_BAD_ARGUMENT;
    int status = write(162, exposureUs);
    if (status != HVQ5_RC_OK) return status;
    uint32_t frames = 0;
    status = read(289, frames);  // the sensor settles its frame mode with this read
    if (status != HVQ5_RC_OK) return status;
    applyLineRate(transport_.maxLineRateHz());
    return writePeriodForAsyncMode();
}

int SettingDispatcher::setMultiFrame(const uint8_t* data) {
    uint32_t frames = 0;
    int status = read(238, frames);
    if (status != HVQ5_RC_OK) return status;
    const int8_t mode = static_cast<int8_t>(data[0]);
    if (mode == 2) return HVQ5_RC_BAD_ARGUMENT;
    struct Step { uint32_t reg; uint32_t value; };
    Step steps[3];
    if (mode == 1) {
        uint32_t batchMode = 0;
        status = read(149, batchMode);
        if (status != HVQ5_RC_OK) return status;
        steps[0] = {238, frames != 0 ? frames : 1u};
        steps[1] = {221, batchMode != 0 ? 1u : 3u};
        steps[2] = {289, 1};
    } else {
        steps[0] = {238, 1};
        steps[1] = {221, 0};
        steps[2] = {289, static_cast<uint32_t>(static_cast<int32_t>(mode))};
    }
    for (const Step& step : steps) {
        status = write(step.reg, step.value);
        if (status != HVQ5_RC_OK) return status;
    }
    return status;
}

int SettingDispatcher::setLaserPowerControl(uint8_t mode) {
    struct Step { uint32_t reg; uint32_t value; };
    const auto run = [this](const Step* steps, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            const int status = write(steps[i].reg, steps[i].value);
            if (status != HVQ5_RC_OK) return status;
        }
        return HVQ5_RC_OK;
    };
    int status = HVQ5_RC_OK;
    if (mode != 2) {
        const Step limits[] = {{153, 180}, {155, 30}};
        status = run(limits, 2);
        if (status != HVQ5_RC_OK) return status;
    }
    if (mode == 1) {
        const Step steps[] = {{156, 1}, {290, 1}};
        return run(steps, 2);
    }
    if (mode == 2) {
        status = write(156, 0);
        if (status != HVQ5_RC_OK) return status;
        uint32_t exposure = 0;
        status = read(162, exposure);
        if (status != HVQ5_RC_OK) return status;
        status = setExposureTime(exposure, 4);
        if (status != HVQ5_RC_OK) return status;
        uint32_t power = 0;
        status = read(158, power);  // refreshes the cached laser power
        if (status != HVQ5_RC_OK) return status;
        return write(290, 2);
    }
    const Step steps[] = {{156, 1}, {174, 10}, {175, 0xFFFE}, {212, 2},
                          {211, 2000}, {213, 0}, {214, 3}, {290, 0}};
    return run(steps, sizeof steps / sizeof steps[0]);
}

int SettingDispatcher::setHaloParameter(uint32_t reg, uint32_t mirrorReg, uint32_t value) {
    if (transport_.cachedRegister(801) != 15) return HVQ5_RC_NOT_ALLOWED;
    const int status = write(reg, value);
    if (status != HVQ5_RC_OK) return status;
    return write(mirrorReg, value);
}

int SettingDispatcher::setSegment(const uint8_t* data) {
    using namespace setting_bytes;
    const uint32_t segment = le32(data + kSegmentNumberOffset);
    const uint32_t upper = le32(data + kSegmentGrayUpperOffset);
    const uint32_t lower = le32(data + kSegmentGrayLowerOffset);
    const uint32_t peakMode = le32(data + kSegmentPeakModeOffset);
    if (segment < 1 || segment > 5 || upper > 254 || lower > 254 || peakMode > 7) {
        return HVQ5_RC_BAD_ARGUMENT;
    }
    const uint32_t base = 530u + 10u * segment;
    const struct { uint32_t reg; uint32_t value; } steps[] = {
        {530, data[kSegmentOnOffset]},
        {base + 1, upper},
        {base + 2, lower},
        {base, le32(data + kSegmentLineCountOffset)},
        {base + 3, peakMode}};
    for (const auto& step : steps) {
        const int status = write(step.reg, step.value);
        if (status != HVQ5_RC_OK) return status;
    }
    return HVQ5_RC_OK;
}

int SettingDispatcher::writeProcessing(uint8_t item, uint8_t* data, int size) {
    if (size < 4) return HVQ5_RC_BAD_ARGUMENT;
    const bool exact = size == 4;
    const uint32_t v = hostU32(data);
    switch (item) {
    case 6:
    case 7:
        if (!exact) return HVQ5_RC_BAD_ARGUMENT;
        return setMirrorBit(item == 6 ? 1u : 2u, data[0] == 1);
    case 14: {
        if (!exact) return HVQ5_RC_BAD_ARGUMENT;
        const int status = write(190, signExtendedByte(data[0]));
        if (status != HVQ5_RC_OK) return status;
        return write(191, signExtendedByte(data[1]));
    }
    case 15: return write(324, v != 0 ? 1u : 0u);
    case 16: return write(330, v != 0 ? 1u : 0u);
    case 18:
        if (v > 3u) return HVQ5_RC_BAD_ARGUMENT;
        return write(354, v);
    case 19:
        if (!exact) return HVQ5_RC_BAD_ARGUMENT;
        return write(804, static_cast<uint32_t>(mirevo::settings::register_from_decimal(hostFloat(data), 16.0)));
    default: break;
    }
    const PlainWrite* entry = findWrite(kProcessingWrites, item);
    if (entry == nullptr || (entry->exactSize && !exact)) return HVQ5_RC_BAD_ARGUMENT;
    return write(entry->reg, v);
}

int SettingDispatcher::setMirrorBit(uint32_t bit, bool on) {
    uint32_t word = 0;
    const int status = read(291, word);
    if (status != HVQ5_RC_OK) return status;
    // Off keeps only the other mirror bit.
    const uint32_t otherBit = bit == 1u ? 2u : 1u;
    return write(291, on ? (word | bit) : (word & otherBit));
}

int SettingDispatcher::write(uint32_t reg, uint32_t value, int waitMs) {
    return transport_.writeRegister(reg, value, waitMs);
}
