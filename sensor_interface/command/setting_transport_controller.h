#pragma once
// The command channel of one sensor as the setting dispatcher's transport, and
// its profile processor as the processor of command-channel batch frames.
#include <cstdint>
#include <memory>
#include <vector>

#include "sensor_interface/settings/setting_transport.h"

class SensorController;
class ProfileProcessor;

// Feeds the frames of a command-channel batch through a sensor's profile
// processor. Scratch rows are sized once per processor, not per frame.
class ProfileBatchFrameProcessor : public BatchFrameProcessor {
public:
    explicit ProfileBatchFrameProcessor(SensorController& controller) : controller_(controller) {}

    // Points at the controller's current processor; false when it has none.
    bool attach();

    int columns() const override;
    int process(const BatchFrame& frame, int firstColumn, bool firstOfBatch) override;
    void exportLast(uint8_t* profileBytes, uint8_t* gray, int count) override;

private:
    SensorController& controller_;
    // Held for the block: the open may replace the controller's processor meanwhile.
    std::shared_ptr<ProfileProcessor> processor_;
    std::vector<uint32_t> words_;
    std::vector<int32_t> heights_;
    bool gamma_ = false;
    bool stretch_ = false;
    bool lut_ = false;
};

class ControllerSettingTransport : public SettingTransport {
public:
    explicit ControllerSettingTransport(SensorController& controller)
        : controller_(controller), frameProcessor_(controller) {}

    int readRegister(uint32_t reg, uint32_t& value, int waitMs) override;
    int writeRegister(uint32_t reg, uint32_t value, int waitMs) override;
    int queryRegister(uint16_t hi, uint16_t lo, uint32_t& value, int waitMs) override;
    int selectProgram(int program) override;
    int saveSettings() override;
    int readBatchStatusBlock(std::vector<uint8_t>& data, BatchStatus& status) override;

    uint32_t cachedRegister(uint32_t reg) const override;
    int maxLineRateHz() const override;
    std::array<int, 4> zRangeRows() const override;
    LightScale lightScale() const override;

    int triggerCount() const override;
    void setTriggerCount(int count) override;
    void setPendingStatus(int status) override;
    bool takeMeasurementStarted() override;

    BatchFrameProcessor* batchFrameProcessor() override;

private:
    SensorController& controller_;
    ProfileBatchFrameProcessor frameProcessor_;
};
