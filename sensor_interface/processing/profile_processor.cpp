#include "sensor_interface/processing/profile_processor.h"

#include <algorithm>
#include <atomic>
#include <array>
#include <cstring>
#include <string>

#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/processing/fixed_point.h"
#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/height_conversion.h"
#include "sensor_interface/processing/invalid_runs.h"
#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/resampling.h"

namespace {

// Offsets in the head block of the x-scale polynomial (three doubles) and of
// the x-offset line (two doubles).
constexpr size_t kXScaleOffset = 90;
constexpr size_t kXOffsetOffset = 114;
// Points at each end of a frame that the column repairs and the resampling skip.
constexpr int kGuardPoints = 8;

void read_head_doubles(const zp_laser_reg::laser_params& params, size_t offset, double* out,
                       int count) {
    // The doubles lie unaligned in the block, in the host's byte order.
    std::memcpy(out, reinterpret_cast<const unsigned char*>(&params) + offset,
                count * sizeof(double));
}

std::string model_text(const zp_laser_reg::laser_params& params) {
    const char* model = params.model;
    return std::string(model, strnlen(model, sizeof(params.model)));
}

// Level-2 traces of the pipeline's progress.
void trace_step(int step) { LogManager::instance().log(ProfileProcessor::stepLine(step), 2); }

void trace_preprocess(int step) { LogManager::instance().log(ProfileProcessor::preprocessLine(step), 2); }

}  // namespace

FrameRows::FrameRows(int columns, int points)
    : heights(std::max(points, 0), kInvalidHeight),
      grid(std::max(points, 0), 0.0),
      gray(std::max(points, 0), 0),
      grayIn(std::max(columns, 0), 0),
      peakRows(std::max(columns, 0), 0.0),
      x(std::max(columns, 0), 0.0),
      z(std::max(columns, 0), 0.0),
      marks(std::max(columns, 0), 0) {}

ProfileProcessor::ProfileProcessor(int columns, int points, double pointsPerColumn)
    // Zeroed, so that a fixed-point frame before the calibration reads no garbage.
    : rowTable_(cv::Mat::zeros(kRowTableRows, std::max(columns, 1), CV_64F)),
      rows_(std::make_unique<FrameRows>(columns, points)),
      columns_(std::max(columns, 0)),
      points_(std::max(points, 0)),
      pointsPerColumn_(pointsPerColumn) {
    for (int i = 0; i < 256; ++i) grayLut_[i] = static_cast<uint8_t>(i);
}

void ProfileProcessor::bind(hvq5_settings* settings, const zp_laser_reg::laser_params* params) {
    settings_ = settings;
    params_ = params;
}

uint32_t ProfileProcessor::reg(unsigned int address) const {
    return settings_ ? settings_->get_vals(address) : 0u;
}

void ProfileProcessor::headXScale(double out[3]) const {
    read_head_doubles(*params_, kXScaleOffset, out, 3);
}

bool ProfileProcessor::setCalibration(CalibrationTable table) {
    if (!is_valid_calibration(table)) return false;
    calibration_.swap(table);
    // Numbered across the process: rows that go from one processor to
    // another (the frame pool's) never take a grid aligned on another table.
    static std::atomic<unsigned> tablesTaken{0};
    calibrationVersion_ = ++tablesTaken;
    build_row_lut(calibration_, rowTable_);
    buildXGrid(0, points_);
    return true;
}

std::unique_ptr<FrameRows> ProfileProcessor::newFrameRows() const {
    return std::make_unique<FrameRows>(columns_, points_);
}

void ProfileProcessor::buildXGrid(int first, int count) { buildXGrid(*rows_, first, count); }

FrameRows::GridKey ProfileProcessor::plainGridKey(FrameRows& rows, int first, int count) const {
    rows.pitch = reg(285) / 100.0;
    FrameRows::GridKey key;
    key.valid = true;
    key.first = first;
    key.count = count;
    key.pitch = rows.pitch;
    return key;
}

void ProfileProcessor::buildXGrid(FrameRows& rows, int first, int count) const {
    FrameRows::GridKey key = plainGridKey(rows, first, count);
    if (rows.builtGrid == key) return;
    build_x_grid(rows.grid.data(), first, count, points_, rows.pitch);
    rows.gridFacts.forget();
    rows.builtGrid = key;
}

void ProfileProcessor::frameGrid(FrameRows& rows, int startColumn, int n, int first, int count, int rowA, int rowB,
                                 bool trace) const {
    FrameRows::GridKey key = plainGridKey(rows, first, count);
    // A narrow frame's grid is shifted onto the calibration, which depends on
    // its columns, the reference rows, the head's x scale and the table.
    key.aligned = n < columns_ && settings_ && params_;
    if (key.aligned) {
        key.startColumn = startColumn;
        key.columns = n;
        key.rowA = rowA;
        key.rowB = rowB;
        headXScale(key.xScale);
        key.calibration = calibrationVersion_;
    }
    const bool current = rows.builtGrid == key;
    if (!current) {
        build_x_grid(rows.grid.data(), first, count, points_, rows.pitch);
        rows.gridFacts.forget();
    }
    if (trace) trace_step(6);
    if (!current && key.aligned) alignXGrid(rows, startColumn, n, count, rowA, rowB);
    if (trace) trace_step(7);
    rows.builtGrid = key;
}

void ProfileProcessor::applyReferenceRows() const {
    if (!settings_ || !params_) return;
    HVQ5_2_EXTEND* extend = settings_->get_sdk_extend();
    int rowA = 0, rowB = 0;
    // Written only when they change, so that readers of other threads see no write.
    if (reference_rows_for_model(model_text(*params_), &rowA, &rowB) &&
        (extend->ref_row_a != rowA || extend->ref_row_b != rowB)) {
        extend->ref_row_a = rowA;
        extend->ref_row_b = rowB;
    }
}

void ProfileProcessor::alignXGrid(int startColumn, int n, int count) {
    const HVQ5_2_EXTEND* extend = settings_ ? settings_->get_sdk_extend() : nullptr;
    alignXGrid(*rows_, startColumn, n, count, extend ? extend->ref_row_a : 0,
               extend ? extend->ref_row_b : 0);
}

void ProfileProcessor::alignXGrid(FrameRows& rows, int startColumn, int n, int count, int rowA,
                                  int rowB) const {
    rows.builtGrid.valid = false;
    if (!settings_ || !params_ || n >= columns_) return;
    double xScale[3];
    headXScale(xScale);
    align_x_grid(rows.grid.data(), std::min(count, points_), calibration_, startColumn,
                 startColumn + n - 1, rowA, rowB, xScale);
    rows.gridFacts.forget();
}

void ProfileProcessor::buildGrayLut() {
    const int low = static_cast<int>(reg(774) % 256);
    const int high = static_cast<int>(reg(776) % 256);
    const float gain = static_cast<float>(reg(775) / 100.0);
    build_gray_lut(grayLut_, low, high, gain);
    ++lutVersion_;
}

void ProfileProcessor::updateTemporalRepair(bool firstOfBatch, int count) {
    const int fillLimit = temporal_repair_limit(reg(190));
    const int keepLimit = temporal_repair_limit(reg(191));
    if (fillLimit <= 0 && keepLimit <= 0) {
        repair_.reset();
        return;
    }
    // A new stage for the batch, in the blocks of the last one when nothing
    // else holds that any more.
    if (firstOfBatch)
        repair_ = std::make_shared<processTimeInvalid>(
            fillLimit, keepLimit, std::clamp(count, 0, points_), static_cast<int>(kInvalidHeight),
            repair_.use_count() == 1 ? repair_.get() : nullptr);
}

void ProfileProcessor::runTemporalRepair(int count) {
    const Release release = repairFrame(*rows_, count, true, false);
    frameReady = release.ready ? 1 : 0;
    takeRelease(*rows_, release, count, true);
}

ProfileProcessor::Release ProfileProcessor::repairFrame(FrameRows& rows, int count, bool dumps, bool storeLater) {
    Release release;
    release.ready = true;
    if (!repair_) return release;
    count = std::clamp(count, 0, points_);
    if (dumps) {
        dump_doubles("_outlines_before_fix.md", rows.heights.data(), count);
        dump_bytes("_grays_before_fix.md", rows.gray.data(), count);
    }
    release.blocks = repair_;
    release.slot = repair_->take(false);
    release.stores = true;
    if (!storeLater) storeHeld(release, rows, count);
    // The last state can come without a frame (nothing was stored long enough):
    // only a frame handed out is taken.
    if (release.slot.state == processTimeInvalid::kNothingReleased || !release.slot.outHeights) {
        release.ready = false;
        return release;
    }
    release.heights = release.slot.outHeights;
    release.gray = release.slot.outGray;
    release.width = repair_->width();
    return release;
}

void ProfileProcessor::storeHeld(Release& release, const FrameRows& rows, int count) {
    if (!release.stores) return;
    release.blocks->store(release.slot, rows.heights.data(), rows.gray.data(), std::clamp(count, 0, points_));
    if (release.slot.repairsWindow) release.blocks->repairWindow(release.slot);
    release.stores = false;
}

void ProfileProcessor::takeRelease(FrameRows& rows, const Release& release, int count, bool dumps) const {
    if (!release.heights) return;
    count = std::clamp(count, 0, points_);
    double* heightsOut = rows.heights.data();
    uint8_t* grayOut = rows.gray.data();
    // The frame that comes out is as wide as the repair's first frame; points
    // this frame has beyond that width hold no released data.
    const int released = std::min(release.width, points_);
    std::copy(release.heights, release.heights + released, heightsOut);
    std::copy(release.gray, release.gray + released, grayOut);
    if (count > released) {
        std::fill(heightsOut + released, heightsOut + count, kInvalidHeight);
        std::fill(grayOut + released, grayOut + count, 0);
    }
    if (dumps) {
        dump_doubles("_outlines_after_fix.md", heightsOut, count);
        dump_bytes("_grays_after_fix.md", grayOut, count);
    }
}

bool ProfileProcessor::takeReleaseBinned(FrameRows& rows, const Release& release, int count, int binning,
                                         ZOffsets& zOffsets, bool dumps, int* result) const {
    count = std::clamp(count, 0, points_);
    if (!release.heights || (dumps && dumps_written()) || !settings_ || count == 0 ||
        count != std::min(release.width, points_))
        return false;
    const int kept = binning >= 2 ? std::min(settings_->getbinning_w(count), count) : 0;
    int offsetCount = 0;
    const double* offsets = nullptr;
    const HVQ5_2_EXTEND* extend = settings_->get_sdk_extend();
    if (extend->enable) offsets = zOffsets.offsets(points_, extend->z_offset, extend->z_offset_count, &offsetCount);
    const FrameKernels& kernels = frame_kernels();
    kernels.binFrom(rows.heights.data(), rows.gray.data(), release.heights, release.gray, count, binning, kept,
                    offsets, offsetCount);
    // The offsets reach beyond the frame's points too, as applyZOffsets adds them.
    if (offsetCount > count) kernels.addZOffsets(rows.heights.data() + count, offsetCount - count, offsets + count);
    *result = binning >= 2 ? kept : count;
    return true;
}

bool ProfileProcessor::flushRepair(int frames, std::function<void()> appendFrame) {
    return releaseHeldFrames(frames, true, [&](const Release&) {
        if (appendFrame) appendFrame();
    });
}

bool ProfileProcessor::flushReleases(int frames, const std::function<void(const Release&)>& take) {
    return releaseHeldFrames(frames, false, take);
}

bool ProfileProcessor::releaseHeldFrames(int frames, bool intoRows, const std::function<void(const Release&)>& take) {
    if (!repair_) return false;
    repair_->setEndCount(frames);
    const int width = std::min(repair_->width(), points_);
    constexpr int kMaxFlushCalls = 1000;
    int state = processTimeInvalid::kNothingReleased;
    Release last;
    for (int call = 0; call < kMaxFlushCalls; ++call) {
        double* heights = nullptr;
        uint8_t* gray = nullptr;
        state = repair_->run(nullptr, nullptr, 0, &heights, &gray);
        // A batch ended before any frame was stored long enough reaches the
        // last state without handing a frame out: nothing to append then.
        if (state != processTimeInvalid::kNothingReleased && heights != nullptr) {
            last = Release{true, heights, gray, width, repair_};
            if (intoRows) {
                std::copy(heights, heights + width, rows_->heights.begin());
                std::copy(gray, gray + width, rows_->gray.begin());
                dump_doubles("_outlines_after_fix.md", rows_->heights.data(), width);
                dump_bytes("_grays_after_fix.md", rows_->gray.data(), width);
            }
            take(last);
        }
        if (state == processTimeInvalid::kLastReleased) break;
    }
    if (!intoRows && last.heights) {
        std::copy(last.heights, last.heights + width, rows_->heights.begin());
        std::copy(last.gray, last.gray + width, rows_->gray.begin());
    }
    return state == processTimeInvalid::kLastReleased;
}

void ProfileProcessor::beginFrame(const uint8_t* gray, int n) { beginFrame(*rows_, gray, n); }

void ProfileProcessor::beginFrame(FrameRows& rows, const uint8_t* gray, int n) const {
    // The x of the frame's columns are all written next (with the head's
    // polynomials); the others are 0.
    const int written = params_ ? frameColumns(n) : 0;
    std::fill(rows.x.begin() + written, rows.x.end(), 0.0);
    frame_kernels().fill(rows.heights.data(), points_, kInvalidHeight);
    std::fill(rows.gray.begin(), rows.gray.end(), 0);
    // A frame without intensity bytes has gray 0, not the bytes of an earlier frame.
    if (gray)
        std::memcpy(rows.grayIn.data(), gray, frameColumns(n));
    else
        std::memset(rows.grayIn.data(), 0, frameColumns(n));
}

void ProfileProcessor::convertRaw(int wordMode, const void* words, int n) {
    convertRaw(*rows_, wordMode, words, n);
}

void ProfileProcessor::convertRaw(FrameRows& rows, int wordMode, const void* words, int n) const {
    n = frameColumns(n);
    const double reg350 = reg(350);
    if (wordMode != 0) {
        raw32_to_height(static_cast<const uint32_t*>(words), rows.z.data(), n, reg350,
                        static_cast<float>(kNoPeak));
        return;
    }
    const uint32_t reg353 = reg(353);
    if (reg353 == 0) {
        // Without a code resolution no word can be turned into a distance.
        std::fill(rows.z.begin(), rows.z.begin() + n, kNoPeak);
        return;
    }
    raw16_to_height(static_cast<const uint16_t*>(words), rows.z.data(), n, 65536.0 / reg353,
                    reg350 * (1.0 / 256.0), kNoPeak);
}

void ProfileProcessor::computeColumnX(int startColumn, int n) {
    computeColumnX(*rows_, startColumn, n);
}

void ProfileProcessor::computeColumnX(FrameRows& rows, int startColumn, int n) const {
    if (!params_) return;
    double scale[3], offset[2];
    read_head_doubles(*params_, kXScaleOffset, scale, 3);
    read_head_doubles(*params_, kXOffsetOffset, offset, 2);
    compute_x_positions(scale[0], scale[1], scale[2], rows.z.data(), rows.x.data(), startColumn,
                        frameColumns(n), offset[0], offset[1], columns_, kInvalidHeight);
}

void ProfileProcessor::clipHeights() { clipHeights(*rows_); }

void ProfileProcessor::clipHeights(FrameRows& rows) const {
    if (!params_) return;
    distances_to_heights(rows.z.data(), columns_,
                         static_cast<uint32_t>(params_->z_range_reference),
                         params_->z_range_lower, params_->z_range_upper);
}

void ProfileProcessor::repairRuns(int n, bool allPoints) {
    repairRuns(*rows_, n, allPoints, gray_noise_bound());
}

void ProfileProcessor::repairRuns(FrameRows& rows, int n, bool allPoints, int noiseBound) const {
    n = frameColumns(n);
    const uint32_t maxGap = reg(183);
    const uint32_t mode = reg(185);
    const GrayNoise noise{noiseBound, nullptr};
    const int first = allPoints ? 0 : kGuardPoints;
    const int count = allPoints ? n : n - 2 * kGuardPoints;
    if (count <= 0) return;
    repair_invalid_runs(rows.x.data() + first, rows.z.data() + first,
                        allPoints ? rows.peakRows.data() : nullptr, rows.grayIn.data() + first,
                        rows.marks.data() + first, count, maxGap <= 255 ? int(maxGap) : 0,
                        reg(804) >> 4, reg(805), mode <= 2 ? int(mode) : 0, kInvalidHeight, noise);
}

void ProfileProcessor::repairInnerFolds(int n) { repairInnerFolds(*rows_, n); }

void ProfileProcessor::repairInnerFolds(FrameRows& rows, int n) const {
    const int count = frameColumns(n) - 2 * kGuardPoints;
    if (count <= 0) return;
    repair_folds(rows.x.data() + kGuardPoints, rows.z.data() + kGuardPoints,
                 rows.grayIn.data() + kGuardPoints, count, kInvalidHeight, 0.0);
}

void ProfileProcessor::resampleInner(int n, int count) { resampleInner(*rows_, n, count); }

void ProfileProcessor::resampleInner(FrameRows& rows, int n, int count) const {
    const int inner = std::max(frameColumns(n) - 2 * kGuardPoints, 0);
    count = std::clamp(count, 0, points_);
    const uint32_t mode = reg(185);
    resample_and_mask(rows.x.data() + kGuardPoints, rows.z.data() + kGuardPoints,
                      rows.grayIn.data() + kGuardPoints, rows.marks.data() + kGuardPoints, inner,
                      rows.grid.data(), rows.heights.data(), rows.gray.data(), count,
                      reg(804) >> 4, reg(805), mode <= 2 ? int(mode) : 0,
                      static_cast<int>(kInvalidHeight), &rows.gridFacts);
}

bool ProfileProcessor::rotationOn() const { return rotation_enabled(reg(324), reg(325)); }

void ProfileProcessor::rotateInner(int n) { rotateInner(*rows_, n); }

void ProfileProcessor::rotateInner(FrameRows& rows, int n) const {
    const int inner = std::min(n, columns_) - 2 * kGuardPoints;
    const int32_t angle = static_cast<int32_t>(reg(325));
    if (inner <= 0 || angle == 0 || !rotationOn()) return;
    rows.rotator.set_angle(static_cast<int>(kInvalidHeight), angle / 100000.0);
    rows.rotator.rotate(rows.x.data() + kGuardPoints, rows.z.data() + kGuardPoints, inner);
}

void ProfileProcessor::mirrorAndNegate(int count) { mirrorAndNegate(*rows_, count); }

void ProfileProcessor::mirrorAndNegate(FrameRows& rows, int count) const {
    mirror_and_negate(rows.heights.data(), rows.gray.data(), std::clamp(count, 0, points_),
                      reg(291));
}

void ProfileProcessor::baseZeroAndScale(int count) { baseZeroAndScale(*rows_, count); }

void ProfileProcessor::baseZeroAndScale(FrameRows& rows, int count) const {
    count = std::clamp(count, 0, points_);
    double offset = 0.0;
    bool shift = false;
    if (rotationOn() && (reg(772) & 1u)) {
        auto bound = [&](unsigned int address) {
            return static_cast<int32_t>(reg(address)) / 100.0;
        };
        shift = base_zero_offset(rows.heights.data(), rows.grid.data(), count, bound(326),
                                 bound(327), bound(328), bound(329), &offset, &rows.gridFacts);
    }
    const bool scale = reg(330) == 1;
    // One pass over the profile: the shift, then the scale of what is still valid.
    if (shift || scale)
        frame_kernels().shiftAndScale(rows.heights.data(), points_, shift, offset, scale,
                                      scale ? z_scale_factor(reg(331)) : 1.0);
}

int ProfileProcessor::binGridPoints(int count, int factor) { return binGridPoints(*rows_, count, factor); }

int ProfileProcessor::binGridPoints(FrameRows& rows, int count, int factor) const {
    count = std::clamp(count, 0, points_);
    if (factor < 2 || !settings_) return count;
    return bin_profile(rows.heights.data(), rows.gray.data(), count, factor, settings_->getbinning_w(count));
}

void ProfileProcessor::applyZOffsets() { applyZOffsets(*rows_, zOffsets_); }

void ProfileProcessor::applyZOffsets(FrameRows& rows, ZOffsets& zOffsets) const {
    if (!settings_) return;
    const HVQ5_2_EXTEND* extend = settings_->get_sdk_extend();
    if (extend->enable) zOffsets.apply(rows.heights.data(), points_, extend->z_offset, extend->z_offset_count);
}

std::vector<double> ProfileProcessor::heights() const { return rows_->heights; }

void ProfileProcessor::heightsInt(int32_t* out, int count) const {
    heights_to_int100(rows_->heights.data(), out, std::min(points_, count));
}

namespace {

// How many of `count` values starting at `offset` lie inside `points`.
int available_from(int offset, int count, int points) {
    if (offset < 0 || offset >= points || count <= 0) return 0;
    return std::min(count, points - offset);
}

}  // namespace

void ProfileProcessor::heights16(int16_t* out, int count, int offset) const {
    heights16(*rows_, out, count, offset);
}

void ProfileProcessor::heights16(const FrameRows& rows, int16_t* out, int count, int offset) const {
    if (count <= 0) return;
    const int available = available_from(offset, count, points_);
    auto* codes = reinterpret_cast<uint16_t*>(out);
    if (available > 0)
        heights_to_u16(rows.heights.data() + offset, codes, available, reg(353), reg(357), reg(350),
                       kInvalidHeight);
    std::fill(codes + available, codes + count, 0);
}

void ProfileProcessor::grayOut(uint8_t* out, int count, int offset, bool gamma, bool stretch,
                               bool lut) const {
    const int available = available_from(offset, count, points_);
    if (available == 0) return;
    std::memcpy(out, rows_->gray.data() + offset, available);
    if (const uint8_t* table = grayTableFor(gamma, stretch, lut)) apply_gray_table(table, out, available);
}

const uint8_t* ProfileProcessor::grayTableFor(bool gamma, bool stretch, bool lut) const {
    return gamma || stretch || lut ? grayTable(gamma, stretch, lut) : nullptr;
}

const uint8_t* ProfileProcessor::grayTable(bool gamma, bool stretch, bool lut) const {
    GrayTableKey key;
    key.gamma = gamma;
    key.stretch = stretch;
    key.lut = lut;
    key.gammaValue = gamma && settings_ ? settings_->get_gray_gamma() : 1.0f;
    key.lutVersion = lut ? lutVersion_ : 0;
    if (!(key == grayTableKey_)) {
        build_gray_table(grayTable_, gamma, key.gammaValue, stretch, lut ? grayLut_ : nullptr);
        grayTableKey_ = key;
    }
    return grayTable_;
}

// ---------------------------------------------------------------------------
// The pipeline.

int ProfileProcessor::framePoints(int startColumn, int n) const {
    if (n <= 0 || startColumn < 0 || startColumn >= columns_) return 0;
    return std::min(n, columns_ - startColumn);
}

void ProfileProcessor::beginPipeline(bool firstOfBatch) {
    set_gray_noise_bound(static_cast<int>(reg(755)));
    if (firstOfBatch) buildGrayLut();
}

void ProfileProcessor::traceFrameStages(bool fixedPoint) {
    if (fixedPoint) {
        trace_preprocess(1);
        trace_preprocess(2);
    }
    for (int step = 1; step <= 8; ++step) trace_step(step);
}

int ProfileProcessor::process(int wordMode, const uint32_t* words, const uint8_t* gray,
                              int startColumn, int n, bool repairEnabled, bool runsOnly,
                              bool firstOfBatch, int binning) {
    if (!settings_) return -1;
    beginPipeline(firstOfBatch);
    FrameOptions options;
    options.runsOnly = runsOnly;
    const int count = frameStages(*rows_, wordMode, words, gray, startColumn, n, options);
    if (runsOnly) return 0;
    return completeFrame(rows_, count, repairEnabled, firstOfBatch, binning, options);
}

const double* ProfileProcessor::preprocessFixed(const double* rows, int startColumn, int n) {
    return preprocessFixedInto(*rows_, rows, startColumn, n, FrameOptions{});
}

int ProfileProcessor::processFixed(int /*wordMode*/, const double* distances, const uint8_t* gray,
                                   int startColumn, int n, bool repairEnabled, bool runsOnly,
                                   bool firstOfBatch, int binning) {
    if (!settings_) return -1;
    beginPipeline(firstOfBatch);
    FrameOptions options;
    options.runsOnly = runsOnly;
    const int count = frameStagesFixed(*rows_, distances, gray, startColumn, n, options);
    if (runsOnly) return 0;
    return completeFrame(rows_, count, repairEnabled, firstOfBatch, binning, options);
}

const double* ProfileProcessor::preprocessFixedInto(FrameRows& rows, const double* peakRows,
                                                    int startColumn, int n,
                                                    const FrameOptions& options) const {
    if (!settings_) return nullptr;
    n = peakRows ? std::clamp(n, 0, columns_) : 0;
    if (peakRows != rows.peakRows.data()) std::copy(peakRows, peakRows + n, rows.peakRows.begin());
    // Straight into the z row, where the pipeline takes the distances from,
    // limited by registers 356 and 355 in the same pass.
    interpolate_row_lut_limited(rowTable_, rows.peakRows.data(), startColumn, n, reg(356) >> 8,
                                reg(355) >> 8, rows.z.data());
    if (options.trace) {
        trace_preprocess(1);
        trace_preprocess(2);
    }
    return rows.z.data();
}

int ProfileProcessor::frameStages(FrameRows& rows, int wordMode, const uint32_t* words,
                                  const uint8_t* gray, int startColumn, int n,
                                  const FrameOptions& options) const {
    if (!settings_) return -1;
    n = framePoints(startColumn, n);
    beginFrame(rows, gray, n);
    if (options.trace) trace_step(1);
    if (words)
        convertRaw(rows, wordMode, words, n);
    else
        std::fill(rows.z.begin(), rows.z.begin() + n, kNoPeak);
    if (options.trace) trace_step(2);
    computeColumnX(rows, startColumn, n);
    if (options.trace) trace_step(3);
    if (options.dumps) {
        if (wordMode == 0)
            dump_words16("fvals.md", reinterpret_cast<const uint16_t*>(words), n);
        else
            dump_words32("fvals.md", words, n);
        dump_doubles("_tmp_zs.md", rows.z.data(), columns_);
        dump_doubles("_x_reals.md", rows.x.data(), columns_);
        dump_bytes("gray.md", rows.grayIn.data(), n);
    }
    return columnStages(rows, startColumn, n, options);
}

int ProfileProcessor::frameStagesFixed(FrameRows& rows, const double* distances,
                                       const uint8_t* gray, int startColumn, int n,
                                       const FrameOptions& options) const {
    if (!settings_) return -1;
    n = framePoints(startColumn, n);
    beginFrame(rows, gray, n);
    if (options.trace) trace_step(1);
    // Distances already in the z row (the fixed-point path's own) stay there.
    if (!distances)
        std::fill(rows.z.begin(), rows.z.begin() + n, kNoPeak);
    else if (distances != rows.z.data())
        std::copy(distances, distances + n, rows.z.begin());
    if (options.trace) trace_step(2);
    computeColumnX(rows, startColumn, n);
    if (options.trace) trace_step(3);
    if (options.dumps) {
        dump_doubles("fvals.md", distances, n);
        dump_doubles("_tmp_zs.md", rows.z.data(), columns_);
        dump_doubles("_x_reals.md", rows.x.data(), columns_);
        dump_bytes("gray.md", rows.grayIn.data(), n);
    }
    return columnStages(rows, startColumn, n, options);
}

int ProfileProcessor::columnStages(FrameRows& rows, int startColumn, int n,
                                   const FrameOptions& options) const {
    // The guard points stay out of the column repairs and the resampling; a
    // frame without inner points gives an all-invalid profile.
    rows.frameColumns = n;
    const int inner = std::max(n - 2 * kGuardPoints, 0);
    auto innerOf = [inner](auto* row) { return inner > 0 ? row + kGuardPoints : row; };
    const bool dumps = options.dumps;

    clipHeights(rows);
    rotateInner(rows, n);
    repairRuns(rows, n, options.runsOnly,
               options.grayNoiseBound < 0 ? gray_noise_bound() : options.grayNoiseBound);
    if (options.runsOnly) return 0;
    if (options.trace) trace_step(4);
    if (dumps) {
        dump_doubles("_tmp_zs_after.md", rows.z.data(), columns_);
        dump_doubles("_x_reals_after.md", rows.x.data(), columns_);
        dump_bytes("gray_after.md", innerOf(rows.grayIn.data()), inner);
    }

    repairInnerFolds(rows, n);
    if (options.trace) trace_step(5);
    if (dumps) {
        dump_doubles("_tmp_zs_after2.md", rows.z.data(), columns_);
        dump_doubles("_x_reals_after2.md", rows.x.data(), columns_);
        dump_doubles("begxreal.md", innerOf(rows.x.data()), inner);
        dump_doubles("begZ.md", innerOf(rows.z.data()), inner);
        dump_bytes("gray_after2.md", innerOf(rows.grayIn.data()), inner);
    }

    int rowA = 0, rowB = 0;
    if (options.referenceRows) {
        rowA = options.referenceRows[0];
        rowB = options.referenceRows[1];
    } else {
        applyReferenceRows();
        const HVQ5_2_EXTEND* extend = settings_->get_sdk_extend();
        rowA = extend->ref_row_a;
        rowB = extend->ref_row_b;
    }
    const int first = static_cast<int>(startColumn * pointsPerColumn_);
    const int count = std::clamp(static_cast<int>(n * pointsPerColumn_), 0, points_);
    frameGrid(rows, startColumn, n, first, count, rowA, rowB, options.trace);

    resampleInner(rows, n, count);
    if (options.trace) trace_step(8);
    if (dumps) {
        dump_doubles("_x_outlines_after_res.md", rows.grid.data(), count);
        dump_doubles("_outlines_after_res.md", rows.heights.data(), count);
        dump_bytes("gray_after_res.md", rows.gray.data(), count);
    }

    // Steps 14 and 15 before the temporal repair's set-up of step 13, which
    // completeFrame does in frame order: neither reads what the other writes.
    mirrorAndNegate(rows, count);
    baseZeroAndScale(rows, count);
    return count;
}

int ProfileProcessor::completeFrame(std::unique_ptr<FrameRows>& rows, int count,
                                    bool repairEnabled, bool firstOfBatch, int binning,
                                    const FrameOptions& options) {
    if (rows != rows_) rows_.swap(rows);
    FrameOptions traced = options;
    traced.trace = true;
    const Release release = orderFrame(*rows_, count, repairEnabled, firstOfBatch, traced);
    frameReady = release.ready ? 1 : 0;
    const int result = finishFrame(*rows_, release, count, binning, zOffsets_, traced);
    trace_step(12);
    return result;
}

ProfileProcessor::Release ProfileProcessor::orderFrame(FrameRows& rows, int count, bool repairEnabled,
                                                       bool firstOfBatch, const FrameOptions& options) {
    if (repairEnabled) updateTemporalRepair(firstOfBatch, count);
    if (options.trace) {
        trace_step(9);
        trace_step(10);
        trace_step(11);
    }
    return repairFrame(rows, count, options.dumps, options.storeLater);
}

int ProfileProcessor::finishFrame(FrameRows& rows, const Release& release, int count, int binning,
                                  ZOffsets& zOffsets, const FrameOptions& options) const {
    // The frame into its row (before the released frame takes its place in the rows).
    if (release.stores && !release.slot.repairsWindow)
        release.blocks->store(release.slot, rows.heights.data(), rows.gray.data(), std::clamp(count, 0, points_));
    int result = 0;
    if (!takeReleaseBinned(rows, release, count, binning, zOffsets, options.dumps, &result)) {
        takeRelease(rows, release, count, options.dumps);
        result = binning >= 2 ? binGridPoints(rows, count, binning) : count;
        applyZOffsets(rows, zOffsets);
    }
    // Both rows hold points values, fewer than twice a wide frame's columns.
    if (options.dumps) {
        const int endValues = std::min(2 * rows.frameColumns, points_);
        dump_doubles("_outlines_end.md", rows.heights.data(), endValues);
        dump_bytes("gray_end.md", rows.gray.data(), endValues);
    }
    return result;
}

void ProfileProcessor::adoptRows(std::unique_ptr<FrameRows>& rows, bool ready) {
    if (rows != rows_) rows_.swap(rows);
    frameReady = ready ? 1 : 0;
}

const std::string& ProfileProcessor::stepLine(int step) {
    // Built once, so that a frame does not format them.
    static const std::array<std::string, 13> texts = [] {
        std::array<std::string, 13> built;
        for (size_t i = 0; i < built.size(); ++i) built[i] = "processed data " + std::to_string(i);
        return built;
    }();
    return texts[static_cast<size_t>(std::clamp(step, 0, 12))];
}

const std::string& ProfileProcessor::preprocessLine(int step) {
    static const std::array<std::string, 3> texts = {"", "preprocessed data 1", "preprocessed data 2"};
    return texts[static_cast<size_t>(std::clamp(step, 0, 2))];
}

