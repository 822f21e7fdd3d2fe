#pragma once
// The cloud filter's pass over a batch's int32 rows, apart from the registry.
#include <cstdint>
#include <vector>

struct WeldFilterParams;

// What a batch's int32 rows hold: heights in 0.00001 mm (invalid
// -999900000) or extended 16-bit height codes (invalid 0).
enum class CloudRows { Hundredths, Codes };

// The rows (frames x points) go through single precision: hundredths become
// micrometres, codes stay codes; the weld filter (when given) runs on them;
// they are written back truncated toward zero. A point that is invalid
// afterwards gets the exact invalid marker of its rows, which single
// precision cannot hold. heights is the caller's scratch storage.
void cloud_filter_rows(int id, int32_t* rows, uint8_t* gray, int frames, int points, CloudRows kind,
                       const WeldFilterParams* weld, std::vector<float>& heights);
