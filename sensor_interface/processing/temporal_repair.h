#pragma once
// Repair across frames: for every grid point, short flickers of valid values are
// erased and short invalid stretches take the last valid value before them.
// Frames are held in three blocks of 255 rows and released 510 frames late; the
// end of a batch flushes the frames still held.
#include <cstdint>
#include <memory>

class processTimeInvalid {
public:
    static constexpr int kBlockRows = 255;
    static constexpr int kBlocks = 3;
    // The first frame leaves the stage on call kFirstRelease + 1 (two blocks later).
    static constexpr int kFirstRelease = 509;
    static constexpr int kNoEnd = 9999999;

    // State returned by run().
    static constexpr int kNothingReleased = -1;
    static constexpr int kReleased = 0;
    static constexpr int kLastReleased = 1;

    // fillLimit: invalid stretches shorter than this are filled; keepLimit:
    // valid runs shorter than this are erased. width: grid points per frame.
    // The blocks of a stage of the same width that is no longer used may be
    // taken over (previous): a stage reads no row before writing it, so taking
    // over only spares the allocation and the first touch of its pages.
    processTimeInvalid(int fillLimit, int keepLimit, int width, int invalid,
                       processTimeInvalid* previous = nullptr);

    // Stores one frame of `count` heights (null: flushing, stores an invalid row)
    // and gray bytes (null: zeros); a frame of another width than the stage's is
    // cut or padded with invalid points. When a frame leaves the stage,
    // outHeights/outGray point at its `width` values until the next call.
    int run(const double* heights, const uint8_t* gray, int count, double** outHeights,
            uint8_t** outGray);

    // run() in three parts, so that the copy of a frame into its row can be
    // made on another thread: take() gives the frame its row and what comes
    // out (the frame stored 510 calls earlier, final by now), store() fills
    // the row, and repairWindow() follows the store when the row ends a block.
    // A row stays the frame's until 255 calls later; every row of a block is
    // stored before the window repair that the block's last row brings.
    struct Slot {
        double* heights = nullptr;  // the frame's row
        uint8_t* gray = nullptr;
        uint64_t* bits = nullptr;
        int state = kNothingReleased;
        double* outHeights = nullptr;  // what comes out, for kReleased and kLastReleased
        uint8_t* outGray = nullptr;
        bool repairsWindow = false;
        int previousBlock = 0, currentBlock = 0;
    };
    Slot take(bool flushing);
    // A frame of `count` heights and gray bytes (null: zeros); null heights
    // (flushing): a row marked invalid.
    void store(const Slot& slot, const double* heights, const uint8_t* gray, int count) const;
    void repairWindow(const Slot& slot);

    // Repairs the 2 x frames rows of two consecutive blocks, point by point in
    // time order.
    void repairWindow(double* prevHeights, uint8_t* prevGray, double* curHeights,
                      uint8_t* curGray, int frames, int width, int fillLimit, int keepLimit);

    // The number of frames of the batch; flushing releases frames up to it.
    void setEndCount(int frames) { endCount_ = frames; }
    int width() const { return width_; }
    int frameCount() const { return frameCount_; }

private:
    double* heightRow(int block, int row) { return heights_[block].get() + row * size_t(width_); }
    uint8_t* grayRow(int block, int row) { return gray_[block].get() + row * size_t(width_); }
    uint64_t* bitRow(int block, int row) { return valid_[block].get() + row * size_t(words_); }
    // repairWindow of two of the stage's own blocks, driven by their validity
    // bits: the same result, but only the points that change are read.
    void repairBlocks(int previous, int current);

    int fillLimit_;
    int keepLimit_;
    int state_ = kNothingReleased;
    int invalid_;
    int width_;
    int frameCount_ = 0;
    int endCount_ = kNoEnd;
    int currentBlock_ = 0;
    int currentRow_ = 0;
    std::unique_ptr<double[]> heights_[kBlocks];
    std::unique_ptr<uint8_t[]> gray_[kBlocks];
    // Per stored row, one bit per point: its height lies above the invalid value.
    int words_;
    std::unique_ptr<uint64_t[]> valid_[kBlocks];
    // Per grid point walk state of repairWindow, kept to avoid allocating per window.
    std::unique_ptr<int[]> validRun_;
    std::unique_ptr<int[]> invalidStretch_;
};

// Fill and keep limits from registers 190 and 191; a value above 512 counts as 1.
int temporal_repair_limit(uint32_t registerValue);
