#pragma once
// The three batch rows of one finished frame (16-bit codes, int32 heights x100
// or extended codes, gray bytes), built in buffers that are reused frame after
// frame.
#include <cstdint>
#include <vector>

class ProfileProcessor;
struct FrameRows;

// Gray treatments of a batch, read at its start.
struct GraySwitches {
    bool gamma = false;    // register 741 not 0
    bool stretch = false;  // contrast stretch feature bit
    bool lut = false;      // gray look-up table feature bit
};

struct OutputRowRules {
    int width = 0;  // values per row
    // The int32 row carries extended 16-bit codes (another application's
    // connection with an extended output width) instead of heights x100.
    bool extendedCodes = false;
    double zOffset = 0.0;  // added to the heights before the extended codes
    GraySwitches gray;
};

class FrameOutputRows {
public:
    // Rows of width values from the processor's profile of count points. When
    // the profile is wider than the row, the 16-bit and gray rows (and extended
    // codes) take its middle, the plain int32 row its first values. Values the
    // profile does not reach stay 0.
    void fill(const ProfileProcessor& processor, int count, const OutputRowRules& rules);
    // The same of a frame's rows, with the gray table of the batch's treatments
    // (null: none) taken beforehand: safe on any thread.
    void fill(const ProfileProcessor& processor, const FrameRows& rows, int count, const OutputRowRules& rules,
              const uint8_t* grayTable);
    // Rows of a frame the temporal repair released at the end of a batch: the
    // middle window starts at the given offset (the last frame's), the plain
    // int32 row takes the first values of the whole profile.
    void fillReleased(const ProfileProcessor& processor, const FrameRows& rows, int offset,
                      const OutputRowRules& rules, const uint8_t* grayTable);

    // First profile point of the middle window.
    int offset() const { return offset_; }
    int width() const { return static_cast<int>(codes_.size()); }
    const int16_t* codes() const { return codes_.data(); }
    const int32_t* heights() const { return heights_.data(); }
    const uint8_t* gray() const { return gray_.data(); }

private:
    void fillWindow(const ProfileProcessor& processor, const FrameRows& rows, int width, int offset, int window,
                    int plainCount, const OutputRowRules& rules, const uint8_t* grayTable);

    std::vector<int16_t> codes_;
    std::vector<int32_t> heights_;
    std::vector<uint8_t> gray_;
    int offset_ = 0;
};
