#pragma once
// The batch read over the command channel, as decisions apart from the
// socket: following the sensor's trigger counter, and collecting a batch
// block by block from the sensor's batch memory into a CommandBatch.
#include <cstdint>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/settings/batch_status.h"

class DispatchClock;
class SettingDispatcher;

namespace command_batch {

constexpr int32_t kComplete = 0x10000;
constexpr int32_t kIncomplete = 8;
constexpr int32_t kFailed = 16;
constexpr int32_t kReading = 0;
constexpr uint32_t kTriggerCounterRegister = 294;
constexpr uint32_t kTimeLimitRegister = 309;
constexpr int kTriggerPollMs = 30;
constexpr int kBlockPauseMs = 50;
constexpr int kReadyQuestions = 5;
constexpr int kTimeLimitMarginMs = 50;
// A counter that moved by less than this has announced the next block only.
constexpr uint32_t kBlockStepLimit = 16;

enum class TriggerAction {
    Poll,       // nothing new: ask again after a pause
    TakeStart,  // first reading: it is where the counter stands, not a new batch
    Collect,    // a new batch: read it
};

struct TriggerStep {
    TriggerAction action;
    int32_t blockIndex;  // the block index after this reading
};

// One reading of the trigger counter against the block index. counterSeen is
// false until the first reading after open was taken.
TriggerStep followTrigger(int32_t blockIndex, int32_t counter, bool counterSeen);

// 0 when the counter (read again) stands at or beyond the block index, else 5004.
int triggerAheadStatus(int32_t blockIndex, int32_t counter);

// One block as the setting dispatcher delivers it.
struct BatchBlock {
    std::vector<uint8_t> profileBytes;
    std::vector<uint8_t> grayBytes;
    std::vector<uint32_t> valuesA;
    std::vector<uint32_t> valuesB;
    std::vector<uint64_t> timeStamps;
    HVQ5_BATCH_HEADER header{};
};

// The sensor's batch memory as the collecting loop sees it.
class BatchMemoryPort {
public:
    virtual ~BatchMemoryPort() = default;
    virtual int clearMemory() = 0;
    // 0 ready, 5003 state 2, 5002 not ready, 3090 failed.
    virtual int memoryStatus(uint32_t blockIndex, uint16_t acknowledged) = 0;
    // Reads the next block into block (its lists replaced, its header filled).
    virtual int readBlock(BatchBlock& block) = 0;
};

// The port over a sensor's setting dispatcher.
class DispatcherBatchMemory : public BatchMemoryPort {
public:
    explicit DispatcherBatchMemory(SettingDispatcher& dispatcher) : dispatcher_(dispatcher) {}
    int clearMemory() override;
    int memoryStatus(uint32_t blockIndex, uint16_t acknowledged) override;
    int readBlock(BatchBlock& block) override;

private:
    SettingDispatcher& dispatcher_;
};

// Empties the lists and counters of batch for a new read (the block index stays).
void startBatch(CommandBatch& batch);
// Appends the block's outputs to the batch's lists.
void appendBlock(const BatchBlock& block, CommandBatch& batch);

// Reads one block and appends it; a time-out is given one more read. The
// lists take a block only when it was read whole, so they always hold
// exactly the frames counted.
int readCommandBatchBlock(BatchMemoryPort& memory, BatchBlock& scratch, CommandBatch& batch);

// Collects the batch whose block index batch.blockIndex holds; the outcome is
// in batch.completion. timeLimitMs is register 309 (0: wait for the complete flag).
void collectCommandBatch(BatchMemoryPort& memory, DispatchClock& clock, uint32_t timeLimitMs,
                         CommandBatch& batch);

}  // namespace command_batch
