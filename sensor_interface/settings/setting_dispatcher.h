#pragma once
// Turns a setting address into register reads and writes, with the scaling,
// range checks and follow-up writes each setting needs; also carries the
// measurement controls and the command-channel batch read of a sensor.
#include <cstdint>
#include <vector>

#include "sensor_interface/settings/batch_status.h"
#include "sensor_interface/settings/setting_address.h"
#include "sensor_interface/settings/setting_transport.h"

// Sleeping and time of the waits, replaceable so that tests need not wait.
class DispatchClock {
public:
    virtual ~DispatchClock() = default;
    virtual int64_t nowMs() = 0;
    virtual void sleepMs(int ms) = 0;
    // The monotonic clock of the process.
    static DispatchClock& steady();
};

class SettingDispatcher {
public:
    // Point count reported for a command-channel batch until its first frame is processed.
    static constexpr int kPlaceholderPointCount = 4096;

    explicit SettingDispatcher(SettingTransport& transport,
                               DispatchClock& clock = DispatchClock::steady());

    // Reads one setting from the sensor into data (size bytes).
    int getSetting(int depth, HVQ5_SETTING_ADDRESS address, void* data, int size);
    // Writes one setting; a running measurement is stopped first.
    int setSetting(int depth, HVQ5_SETTING_ADDRESS address, void* data, int size);

    // Keeps the line period no shorter than the current settings allow.
    int applyLineRate(int maxHz);
    // Register 260: the minimum period when the asynchronous function is 2, else 0.
    int applyPeriod(int mode);
    int setBatchMode(const uint8_t* data, int size);

    int batchMemoryStatus(uint32_t value, int block);
    int clearBatchMemory(int block);
    int startStop(bool start);
    // Waits until the sensor's trigger counter moves; no limit when timeoutMs <= 0.
    int waitTriggerCount(int timeoutMs, int* count);
    // Fetches one block of the sensor's batch memory and processes its frames.
    int readBatchBlock(std::vector<uint8_t>& profiles, std::vector<uint8_t>& gray,
                       std::vector<uint32_t>& batchNumbers, std::vector<uint32_t>& encoders,
                       std::vector<uint64_t>& timeStamps, HVQ5_BATCH_PROFILE_INFO* info,
                       HVQ5_BATCH_HEADER* header);

private:
    void stopRunningMeasurement();

    int readNetwork(uint8_t item, uint8_t* data, int size);
    int readCommon(uint8_t item, uint8_t* data, int size);
    int readTrigger(uint8_t item, uint8_t* data, int size);
    int readImaging(uint8_t item, uint8_t* data, int size);
    int readProcessing(uint8_t item, uint8_t* data, int size);
    int readSegment(uint8_t* data);

    int writeNetwork(uint8_t item, const uint8_t* data);
    int writeCommon(uint8_t item, const uint8_t* data);
    int writeTrigger(uint8_t item, uint8_t* data, int size);
    int writeImaging(uint8_t item, uint8_t* data, int size);
    int writeProcessing(uint8_t item, uint8_t* data, int size);
    int setLineRate(uint32_t rateHz, int size);
    int setExposureTime(uint32_t exposureUs, int size);
    int setMultiFrame(const uint8_t* data);
    int setLaserPowerControl(uint8_t mode);
    int setHaloParameter(uint32_t reg, uint32_t mirrorReg, uint32_t value);
    int setSegment(const uint8_t* data);
    int setMirrorBit(uint32_t bit, bool on);
    // Register 260 from the asynchronous function just read from the sensor.
    int writePeriodForAsyncMode();

    int read(uint32_t reg, uint32_t& value);
    int write(uint32_t reg, uint32_t value, int waitMs = 2);

    SettingTransport& transport_;
    DispatchClock& clock_;
};
