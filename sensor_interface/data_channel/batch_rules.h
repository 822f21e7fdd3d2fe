#pragma once
// The decisions of batch assembly and delivery as pure functions, so that the
// time-outs, short-batch treatment and notify codes can be checked without a
// sensor or real waits.
#include <cstdint>

class SensorController;

namespace data_channel {

constexpr uint32_t kFullBatchCode = 0x10000;
constexpr uint32_t kShortBatchCode = 8;
// A saved copy is taken at the 1st, 6th, 11th ... full batch.
constexpr uint32_t kSaveEveryFullBatches = 5;
// The amount of the time-out callback that leaves short batches as they are,
// and the one that prefers the saved full batch to padding.
constexpr int kAmountUnchanged = 1;
constexpr int kAmountSavedBatch = 2;
// Frame processing slower than this is worth a dump.
constexpr double kSlowFrameMs = 2000.0;

// The pop time-out of the consumer: the start-frame time-out until the batch's
// first frame, the continuous-frame time-out after it; 0 waits without limit.
// A negative value (a register read as signed) counts as no limit.
inline int popTimeoutMs(int framesReceived, int startFrameTimeoutMs, int continuousFrameTimeoutMs) {
    const int ms = framesReceived == 0 ? startFrameTimeoutMs : continuousFrameTimeoutMs;
    return ms > 0 ? ms : 0;
}

inline uint32_t notifyCode(int framesReceived, int framesPerBatch) {
    return framesReceived == framesPerBatch ? kFullBatchCode : kShortBatchCode;
}

inline bool savesFullBatch(uint32_t fullBatchesBefore) {
    return fullBatchesBefore % kSaveEveryFullBatches == 0;
}

// Whether the installed batch handler sees the batch brought to the announced size.
inline bool completesBatch(int startFrameTimeoutMs, int continuousFrameTimeoutMs, int amount) {
    return (startFrameTimeoutMs != 0 || continuousFrameTimeoutMs != 0) && amount != kAmountUnchanged;
}

// Whether a completed batch is taken from the saved full batch (when that has
// the batch's size) rather than padded. One frame short is always padded.
inline bool prefersSavedBatch(int framesReceived, int framesPerBatch, int amount) {
    return amount == kAmountSavedBatch && framesReceived < framesPerBatch - 1;
}

// Whether a full batch on the saving rhythm is kept: only a short batch that
// the installed handler sees brought to size can take its place, so without
// a handler or without the extended values that ask for it a copy of a long
// batch would only double the memory the batch takes.
inline bool keepsSavedBatch(bool handlerInstalled, int startFrameTimeoutMs, int continuousFrameTimeoutMs,
                            int amount) {
    return handlerInstalled && completesBatch(startFrameTimeoutMs, continuousFrameTimeoutMs, amount) &&
           amount == kAmountSavedBatch;
}

// Padding of the int32 profiles: the invalid height x100 when the row carries
// heights (our own connection or no extended output width), else 0 (codes).
constexpr int32_t kInvalidProfileValue = -999900000;
inline int32_t profilePadValue(bool ownConnection, int extendedOutputWidth) {
    return ownConnection || extendedOutputWidth < 1 ? kInvalidProfileValue : 0;
}

// The extended values that batch assembly and delivery read, from the sensor's
// registers or from the interface's block, wherever the head keeps them.
struct BatchExtendValues {
    int startFrameTimeoutMs = 0;
    int continuousFrameTimeoutMs = 0;
    int timeoutCallbackAmount = 0;
    uint64_t features = 0;
};
BatchExtendValues read_batch_extend(SensorController& controller);

}  // namespace data_channel
