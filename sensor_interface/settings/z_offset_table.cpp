#include "sensor_interface/settings/z_offset_table.h"

#include "sensor_interface/settings/register_decimal.h"

namespace mirevo::settings {
namespace {

bool can_store(const void* table, int count, int extended_width) {
    return z_offset_count_fits(count, extended_width) && (count == 0 || table != nullptr);
}

}  // namespace

bool z_offset_count_fits(int count, int extended_width) {
    return count >= 0 && count <= extended_width && count <= HVQ5_2_EXTEND::z_offset_capacity;
}

bool store_z_offsets(HVQ5_2_EXTEND& block, const int32_t* table, int count, int extended_width) {
    if (!can_store(table, count, extended_width)) return false;
    for (int i = 0; i < count; ++i) block.z_offset[i] = table[i];
    block.z_offset_count = count;
    return true;
}

bool store_z_offsets_mm(HVQ5_2_EXTEND& block, const double* table_mm, int count,
                        int extended_width) {
    if (!can_store(table_mm, count, extended_width)) return false;
    for (int i = 0; i < count; ++i) block.z_offset[i] = register_from_decimal(table_mm[i], 100000.0);
    block.z_offset_count = count;
    return true;
}

}  // namespace mirevo::settings
