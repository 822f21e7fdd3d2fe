#pragma once
// Cleans the narrow head and tail of a weld-seam batch: before the scan reaches
// the full-width part only the bead or spatter is seen, and points standing
// higher than the usual surface there are spatter.
#include <cstdint>
#include <string>

struct WeldFilterParams {
    int ishead = 3;                // 1 head only, 0 tail only, 2 both, other: neither
    float th_high = 0.0f;          // height above the surface estimate that counts as spatter
    int max_valid_width = 0;       // valid points from which a row is full width
    float invalid = -9999000.0f;   // a point is valid when its height is above this
    bool gray_filter_en = false;   // also zero the gray bytes of removed points

    // Register 777: full-width count, 778: gray switch, 779: which ends, 785:
    // threshold. Batch rows hold heights in micrometres x100 (invalid
    // -9999000 once divided), or 16-bit height codes (invalid 0, threshold
    // register in tenths of a code step).
    static WeldFilterParams fromRegisters(uint32_t r777, uint32_t r778, uint32_t r779,
                                          uint32_t r785, bool codes);
};

// Rows of the head region: [headStart, headEnd); rows of the tail region: from
// tailStart down to tailEnd, both included.
struct WeldRegions {
    int headStart = 0;
    int headEnd = 0;
    int tailStart = 0;
    int tailEnd = 0;
};

WeldRegions find_weld_regions(const float* heights, int rows, int cols, int maxValidWidth,
                              float invalid);

// The run-log line that every call writes (level 2).
std::string weld_filter_log_line(int id, int rows, int cols, const WeldFilterParams& params);

// heights and gray are rows x cols, row-major, changed in place. A null heights
// pointer does nothing; a null gray pointer is never written.
void weld_filter(int id, float* heights, uint8_t* gray, int rows, int cols,
                 const WeldFilterParams& params);

void weld_filter(int id, float* heights, uint8_t* gray, int rows, int cols, int ishead,
                 float th_high, int max_valid_width, float invalid, bool gray_filter_en);

// The cloud filter's pass over a batch's int32 rows (frames x points): heights
// x100 become micrometres (codes false) or codes stay codes (codes true), in
// single precision; weld (when given) filters them; they are written back,
// rounded to the nearest unit so that the single-precision round trip neither
// drifts valid values nor moves the invalid marker.
void weld_filter_batch_rows(int id, int32_t* rows, uint8_t* gray, int frames, int points, bool codes,
                            const WeldFilterParams* weld);
