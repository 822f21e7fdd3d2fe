#pragma once
// One sensor's profile processor: turns raw profiles into calibrated profiles on
// a uniform x grid and into the batch output formats. Used by one thread at a
// time, except for frameStages (below); every buffer is allocated with the
// processor.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <opencv2/core/mat.hpp>

#include "sensor_interface/processing/frame_rows.h"
#include "sensor_interface/processing/processing_types.h"
#include "sensor_interface/processing/resampling.h"
#include "sensor_interface/processing/rotation.h"
#include "sensor_interface/processing/temporal_repair.h"
#include "sensor_interface/settings/hvq5_settings.h"

// How a frame runs the processor's column and grid-point stages.
struct FrameOptions {
    // Run-log step lines and debug dumps as the frame goes. Off for a frame
    // processed away from the frame order: its step lines are written when it
    // is completed, and frames with dumps are not processed so.
    bool trace = true;
    bool dumps = true;
    // Stop after the gap repair, which then covers every point and the peak rows.
    bool runsOnly = false;
    // orderFrame leaves the copy of the frame into the temporal repair's row
    // to finishFrame (or storeHeld, for a row that ends a block).
    bool storeLater = false;
    // The reference rows of the narrow-frame alignment. Null: set from the
    // model into the extended values first and read from there.
    const int* referenceRows = nullptr;  // two rows
    // The gray-noise bound of the gap repair; below 0 the process-wide one.
    int grayNoiseBound = -1;
};

class ProfileProcessor {
public:
    ProfileProcessor(int columns, int points, double pointsPerColumn);

    void bind(hvq5_settings* settings, const zp_laser_reg::laser_params* params);

    // Takes a table of kCalibrationColumns polynomials of kCalibrationCoefficients
    // coefficients, builds the row table and the full-width x grid. A table of
    // another shape is refused (false, nothing changed).
    bool setCalibration(CalibrationTable table);

    // x grid of a frame: grid[i] = (first + i - points / 2) x pitch, pitch being
    // register 285 / 100.
    void buildXGrid(int first, int count);
    // Sets the extended values' reference rows for the models that define them.
    // They live in the register image, so this changes nothing of the processor.
    void applyReferenceRows() const;
    // Shifts the first `count` grid points of a frame narrower than the sensor
    // (n columns from startColumn) onto the calibration.
    void alignXGrid(int startColumn, int n, int count);

    // One raw profile of n points from camera column startColumn through the whole
    // pipeline. wordMode 0: words holds n 16-bit values, else n 32-bit values;
    // gray (may be null) n bytes. Returns the number of output points, 0 when
    // runsOnly stopped after the gap repair, -1 when no settings are bound.
    // Points beyond the camera (startColumn + n > columns) are not read.
    int process(int wordMode, const uint32_t* words, const uint8_t* gray, int startColumn, int n,
                bool repairEnabled, bool runsOnly, bool firstOfBatch, int binning);
    // The same pipeline for n distances the fixed-point path has computed.
    int processFixed(int wordMode, const double* distances, const uint8_t* gray, int startColumn,
                     int n, bool repairEnabled, bool runsOnly, bool firstOfBatch, int binning);
    // Peak rows of a fixed-point frame (kept in the peak-row array) to distances
    // through the row table, limited by registers 356 and 355 (each >> 8). The
    // result lives in the processor until the next call; null when no settings
    // are bound.
    const double* preprocessFixed(const double* rows, int startColumn, int n);

    // The pipeline in two parts, so that the first can run for several frames
    // at once on other threads, each frame in rows of its own, while the second
    // runs in frame order:
    // - frameStages: every stage that depends on the frame alone, from the raw
    //   words (or distances) to the profile on the grid with its mirror, base
    //   zero and z scale. Returns the frame's grid points (0 with runsOnly), -1
    //   when no settings are bound. It reads the processor and changes nothing
    //   of it but, when options.referenceRows is null, the reference rows.
    // - completeFrame: makes the frame's rows the processor's own (handing the
    //   previous ones back for another frame), then the temporal repair,
    //   binning and z offsets; returns what process() returns.
    std::unique_ptr<FrameRows> newFrameRows() const;
    int frameStages(FrameRows& rows, int wordMode, const uint32_t* words, const uint8_t* gray,
                    int startColumn, int n, const FrameOptions& options) const;
    int frameStagesFixed(FrameRows& rows, const double* distances, const uint8_t* gray,
                         int startColumn, int n, const FrameOptions& options) const;
    // preprocessFixed into the given rows.
    const double* preprocessFixedInto(FrameRows& rows, const double* peakRows, int startColumn,
                                      int n, const FrameOptions& options) const;
    int completeFrame(std::unique_ptr<FrameRows>& rows, int count, bool repairEnabled,
                      bool firstOfBatch, int binning, const FrameOptions& options);
    // completeFrame in two steps, so that only the first runs in frame order
    // and the second can run on other threads, each frame in rows of its own:
    // - orderFrame (frame order): the temporal repair's set-up and the frame
    //   of `count` grid points in `rows` through it. The frame the repair
    //   releases stays in the repair's blocks, untouched for as long as the
    //   repair takes 255 more frames.
    // - finishFrame (any thread): the released frame in place of the frame's
    //   own, binning and z offsets; returns what completeFrame returns.
    // - adoptRows (frame order, after finishFrame): the rows become the
    //   processor's own, as completeFrame leaves them.
    struct Release {
        bool ready = false;               // a frame comes out (frameReady)
        const double* heights = nullptr;  // the frame released, null: the frame itself
        const uint8_t* gray = nullptr;
        int width = 0;                    // values of the frame released
        // Keeps the repair's blocks while the frame is read from them.
        std::shared_ptr<processTimeInvalid> blocks;
        // With storeLater: the frame's row in the repair, still to be filled.
        bool stores = false;
        processTimeInvalid::Slot slot;
    };
    Release orderFrame(FrameRows& rows, int count, bool repairEnabled, bool firstOfBatch,
                       const FrameOptions& options);
    int finishFrame(FrameRows& rows, const Release& release, int count, int binning, ZOffsets& zOffsets,
                    const FrameOptions& options) const;
    void adoptRows(std::unique_ptr<FrameRows>& rows, bool ready);
    // The store left for later of a frame whose row ends a block, with the
    // window repair it brings: frame order, once every frame before it is
    // finished.
    bool storeEndsBlock(const Release& release) const { return release.stores && release.slot.repairsWindow; }
    void storeHeld(Release& release, const FrameRows& rows, int count);
    // The texts of the step lines: "processed data <step>" (1 to 12) and
    // "preprocessed data <step>" (1 and 2), alive for the whole process.
    static const std::string& stepLine(int step);
    static const std::string& preprocessLine(int step);
    // The step lines that frameStages (and for a fixed-point frame its
    // preprocessing) writes when tracing, for a frame that ran without.
    static void traceFrameStages(bool fixedPoint);
    // Register 755 as the process-wide gray-noise bound, and at a batch's first
    // frame the gray LUT: the pipeline's first steps.
    void beginPipeline(bool firstOfBatch);

    // Gray look-up table from registers 774 (low), 776 (high), 775 (gain x100).
    void buildGrayLut();

    // Temporal repair set-up of a frame with `count` grid points: dropped when
    // both limits (registers 190, 191) are 0, recreated at a batch's first frame.
    void updateTemporalRepair(bool firstOfBatch, int count);
    // Passes the frame's `count` output points through the temporal repair (when
    // there is one) and sets frameReady to whether a frame came out.
    void runTemporalRepair(int count);
    // End of a batch: releases the frames the temporal repair still holds, one
    // appendFrame call per frame (with the frame in the output rows). True when
    // the last held frame came out.
    bool flushRepair(int frames, std::function<void()> appendFrame);
    // The same, handing out each frame where the repair holds it (valid for
    // as long as orderFrame says) rather than in the output rows; only the
    // last one is left in the output rows, as flushRepair leaves it.
    bool flushReleases(int frames, const std::function<void(const Release&)>& take);

    // Frame stages driven by this frame's registers, on the processor's own
    // rows. n is the frame's number of columns (at most the sensor's), count its
    // number of grid points.
    // Clears the column x and the output rows, takes the frame's gray bytes (may
    // be null).
    void beginFrame(const uint8_t* gray, int n);
    // Raw words (16-bit for wordMode 0, else 32-bit) to distances in the z row,
    // by registers 350 and 353.
    void convertRaw(int wordMode, const void* words, int n);
    // x of each column from its distance by the head's polynomials.
    void computeColumnX(int startColumn, int n);
    // Distances to heights inside the head's height bounds, for every column.
    void clipHeights();
    // Rotates the inner points (all but 8 guard points at each end) of a frame of
    // n columns by register 325 / 100000 degrees while the rotation is enabled.
    void rotateInner(int n);
    // Mirror and sign flip of the count grid points by register 291.
    void mirrorAndNegate(int count);
    // Base zero (windows of registers 326..329, with the rotation enabled and
    // register 772 bit 1) over the count grid points, then the z scale of
    // registers 330 and 331; both act on every output point.
    void baseZeroAndScale(int count);
    // Gap repair (registers 183, 185, 804, 805 and the process-wide gray-noise
    // bound) of the inner points, or of all n points and their peak rows.
    void repairRuns(int n, bool allPoints);
    // Fold repair of the inner points.
    void repairInnerFolds(int n);
    // Resamples the inner points onto the count grid points and clears the gray
    // of invalid grid points.
    void resampleInner(int n, int count);
    // Keeps every factor-th of the count grid points; returns the binned count
    // (the register image's binned width of count).
    int binGridPoints(int count, int factor);
    // Per-point z offsets of the extended values, while their switch is on.
    void applyZOffsets();

    // Output formats, of the processor's own rows or of a frame's.
    std::vector<double> heights() const;
    void heightsInt(int32_t* out, int count) const;
    void heights16(int16_t* out, int count, int offset) const;
    void heights16(const FrameRows& rows, int16_t* out, int count, int offset) const;
    void grayOut(uint8_t* out, int count, int offset, bool gamma, bool stretch, bool lut) const;
    // The table grayOut applies for these treatments (null for none): valid
    // until the next call, which may build it anew. Frame order only.
    const uint8_t* grayTableFor(bool gamma, bool stretch, bool lut) const;

    int columns() const { return columns_; }
    int points() const { return points_; }
    double pointsPerColumn() const { return pointsPerColumn_; }
    double xPitch() const { return rows_->pitch; }
    const CalibrationTable& calibration() const { return calibration_; }
    const cv::Mat& rowTable() const { return rowTable_; }
    const std::vector<double>& xGrid() const { return rows_->grid; }
    const FrameRows& rows() const { return *rows_; }
    const std::shared_ptr<processTimeInvalid>& temporalRepair() const { return repair_; }
    const uint8_t* grayLut() const { return grayLut_; }

    // Working rows of the pipeline.
    double* heightsOut() { return rows_->heights.data(); }
    const double* heightsOut() const { return rows_->heights.data(); }
    const uint8_t* grayOutRow() const { return rows_->gray.data(); }
    uint8_t* grayOutRow() { return rows_->gray.data(); }
    double* columnX() { return rows_->x.data(); }
    double* columnZ() { return rows_->z.data(); }
    uint8_t* grayIn() { return rows_->grayIn.data(); }
    double* peakRows() { return rows_->peakRows.data(); }
    int32_t* runMarks() { return rows_->marks.data(); }

    uint8_t frameReady = 0;

private:
    uint32_t reg(unsigned int address) const;
    bool rotationOn() const;
    int frameColumns(int n) const { return n < 0 ? 0 : (n > columns_ ? columns_ : n); }
    // The points of a frame that lie on the camera.
    int framePoints(int startColumn, int n) const;
    void headXScale(double out[3]) const;
    // The stages on any rows (const: several frames may run them at once).
    void beginFrame(FrameRows& rows, const uint8_t* gray, int n) const;
    void convertRaw(FrameRows& rows, int wordMode, const void* words, int n) const;
    void computeColumnX(FrameRows& rows, int startColumn, int n) const;
    void clipHeights(FrameRows& rows) const;
    void rotateInner(FrameRows& rows, int n) const;
    void repairRuns(FrameRows& rows, int n, bool allPoints, int noiseBound) const;
    void repairInnerFolds(FrameRows& rows, int n) const;
    void buildXGrid(FrameRows& rows, int first, int count) const;
    // Sets the rows' pitch from register 285; the key of a grid that is not aligned.
    FrameRows::GridKey plainGridKey(FrameRows& rows, int first, int count) const;
    // The grid of a frame of n columns from startColumn: built, and aligned
    // when the frame is narrower than the head; kept from the frame before
    // when nothing it depends on changed. Traces steps 6 and 7.
    void frameGrid(FrameRows& rows, int startColumn, int n, int first, int count, int rowA, int rowB,
                   bool trace) const;
    void alignXGrid(FrameRows& rows, int startColumn, int n, int count, int rowA, int rowB) const;
    void resampleInner(FrameRows& rows, int n, int count) const;
    void mirrorAndNegate(FrameRows& rows, int count) const;
    void baseZeroAndScale(FrameRows& rows, int count) const;
    int binGridPoints(FrameRows& rows, int count, int factor) const;
    void applyZOffsets(FrameRows& rows, ZOffsets& zOffsets) const;
    // Steps 7 to 15 (but 13) after the distances and x positions of the frame.
    int columnStages(FrameRows& rows, int startColumn, int n, const FrameOptions& options) const;
    const uint8_t* grayTable(bool gamma, bool stretch, bool lut) const;
    // The temporal repair's part of orderFrame, and finishFrame's taking of
    // the frame it released.
    Release repairFrame(FrameRows& rows, int count, bool dumps, bool storeLater);
    void takeRelease(FrameRows& rows, const Release& release, int count, bool dumps) const;
    // takeRelease, binning and z offsets in one pass, where the released frame
    // is as wide as this one and nothing is dumped between them; false (nothing
    // done) otherwise.
    bool takeReleaseBinned(FrameRows& rows, const Release& release, int count, int binning, ZOffsets& zOffsets,
                           bool dumps, int* result) const;
    bool releaseHeldFrames(int frames, bool intoRows, const std::function<void(const Release&)>& take);

    CalibrationTable calibration_;
    unsigned calibrationVersion_ = 0;  // the table's number among all processors' tables
    cv::Mat rowTable_;  // kRowTableRows x calibration columns
    std::unique_ptr<FrameRows> rows_;
    std::shared_ptr<processTimeInvalid> repair_;
    ZOffsets zOffsets_;
    hvq5_settings* settings_ = nullptr;
    const zp_laser_reg::laser_params* params_ = nullptr;
    int columns_;
    int points_;
    double pointsPerColumn_;
    uint8_t grayLut_[256];
    // The composed gray table of the last grayOut call, rebuilt only when its
    // inputs change: its gamma curve costs 256 pow() calls.
    struct GrayTableKey {
        bool gamma = false, stretch = false, lut = false;
        float gammaValue = 0.0f;
        unsigned lutVersion = 0;
        bool operator==(const GrayTableKey& o) const {
            return gamma == o.gamma && stretch == o.stretch && lut == o.lut &&
                   gammaValue == o.gammaValue && lutVersion == o.lutVersion;
        }
    };
    unsigned lutVersion_ = 1;
    mutable GrayTableKey grayTableKey_;
    mutable uint8_t grayTable_[256];
};
