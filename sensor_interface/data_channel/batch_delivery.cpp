// Delivery of a finished batch: the plain callback, the handler list and the
// installed batch handler, with the short-batch completion and the Y window.
#include <cmath>
#include <mutex>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/data_channel/batch_rules.h"
#include "sensor_interface/data_channel/profile_receiver.h"

namespace {

constexpr unsigned int kBinningRegister = 740;
constexpr unsigned int kExtendedWidthRegister = 752;

}  // namespace

void ProfileReceiver::deliverBatch() {
    const int announced = announcedFrames();
    const int received = framesReceived_;
    const uint32_t code = data_channel::notifyCode(received, announced);
    notifyCode_ = code;

    // Handlers installed meanwhile take effect from the next batch.
    HVQ5_2_BatchCallback callback;
    HVQ5_2_BatchHandler handler;
    HVQ5_2_BatchHandlerObject handlerObject;
    std::vector<HVQ5_2_BatchListHandler> handlerList;
    {
        std::lock_guard<std::mutex> lock(handlerMutex_);
        callback = batchCallback_;
        handler = oneTimeHandler_;
        handlerObject = oneTimeHandlerObject_;
        handlerList = handlerList_;
    }

    if (code == data_channel::kFullBatchCode && data_channel::savesFullBatch(fullBatches_++)) {
        // A copy that no short batch can take is not made (a long batch is
        // gigabytes, copied on this thread while the next batch waits), and
        // an older one is dropped: it would stand in for the batch just ended.
        const data_channel::BatchExtendValues now =
            controller_ ? data_channel::read_batch_extend(*controller_) : data_channel::BatchExtendValues{};
        if (data_channel::keepsSavedBatch(handler || handlerObject, startFrameTimeoutMs_, continuousFrameTimeoutMs_,
                                          now.timeoutCallbackAmount))
            buffers_->saveFullBatch();
        else
            buffers_->dropSavedBatch();
    }

    if (callback) {
        if (received > 0) {
            data_channel::BufferView<int32_t> profiles;
            {
                std::lock_guard<data_channel::BatchBuffers> lock(*buffers_);
                profiles = buffers_->profiles(0);
            }
            callback(profiles.data, static_cast<uint32_t>(profiles.count / static_cast<size_t>(received)),
                     static_cast<uint32_t>(received), code, userValue_);
        } else {
            callback(nullptr, 0, 0, code, userValue_);
        }
    }

    const int width = outputWidth();
    const std::string listDone = "pre-callback[" + std::to_string(id_) + "] finished";
    for (const HVQ5_2_BatchListHandler& entry : handlerList) {
        if (entry) {
            HVQ5_2_STR_CALLBACK_INFO info{};
            info.width = width;
            info.frames = received;
            _HVQ5_2_Data data{id_, 0};
            entry(&info, &data);
        }
        log_->line(listDone, 2);
    }

    if (!handler && !handlerObject) return;

    const data_channel::BatchExtendValues extend =
        controller_ ? data_channel::read_batch_extend(*controller_) : data_channel::BatchExtendValues{};
    int frames = received;
    if (data_channel::completesBatch(startFrameTimeoutMs_, continuousFrameTimeoutMs_, extend.timeoutCallbackAmount)) {
        const int extendedWidth = controller_ ? static_cast<int32_t>(controller_->getVals(kExtendedWidthRegister)) : 0;
        buffers_->completeBatch(announced, width,
                                data_channel::prefersSavedBatch(received, announced, extend.timeoutCallbackAmount),
                                data_channel::profilePadValue(ownConnection(), extendedWidth));
        frames = announced;
        framesReceived_ = announced;
    }

    HVQ5_2_STR_CALLBACK_INFO info{};
    info.width = width;
    info.frames = frames;
    info.batch_number = static_cast<int32_t>(batchNumber_.load());
    const unsigned int binning = controller_ ? controller_->getVals(kBinningRegister) & 31u : 0u;
    info.x_pitch = info_.xpitch / 100000.0 * std::ldexp(1.0, static_cast<int>(binning));
    info.first_encoder = static_cast<int32_t>(buffers_->firstEncoder());
    info.constant = 1;
    info.incomplete = frames != announced ? -1 : 0;
    if (controller_) {
        hvq5_settings& settings = controller_->settings();
        info.extend_on = settings.get_sdk_extend()->enable;
        // Lowers a last bound beyond the batch for good; never a negative count.
        info.frames = settings.yroi_row(frames);
    }

    _HVQ5_2_Data data{id_, 0};
    if (handler) handler(&info, &data);
    if (handlerObject) handlerObject(&info, &data);
}

void ProfileReceiver::setBatchCallback(HVQ5_2_BatchCallback callback) {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    batchCallback_ = callback;
}

void ProfileReceiver::setOneTimeHandler(HVQ5_2_BatchHandler handler) {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    oneTimeHandler_ = handler;
}

void ProfileReceiver::setOneTimeHandlerObject(HVQ5_2_BatchHandlerObject handler) {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    oneTimeHandlerObject_ = std::move(handler);
}

void ProfileReceiver::clearHandlerList() {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    handlerList_.clear();
}

void ProfileReceiver::addListHandler(HVQ5_2_BatchListHandler handler) {
    std::lock_guard<std::mutex> lock(handlerMutex_);
    handlerList_.push_back(std::move(handler));
}
