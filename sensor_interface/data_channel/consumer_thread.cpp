// The consumer thread of a receiver: takes the queued messages, dispatches
// them by tag and assembles batches from "MESSTA" to "MESSTP" or a time-out.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/thread_name.h"
#include "platform/thread_priority.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/data_channel/batch_rules.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/settings/setting_dispatcher.h"
#include "sensor_interface/settings/stop_watch.h"

namespace {

constexpr unsigned int kGammaRegister = 741;

// Heads of these series send fixed-point peak rows instead of raw values.
bool sendsFixedPoint(const SensorController* controller) {
    if (!controller) return false;
    const char series = controller->laserParams.model[2];
    return series == '3' || series == '4';
}

}  // namespace

void ProfileReceiver::consumerLoop() {
    mirevo::platform::nameCurrentThread("mirevo-consumer");
    if (runMode_ == 0) mirevo::platform::setCurrentThreadTimeCritical();
    const std::string device = "[" + std::to_string(id_) + "]";
    consumerTexts_ = {device, "received data" + device, "received start" + device};
    readExtendFlags();
    MessageQueue::Message message;
    while (run_.running()) {
        // With frames in the pool, a message already queued is taken at once;
        // when none is, the oldest frame is completed (processed here if no
        // worker has taken it yet) and the queue looked at again. Only without
        // frames in the pool does the consumer wait for a message, so that the
        // wait and its time-out (which depends on the frames received) are as
        // without the pool.
        if (framesInPool() > 0) {
            if (!queue_.tryPop(message)) {
                advanceFrames();
                continue;
            }
        } else {
            const int timeoutMs =
                data_channel::popTimeoutMs(framesReceived_, startFrameTimeoutMs_, continuousFrameTimeoutMs_);
            message = queue_.pop(timeoutMs);
        }
        consume(message);
        queue_.recycle(std::move(message));
        message.clear();
    }
    // Frames accepted before the stop are completed as they would have been.
    drainFrames();
}

void ProfileReceiver::consume(MessageQueue::Message& message) {
    if (message.empty())
        onSilence();
    else
        onMessage(message);
}

void ProfileReceiver::consume(const MessageQueue::Message& message) {
    MessageQueue::Message copy(message);
    consume(copy);
}

void ProfileReceiver::readExtendFlags() {
    if (!controller_) {
        graySwitches_ = GraySwitches{};
        startFrameTimeoutMs_ = 0;
        continuousFrameTimeoutMs_ = 0;
        return;
    }
    const data_channel::BatchExtendValues values = data_channel::read_batch_extend(*controller_);
    GraySwitches gray;
    gray.gamma = controller_->getVals(kGammaRegister) != 0;
    gray.stretch = (values.features & HVQ5_2_EXTEND::gray_correction_en) != 0;
    gray.lut = (values.features & HVQ5_2_EXTEND::gray_lut_en) != 0;
    graySwitches_ = gray;
    startFrameTimeoutMs_ = values.startFrameTimeoutMs;
    continuousFrameTimeoutMs_ = values.continuousFrameTimeoutMs;
}

// A pop that came back empty: a time-out, or the wake-up of stop().
void ProfileReceiver::onSilence() {
    drainFrames();
    if (batchFinished_) return;
    connection_.requestReconnect();
    log_->dump();
    if (rollMode_) return;
    endBatch(true);
}

void ProfileReceiver::onMessage(MessageQueue::Message& message) {
    const uint8_t* data = message.data();
    const size_t size = message.size();
    const data_channel::MessageTag tag = data_channel::messageTag(data, size);
    const data_channel::MessageKind kind = data_channel::classifyTag(tag.text);
    // Every other message comes after the frames before it are complete.
    if (kind != data_channel::MessageKind::Frame) drainFrames();
    switch (kind) {
        case data_channel::MessageKind::Info:
            if (!parseInfo(data, size))
                log_->line("invalid info" + consumerTexts_.device + ": length " + std::to_string(size), 0);
            break;
        case data_channel::MessageKind::Frame:
            onFrame(message, tag.payloadPos);
            break;
        case data_channel::MessageKind::BatchStart:
            onBatchStart();
            break;
        case data_channel::MessageKind::Tick:
            // A tick without its four bytes is not read past the message end.
            if (const std::optional<uint32_t> tick = data_channel::parseTick(data, size, tag.payloadPos)) {
                if (startTick_ == 0)
                    startTick_ = *tick;
                else
                    endTick_ = *tick;
            }
            break;
        case data_channel::MessageKind::BatchStop:
            endBatch(false);
            break;
        case data_channel::MessageKind::Other:
            log_->line("ignored header" + consumerTexts_.device + ": " + tag.text, 0);
            break;
    }
}

void ProfileReceiver::onFrame(MessageQueue::Message& message, size_t payloadPos) {
    const size_t size = message.size();
    const int mode = sendsFixedPoint(controller_) ? kFixedPointMode : (info_.value_width ? 1 : 0);
    // Fixed-point frames carry 4 bytes per value whatever the info message
    // announces: a frame too short for that is dropped like any invalid one.
    const bool valid = isValidFrame(size, payloadPos, lastColumns.load(std::memory_order_relaxed)) &&
                       frameReadable(size, payloadPos, mode);
    const bool rolledOut = rollMode_ && rollState_ != kRollRunning;
    if (valid && !rolledOut && submitFrame(mode, message, payloadPos)) return;

    // On the consumer itself, after the frames before it.
    drainFrames();
    log_->line(consumerTexts_.receivedData, 2);
    if (!valid) {
        log_->line("invalid data" + consumerTexts_.device + ": length " + std::to_string(size) +
                       ", horizon_offset " + std::to_string(info_.horizon_offset) +
                       ", horizon_length " + std::to_string(info_.horizon_length),
                   0);
        return;
    }
    // The frames just completed may have reached the rolling batch's limit.
    if (rollMode_ && rollState_ != kRollRunning) return;

    stop_watch watch;
    watch.begin_ms();
    copyFrame(mode, message.data(), size, payloadPos);
    watch.stop_ms();
    if (watch.elapsed() > data_channel::kSlowFrameMs) {
        const uint8_t* area = reinterpret_cast<const uint8_t*>(frameArea_.data());
        log_->dumpFrame(area + kFrameIntensityOffset, area + kFrameValuesOffset);
    }
    afterFrame();
}

void ProfileReceiver::afterFrame() {
    if (rollMode_ && rollState_ == kRollRunning && rollFrameLimit_ > 0 && framesReceived_ >= rollFrameLimit_)
        stopAtRollLimit();
    notifyBatchState();
}

void ProfileReceiver::copyFrame(int mode, const uint8_t* message, size_t size, size_t payloadPos) {
    if (!frameReadable(size, payloadPos, mode)) return;
    const size_t bytesPerValue = valueBytesRead(mode);
    const data_channel::FrameLayout layout = data_channel::frameLayout(payloadPos, info_, bytesPerValue);
    // The areas hold kMaxFramePoints points; the processor reads no more.
    const size_t n = std::min<size_t>(info_.horizon_length, kMaxFramePoints);
    uint8_t* area = reinterpret_cast<uint8_t*>(frameArea_.data());
    std::memcpy(area, message + layout.header, kFrameHeaderSize);
    if (info_.intensity) std::memcpy(area + kFrameIntensityOffset, message + layout.intensity, n);
    std::memcpy(area + kFrameValuesOffset, message + layout.values, n * bytesPerValue);
    processFrame(mode, area);
}

void ProfileReceiver::onBatchStart() {
    framesReceived_ = 0;
    startTick_ = 0;
    endTick_ = 0;
    firstTimestamp_ = 0;
    lastTimestamp_ = 0;
    readExtendFlags();
    if (rollMode_)
        rollState_ = kRollRunning;
    else
        buffers_->clearForBatch(announcedFrames(), outputWidth());
    batchFinished_ = 0;
    StartHook hook;
    {
        std::lock_guard<std::mutex> lock(handlerMutex_);
        hook = startHook_;
    }
    if (hook) hook(id_);
    log_->line(consumerTexts_.receivedStart, 1);
}

void ProfileReceiver::endBatch(bool timedOut) {
    logBatchSummary(timedOut ? "callback info" : "received stop");
    const std::shared_ptr<ProfileProcessor> processor = controller_ ? controller_->currentProcessor() : nullptr;
    // The frames the temporal repair still holds, through the workers like
    // every other frame (unless their dumps are written).
    if (processor && pool_ && data_save_enabled.load() == 0)
        releaseHeldFramesInPool(processor);
    else if (processor)
        processor->flushRepair(framesReceived_, [this] { appendRepairedFrame(); });
    if (batchFinished_) return;

    if (rollMode_) {
        int running = kRollRunning;
        rollState_.compare_exchange_strong(running, kRollBatchEnded);
    } else {
        // Stopping ends the wait: the batch is then delivered as it is.
        if (timedOut && run_.running()) waitReconnected();
        deliverBatch();
    }
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        batchFinished_ = 1;
    }
    batchState_.notify_all();
}

void ProfileReceiver::logBatchSummary(const char* name) {
    char pitch[64];
    std::snprintf(pitch, sizeof(pitch), "%f", info_.xpitch / 100000.0);
    log_->line(std::string(name) + consumerTexts_.device + ": frames " + std::to_string(framesReceived_) +
                   ", batchpoints " + std::to_string(announcedFrames()) + ", batchtimes " +
                   std::to_string(batchNumber_) + ", startencoder " + std::to_string(buffers_->firstEncoder()) +
                   ", xpitch " + pitch + ", xpoints " + std::to_string(outputWidth()) + ", ticktime " +
                   std::to_string(startTick_) + "-" + std::to_string(endTick_) + ", timestamp " +
                   std::to_string(firstTimestamp_) + "-" + std::to_string(lastTimestamp_),
               1);
}

void ProfileReceiver::appendRepairedFrame() {
    const std::shared_ptr<ProfileProcessor> processor = controller_ ? controller_->currentProcessor() : nullptr;
    if (!processor) return;
    const OutputRowRules rules = outputRowRules();
    repairedRows_.fillReleased(*processor, processor->rows(), outputOffset_, rules,
                               processor->grayTableFor(rules.gray.gamma, rules.gray.stretch, rules.gray.lut));
    appendReleasedRows(repairedRows_);
}

void ProfileReceiver::appendReleasedRows(const FrameOutputRows& rows) {
    std::lock_guard<data_channel::BatchBuffers> lock(*buffers_);
    if (!batchFinished_) buffers_->appendRows(rows.codes(), rows.heights(), rows.gray(), rows.width());
}

void ProfileReceiver::stopAtRollLimit() {
    rollState_ = kRollLimitReached;
    if (!controller_) return;
    ControllerSettingTransport transport(*controller_);
    SettingDispatcher(transport).startStop(false);
}

void ProfileReceiver::notifyBatchState() { batchState_.notify_all(); }

bool ProfileReceiver::waitBatchState(const std::function<bool()>& done, int timeoutMs) {
    std::unique_lock<std::mutex> lock(stateMutex_);
    return batchState_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
}

void ProfileReceiver::startRolling() {
    rollMode_ = 1;
    rollState_ = kRollRunning;
}

void ProfileReceiver::clearBatch() {
    std::lock_guard<data_channel::BatchBuffers> lock(*buffers_);
    {
        std::lock_guard<std::mutex> infoLock(infoMutex_);
        info_.batchpoints = 0;
    }
    framesReceived_ = 0;
    batchFinished_ = 1;
    buffers_->clearLocked();
}

void ProfileReceiver::setStartHook(StartHook hook) {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    startHook_ = std::move(hook);
}
