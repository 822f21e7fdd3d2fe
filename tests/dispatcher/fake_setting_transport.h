#pragma once
// A sensor behind the setting transport that records every exchange and can
// fail chosen registers; with a clock that only advances when slept on.
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "sensor_interface/settings/setting_dispatcher.h"

namespace dispatcher_test {

struct Exchange {
    char kind;  // 'r' read, 'w' write, 'q' query, 'p' program select, 's' save, 'b' batch block
    uint32_t reg;
    uint32_t value;
    int waitMs;
    bool operator==(const Exchange& other) const {
        return kind == other.kind && reg == other.reg && value == other.value;
    }
};

inline Exchange W(uint32_t reg, uint32_t value) { return {'w', reg, value, 0}; }
inline Exchange R(uint32_t reg) { return {'r', reg, 0, 0}; }

inline std::ostream& operator<<(std::ostream& out, const Exchange& e) {
    return out << e.kind << "(" << e.reg << (e.kind == 'w' ? "=" + std::to_string(e.value) : "")
               << ")";
}

class FakeSettingTransport : public SettingTransport {
public:
    std::map<uint32_t, uint32_t> registers;
    std::map<uint32_t, int> failingReads;
    std::map<uint32_t, int> failingWrites;
    std::deque<uint32_t> triggerCounterReads;  // answers of register 294, in turn
    std::vector<Exchange> log;
    int maxHz = 2000;
    std::array<int, 4> rows = {1024, 512, 256, 128};
    LightScale scale;
    int trigger = -1;
    int pending = 0;
    bool measuring = false;
    uint32_t queryAnswer = 0;
    int queryStatus = HVQ5_RC_OK;
    int selectStatus = HVQ5_RC_OK;
    int batchReadStatus = HVQ5_RC_OK;
    std::vector<uint8_t> batchData;
    std::vector<uint8_t> batchRecord;
    BatchFrameProcessor* processor = nullptr;

    int readRegister(uint32_t reg, uint32_t& value, int waitMs) override {
        log.push_back({'r', reg, 0, waitMs});
        if (auto failure = failingReads.find(reg); failure != failingReads.end()) return failure->second;
        if (reg == 294 && !triggerCounterReads.empty()) {
            registers[reg] = triggerCounterReads.front();
            triggerCounterReads.pop_front();
        }
        value = registers[reg];
        return HVQ5_RC_OK;
    }
    int writeRegister(uint32_t reg, uint32_t value, int waitMs) override {
        log.push_back({'w', reg, value, waitMs});
        if (auto failure = failingWrites.find(reg); failure != failingWrites.end()) return failure->second;
        registers[reg] = value;
        return HVQ5_RC_OK;
    }
    int queryRegister(uint16_t hi, uint16_t lo, uint32_t& value, int waitMs) override {
        log.push_back({'q', (static_cast<uint32_t>(hi) << 16) | lo, value, waitMs});
        value = queryAnswer;
        return queryStatus;
    }
    int selectProgram(int program) override {
        log.push_back({'p', static_cast<uint32_t>(program), 0, 0});
        return selectStatus;
    }
    int saveSettings() override {
        log.push_back({'s', 0, 0, 0});
        return HVQ5_RC_OK;
    }
    int readBatchStatusBlock(std::vector<uint8_t>& data, BatchStatus& status) override {
        log.push_back({'b', 0, 0, 0});
        parse_batch_status(batchRecord.data(), batchRecord.size(), status);
        data = batchData;
        return batchReadStatus;
    }
    uint32_t cachedRegister(uint32_t reg) const override {
        auto found = registers.find(reg);
        return found == registers.end() ? 0 : found->second;
    }
    int maxLineRateHz() const override { return maxHz; }
    std::array<int, 4> zRangeRows() const override { return rows; }
    LightScale lightScale() const override { return scale; }
    int triggerCount() const override { return trigger; }
    void setTriggerCount(int count) override { trigger = count; }
    void setPendingStatus(int status) override { pending = status; }
    bool takeMeasurementStarted() override {
        const bool was = measuring;
        measuring = false;
        return was;
    }
    BatchFrameProcessor* batchFrameProcessor() override { return processor; }

    // Only the writes, in order.
    std::vector<Exchange> writes() const {
        std::vector<Exchange> out;
        for (const Exchange& e : log) {
            if (e.kind == 'w') out.push_back(e);
        }
        return out;
    }
};

class FakeClock : public DispatchClock {
public:
    int64_t now = 1000;
    std::vector<int> sleeps;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
};

// A dispatcher over the fake sensor and clock.
struct DispatcherOnFake {
    FakeSettingTransport sensor;
    FakeClock clock;
    SettingDispatcher dispatcher{sensor, clock};

    int set(int type, int category, int item, void* data, int size = 4) {
        return dispatcher.setSetting(1, makeSettingAddress(type, category, item), data, size);
    }
    // Sets an int setting; last keeps the value the dispatcher left in its argument.
    int setInt(int category, int item, int32_t value, int size = 4) {
        int32_t data[2] = {value, 0};
        const int status = set(16, category, item, data, size);
        last = data[0];
        return status;
    }
    int32_t last = 0;
};

inline int32_t asInt(const uint8_t* data) {
    int32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

}  // namespace dispatcher_test
