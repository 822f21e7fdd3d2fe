#pragma once
// Y segments of the exposure: up to five runs of rows of a batch, segment i
// described by registers 540 + 10i (rows in the segment; 0xFFFF: not used, or
// running to the end of the batch) to 544 + 10i. The advanced settings dialog
// shows each segment by the row where it ends; these rules turn end rows into
// row counts and back.
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace ysegment {

constexpr int kSegments = 5;
constexpr uint32_t kUnused = 0xFFFF;
constexpr int kSegmentsOnRegister = 530;

// Registers of segment i.
constexpr int rowsRegister(int i) { return 540 + 10 * i; }
constexpr int grayUpperRegister(int i) { return 541 + 10 * i; }
constexpr int grayLowerRegister(int i) { return 542 + 10 * i; }
constexpr int peakModeRegister(int i) { return 543 + 10 * i; }
constexpr int exposureRegister(int i) { return 544 + 10 * i; }

using Ends = std::array<uint32_t, kSegments>;
// Register writes (register, value) in the order they are to be sent.
using Writes = std::vector<std::pair<int, uint32_t>>;

// End rows from the row counts read from the sensor: a running sum capped at
// the batch size. Every segment that reaches the batch end gets 0xFFFF
// written to its count register.
Ends endsFromCounts(const std::array<uint32_t, kSegments>& counts, uint32_t batchSize, Writes* writes);

// Storing the end row v of segment i (0..4): the count of segment i, and for
// segments 0 to 3 the count of the next segment whose end row stays where it
// was (or which is dropped, 0xFFFF, when this segment now reaches past it).
Writes storeEnd(Ends& ends, int i, uint32_t v, uint32_t batchSize);

// Showing segment i: the end-row spin box's minimum and value, and whether
// the stored end must first move up to the previous segment's end.
struct Shown {
    uint32_t minimum;
    uint32_t value;
    bool moveUp;
};
Shown showSegment(const Ends& ends, int i);

// Register values of the peak-mode combo's items, in item order.
constexpr std::array<int, 8> kPeakModeCodes = {2, 0, 1, 7, 6, 4, 5, 3};
// The first item of a register value, -1 when none stands for it.
int peakModeIndex(uint32_t code);

}  // namespace ysegment
