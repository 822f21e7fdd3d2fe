#include "sensor_interface/command/setting_transport_controller.h"

#include <cstring>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/settings/extend_access.h"
#include "sensor_interface/settings/extend_placement.h"
#include "sensor_interface/settings/setting_dispatcher_rules.h"

namespace {

constexpr uint8_t kReadOpcode = 161;

uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ProfileBatchFrameProcessor::attach() {
    processor_ = controller_.currentProcessor();
    if (processor_ == nullptr) return false;
    // 16-bit words are packed two to a 32-bit slot, so columns slots hold either width.
    if (words_.size() != static_cast<size_t>(processor_->columns())) {
        words_.assign(static_cast<size_t>(processor_->columns()), 0);
    }
    if (heights_.size() != static_cast<size_t>(processor_->points())) {
        heights_.assign(static_cast<size_t>(processor_->points()), 0);
    }
    // Gray output flags hold for the whole block.
    hvq5_settings& image = controller_.settings();
    gamma_ = image.get_vals(741) != 0;
    const auto placement = mirevo::settings::place_extend_value(
        mirevo::settings::ExtendValue::FeatureWord, controller_.laserParams.model[2], image.get_vals(166));
    const uint64_t features =
        placement.in_register ? image.get_vals(placement.reg)
                              : mirevo::settings::load_extend(image.get_sdk_extend()->feature_en);
    stretch_ = (features & HVQ5_2_EXTEND::gray_correction_en) != 0;
    lut_ = (features & HVQ5_2_EXTEND::gray_lut_en) != 0;
    return true;
}

int ProfileBatchFrameProcessor::columns() const {
    return processor_ == nullptr ? 0 : processor_->columns();
}

int ProfileBatchFrameProcessor::process(const BatchFrame& frame, int firstColumn, bool firstOfBatch) {
    if (processor_ == nullptr || frame.points > processor_->columns()) return -1;
    const size_t n = static_cast<size_t>(frame.points);
    if (frame.wideValues) {
        for (size_t i = 0; i < n; ++i) words_[i] = le32(frame.values + 4 * i);
    } else {
        uint8_t* packed = reinterpret_cast<uint8_t*>(words_.data());
        for (size_t i = 0; i < n; ++i) {
            const uint16_t word = static_cast<uint16_t>(frame.values[2 * i] | (frame.values[2 * i + 1] << 8));
            std::memcpy(packed + 2 * i, &word, sizeof word);
        }
    }
    return processor_->process(frame.wideValues ? 1 : 0, words_.data(), frame.intensity, firstColumn,
                               frame.points, true, false, firstOfBatch, 1);
}

void ProfileBatchFrameProcessor::exportLast(uint8_t* profileBytes, uint8_t* gray, int count) {
    if (processor_ == nullptr || count <= 0) return;
    const int points = count < processor_->points() ? count : processor_->points();
    processor_->heightsInt(heights_.data(), points);
    for (int i = 0; i < points; ++i) {
        const uint32_t value = static_cast<uint32_t>(heights_[i]);
        for (int b = 0; b < 4; ++b) profileBytes[4 * i + b] = static_cast<uint8_t>(value >> (8 * b));
    }
    std::memset(profileBytes + 4 * points, 0, 4 * static_cast<size_t>(count - points));
    std::memset(gray, 0, static_cast<size_t>(count));
    processor_->grayOut(gray, points, 0, gamma_, stretch_, lut_);
}

int ControllerSettingTransport::readRegister(uint32_t reg, uint32_t& value, int waitMs) {
    return controller_.readRegister(reg, value, waitMs);
}

int ControllerSettingTransport::writeRegister(uint32_t reg, uint32_t value, int waitMs) {
    return controller_.writeRegister(reg, value, nullptr, waitMs);
}

int ControllerSettingTransport::queryRegister(uint16_t hi, uint16_t lo, uint32_t& value, int waitMs) {
    return controller_.transactAlone(kReadOpcode, (uint32_t(hi) << 16) | lo, value, waitMs, nullptr);
}

int ControllerSettingTransport::selectProgram(int program) { return controller_.selectProgram(program); }

int ControllerSettingTransport::saveSettings() { return controller_.saveSettings(); }

int ControllerSettingTransport::readBatchStatusBlock(std::vector<uint8_t>& data, BatchStatus& status) {
    return controller_.readBatchStatusBlock(data, status);
}

uint32_t ControllerSettingTransport::cachedRegister(uint32_t reg) const {
    return controller_.getVals(reg);
}

int ControllerSettingTransport::maxLineRateHz() const { return controller_.settings().get_real_max_hz(); }

std::array<int, 4> ControllerSettingTransport::zRangeRows() const {
    return setting_rules::zRangeRowTable(controller_.rows);
}

LightScale ControllerSettingTransport::lightScale() const {
    return LightScale{controller_.scaleLow, controller_.scaleHigh};
}

int ControllerSettingTransport::triggerCount() const { return controller_.triggerCount; }

void ControllerSettingTransport::setTriggerCount(int count) { controller_.triggerCount = count; }

void ControllerSettingTransport::setPendingStatus(int status) { controller_.pendingStatus = status; }

bool ControllerSettingTransport::takeMeasurementStarted() {
    const bool started = controller_.measurementStarted;
    controller_.measurementStarted = false;
    return started;
}

BatchFrameProcessor* ControllerSettingTransport::batchFrameProcessor() {
    return frameProcessor_.attach() ? &frameProcessor_ : nullptr;
}
