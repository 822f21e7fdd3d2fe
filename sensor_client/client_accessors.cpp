// The typed setting accessors (one table, one routine) and the client's thin
// pass-throughs to the sensor interface. They run in the caller's thread and
// take no lock of the client.
#include <QOpenGLContext>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sensor_client/client_settings_table.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/settings/register_decimal.h"

using namespace client_settings;

namespace {

constexpr int kBadArgument = 4102;
constexpr int kNotAllowed = 5001;
constexpr int kDepthRunning = 1;

HVQ5_SETTING_ADDRESS addressOf(const LinelaserClient& client, const SettingRow& row, int itemOffset = 0) {
    const int type = row.type == kProgramType ? client.settingType : row.type;
    return makeSettingAddress(type, row.category, row.item + itemOffset);
}

int writeWire(const LinelaserClient& client, const HVQ5_SETTING_ADDRESS& address, uint32_t wire) {
    uint32_t error = 0;  // not looked at
    return HVQ5_SetSetting(client.deviceId, kDepthRunning, address, &wire, 4, &error);
}

int readWire(const LinelaserClient& client, const HVQ5_SETTING_ADDRESS& address, uint32_t* wire) {
    *wire = 0;
    return HVQ5_GetSetting(client.deviceId, kDepthRunning, address, wire, 4);
}

bool writes(const SettingRow& row, int dir) { return row.anyNonZeroDirWrites ? dir != 0 : dir == 1; }

// The one routine of every table row: builds the address, converts, and
// returns the interface's status untouched; a failed read leaves *value alone.
template <typename T>
int settingAccess(const LinelaserClient& client, const SettingRow& row, int dir, T* value, int itemOffset = 0) {
    const HVQ5_SETTING_ADDRESS address = addressOf(client, row, itemOffset);
    if (writes(row, dir)) {
        const int64_t sent = applyWriteRule(row.rule, static_cast<int64_t>(*value));
        return writeWire(client, address, toWire(row.conversion, sent));
    }
    uint32_t wire = 0;
    const int status = readWire(client, address, &wire);
    if (status == 0) *value = static_cast<T>(fromWire(row.conversion, wire));
    return status;
}

}  // namespace

// ---------------------------------------------------------------- trigger and batch

int LinelaserClient::cfgTriggerMethod(int dir, int* value) {
    const int status = settingAccess(*this, kTriggerMethod, dir, value);
    // A read reports only external (1) or continuous (0).
    if (dir != 1 && status == 0) *value = (*value & 0xFF) != 0 ? 1 : 0;
    return status;
}
int LinelaserClient::cfgSamplingFrequency(int dir, int* hz) { return settingAccess(*this, kSamplingFrequency, dir, hz); }
int LinelaserClient::cfgTriggerIntervalEnable(int dir, bool* on) {
    return settingAccess(*this, kTriggerIntervalEnable, dir, on);
}
int LinelaserClient::cfgTriggerYInterval(int dir, double* mm) {
    if (writes(kTriggerYInterval, dir)) {
        int wire = mirevo::settings::register_from_decimal(*mm, 100000.0);
        return settingAccess(*this, kTriggerYInterval, dir, &wire);
    }
    int wire = 0;
    const int status = settingAccess(*this, kTriggerYInterval, dir, &wire);
    if (status == 0) *mm = wire / 100000.0;
    return status;
}
int LinelaserClient::cfgEncoderMode(int dir, int* value) { return settingAccess(*this, kEncoderMode, dir, value); }
int LinelaserClient::cfgEncoderIntervalEnable(int dir, bool* on) {
    return settingAccess(*this, kEncoderIntervalEnable, dir, on);
}
int LinelaserClient::cfgEncoderInterval(int dir, int* count) { return settingAccess(*this, kEncoderInterval, dir, count); }
int LinelaserClient::cfgBatchSize(int dir, int* profiles) { return settingAccess(*this, kBatchSize, dir, profiles); }
int LinelaserClient::cfgAsyncFunction(int dir, int* mode) { return settingAccess(*this, kAsyncFunction, dir, mode); }
int LinelaserClient::cfgEncoderTimeout(int dir, int* value) { return settingAccess(*this, kEncoderTimeout, dir, value); }

int LinelaserClient::cfgBatchEnable(int dir, bool* batch, bool* singleFrame) {
    if (dir == 1) {
        int status = hvq5_memory_operation(deviceId, 1);
        if (status != 0) return status;
        status = settingAccess(*this, kBatchEnable, 1, batch);
        if (status != 0) return status;
        if (!hvq5_is_series3(deviceId)) return 0;
        int mode = 0;
        if (*batch) {
            mode = *singleFrame ? 3 : 2;
        } else {
            uint32_t imageMode = 0;
            status = hvq5_get_cached_register(deviceId, 296, &imageMode);
            if (status != 0) return status;
            mode = imageMode == 0 ? 1 : 0;
        }
        return hvq5_write_register(deviceId, 722, mode);
    }
    *singleFrame = false;
    uint32_t wire = 0;
    int status = readWire(*this, addressOf(*this, kBatchEnable), &wire);
    if (status != 0) return status;
    *batch = (wire & 0xFF) == 1;
    uint32_t singleRegister = 0;
    status = hvq5_get_cached_register(deviceId, 722, &singleRegister);
    if (status != 0) return status;
    *singleFrame = singleRegister == 3;
    return 0;
}

// ---------------------------------------------------------------- imaging

int LinelaserClient::cfgZRange(int dir, int* index) { return settingAccess(*this, kZRange, dir, index); }
int LinelaserClient::cfgHdrRange(int dir, int* index) { return settingAccess(*this, kHdrRange, dir, index); }
int LinelaserClient::cfgExposureIndex(int dir, uint32_t* index) { return settingAccess(*this, kExposureIndex, dir, index); }
int LinelaserClient::cfgImagingMode(int dir, uint8_t* frames) { return settingAccess(*this, kImagingMode, dir, frames); }
int LinelaserClient::cfgLaserPowerControl(int dir, int* mode) {
    return settingAccess(*this, kLaserPowerControl, dir, mode);
}
int LinelaserClient::cfgLaserPowerLimit(int dir, int which, uint16_t* value) {
    const SettingRow& row = which == 0 ? kLaserPowerLower : which == 1 ? kLaserPowerUpper : kLaserPowerLock;
    return settingAccess(*this, row, dir, value);
}
int LinelaserClient::cfgSetting_1_15(int dir, int* index) { return settingAccess(*this, kSetting_1_15, dir, index); }
int LinelaserClient::cfgAutoCompleteNum(int dir, uint8_t* count) {
    return settingAccess(*this, kAutoCompleteNum, dir, count);
}
int LinelaserClient::cfgPeakSelection(int dir, int* code) { return settingAccess(*this, kPeakSelection, dir, code); }
int LinelaserClient::cfgHaloFilter(int dir, uint8_t* mode) { return settingAccess(*this, kHaloFilter, dir, mode); }
int LinelaserClient::cfgCmosGain(int dir, int* index) { return settingAccess(*this, kCmosGain, dir, index); }
int LinelaserClient::cfgExposureTime(int dir, int* us) { return settingAccess(*this, kExposureTime, dir, us); }
int LinelaserClient::cfgExposureLimit(int dir, int which, uint16_t* value) {
    const SettingRow& row = which == 0 ? kExposureMinimum : which == 1 ? kExposureMaximum : kExposureLimitTime;
    return settingAccess(*this, row, dir, value);
}
int LinelaserClient::cfgTransparency(int dir, uint8_t* index) { return settingAccess(*this, kTransparency, dir, index); }
int LinelaserClient::cfgGrayFrame(int dir, int* frame) { return settingAccess(*this, kGrayFrame, dir, frame); }
int LinelaserClient::cfgHdrEnable(int dir, uint8_t* on) { return settingAccess(*this, kHdrEnable, dir, on); }
int LinelaserClient::cfgHdrFrameExposure(int dir, int frame, int* us) {
    // Refused without device traffic, for a read as well.
    if (static_cast<unsigned>(frame) > 2u || *us < 2) return kBadArgument;
    return settingAccess(*this, kHdrFrameExposure0, dir, us, frame);
}

// ---------------------------------------------------------------- profile processing

int LinelaserClient::cfgInvalidDataProcess(int dir, int* mode) {
    return settingAccess(*this, kInvalidDataProcess, dir, mode);
}
int LinelaserClient::cfgFlipLeftRight(int dir, bool* on) { return settingAccess(*this, kFlipLeftRight, dir, on); }
int LinelaserClient::cfgFlipTopBottom(int dir, bool* on) { return settingAccess(*this, kFlipTopBottom, dir, on); }
int LinelaserClient::cfgFilterXMedian(int dir, uint16_t* value) { return settingAccess(*this, kFilterXMedian, dir, value); }
int LinelaserClient::cfgFilterXAverage(int dir, uint16_t* value) { return settingAccess(*this, kFilterXAverage, dir, value); }
int LinelaserClient::cfgFilterYMedian(int dir, uint16_t* value) { return settingAccess(*this, kFilterYMedian, dir, value); }
int LinelaserClient::cfgFilterYAverage(int dir, uint16_t* value) { return settingAccess(*this, kFilterYAverage, dir, value); }
int LinelaserClient::cfgInvalidPointRepair(int dir, uint16_t* process, uint16_t* restore) {
    // Byte 0 of the setting is the process count, byte 1 the restore count.
    int wire = static_cast<int>((*process & 0xFFu) | ((*restore & 0xFFu) << 8));
    const int status = settingAccess(*this, kInvalidPointRepair, dir, &wire);
    if (!writes(kInvalidPointRepair, dir) && status == 0) {
        *process = static_cast<uint16_t>(static_cast<int8_t>(wire & 0xFF));
        *restore = static_cast<uint16_t>(static_cast<int8_t>((wire >> 8) & 0xFF));
    }
    return status;
}

// ---------------------------------------------------------------- common and network

int LinelaserClient::cfgCommonItem7(int dir, int* value) { return settingAccess(*this, kCommonItem7, dir, value); }
int LinelaserClient::cfgCommonItem8(int dir, int* value) { return settingAccess(*this, kCommonItem8, dir, value); }
int LinelaserClient::cfgBatchModel(int dir, bool* withIntensity) {
    return settingAccess(*this, kBatchModel, dir, withIntensity);
}
int LinelaserClient::cfgCommonItem32(int dir, int* value) { return settingAccess(*this, kCommonItem32, dir, value); }

int LinelaserClient::cfgNetAddress(int dir, int which, uint8_t address[4]) {
    const int item = which == 0 ? kNetAddressItem : which == 1 ? kNetAddressItem + 1 : which == 2 ? kNetAddressItem + 2 : 0;
    const HVQ5_SETTING_ADDRESS setting = makeSettingAddress(kNetworkType, 0, item);
    uint32_t wire = 0;
    if (dir == 1) {
        std::memcpy(&wire, address, 4);
        const int status = writeWire(*this, setting, wire);
        if (status != 0) return status;
        return writeWire(*this, makeSettingAddress(kNetworkType, 0, kNetApplyItem), wire);
    }
    const int status = readWire(*this, setting, &wire);
    if (status == 0) std::memcpy(address, &wire, 4);
    return status;
}

// ---------------------------------------------------------------- registers and pass-throughs

int LinelaserClient::cfgRegister(int dir, int reg, int* value) {
    if (dir != 0) return hvq5_write_register(deviceId, reg, *value);
    uint32_t read = 0;
    const int status = hvq5_read_register(deviceId, reg, &read);
    *value = status == 0 ? static_cast<int>(read) : 0;
    return status;
}

int LinelaserClient::cachedRegister(int reg) {
    uint32_t value = 0;
    if (hvq5_get_cached_register(deviceId, reg, &value) != 0) return -1;
    return static_cast<int>(value);
}

int LinelaserClient::cfgIoMode(int dir, int* on) {
    if (cachedRegister(149) == 1) return kNotAllowed;
    if (dir != 1) return kBadArgument;
    const int status = hvq5_set_trigger_mode(deviceId, *on != 0 ? 1 : 0);
    if (status != 0) return status;
    return hvq5_write_register(deviceId, 722, *on != 0 ? 1 : 0);
}

int LinelaserClient::cfgXPitch(int dir, double* um) {
    // The interface's x pitch is in units of 0.01 um.
    if (dir == 1) return HVQ5_SetXpitch(deviceId, mirevo::settings::register_from_decimal(*um, 100.0));
    uint32_t pitch = 0;
    const int status = HVQ5_GetXpitch(deviceId, &pitch);
    if (status == 0) *um = pitch / 100.0;
    return status;
}

double LinelaserClient::yPitch() {
    uint32_t intervalOn = 0;
    uint32_t interval = 0;
    if (readWire(*this, addressOf(*this, kTriggerIntervalEnable), &intervalOn) == 0 && intervalOn == 1 &&
        readWire(*this, addressOf(*this, kTriggerYInterval), &interval) == 0)
        return static_cast<int32_t>(interval) / 100000.0;
    return xPitchMm;
}

int LinelaserClient::cfgIgnoreAreaBlock(int dir, int kind, void* data, int size) {
    if (dir == 1) return hvq5_write_block(deviceId, kind, data, size);
    return hvq5_read_block(deviceId, static_cast<uint32_t>(kind), data, size);
}

bool LinelaserClient::copyProfile(double* x, double* z, int count) {
    const int n = std::max(0, std::min({lastPoints.load(), count, kProfileCapacity}));
    const bool batchMode = cachedRegister(149) == 1;
    std::lock_guard<std::mutex> lock(profileMutex);
    std::copy_n(xValues, n, x);
    if (batchMode)
        std::fill_n(z, n, -9999.0);
    else
        std::copy_n(zValues, n, z);
    return true;
}

int LinelaserClient::profilePointCount() { return lastPoints.load(); }

ModelGeometry LinelaserClient::modelGeometry() const {
    ModelGeometry geometry;
    geometry.columns = lastColumns.load();
    geometry.rows = lastRows.load();
    geometry.points = lastPoints.load();
    geometry.pointsPerColumn = lastPointsPerColumn.load();
    return geometry;
}

bool LinelaserClient::headModel(QString* out) {
    char model[33] = {};
    if (HVQ5_GetHeadModel(0, model) != 0) return false;
    *out = QString::fromLatin1(model);
    return true;
}

int LinelaserClient::serialNumbers(QString* a, QString* b) {
    char first[33] = {};
    char second[33] = {};
    const int status = HVQ5_GetSerialNumber(deviceId, first, second);
    if (status == 0) {
        *a = QString::fromLatin1(second);
        *b = QString::fromLatin1(first);
    }
    return status;
}

int LinelaserClient::sdkVersionText(QString* out) {
    const HVQ5_VERSION version = HVQ5_GetVersion();
    std::printf("test_HVQ5_GetVersion = %d.%d.%d.%d \n", version.major, version.minor, version.patch, version.build);
    std::fflush(stdout);
    *out = QStringLiteral("%1.%2.%3.%4").arg(version.major).arg(version.minor).arg(version.patch).arg(version.build);
    return 0;
}

int LinelaserClient::firmwareVersionText(QString* out) {
    uint32_t header = 0, unused = 0, firmware135 = 0, firmware166 = 0;
    int status = hvq5_get_firmware_versions(deviceId, 0, &header, &unused);
    if (status != 0) return status;
    status = hvq5_get_firmware_versions(deviceId, 1, &firmware135, &firmware166);
    if (status != 0) return status;
    *out = QStringLiteral("%1.%2.%3").arg(header, 0, 16).arg(firmware135, 0, 16).arg(firmware166, 0, 16);
    return 0;
}

int LinelaserClient::takeFailCode() { return hvq5_take_fail_counter(deviceId); }
double LinelaserClient::zNullValueMM() { return HVQ5_GetZNullDataMM(); }
int LinelaserClient::maxSamplingFrequency() { return hvq5_get_max_rate(deviceId); }
int LinelaserClient::rewriteTemporarySetting() { return HVQ5_RewriteTemporarySetting(deviceId); }
int LinelaserClient::rebootController() { return HVQ5_RebootController(deviceId); }
int LinelaserClient::initSdk() { return HVQ5_Initialize_Config(false, 1); }

bool LinelaserClient::openGLAvailable() {
    QOpenGLContext context;
    return context.create();
}
