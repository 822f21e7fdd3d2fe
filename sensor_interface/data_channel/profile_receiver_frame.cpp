// The per-frame processing of the data channel: one copied frame through the
// profile processor and into the batch rows.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/processing/fixed_point.h"
#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/profile_processor.h"

namespace {

constexpr unsigned int kBinningRegister = 740;
constexpr unsigned int kExtendedWidthRegister = 752;
constexpr unsigned int kExtendedZOffsetRegister = 754;
constexpr unsigned int kRoiWidthRegister = 358;


}  // namespace

bool ProfileReceiver::ownConnection() const { return controller_ && controller_->ownConnection; }

const ProfileReceiver::FrameLogTexts& ProfileReceiver::frameLogTexts() {
    FrameLogTexts& texts = frameLogTexts_;
    if (texts.id != id_) {
        texts.id = id_;
        texts.device = "[" + std::to_string(id_) + "]";
        texts.processing = "processing data" + texts.device + " 1";
        texts.postprocessing = "postprocessing data" + texts.device;
        texts.postprocessed = "postprocessed data" + texts.device;
    }
    return texts;
}

int ProfileReceiver::outputWidth() {
    if (!controller_) return 0;
    hvq5_settings& settings = controller_->settings();
    return profile_output_width(static_cast<int32_t>(settings.get_vals(kExtendedWidthRegister)),
                                ownConnection(), settings.get_vals(kRoiWidthRegister),
                                lastPointsPerColumn.load(std::memory_order_relaxed),
                                settings.getbinning_rate());
}

OutputRowRules ProfileReceiver::outputRowRules() {
    hvq5_settings& settings = controller_->settings();
    OutputRowRules rules;
    rules.width = outputWidth();
    rules.extendedCodes = !ownConnection() && static_cast<int32_t>(settings.get_vals(kExtendedWidthRegister)) > 0;
    rules.zOffset = static_cast<int32_t>(settings.get_vals(kExtendedZOffsetRegister)) / 100.0;
    rules.gray = graySwitches_;
    return rules;
}

int ProfileReceiver::binningFactor() const {
    return ownConnection() ? 1 : static_cast<int>(1u << (controller_->getVals(kBinningRegister) % 32));
}

FrameHeader ProfileReceiver::beginFrameRecord(const uint8_t* frame, data_channel::FrameLines& lines) {
    const FrameHeader header = parse_frame_header(frame);
    if (firstTimestamp_ == 0)
        firstTimestamp_ = header.timestamp;
    else
        lastTimestamp_ = header.timestamp;
    lines.add(frameLogTexts().processing);
    return header;
}

void ProfileReceiver::processFrame(int mode, const uint8_t* frame) {
    data_channel::FrameLines before;
    const FrameHeader header = beginFrameRecord(frame, before);
    log_->frameLines(before);
    // The processor may be replaced by a new open meanwhile: hold it for the frame.
    const std::shared_ptr<ProfileProcessor> processor =
        controller_ ? controller_->currentProcessor() : nullptr;
    int count = -1;
    if (processor) count = runProcessor(*processor, mode, frame, binningFactor());
    data_channel::FrameLines after;
    endFrameRecord(header, processor.get(), count, after);
    log_->frameLines(after);
}

void ProfileReceiver::endFrameRecord(const FrameHeader& header, ProfileProcessor* processor, int count,
                                     data_channel::FrameLines& lines, const FrameOutputRows* madeRows,
                                     bool rowsMade) {
    std::shared_ptr<const FrameMergeHook> hook;
    {
        std::lock_guard<std::mutex> lock(handlerMutex_);
        hook = mergeHook_;
    }
    if (hook)
        handToMergeHook(*hook, header, processor, count, lines);
    else
        appendFrame(header, processor, count, madeRows, rowsMade, lines);
    // The frame line's text is made only when something reads it.
    lines.setFrameLine(
        {id_, header.batchtimes, header.frame, header.encoder, static_cast<int64_t>(header.timestamp)});
}

int ProfileReceiver::runProcessor(ProfileProcessor& processor, int mode, const uint8_t* frame,
                                  int binning) {
    // The area holds at most kMaxFramePoints points of at most 4 bytes.
    const int n = std::min<int>(info_.horizon_length, kMaxFramePoints);
    const int startColumn = info_.horizon_offset;
    // Without intensity bytes in the frame the intensity area holds nothing of it.
    const uint8_t* intensity = info_.intensity ? frame + kFrameIntensityOffset : nullptr;
    const uint8_t* values = frame + kFrameValuesOffset;
    const bool firstOfBatch = framesReceived_ == 0;

    if (mode != kFixedPointMode)
        return processor.process(mode, reinterpret_cast<const uint32_t*>(values), intensity,
                                 startColumn, n, true, false, firstOfBatch, binning);

    // Fixed-point frames carry 4 bytes per point whatever the value width says.
    dump_words32("fvals0.md", reinterpret_cast<const uint32_t*>(values), n);
    // The peak rows go straight into the processor's own row of them (rows
    // beyond its camera columns are not used).
    const int cameraRows = controller_->rows;
    frame_kernels().peakRows(values, processor.peakRows(), std::min(n, processor.columns()), cameraRows, kNoPeak);
    const double* distances = processor.preprocessFixed(processor.peakRows(), startColumn, n);
    if (!distances) return -1;
    return processor.processFixed(kFixedPointMode, distances, intensity, startColumn, n, true,
                                  false, firstOfBatch, binning);
}

void ProfileReceiver::recordFrame(const FrameHeader& header) {
    batchNumber_ = header.batchtimes;
    ++framesReceived_;
}

void ProfileReceiver::appendFrame(const FrameHeader& header, ProfileProcessor* processor, int count,
                                  const FrameOutputRows* madeRows, bool rowsMade, data_channel::FrameLines& lines) {
    lines.add(frameLogTexts().postprocessing);
    const FrameOutputRows* rows = madeRows;
    if (!rowsMade) {
        rows = nullptr;
        if (processor && count >= 0 && processor->frameReady) {
            outputRows_.fill(*processor, count, outputRowRules());
            rows = &outputRows_;
        }
    }
    const bool ready = rows != nullptr;
    if (ready) outputOffset_ = rows->offset();

    if (!batchRows_) {
        if (!batchFinished_) recordFrame(header);
        lines.add(frameLogTexts().postprocessed);
        return;
    }
    std::lock_guard<data_channel::BatchRows> lock(*batchRows_);
    if (!batchFinished_) {
        if (ready) batchRows_->appendRows(rows->codes(), rows->heights(), rows->gray(), rows->width());
        batchRows_->appendFrameInfo(header.encoder, header.frame, header.timestamp);
        recordFrame(header);
    }
    lines.add(frameLogTexts().postprocessed);
}

void ProfileReceiver::setFrameMergeHook(FrameMergeHook hook) {
    auto installed = hook ? std::make_shared<const FrameMergeHook>(std::move(hook)) : nullptr;
    std::lock_guard<std::mutex> lock(handlerMutex_);
    mergeHook_ = std::move(installed);
}

void ProfileReceiver::handToMergeHook(const FrameMergeHook& hook, const FrameHeader& header,
                                      ProfileProcessor* processor, int count, data_channel::FrameLines& lines) {
    if (batchFinished_) return;
    lines.add(frameLogTexts().postprocessing);
    const int points = processor ? std::clamp(count, 0, processor->points()) : 0;
    if (points > 0) {
        mergeHeights_.assign(processor->heightsOut(), processor->heightsOut() + points);
        mergeGray_.assign(processor->grayOutRow(), processor->grayOutRow() + points);
    } else {
        mergeHeights_.clear();
        mergeGray_.clear();
    }
    hook(id_, mergeHeights_, mergeGray_);
    if (batchRows_) {
        // The getters of other threads read these buffers under the same lock.
        std::lock_guard<data_channel::BatchRows> lock(*batchRows_);
        batchRows_->appendFrameInfo(header.encoder, header.frame, header.timestamp);
        recordFrame(header);
    } else {
        recordFrame(header);
    }
    lines.add(frameLogTexts().postprocessed);
}
