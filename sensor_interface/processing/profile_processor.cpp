#include "sensor_interface/processing/profile_processor.h"

#include <algorithm>
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

// Level-2 traces of the pipeline's progress; the texts are built once so that a
// frame does not format them.
void trace_step(int step) {
    static const std::array<std::string, 13> texts = [] {
        std::array<std::string, 13> built;
        for (size_t i = 0; i < built.size(); ++i) built[i] = "processed data " + std::to_string(i);
        return built;
    }();
    LogManager::instance().log(texts[static_cast<size_t>(step)], 2);
}

void trace_preprocess(int step) {
    static const std::array<std::string, 3> texts = {"", "preprocessed data 1",
                                                     "preprocessed data 2"};
    LogManager::instance().log(texts[static_cast<size_t>(step)], 2);
}

}  // namespace

ProfileProcessor::ProfileProcessor(int columns, int points, double pointsPerColumn)
    // Zeroed, so that a fixed-point frame before the calibration reads no garbage.
    : rowTable_(cv::Mat::zeros(kRowTableRows, std::max(columns, 1), CV_64F)),
      heightsOut_(std::max(points, 0), kInvalidHeight),
      xGrid_(std::max(points, 0), 0.0),
      grayOut_(std::max(points, 0), 0),
      grayIn_(std::max(columns, 0), 0),
      peakRows_(std::max(columns, 0), 0.0),
      x_(std::max(columns, 0), 0.0),
      z_(std::max(columns, 0), 0.0),
      runMarks_(std::max(columns, 0), 0),
      distances_(std::max(columns, 0), kNoPeak),
      rotator_(std::make_shared<kx_rotate_2d>()),
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
    build_row_lut(calibration_, rowTable_);
    buildXGrid(0, points_);
    return true;
}

void ProfileProcessor::buildXGrid(int first, int count) {
    xPitch_ = reg(285) / 100.0;
    if (builtGrid_.valid && builtGrid_.first == first && builtGrid_.count == count &&
        builtGrid_.pitch == xPitch_)
        return;
    build_x_grid(xGrid_.data(), first, count, points_, xPitch_);
    builtGrid_ = GridKey{true, first, count, xPitch_};
}

void ProfileProcessor::applyReferenceRows() {
    if (!settings_ || !params_) return;
    HVQ5_2_EXTEND* extend = settings_->get_sdk_extend();
    reference_rows_for_model(model_text(*params_), &extend->ref_row_a, &extend->ref_row_b);
}

void ProfileProcessor::alignXGrid(int startColumn, int n, int count) {
    builtGrid_.valid = false;
    if (!settings_ || !params_ || n >= columns_) return;
    double xScale[3];
    headXScale(xScale);
    const HVQ5_2_EXTEND* extend = settings_->get_sdk_extend();
    align_x_grid(xGrid_.data(), std::min(count, points_), calibration_, startColumn,
                 startColumn + n - 1, extend->ref_row_a, extend->ref_row_b, xScale);
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
    if (firstOfBatch)
        repair_ = std::make_shared<processTimeInvalid>(fillLimit, keepLimit,
                                                       std::clamp(count, 0, points_),
                                                       static_cast<int>(kInvalidHeight));
}

void ProfileProcessor::runTemporalRepair(int count) {
    frameReady = 1;
    if (!repair_) return;
    count = std::clamp(count, 0, points_);
    dump_doubles("_outlines_before_fix.md", heightsOut_.data(), count);
    dump_bytes("_grays_before_fix.md", grayOut_.data(), count);
    double* heights = nullptr;
    uint8_t* gray = nullptr;
    if (repair_->run(heightsOut_.data(), grayOut_.data(), count, &heights, &gray) ==
        processTimeInvalid::kNothingReleased) {
        frameReady = 0;
        return;
    }
    // The frame that comes out is as wide as the repair's first frame; points
    // this frame has beyond that width hold no released data.
    const int released = std::min(repair_->width(), points_);
    std::copy(heights, heights + released, heightsOut_.begin());
    std::copy(gray, gray + released, grayOut_.begin());
    if (count > released) {
        std::fill(heightsOut_.begin() + released, heightsOut_.begin() + count, kInvalidHeight);
        std::fill(grayOut_.begin() + released, grayOut_.begin() + count, 0);
    }
    dump_doubles("_outlines_after_fix.md", heightsOut_.data(), count);
    dump_bytes("_grays_after_fix.md", grayOut_.data(), count);
}

bool ProfileProcessor::flushRepair(int frames, std::function<void()> appendFrame) {
    if (!repair_) return false;
    repair_->setEndCount(frames);
    const int width = std::min(repair_->width(), points_);
    constexpr int kMaxFlushCalls = 1000;
    int state = processTimeInvalid::kNothingReleased;
    for (int call = 0; call < kMaxFlushCalls; ++call) {
        double* heights = nullptr;
        uint8_t* gray = nullptr;
        state = repair_->run(nullptr, nullptr, 0, &heights, &gray);
        if (state != processTimeInvalid::kNothingReleased) {
            std::copy(heights, heights + width, heightsOut_.begin());
            std::copy(gray, gray + width, grayOut_.begin());
            dump_doubles("_outlines_after_fix.md", heightsOut_.data(), width);
            dump_bytes("_grays_after_fix.md", grayOut_.data(), width);
            if (appendFrame) appendFrame();
        }
        if (state == processTimeInvalid::kLastReleased) break;
    }
    return state == processTimeInvalid::kLastReleased;
}

void ProfileProcessor::beginFrame(const uint8_t* gray, int n) {
    // The x of the frame's columns are all written next (with the head's
    // polynomials); the others are 0.
    const int written = params_ ? frameColumns(n) : 0;
    std::fill(x_.begin() + written, x_.end(), 0.0);
    frame_kernels().fill(heightsOut_.data(), points_, kInvalidHeight);
    std::fill(grayOut_.begin(), grayOut_.end(), 0);
    // A frame without intensity bytes has gray 0, not the bytes of an earlier frame.
    if (gray)
        std::memcpy(grayIn_.data(), gray, frameColumns(n));
    else
        std::memset(grayIn_.data(), 0, frameColumns(n));
}

void ProfileProcessor::convertRaw(int wordMode, const void* words, int n) {
    n = frameColumns(n);
    const double reg350 = reg(350);
    if (wordMode != 0) {
        raw32_to_height(static_cast<const uint32_t*>(words), z_.data(), n, reg350,
                        static_cast<float>(kNoPeak));
        return;
    }
    const uint32_t reg353 = reg(353);
    if (reg353 == 0) {
        // Without a code resolution no word can be turned into a distance.
        std::fill(z_.begin(), z_.begin() + n, kNoPeak);
        return;
    }
    raw16_to_height(static_cast<const uint16_t*>(words), z_.data(), n, 65536.0 / reg353,
                    reg350 * (1.0 / 256.0), kNoPeak);
}

void ProfileProcessor::computeColumnX(int startColumn, int n) {
    if (!params_) return;
    double scale[3], offset[2];
    read_head_doubles(*params_, kXScaleOffset, scale, 3);
    read_head_doubles(*params_, kXOffsetOffset, offset, 2);
    compute_x_positions(scale[0], scale[1], scale[2], z_.data(), x_.data(), startColumn,
                        frameColumns(n), offset[0], offset[1], columns_, kInvalidHeight);
}

void ProfileProcessor::clipHeights() {
    if (!params_) return;
    distances_to_heights(z_.data(), columns_, static_cast<uint32_t>(params_->z_range_reference),
                         params_->z_range_lower, params_->z_range_upper);
}

void ProfileProcessor::repairRuns(int n, bool allPoints) {
    n = frameColumns(n);
    const uint32_t maxGap = reg(183);
    const uint32_t mode = reg(185);
    const GrayNoise noise{gray_noise_bound(), nullptr};
    const int first = allPoints ? 0 : kGuardPoints;
    const int count = allPoints ? n : n - 2 * kGuardPoints;
    if (count <= 0) return;
    repair_invalid_runs(x_.data() + first, z_.data() + first,
                        allPoints ? peakRows_.data() : nullptr, grayIn_.data() + first,
                        runMarks_.data() + first, count, maxGap <= 255 ? int(maxGap) : 0,
                        reg(804) >> 4, reg(805), mode <= 2 ? int(mode) : 0, kInvalidHeight, noise);
}

void ProfileProcessor::repairInnerFolds(int n) {
    const int count = frameColumns(n) - 2 * kGuardPoints;
    if (count <= 0) return;
    repair_folds(x_.data() + kGuardPoints, z_.data() + kGuardPoints,
                 grayIn_.data() + kGuardPoints, count, kInvalidHeight, 0.0);
}

void ProfileProcessor::resampleInner(int n, int count) {
    const int inner = std::max(frameColumns(n) - 2 * kGuardPoints, 0);
    count = std::clamp(count, 0, points_);
    const uint32_t mode = reg(185);
    resample_and_mask(x_.data() + kGuardPoints, z_.data() + kGuardPoints,
                      grayIn_.data() + kGuardPoints, runMarks_.data() + kGuardPoints, inner,
                      xGrid_.data(), heightsOut_.data(), grayOut_.data(), count, reg(804) >> 4,
                      reg(805), mode <= 2 ? int(mode) : 0, static_cast<int>(kInvalidHeight));
}

bool ProfileProcessor::rotationOn() const { return rotation_enabled(reg(324), reg(325)); }

void ProfileProcessor::rotateInner(int n) {
    const int inner = std::min(n, columns_) - 2 * kGuardPoints;
    const int32_t angle = static_cast<int32_t>(reg(325));
    if (inner <= 0 || angle == 0 || !rotationOn()) return;
    rotator_->set_angle(static_cast<int>(kInvalidHeight), angle / 100000.0);
    rotator_->rotate(x_.data() + kGuardPoints, z_.data() + kGuardPoints, inner);
}

void ProfileProcessor::mirrorAndNegate(int count) {
    mirror_and_negate(heightsOut_.data(), grayOut_.data(), std::clamp(count, 0, points_), reg(291));
}

void ProfileProcessor::baseZeroAndScale(int count) {
    count = std::clamp(count, 0, points_);
    double offset = 0.0;
    bool shift = false;
    if (rotationOn() && (reg(772) & 1u)) {
        auto bound = [&](unsigned int address) {
            return static_cast<int32_t>(reg(address)) / 100.0;
        };
        shift = base_zero_offset(heightsOut_.data(), xGrid_.data(), count, bound(326), bound(327),
                                 bound(328), bound(329), &offset);
    }
    const bool scale = reg(330) == 1;
    // One pass over the profile: the shift, then the scale of what is still valid.
    if (shift || scale)
        frame_kernels().shiftAndScale(heightsOut_.data(), points_, shift, offset, scale,
                                      scale ? z_scale_factor(reg(331)) : 1.0);
}

int ProfileProcessor::binGridPoints(int count, int factor) {
    count = std::clamp(count, 0, points_);
    if (factor < 2 || !settings_) return count;
    return bin_profile(heightsOut_.data(), grayOut_.data(), count, factor,
                       settings_->getbinning_w(count));
}

void ProfileProcessor::applyZOffsets() {
    if (!settings_) return;
    const HVQ5_2_EXTEND* extend = settings_->get_sdk_extend();
    if (extend->enable)
        zOffsets_.apply(heightsOut_.data(), points_, extend->z_offset, extend->z_offset_count);
}

std::vector<double> ProfileProcessor::heights() const { return heightsOut_; }

void ProfileProcessor::heightsInt(int32_t* out, int count) const {
    heights_to_int100(heightsOut_.data(), out, std::min(points_, count));
}

namespace {

// How many of `count` values starting at `offset` lie inside `points`.
int available_from(int offset, int count, int points) {
    if (offset < 0 || offset >= points || count <= 0) return 0;
    return std::min(count, points - offset);
}

}  // namespace

void ProfileProcessor::heights16(int16_t* out, int count, int offset) const {
    if (count <= 0) return;
    const int available = available_from(offset, count, points_);
    auto* codes = reinterpret_cast<uint16_t*>(out);
    if (available > 0)
        heights_to_u16(heightsOut_.data() + offset, codes, available, reg(353), reg(357),
                       reg(350), kInvalidHeight);
    std::fill(codes + available, codes + count, 0);
}

void ProfileProcessor::grayOut(uint8_t* out, int count, int offset, bool gamma, bool stretch,
                               bool lut) const {
    const int available = available_from(offset, count, points_);
    if (available == 0) return;
    std::memcpy(out, grayOut_.data() + offset, available);
    if (!gamma && !stretch && !lut) return;
    apply_gray_table(grayTable(gamma, stretch, lut), out, available);
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

int ProfileProcessor::process(int wordMode, const uint32_t* words, const uint8_t* gray,
                              int startColumn, int n, bool repairEnabled, bool runsOnly,
                              bool firstOfBatch, int binning) {
    if (!settings_) return -1;
    n = framePoints(startColumn, n);
    beginPipeline(firstOfBatch);
    beginFrame(gray, n);
    trace_step(1);
    if (words)
        convertRaw(wordMode, words, n);
    else
        std::fill(z_.begin(), z_.begin() + n, kNoPeak);
    trace_step(2);
    computeColumnX(startColumn, n);
    trace_step(3);
    if (wordMode == 0)
        dump_words16("fvals.md", reinterpret_cast<const uint16_t*>(words), n);
    else
        dump_words32("fvals.md", words, n);
    dump_doubles("_tmp_zs.md", z_.data(), columns_);
    dump_doubles("_x_reals.md", x_.data(), columns_);
    dump_bytes("gray.md", grayIn_.data(), n);
    return finishFrame(startColumn, n, repairEnabled, runsOnly, firstOfBatch, binning);
}

const double* ProfileProcessor::preprocessFixed(const double* rows, int startColumn, int n) {
    if (!settings_) return nullptr;
    n = rows ? std::clamp(n, 0, columns_) : 0;
    std::copy(rows, rows + n, peakRows_.begin());
    interpolate_row_lut(rowTable_, peakRows_.data(), startColumn, n, distances_.data());
    trace_preprocess(1);
    limit_distances(distances_.data(), n, reg(356) >> 8, reg(355) >> 8);
    trace_preprocess(2);
    return distances_.data();
}

int ProfileProcessor::processFixed(int /*wordMode*/, const double* distances, const uint8_t* gray,
                                   int startColumn, int n, bool repairEnabled, bool runsOnly,
                                   bool firstOfBatch, int binning) {
    if (!settings_) return -1;
    n = framePoints(startColumn, n);
    beginPipeline(firstOfBatch);
    beginFrame(gray, n);
    trace_step(1);
    if (distances)
        std::copy(distances, distances + n, z_.begin());
    else
        std::fill(z_.begin(), z_.begin() + n, kNoPeak);
    trace_step(2);
    computeColumnX(startColumn, n);
    trace_step(3);
    dump_doubles("fvals.md", distances, n);
    dump_doubles("_tmp_zs.md", z_.data(), columns_);
    dump_doubles("_x_reals.md", x_.data(), columns_);
    dump_bytes("gray.md", grayIn_.data(), n);
    return finishFrame(startColumn, n, repairEnabled, runsOnly, firstOfBatch, binning);
}

int ProfileProcessor::finishFrame(int startColumn, int n, bool repairEnabled, bool runsOnly,
                                  bool firstOfBatch, int binning) {
    // The guard points stay out of the column repairs and the resampling; a
    // frame without inner points gives an all-invalid profile.
    const int inner = std::max(n - 2 * kGuardPoints, 0);
    auto innerOf = [inner](auto* row) { return inner > 0 ? row + kGuardPoints : row; };

    clipHeights();
    rotateInner(n);
    repairRuns(n, runsOnly);
    if (runsOnly) return 0;
    trace_step(4);
    dump_doubles("_tmp_zs_after.md", z_.data(), columns_);
    dump_doubles("_x_reals_after.md", x_.data(), columns_);
    dump_bytes("gray_after.md", innerOf(grayIn_.data()), inner);

    repairInnerFolds(n);
    trace_step(5);
    dump_doubles("_tmp_zs_after2.md", z_.data(), columns_);
    dump_doubles("_x_reals_after2.md", x_.data(), columns_);
    dump_doubles("begxreal.md", innerOf(x_.data()), inner);
    dump_doubles("begZ.md", innerOf(z_.data()), inner);
    dump_bytes("gray_after2.md", innerOf(grayIn_.data()), inner);

    applyReferenceRows();
    const int first = static_cast<int>(startColumn * pointsPerColumn_);
    const int count = std::clamp(static_cast<int>(n * pointsPerColumn_), 0, points_);
    buildXGrid(first, count);
    trace_step(6);
    if (n < columns_) alignXGrid(startColumn, n, count);
    trace_step(7);

    resampleInner(n, count);
    trace_step(8);
    dump_doubles("_x_outlines_after_res.md", xGrid_.data(), count);
    dump_doubles("_outlines_after_res.md", heightsOut_.data(), count);
    dump_bytes("gray_after_res.md", grayOut_.data(), count);

    if (repairEnabled) updateTemporalRepair(firstOfBatch, count);
    trace_step(9);
    mirrorAndNegate(count);
    trace_step(10);
    baseZeroAndScale(count);
    trace_step(11);
    runTemporalRepair(count);
    const int result = binning >= 2 ? binGridPoints(count, binning) : count;
    applyZOffsets();

    // Both rows hold points values, fewer than twice a wide frame's columns.
    const int endValues = std::min(2 * n, points_);
    dump_doubles("_outlines_end.md", heightsOut_.data(), endValues);
    dump_bytes("gray_end.md", grayOut_.data(), endValues);
    trace_step(12);
    return result;
}
