#pragma once
// What the setting dispatcher needs from its sensor: register traffic with the
// command channel's waits and status codes, the cached register image, a few
// controller values, and the profile processor for the command-channel batch.
// The command channel implements it; tests use a recording fake.
#include <array>
#include <cstdint>
#include <vector>

#include "sensor_interface/settings/batch_status.h"
#include "sensor_interface/status_codes.h"

// The light-control scale of the sensor in volts.
struct LightScale {
    double low = 1.0;
    double high = 3.3;
};

// Turns one raw frame of the command-channel batch into output points.
class BatchFrameProcessor {
public:
    virtual ~BatchFrameProcessor() = default;
    // Camera columns a frame may cover.
    virtual int columns() const = 0;
    // Processes one frame; the number of output points, negative when it cannot.
    virtual int process(const BatchFrame& frame, int firstColumn, bool firstOfBatch) = 0;
    // The last frame's points: count int32 heights x100 as little-endian bytes
    // (4 x count) and count gray bytes.
    virtual void exportLast(uint8_t* profileBytes, uint8_t* gray, int count) = 0;
};

class SettingTransport {
public:
    virtual ~SettingTransport() = default;

    // Opcode 161: asks the sensor and stores the answer in the register image.
    virtual int readRegister(uint32_t reg, uint32_t& value, int waitMs) = 0;
    // Opcode 160: writes and stores the value in the register image.
    virtual int writeRegister(uint32_t reg, uint32_t value, int waitMs) = 0;
    // Opcode 161 on the split address (hi << 16) | lo sending value; the
    // answer replaces value and is not cached (batch memory query).
    virtual int queryRegister(uint16_t hi, uint16_t lo, uint32_t& value, int waitMs) = 0;
    virtual int selectProgram(int program) = 0;
    virtual int saveSettings() = 0;
    // Reads the status record and, when it announces frames, the batch data.
    virtual int readBatchStatusBlock(std::vector<uint8_t>& data, BatchStatus& status) = 0;

    // The register image, without traffic.
    virtual uint32_t cachedRegister(uint32_t reg) const = 0;
    // Highest line rate the cached registers allow, in Hz (0 when below 1 Hz).
    virtual int maxLineRateHz() const = 0;
    // Camera rows of the four z ranges.
    virtual std::array<int, 4> zRangeRows() const = 0;
    virtual LightScale lightScale() const = 0;

    // Controller state shared with the exports.
    virtual int triggerCount() const = 0;
    virtual void setTriggerCount(int count) = 0;
    virtual void setPendingStatus(int status) = 0;
    // Reads and clears the flag that a measurement runs.
    virtual bool takeMeasurementStarted() = 0;

    // Null while the sensor has no processor (not opened).
    virtual BatchFrameProcessor* batchFrameProcessor() = 0;
};
