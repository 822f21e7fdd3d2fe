#pragma once
// Filling the block's per-point z-offset table from a caller's values.
#include <cstdint>

#include "sensor_interface/settings/hvq5_settings.h"

namespace mirevo::settings {

// Whether a table of count entries may be stored: not negative, not above the
// sensor's x-binned width and not above the table's 4096 entries.
bool z_offset_count_fits(int count, int extended_width);

// Copy count values (units of 0.00001 mm) and set the count. False, with the
// block unchanged, when the count does not fit or the values are missing.
bool store_z_offsets(HVQ5_2_EXTEND& block, const int32_t* table, int count, int extended_width);

// Same for millimetres: each value times 100000, truncated toward zero and
// clamped to the int32 range (not-a-number gives 0).
bool store_z_offsets_mm(HVQ5_2_EXTEND& block, const double* table_mm, int count,
                        int extended_width);

}  // namespace mirevo::settings
