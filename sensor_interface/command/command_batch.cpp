#include "sensor_interface/command/command_batch.h"

#include "sensor_interface/settings/setting_dispatcher.h"
#include "sensor_interface/status_codes.h"

namespace command_batch {

TriggerStep followTrigger(int32_t blockIndex, int32_t counter, bool counterSeen) {
    if (!counterSeen) return {TriggerAction::TakeStart, counter};
    if (counter == blockIndex) return {TriggerAction::Poll, blockIndex};
    const uint32_t moved = static_cast<uint32_t>(counter) - static_cast<uint32_t>(blockIndex);
    return {TriggerAction::Collect, moved < kBlockStepLimit ? blockIndex + 1 : counter};
}

int triggerAheadStatus(int32_t blockIndex, int32_t counter) {
    if (counter == -1 || counter < blockIndex) return HVQ5_RC_TRIGGER_NOT_AHEAD;
    return HVQ5_RC_OK;
}

int DispatcherBatchMemory::clearMemory() { return dispatcher_.clearBatchMemory(0); }

int DispatcherBatchMemory::memoryStatus(uint32_t blockIndex, uint16_t acknowledged) {
    return dispatcher_.batchMemoryStatus(blockIndex, acknowledged);
}

int DispatcherBatchMemory::readBlock(BatchBlock& block) {
    block.header = HVQ5_BATCH_HEADER{};
    return dispatcher_.readBatchBlock(block.profileBytes, block.grayBytes, block.valuesA, block.valuesB,
                                      block.timeStamps, nullptr, &block.header);
}

void startBatch(CommandBatch& batch) {
    batch.profileBytes.clear();
    batch.grayBytes.clear();
    batch.valuesA.clear();
    batch.valuesB.clear();
    batch.timeStamps.clear();
    batch.framesReceived = 0;
    batch.completion = kReading;
}

namespace {

template <typename T>
void append(std::vector<T>& to, const std::vector<T>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

bool isComplete(const HVQ5_BATCH_HEADER& header) { return header.complete != 0; }

}  // namespace

void appendBlock(const BatchBlock& block, CommandBatch& batch) {
    append(batch.profileBytes, block.profileBytes);
    append(batch.grayBytes, block.grayBytes);
    append(batch.valuesA, block.valuesA);
    append(batch.valuesB, block.valuesB);
    append(batch.timeStamps, block.timeStamps);
}

int readCommandBatchBlock(BatchMemoryPort& memory, BatchBlock& scratch, CommandBatch& batch) {
    int status = memory.readBlock(scratch);
    if (status == HVQ5_RC_TIMEOUT) status = memory.readBlock(scratch);
    if (status == HVQ5_RC_OK) appendBlock(scratch, batch);
    return status;
}

void collectCommandBatch(BatchMemoryPort& memory, DispatchClock& clock, uint32_t timeLimitMs,
                         CommandBatch& batch) {
    uint32_t block = static_cast<uint32_t>(batch.blockIndex);
    if (block == 0) {
        if (memory.clearMemory() != HVQ5_RC_OK) {
            // Not a word of the last batch may stay to be taken for this one.
            startBatch(batch);
            batch.completion = kFailed;
            return;
        }
    } else {
        for (int question = 0; question < kReadyQuestions; ++question) {
            clock.sleepMs(kBlockPauseMs);
            if (memory.memoryStatus(block, 0) == HVQ5_RC_OK) break;
        }
    }

    startBatch(batch);
    const int64_t limitMs = timeLimitMs == 0 ? 0 : static_cast<int64_t>(timeLimitMs) + kTimeLimitMarginMs;
    uint16_t acknowledged = 0;
    int64_t lastFramesAt = clock.nowMs();
    BatchBlock scratch;
    for (;;) {
        const int status = readCommandBatchBlock(memory, scratch, batch);
        if (status == HVQ5_RC_TIMEOUT) {
            if (memory.memoryStatus(block, acknowledged) == HVQ5_RC_OK) batch.completion = kFailed;
            break;
        }
        if (status != HVQ5_RC_OK) {
            batch.completion = kFailed;
            break;
        }
        const HVQ5_BATCH_HEADER& header = scratch.header;
        const int framesUpToHere = static_cast<int>(header.framesBefore) + header.frameCount;
        if (header.frameCount > 0) {
            lastFramesAt = clock.nowMs();
            batch.framesReceived += header.frameCount;
            block = header.blockIndex;
            batch.blockIndex = static_cast<int32_t>(block);
            if (isComplete(header)) {
                batch.completion =
                    framesUpToHere == static_cast<int>(header.batchFrames) ? kComplete : kIncomplete;
                break;
            }
            acknowledged = static_cast<uint16_t>(framesUpToHere);
            const int memoryState = memory.memoryStatus(block, acknowledged);
            if (memoryState != HVQ5_RC_OK && memoryState != HVQ5_RC_MEMORY_STATE_2) break;
            batch.completion = kReading;
            clock.sleepMs(kBlockPauseMs);
            continue;
        }
        if (isComplete(header)) {
            batch.completion = header.framesBefore == header.batchFrames ? kComplete : kIncomplete;
            break;
        }
        if (limitMs > 0 && clock.nowMs() - lastFramesAt >= limitMs) {
            batch.completion = kIncomplete;
            break;
        }
        clock.sleepMs(kBlockPauseMs);
    }
    // The read is over: a batch that did not end complete is incomplete, not
    // "still reading".
    if (batch.completion == kReading) batch.completion = kIncomplete;
}

}  // namespace command_batch
