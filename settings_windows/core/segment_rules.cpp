#include "settings_windows/core/segment_rules.h"

#include <algorithm>

namespace ysegment {

Ends endsFromCounts(const std::array<uint32_t, kSegments>& counts, uint32_t batchSize, Writes* writes) {
    Ends ends{};
    uint64_t sum = 0;  // five 32-bit counts cannot overflow it
    for (int i = 0; i < kSegments; ++i) {
        sum += counts[i];
        ends[i] = static_cast<uint32_t>(std::min<uint64_t>(sum, batchSize));
        if (ends[i] >= batchSize && writes) writes->emplace_back(rowsRegister(i), kUnused);
    }
    return ends;
}

Writes storeEnd(Ends& ends, int i, uint32_t v, uint32_t batchSize) {
    Writes writes;
    if (i < 0 || i >= kSegments) return writes;
    ends[i] = v;
    uint32_t rows;
    if (ends[i] >= batchSize)
        rows = kUnused;
    else if (i == 0)
        rows = ends[0];
    else
        rows = ends[i] == ends[i - 1] ? kUnused : ends[i] - ends[i - 1];
    writes.emplace_back(rowsRegister(i), rows);
    if (rows != kUnused && i < kSegments - 1) {
        if (ends[i + 1] > ends[i]) {
            writes.emplace_back(rowsRegister(i + 1), ends[i + 1] - ends[i]);
        } else {
            writes.emplace_back(rowsRegister(i + 1), kUnused);
            ends[i + 1] = ends[i];
        }
    }
    return writes;
}

Shown showSegment(const Ends& ends, int i) {
    if (i <= 0) return Shown{1, ends[0], false};
    return Shown{ends[i - 1], std::max(ends[i - 1], ends[i]), ends[i] < ends[i - 1]};
}

int peakModeIndex(uint32_t code) {
    for (size_t i = 0; i < kPeakModeCodes.size(); ++i)
        if (static_cast<uint32_t>(kPeakModeCodes[i]) == code) return static_cast<int>(i);
    return -1;
}

}  // namespace ysegment
