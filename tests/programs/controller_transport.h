#pragma once
// The setting dispatcher's transport over a real controller, for tests that
// run the batch read end to end; frames go through a stand-in processor that
// hands the raw values on as heights.
#include <cstring>
#include <mutex>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/settings/setting_transport.h"

namespace programs_test {

class PassThroughProcessor : public BatchFrameProcessor {
public:
    int columns() const override { return 2048; }
    int process(const BatchFrame& frame, int, bool) override {
        values_.resize(static_cast<size_t>(frame.points));
        gray_.assign(static_cast<size_t>(frame.points), 0);
        const size_t width = frame.wideValues ? 4 : 2;
        for (size_t i = 0; i < values_.size(); ++i) {
            uint32_t value = 0;
            for (size_t b = 0; b < width; ++b) value |= uint32_t(frame.values[i * width + b]) << (8 * b);
            values_[i] = static_cast<int32_t>(value);
            if (frame.intensity) gray_[i] = frame.intensity[i];
        }
        return frame.points;
    }
    void exportLast(uint8_t* profileBytes, uint8_t* gray, int count) override {
        std::memcpy(profileBytes, values_.data(), 4u * static_cast<size_t>(count));
        std::memcpy(gray, gray_.data(), static_cast<size_t>(count));
    }

private:
    std::vector<int32_t> values_;
    std::vector<uint8_t> gray_;
};

class ControllerTransport : public SettingTransport {
public:
    explicit ControllerTransport(SensorController& controller) : controller_(controller) {}

    int readRegister(uint32_t reg, uint32_t& value, int waitMs) override {
        return controller_.readRegister(reg, value, waitMs);
    }
    int writeRegister(uint32_t reg, uint32_t value, int waitMs) override {
        return controller_.writeRegister(reg, value, nullptr, waitMs);
    }
    int queryRegister(uint16_t hi, uint16_t lo, uint32_t& value, int waitMs) override {
        std::lock_guard<std::mutex> lock(controller_.transactionMutex());
        return controller_.transactHiLo(161, hi, lo, value, waitMs, nullptr);
    }
    int selectProgram(int program) override { return controller_.selectProgram(program); }
    int saveSettings() override { return controller_.saveSettings(); }
    int readBatchStatusBlock(std::vector<uint8_t>& data, BatchStatus& status) override {
        return controller_.readBatchStatusBlock(data, status);
    }
    uint32_t cachedRegister(uint32_t reg) const override { return controller_.getVals(reg); }
    int maxLineRateHz() const override { return 0; }
    std::array<int, 4> zRangeRows() const override { return {}; }
    LightScale lightScale() const override { return {}; }
    int triggerCount() const override { return controller_.triggerCount; }
    void setTriggerCount(int count) override { controller_.triggerCount = count; }
    void setPendingStatus(int status) override { controller_.pendingStatus = status; }
    bool takeMeasurementStarted() override { return false; }
    BatchFrameProcessor* batchFrameProcessor() override { return &processor_; }

private:
    SensorController& controller_;
    PassThroughProcessor processor_;
};

}  // namespace programs_test
