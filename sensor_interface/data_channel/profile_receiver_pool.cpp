// Frames through the receiver's worker pool (see frame_pool.h for the steps).
// The consumer hands a frame's message to the pool as it is; a worker lays
// the frame out and runs the stages that depend on the frame alone; the
// consumer takes the frame through the temporal repair in frame order; a
// worker makes the frame the repair released into the batch rows; the
// consumer completes the frames in the order they came in: buffers, merge
// hook, run-log lines. Each step does and writes exactly what the consumer's
// own processing of the frame would have done at that point.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/thread_name.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/batch_buffers.h"
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

// Steps on the workers neither trace nor dump: their lines are written when
// the frame is completed, and frames with dumps stay on the consumer.
FrameOptions silentOptions() {
    FrameOptions options;
    options.trace = false;
    options.dumps = false;
    return options;
}

}  // namespace

int ProfileReceiver::defaultFrameWorkers() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

void ProfileReceiver::startFramePool() {
    if (frameWorkers_ < 2) return;
    // The workers keep the ordinary priority: only the reader and the consumer
    // run time-critical. Workers at real-time priority filling every core took
    // the processor from every ordinary thread of the program (the GUI thread,
    // and Qt's pool that scales the height picture while the GUI thread
    // waits); a consumer that finds a step waiting runs it itself, so the
    // frames' order never waits on a worker the system holds back.
    pool_ = std::make_unique<data_channel::FramePool>(
        frameWorkers_, [this](data_channel::FrameJob& job) { processJob(job); },
        [] { mirevo::platform::nameCurrentThread("mirevo-frames"); });
}

void ProfileReceiver::stopFramePool() {
    if (!pool_) return;
    pool_->stop();
    pool_.reset();
}

int ProfileReceiver::framesInPool() const { return pool_ ? pool_->inFlight() : 0; }

data_channel::FrameJob* ProfileReceiver::takeFreeJob() {
    data_channel::FrameJob* job = pool_->freeJob();
    while (!job) {
        advanceFrames();
        job = pool_->freeJob();
    }
    return job;
}

bool ProfileReceiver::submitFrame(int mode, MessageQueue::Message& message, size_t payloadPos) {
    if (!pool_ || !controller_ || data_save_enabled.load() != 0) return false;
    std::shared_ptr<ProfileProcessor> processor = controller_->currentProcessor();
    if (!processor || controller_->getVals(kGrayNoiseRegister) != 0) return false;
    if (!frameReadable(message.size(), payloadPos, mode)) return false;

    data_channel::FrameJob* job = takeFreeJob();
    // The message itself goes to the worker, which lays the frame out as
    // copyFrame does; the consumer gets an older message's storage back.
    const data_channel::FrameLayout layout = data_channel::frameLayout(payloadPos, info_, valueBytesRead(mode));
    job->kind = data_channel::FrameJob::Kind::Frame;
    job->message.swap(message);
    job->headerAt = layout.header;
    job->intensityAt = layout.intensity;
    job->valuesAt = layout.values;
    job->mode = mode;
    job->points = static_cast<int>(std::min<size_t>(info_.horizon_length, kMaxFramePoints));
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
    job->finishes = false;
    job->completed = false;
    job->result = -1;
    job->submitted = std::chrono::steady_clock::now();
    pool_->submit(job);
    return true;
}

void ProfileReceiver::processJob(data_channel::FrameJob& job) {
    ProfileProcessor& processor = *job.processor;
    // Rows are made anew only when a sensor of another size comes.
    if (!job.rows || job.rows->columns() != processor.columns() || job.rows->points() != processor.points())
        job.rows = processor.newFrameRows();
    if (job.kind == data_channel::FrameJob::Kind::Released) {
        makeReleasedRows(job);
        return;
    }
    if (job.finishes) {
        finishJob(job);
        return;
    }
    // The frame laid out as copyFrame lays it out.
    const size_t n = static_cast<size_t>(job.points);
    job.area.resize(kFrameAreaSize / sizeof(uint32_t));
    uint8_t* area = reinterpret_cast<uint8_t*>(job.area.data());
    const uint8_t* message = job.message.data();
    std::memcpy(area, message + job.headerAt, kFrameHeaderSize);
    if (job.intensity) std::memcpy(area + kFrameIntensityOffset, message + job.intensityAt, n);
    std::memcpy(area + kFrameValuesOffset, message + job.valuesAt, n * valueBytesRead(job.mode));

    FrameOptions options = silentOptions();
    options.referenceRows = job.referenceRows;
    options.grayNoiseBound = 0;  // frames with another bound are not pooled
    const uint8_t* intensity = job.intensity ? area + kFrameIntensityOffset : nullptr;
    const uint8_t* values = area + kFrameValuesOffset;
    FrameRows& rows = *job.rows;
    if (job.mode != kFixedPointMode) {
        job.count = processor.frameStages(rows, job.mode, reinterpret_cast<const uint32_t*>(values), intensity,
                                          job.startColumn, job.points, options);
        return;
    }
    // Rows beyond the camera's columns are not used.
    const int peaks = std::min(job.points, rows.columns());
    frame_kernels().peakRows(values, rows.peakRows.data(), peaks, job.cameraRows, kNoPeak);
    const double* distances =
        processor.preprocessFixedInto(rows, rows.peakRows.data(), job.startColumn, job.points, options);
    job.count = distances ? processor.frameStagesFixed(rows, distances, intensity, job.startColumn, job.points, options)
                          : -1;
}

void ProfileReceiver::finishJob(data_channel::FrameJob& job) {
    const ProfileProcessor& processor = *job.processor;
    job.result = processor.finishFrame(*job.rows, job.release, job.count, job.binning, job.zOffsets, silentOptions());
    if (job.result >= 0 && job.release.ready)
        job.output.fill(processor, *job.rows, job.result, job.rules, job.grayTable ? job.grayTableValues : nullptr);
}

void ProfileReceiver::makeReleasedRows(data_channel::FrameJob& job) {
    // The profile as the end-of-batch release leaves it: the released frame,
    // then what the last frame left beyond its width.
    FrameRows& rows = *job.rows;
    const ProfileProcessor& processor = *job.processor;
    const int width = std::clamp(job.release.width, 0, processor.points());
    std::copy(job.release.heights, job.release.heights + width, rows.heights.begin());
    std::copy(job.release.gray, job.release.gray + width, rows.gray.begin());
    if (job.tailHeights) {
        std::copy(job.tailHeights, job.tailHeights + (processor.points() - width), rows.heights.begin() + width);
        std::copy(job.tailGray, job.tailGray + (processor.points() - width), rows.gray.begin() + width);
    }
    job.output.fillReleased(processor, rows, job.releasedOffset, job.rules,
                            job.grayTable ? job.grayTableValues : nullptr);
}

void ProfileReceiver::takeGrayTable(data_channel::FrameJob& job, const ProfileProcessor& processor) {
    const uint8_t* table =
        processor.grayTableFor(job.rules.gray.gamma, job.rules.gray.stretch, job.rules.gray.lut);
    job.grayTable = table != nullptr;
    if (table) std::memcpy(job.grayTableValues, table, sizeof(job.grayTableValues));
}

bool ProfileReceiver::advanceFrames() {
    const data_channel::FramePool::Next next = pool_ ? pool_->next(true) : data_channel::FramePool::Next{};
    if (next.turn == data_channel::FramePool::Turn::Order) {
        orderJob(*next.job);
        return true;
    }
    if (next.turn == data_channel::FramePool::Turn::Complete) {
        completeJob(*next.job);
        return true;
    }
    return false;
}

void ProfileReceiver::drainFrames() {
    while (framesInPool() > 0) advanceFrames();
}

bool ProfileReceiver::completesInTurn(const data_channel::FrameJob& job) {
    if (!job.processor || job.count < 0) return false;
    // A rolling batch's limit is found as frames complete, and it stops the
    // processing of those after it: such frames go one at a time.
    if (rollMode_) return false;
    std::lock_guard<std::mutex> lock(handlerMutex_);
    return !mergeHook_;
}

void ProfileReceiver::completeOlder(const data_channel::FrameJob& job) {
    for (;;) {
        const data_channel::FramePool::Next older = pool_->next(true, &job);
        if (older.turn != data_channel::FramePool::Turn::Complete) return;
        completeJob(*older.job);
    }
}

void ProfileReceiver::orderJob(data_channel::FrameJob& job) {
    if (!completesInTurn(job)) {
        // Completed here, after every frame before it, as the consumer alone would.
        completeOlder(job);
        completeAlone(job);
        job.completed = true;
        pool_->ordered(&job, false);
        return;
    }
    ProfileProcessor& processor = *job.processor;
    // The frames ordered before this one and not yet completed are counted as
    // the batch will count them.
    const bool recorded = !batchFinished_;
    const bool firstOfBatch = framesReceived_ + (recorded ? completionsAhead_ : 0) == 0;
    // A batch's first frame sets the temporal repair up anew, in the blocks
    // of the last one: no older frame may still be writing or reading them.
    if (firstOfBatch) completeOlder(job);
    processor.beginPipeline(firstOfBatch);
    FrameOptions options = silentOptions();
    options.storeLater = true;
    job.release = processor.orderFrame(*job.rows, job.count, true, firstOfBatch, options);
    if (processor.storeEndsBlock(job.release)) {
        // The window repair reads every row of the block: the frames before
        // this one are all in theirs once they are completed.
        completeOlder(job);
        processor.storeHeld(job.release, *job.rows, job.count);
    }
    job.binning = binningFactor();
    job.rules = outputRowRules();
    takeGrayTable(job, processor);
    job.finishes = true;
    ++completionsAhead_;
    pool_->ordered(&job, true);
}

void ProfileReceiver::completeJob(data_channel::FrameJob& job) {
    if (job.kind == data_channel::FrameJob::Kind::Released) {
        appendReleasedRows(job.output);
    } else if (!job.completed) {
        --completionsAhead_;
        completeInTurn(job);
    }
    job.release = {};
    pool_->release(&job);
}

void ProfileReceiver::completeInTurn(data_channel::FrameJob& job) {
    ++framesFromPool_;
    // Every line of the frame at once, in the order the consumer alone writes them.
    data_channel::FrameLines lines;
    lines.add(consumerTexts_.receivedData);
    const uint8_t* frame = reinterpret_cast<const uint8_t*>(job.area.data());
    const FrameHeader header = beginFrameRecord(frame, lines);
    if (job.mode == kFixedPointMode) {
        lines.addStep(ProfileProcessor::preprocessLine(1));
        lines.addStep(ProfileProcessor::preprocessLine(2));
    }
    for (int step = 1; step <= 12; ++step) lines.addStep(ProfileProcessor::stepLine(step));
    ProfileProcessor& processor = *job.processor;
    processor.adoptRows(job.rows, job.release.ready);
    const bool ready = job.result >= 0 && job.release.ready;
    endFrameRecord(header, &processor, job.result, lines, ready ? &job.output : nullptr, true);
    log_->frameLines(lines);
    afterCompletion(job);
}

void ProfileReceiver::completeAlone(data_channel::FrameJob& job) {
    ++framesFromPool_;
    log_->line(consumerTexts_.receivedData, 2);
    // A frame after the rolling batch's limit is not processed.
    if (rollMode_ && rollState_ != kRollRunning) return;

    const uint8_t* frame = reinterpret_cast<const uint8_t*>(job.area.data());
    data_channel::FrameLines before;
    const FrameHeader header = beginFrameRecord(frame, before);
    log_->frameLines(before);
    ProfileProcessor* processor = job.processor.get();
    int count = -1;
    if (processor && job.count >= 0) {
        const bool firstOfBatch = framesReceived_ == 0;
        processor->beginPipeline(firstOfBatch);
        ProfileProcessor::traceFrameStages(job.mode == kFixedPointMode);
        count = processor->completeFrame(job.rows, job.count, true, firstOfBatch, binningFactor(), FrameOptions{});
    }
    data_channel::FrameLines after;
    endFrameRecord(header, processor, count, after);
    log_->frameLines(after);
    afterCompletion(job);
}

void ProfileReceiver::afterCompletion(const data_channel::FrameJob& job) {
    const double elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - job.submitted).count();
    if (elapsedMs > data_channel::kSlowFrameMs) {
        const uint8_t* frame = reinterpret_cast<const uint8_t*>(job.area.data());
        log_->dumpFrame(frame + kFrameIntensityOffset, frame + kFrameValuesOffset);
    }
    afterFrame();
}

bool ProfileReceiver::releaseHeldFramesInPool(const std::shared_ptr<ProfileProcessor>& held) {
    ProfileProcessor& processor = *held;
    const std::shared_ptr<processTimeInvalid>& repair = processor.temporalRepair();
    if (!repair) return false;
    // What the last frame left beyond the released frames' width stays the
    // same through the release: taken once.
    const int width = std::clamp(repair->width(), 0, processor.points());
    const FrameRows& own = processor.rows();
    releasedTailHeights_.assign(own.heights.begin() + width, own.heights.end());
    releasedTailGray_.assign(own.gray.begin() + width, own.gray.end());
    const OutputRowRules rules = outputRowRules();
    const int offset = outputOffset_;
    const bool complete = processor.flushReleases(framesReceived_, [&](const ProfileProcessor::Release& release) {
        data_channel::FrameJob* job = takeFreeJob();
        job->kind = data_channel::FrameJob::Kind::Released;
        job->processor = held;
        job->release = release;
        job->rules = rules;
        takeGrayTable(*job, processor);
        job->releasedOffset = offset;
        job->tailHeights = releasedTailHeights_.empty() ? nullptr : releasedTailHeights_.data();
        job->tailGray = releasedTailGray_.empty() ? nullptr : releasedTailGray_.data();
        job->completed = false;
        pool_->submit(job, true);
    });
    drainFrames();
    return complete;
}
