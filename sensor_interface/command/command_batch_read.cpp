// The controller's side of the batch read over the command channel: the
// status record and batch data on the socket, the trigger wait, and the
// collecting loop over the setting dispatcher.
#include <chrono>
#include <cstdio>
#include <thread>

#include "sensor_interface/command/command_batch.h"
#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/settings/setting_dispatcher.h"
#include "sensor_interface/status_codes.h"

namespace {

constexpr uint8_t kReadOpcode = static_cast<uint8_t>(CommandOpcode::ReadRegister);
constexpr int kRecordSizeWaitMs = 5;
constexpr int kTriggerReadWaitMs = 10;
const char kBatchEnd[] = "MESSTP,OK,end\r\n";
const char kTimeoutMessage[] = "recv tcp time out \n";

void pauseMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The trigger counter; a reading of -1 (counter not known yet) is asked once more.
int readTriggerCounter(SensorController& controller, int32_t& counter) {
    uint32_t value = 0;
    if (controller.readRegister(command_batch::kTriggerCounterRegister, value, kTriggerReadWaitMs) != HVQ5_RC_OK)
        return HVQ5_RC_NO_SOCKET;
    if (static_cast<int32_t>(value) == -1 &&
        controller.readRegister(command_batch::kTriggerCounterRegister, value, kTriggerReadWaitMs) != HVQ5_RC_OK)
        return HVQ5_RC_NO_SOCKET;
    counter = static_cast<int32_t>(value);
    return HVQ5_RC_OK;
}

}  // namespace

int SensorController::readBatchStatusBlock(Bytes& data, BatchStatus& status) {
    std::lock_guard<std::mutex> lock(transactionMutex_);
    uint32_t size = 0;
    int result = transact(kReadOpcode, kBulkSizeRegister, size, kRecordSizeWaitMs);
    if (result != HVQ5_RC_OK) return result;
    data.clear();
    if (size > kBatchStatusMaxSize) {
        // Not a record: whatever follows must not be read as the next reply.
        drainSocket();
        return HVQ5_RC_BAD_BLOCK;
    }
    data.resize(size);
    std::size_t have = 0;
    if (!receiveRemainder(data.data(), have, size)) {
        data.resize(have);
        std::fputs(kTimeoutMessage, stdout);
        return HVQ5_RC_TIMEOUT;
    }
    // A record shorter than its fields is received (the channel stays in
    // step) but refused rather than decoded from bytes that are not there.
    if (!parse_batch_status(data.data(), data.size(), status)) return HVQ5_RC_BAD_BLOCK;
    if (status.frameCount == 0) return HVQ5_RC_MEMORY_NOT_READY;
    if (receiveUntil(data, kBatchEnd, timeoutMs, 0) != HVQ5_RC_OK) {
        drainSocket();
        return HVQ5_RC_TIMEOUT;
    }
    return HVQ5_RC_OK;
}

int SensorController::receiveDataAuto(SettingDispatcher& dispatcher) {
    // Waiting for the trigger is the purpose of the call: it has no limit.
    for (;;) {
        if (!connected()) return HVQ5_RC_BAD_REPLY;
        int32_t counter = 0;
        if (readTriggerCounter(*this, counter) != HVQ5_RC_OK) return HVQ5_RC_NO_SOCKET;
        if (counter == -1) {
            pauseMs(command_batch::kTriggerPollMs);
            continue;
        }
        const command_batch::TriggerStep step =
            command_batch::followTrigger(commandBatch.blockIndex, counter, batchCounterSeen);
        batchCounterSeen = true;
        commandBatch.blockIndex = step.blockIndex;
        if (step.action == command_batch::TriggerAction::Collect) break;
        pauseMs(command_batch::kTriggerPollMs);
    }
    const int ahead = checkTriggerAhead();
    if (ahead != HVQ5_RC_OK) return ahead;
    collectCommandBatch(dispatcher);
    return HVQ5_RC_OK;
}

int SensorController::checkTriggerAhead() {
    int32_t counter = 0;
    if (readTriggerCounter(*this, counter) != HVQ5_RC_OK) return HVQ5_RC_NO_SOCKET;
    return command_batch::triggerAheadStatus(commandBatch.blockIndex, counter);
}

void SensorController::collectCommandBatch(SettingDispatcher& dispatcher) {
    command_batch::DispatcherBatchMemory memory(dispatcher);
    command_batch::collectCommandBatch(memory, DispatchClock::steady(),
                                       getVals(command_batch::kTimeLimitRegister), commandBatch);
}

int SensorController::readCommandBatchBlock(SettingDispatcher& dispatcher, HVQ5_BATCH_HEADER& header) {
    command_batch::DispatcherBatchMemory memory(dispatcher);
    command_batch::BatchBlock block;
    const int status = command_batch::readCommandBatchBlock(memory, block, commandBatch);
    header = block.header;
    return status;
}
