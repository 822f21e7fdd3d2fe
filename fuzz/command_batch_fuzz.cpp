// The batch read over the command channel from arbitrary bytes: the walk that
// collects a batch block by block from the sensor's batch memory, over the
// setting dispatcher's block read, whose frames go through a sensor's profile
// processor. Every answer of the sensor comes from the input, in the order the
// walk asks for them:
// - clearing the batch memory: a byte (3 in its low two bits: refused);
// - the batch-memory state: a byte (low two bits 0 ready, 1 state 2, 2 not
//   ready, 3 no answer);
// - a block: a byte of the status record's length (above 64: refused as the
//   controller refuses it), the record, then the batch data up to and with
//   "MESSTP,OK,end\r\n" (none: the rest of the input, and a time-out).
// The first bytes set the walk up: options (bit 0: batch mode off; bits 1-2:
// the head's series 3 to 6), the block index, the time limit in tenths of a second.
// The lists of a finished walk must agree with each other and with the
// frames it counted.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/sensor_fuzz_support.h"
#include "sensor_interface/command/command_batch.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/settings/setting_dispatcher.h"
#include "sensor_interface/status_codes.h"

namespace {

constexpr char kBatchEnd[] = "MESSTP,OK,end\r\n";
constexpr size_t kBatchEndSize = sizeof(kBatchEnd) - 1;

// Up to and with the batch end; false (and the rest) when there is none.
bool takeThroughBatchEnd(fuzz::InputReader& input, std::vector<uint8_t>& out) {
    const uint8_t* begin = input.here();
    for (size_t at = 0; at + kBatchEndSize <= input.left(); ++at) {
        if (std::memcmp(begin + at, kBatchEnd, kBatchEndSize) == 0) {
            out = input.take(at + kBatchEndSize);
            return true;
        }
    }
    out = input.take(input.left());
    return false;
}

class ScriptedClock : public DispatchClock {
public:
    int64_t nowMs() override { return now_; }
    void sleepMs(int ms) override { now_ += ms > 0 ? ms : 0; }

private:
    int64_t now_ = 0;
};

// The sensor's side of the dispatcher, answering from the input. Only what
// the batch read asks for is answered; the rest is never called by it.
class ScriptedTransport : public SettingTransport {
public:
    ScriptedTransport(fuzz::InputReader& input, SensorController& controller, bool batchMode)
        : input_(input), controller_(controller), frames_(controller), batchMode_(batchMode) {}

    int readRegister(uint32_t, uint32_t&, int) override { return HVQ5_RC_COMMAND_FAILED; }
    int writeRegister(uint32_t, uint32_t, int) override {
        // Only the clearing of the batch memory writes.
        if (input_.empty()) return HVQ5_RC_TIMEOUT;
        return (input_.byte() & 3) == 3 ? HVQ5_RC_BAD_REPLY : HVQ5_RC_OK;
    }
    int queryRegister(uint16_t, uint16_t, uint32_t& value, int) override {
        if (input_.empty()) return HVQ5_RC_TIMEOUT;
        const uint8_t answer = input_.byte() & 3;
        if (answer == 3) return HVQ5_RC_TIMEOUT;
        value = answer == 0 ? 0 : answer == 1 ? 2 : 1;
        return HVQ5_RC_OK;
    }
    int selectProgram(int) override { return HVQ5_RC_COMMAND_FAILED; }
    int saveSettings() override { return HVQ5_RC_COMMAND_FAILED; }
    // As SensorController::readBatchStatusBlock takes the sensor's bytes.
    int readBatchStatusBlock(std::vector<uint8_t>& data, BatchStatus& status) override {
        if (input_.empty()) return HVQ5_RC_TIMEOUT;
        const size_t size = input_.byte();
        data.clear();
        if (size > kBatchStatusMaxSize) return HVQ5_RC_BAD_BLOCK;
        data = input_.take(size);
        if (data.size() < size) return HVQ5_RC_TIMEOUT;
        if (!parse_batch_status(data.data(), data.size(), status)) return HVQ5_RC_BAD_BLOCK;
        if (status.frameCount == 0) return HVQ5_RC_MEMORY_NOT_READY;
        return takeThroughBatchEnd(input_, data) ? HVQ5_RC_OK : HVQ5_RC_TIMEOUT;
    }

    uint32_t cachedRegister(uint32_t reg) const override {
        return reg == 149 ? (batchMode_ ? 1u : 0u) : controller_.getVals(reg);
    }
    int maxLineRateHz() const override { return 0; }
    std::array<int, 4> zRangeRows() const override { return {}; }
    LightScale lightScale() const override { return {}; }
    int triggerCount() const override { return -1; }
    void setTriggerCount(int) override {}
    void setPendingStatus(int status) override { pendingStatus = status; }
    bool takeMeasurementStarted() override { return false; }
    BatchFrameProcessor* batchFrameProcessor() override { return frames_.attach() ? &frames_ : nullptr; }

    int pendingStatus = 0;

private:
    fuzz::InputReader& input_;
    SensorController& controller_;
    ProfileBatchFrameProcessor frames_;
    bool batchMode_;
};

// One controller per series for the whole run, each with the processor its
// open would make.
SensorController& controllerFor(int seriesIndex) {
    static std::unique_ptr<SensorController> controllers[4];
    std::unique_ptr<SensorController>& slot = controllers[seriesIndex];
    if (!slot) slot = fuzz::factoryController(static_cast<char>('3' + seriesIndex));
    return *slot;
}

void checkBatch(const CommandBatch& batch) {
    FUZZ_CHECK(batch.completion == command_batch::kComplete || batch.completion == command_batch::kIncomplete ||
               batch.completion == command_batch::kFailed);
    FUZZ_CHECK(batch.framesReceived >= 0);
    const size_t frames = static_cast<size_t>(batch.framesReceived);
    FUZZ_CHECK(batch.valuesA.size() == frames && batch.valuesB.size() == frames && batch.timeStamps.size() == frames);
    // Four profile bytes and one gray byte per point.
    FUZZ_CHECK(batch.profileBytes.size() == 4 * batch.grayBytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    const uint8_t options = input.byte();
    SensorController& controller = controllerFor((options >> 1) & 3);
    ScriptedTransport transport(input, controller, (options & 1) == 0);
    ScriptedClock clock;
    SettingDispatcher dispatcher(transport, clock);
    command_batch::DispatcherBatchMemory memory(dispatcher);

    CommandBatch batch;
    batch.blockIndex = input.byte();
    const uint32_t limitMs = 100u * input.byte();
    // What an earlier batch left must not stay.
    batch.valuesA = {1, 2, 3};
    batch.profileBytes = {9};
    command_batch::collectCommandBatch(memory, clock, limitMs, batch);
    checkBatch(batch);

    // A single block on top of what was collected.
    const int32_t before = batch.framesReceived;
    command_batch::BatchBlock scratch;
    const int status = command_batch::readCommandBatchBlock(memory, scratch, batch);
    if (status == HVQ5_RC_OK) batch.framesReceived += scratch.header.frameCount;
    else FUZZ_CHECK(batch.framesReceived == before);
    checkBatch(batch);
    return 0;
}
