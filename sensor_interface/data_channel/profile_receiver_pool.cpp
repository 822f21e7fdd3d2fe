// Frames through the receiver's worker pool: the consumer submits a frame, a
// worker runs the stages that depend on the frame alone, and the consumer
// completes the frames in the order they came in, with everything that keeps
// the batch in order (temporal repair, buffers, merge hook, the run-log lines).
// The completion does and writes exactly what the consumer's own processing of
// the frame would have done at that point.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/thread_name.h"
#include "platform/thread_priority.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/batch_rules.h"
#include "sensor_interface/data_channel/frame_pool.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/profile_processor.h"

namespace {

// A gray noise bound draws from the C library's generator, one draw after
// the other: those frames stay on the consumer, so that the draws keep their
// order.
constexpr unsigned int kGrayNoiseRegister = 755;

}  // namespace

int ProfileReceiver::defaultFrameWorkers() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

void ProfileReceiver::startFramePool() {
    if (frameWorkers_ < 2) return;
    const bool timeCritical = runMode_ == 0;
    pool_ = std::make_unique<data_channel::FramePool>(
        frameWorkers_, [this](data_channel::FrameJob& job) { processJob(job); },
        [timeCritical] {
            mirevo::platform::nameCurrentThread("mirevo-frames");
            if (timeCritical) mirevo::platform::setCurrentThreadTimeCritical();
        });
}

void ProfileReceiver::stopFramePool() {
    if (!pool_) return;
    pool_->stop();
    pool_.reset();
}

int ProfileReceiver::framesInPool() const { return pool_ ? pool_->inFlight() : 0; }

bool ProfileReceiver::submitFrame(int mode, const uint8_t* message, size_t size, size_t payloadPos) {
    if (!pool_ || !controller_ || data_save_enabled.load() != 0) return false;
    std::shared_ptr<ProfileProcessor> processor = controller_->currentProcessor();
    if (!processor || controller_->getVals(kGrayNoiseRegister) != 0) return false;
    if (!frameReadable(size, payloadPos, mode)) return false;

    data_channel::FrameJob* job = pool_->freeJob();
    if (!job) {
        completeOldestFrame();
        job = pool_->freeJob();
    }
    // The frame laid out as copyFrame lays it out.
    const size_t bytesPerValue = valueBytesRead(mode);
    const data_channel::FrameLayout layout = data_channel::frameLayout(payloadPos, info_, bytesPerValue);
    const size_t n = std::min<size_t>(info_.horizon_length, kMaxFramePoints);
    job->area.resize(kFrameAreaSize / sizeof(uint32_t));
    uint8_t* area = reinterpret_cast<uint8_t*>(job->area.data());
    std::memcpy(area, message + layout.header, kFrameHeaderSize);
    if (info_.intensity) std::memcpy(area + kFrameIntensityOffset, message + layout.intensity, n);
    std::memcpy(area + kFrameValuesOffset, message + layout.values, n * bytesPerValue);

    job->mode = mode;
    job->points = static_cast<int>(n);
    job->startColumn = info_.horizon_offset;
    job->intensity = info_.intensity != 0;
    job->cameraRows = controller_->rows;
    // The reference rows are set here, in frame order, and the worker only reads them.
    processor->applyReferenceRows();
    const HVQ5_2_EXTEND* extend = controller_->settings().get_sdk_extend();
    job->referenceRows[0] = extend->ref_row_a;
    job->referenceRows[1] = extend->ref_row_b;
    job->processor = std::move(processor);
    job->count = -1;
    job->submitted = std::chrono::steady_clock::now();
    pool_->submit(job);
    return true;
}

void ProfileReceiver::processJob(data_channel::FrameJob& job) {
    ProfileProcessor& processor = *job.processor;
    // Rows are made anew only when a sensor of another size comes.
    if (!job.rows || job.rows->columns() != processor.columns() ||
        job.rows->points() != processor.points())
        job.rows = processor.newFrameRows();
    FrameOptions options;
    options.trace = false;
    options.dumps = false;
    options.referenceRows = job.referenceRows;
    options.grayNoiseBound = 0;  // frames with another bound are not pooled
    const uint8_t* frame = reinterpret_cast<const uint8_t*>(job.area.data());
    const uint8_t* intensity = job.intensity ? frame + kFrameIntensityOffset : nullptr;
    const uint8_t* values = frame + kFrameValuesOffset;
    if (job.mode != kFixedPointMode) {
        job.count = processor.frameStages(*job.rows, job.mode,
                                          reinterpret_cast<const uint32_t*>(values), intensity,
                                          job.startColumn, job.points, options);
        return;
    }
    // Rows beyond the camera's columns are not used.
    FrameRows& rows = *job.rows;
    const int peaks = std::min(job.points, rows.columns());
    frame_kernels().peakRows(values, rows.peakRows.data(), peaks, job.cameraRows, kNoPeak);
    const double* distances = processor.preprocessFixedInto(rows, rows.peakRows.data(),
                                                           job.startColumn, job.points, options);
    job.count = distances ? processor.frameStagesFixed(rows, distances, intensity, job.startColumn,
                                                       job.points, options)
                          : -1;
}

void ProfileReceiver::completeOldestFrame() {
    data_channel::FrameJob* job = pool_ ? pool_->waitOldest() : nullptr;
    if (!job) return;
    completeJob(*job);
    pool_->release(job);
}

void ProfileReceiver::drainFrames() {
    while (framesInPool() > 0) completeOldestFrame();
}

void ProfileReceiver::completeJob(data_channel::FrameJob& job) {
    ++framesFromPool_;
    log_->line(consumerTexts_.receivedData, 2);
    // A frame after the rolling batch's limit is not processed.
    if (rollMode_ && rollState_ != kRollRunning) return;

    const uint8_t* frame = reinterpret_cast<const uint8_t*>(job.area.data());
    const FrameHeader header = beginFrameRecord(frame);
    ProfileProcessor* processor = job.processor.get();
    int count = -1;
    if (processor && job.count >= 0) {
        const bool firstOfBatch = framesReceived_ == 0;
        processor->beginPipeline(firstOfBatch);
        ProfileProcessor::traceFrameStages(job.mode == kFixedPointMode);
        count = processor->completeFrame(job.rows, job.count, true, firstOfBatch, binningFactor(),
                                         FrameOptions{});
    }
    endFrameRecord(header, processor, count);

    const double elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - job.submitted).count();
    if (elapsedMs > data_channel::kSlowFrameMs)
        log_->dumpFrame(frame + kFrameIntensityOffset, frame + kFrameValuesOffset);
    afterFrame();
}
