// The batch getters of the exports: copies and takes under the buffer lock,
// pointers into the live buffers from the Y window's first frame on.
#include <algorithm>
#include <mutex>
#include <shared_mutex>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/data_channel/profile_receiver.h"

namespace {

template <typename T>
T* handOut(const data_channel::BufferView<T>& view, int* count) {
    if (count) *count = static_cast<int>(view.count);
    return view.data;
}

}  // namespace

int ProfileReceiver::copyEncoders(uint32_t* to) { return buffers_->copyEncoders(to); }

int ProfileReceiver::takeEncoders(uint32_t* to, int count) { return buffers_->takeEncoders(to, count); }

int ProfileReceiver::copyIntensity(uint8_t* to) { return buffers_->copyIntensity(to, outputWidth()); }

int ProfileReceiver::takeIntensityFrames(uint8_t* to, int count) {
    return buffers_->takeIntensityFrames(to, count, outputWidth());
}

int ProfileReceiver::copyProfiles(int32_t* to) { return buffers_->copyProfiles(to, outputWidth()); }

int ProfileReceiver::takeProfileFrames(int32_t* to, int count) {
    return buffers_->takeProfileFrames(to, count, outputWidth());
}

int ProfileReceiver::copyTimestamps(uint64_t* to) { return buffers_->copyTimestamps(to); }

int ProfileReceiver::takeBatch(int first, uint32_t* batchNumber, int32_t* profiles, uint8_t* intensity,
                               uint32_t* encoders, uint32_t* frameNumbers, uint64_t* timestamps, int count) {
    const int width = outputWidth();
    // In pieces, each under the buffer lock: the consumer's appends and a new
    // batch's start wait for one piece, not for a whole take of thousands of
    // frames. The pieces continue one another while nothing but appends
    // changed the buffers in between; otherwise the take ends with the frames
    // copied so far. The number is read with the first piece: read before it,
    // a whole new batch could arrive in between and be labelled with the
    // number of the one before.
    constexpr int kPieceFrames = 256;
    const size_t w = static_cast<size_t>(std::max(width, 0));
    int copied = 0;
    uint64_t changes = 0;
    for (;;) {
        std::shared_lock<data_channel::BatchBuffers> lock(*buffers_);
        if (copied == 0) {
            if (batchNumber) *batchNumber = batchNumber_;
            changes = buffers_->changes();
        } else if (buffers_->changes() != changes) {
            break;
        }
        const size_t at = static_cast<size_t>(copied);
        auto offset = [at](auto* to, size_t per) { return to ? to + at * per : to; };
        const int piece = std::min(count - copied, kPieceFrames);
        const int got = buffers_->copyFramesLocked(first + copied, piece, width,
                                                   {offset(profiles, w), offset(intensity, w), offset(encoders, 1),
                                                    offset(frameNumbers, 1), offset(timestamps, 1)});
        copied += got;
        if (got < piece || copied >= count) break;
    }
    return copied;
}

int ProfileReceiver::takeRollFrames(uint32_t* batchNumber, int32_t* profiles, uint8_t* intensity,
                                    uint32_t* encoders, uint32_t* frameNumbers, uint64_t* timestamps,
                                    int count) {
    const int width = outputWidth();
    int frames;
    {
        // The frames and the number that labels them in one step (see takeBatch).
        std::lock_guard<data_channel::BatchBuffers> lock(*buffers_);
        frames = buffers_->takeFrontFramesLocked(count, width,
                                                 {profiles, intensity, encoders, frameNumbers, timestamps});
        if (frames > 0 && batchNumber) *batchNumber = batchNumber_;
    }
    if (frames == data_channel::BatchBuffers::kNothingBuffered) return rollState_ != kRollRunning ? kRollEnded : 0;
    return frames;
}

size_t ProfileReceiver::yWindowFirstFrame() {
    if (!controller_) return 0;
    hvq5_settings& settings = controller_->settings();
    if (!settings.yroi_en()) return 0;
    return static_cast<size_t>(std::max(settings.get_sdk_extend()->y_roi_first, 0));
}

int16_t* ProfileReceiver::profile16Pointer(int* count) {
    const size_t width = static_cast<size_t>(std::max(outputWidth(), 0));
    return handOut(buffers_->codes(yWindowFirstFrame() * width), count);
}

int32_t* ProfileReceiver::profilePointer(int* count) {
    const size_t width = static_cast<size_t>(std::max(outputWidth(), 0));
    return handOut(buffers_->profiles(yWindowFirstFrame() * width), count);
}

uint8_t* ProfileReceiver::intensityPointer(int* count) {
    const size_t width = static_cast<size_t>(std::max(outputWidth(), 0));
    return handOut(buffers_->intensity(yWindowFirstFrame() * width), count);
}

uint32_t* ProfileReceiver::encoderPointer(int* count) { return handOut(buffers_->encoders(yWindowFirstFrame()), count); }

uint64_t* ProfileReceiver::timestampPointer(int* count) {
    return handOut(buffers_->timestamps(yWindowFirstFrame()), count);
}
