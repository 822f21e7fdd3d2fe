#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "sensor_interface/settings/extend_placement.h"
#include "sensor_interface/settings/hvq5_settings.h"
#include "sensor_interface/settings/z_offset_table.h"

namespace {

using mirevo::settings::ExtendValue;

TEST(ExtendBlock, NewImageHoldsTheDefaults) {
    hvq5_settings image;
    const HVQ5_2_EXTEND& b = *image.get_sdk_extend();
    EXPECT_EQ(b.enable, 0);
    EXPECT_EQ(b.x_binning, 0);
    EXPECT_EQ(b.y_roi_first, 0);
    EXPECT_EQ(b.y_roi_last, 0);
    EXPECT_EQ(b.z_offset_count, 0);
    EXPECT_EQ(b.model_type, 22);
    EXPECT_EQ(b.gray_gamma, 1.0f);
    EXPECT_EQ(b.feature_en, 0u);
    EXPECT_EQ(b.grad_thres1, -40000);
    EXPECT_EQ(b.grad_thres2, -1000);
    EXPECT_EQ(b.grad_r, 15);
    EXPECT_EQ(b.grad_r_open, 3);
    EXPECT_EQ(b.grad_open_on, 0);
    EXPECT_EQ(b.grad_connected_on, 1);
    EXPECT_EQ(b.grad_connected_area, 200);
    EXPECT_EQ(b.grad_object, 2);
    EXPECT_EQ(b.x_offset, 0);
    EXPECT_EQ(b.ref_row_a, 0);
    EXPECT_EQ(b.ref_row_b, 0);
    EXPECT_EQ(b.reserved2[1], 3);
    EXPECT_EQ(b.reserved2[2], 13);
    EXPECT_EQ(b.reserved2[3], 15);
    EXPECT_EQ(b.reserved3[1], 1);
    EXPECT_EQ(b.cloud_align, 0);
    EXPECT_EQ(b.b_x_offset, 0);
    EXPECT_EQ(b.b_z_offset, 0.0);
    EXPECT_EQ(b.single_valid_output, 0);
    EXPECT_EQ(b.height_delta, 0.0);
    EXPECT_EQ(b.valid_output_in_delta, 0);
    EXPECT_EQ(b.valid_output_beyond_delta, 0);
    EXPECT_EQ(b.start_frame_timeout, 0);
    EXPECT_EQ(b.continous_frame_timeout, 0);
    EXPECT_EQ(b.timeout_callback_type, 1);
    EXPECT_TRUE(image.settings_file_path().empty());
}

struct PlacementCase {
    char series;
    uint32_t reg166;
    bool time_outs_in_registers;
    bool loads_file;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, DecidesBetweenRegistersAndTheSettingsFile) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(mirevo::settings::head_keeps_extend_in_registers(c.series, c.reg166),
              c.time_outs_in_registers);
    EXPECT_EQ(mirevo::settings::head_loads_settings_file(c.series, c.reg166), c.loads_file);

    const std::pair<ExtendValue, uint32_t> backed[] = {{ExtendValue::StartFrameTimeout, 769},
                                                       {ExtendValue::TimeoutCallbackAmount, 770},
                                                       {ExtendValue::ContinuousFrameTimeout, 771},
                                                       {ExtendValue::FeatureWord, 772}};
    for (const auto& [value, reg] : backed) {
        const auto place = mirevo::settings::place_extend_value(value, c.series, c.reg166);
        EXPECT_EQ(place.in_register, c.time_outs_in_registers);
        if (place.in_register) {
            EXPECT_EQ(place.reg, reg);
        }
    }
    const std::pair<ExtendValue, uint32_t> always[] = {{ExtendValue::GrayGamma, 742},
                                                       {ExtendValue::ProfileOutputWidth, 752},
                                                       {ExtendValue::RunMode, 753},
                                                       {ExtendValue::ZOffset563, 754},
                                                       {ExtendValue::LightOffsetUpper, 755}};
    for (const auto& [value, reg] : always) {
        const auto place = mirevo::settings::place_extend_value(value, c.series, c.reg166);
        EXPECT_TRUE(place.in_register);
        EXPECT_EQ(place.reg, reg);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Heads, Placement,
    ::testing::Values(PlacementCase{'3', 0, true, false}, PlacementCase{'4', 0xFFF, false, true},
                      PlacementCase{'5', 0x349, false, true}, PlacementCase{'5', 0x34A, true, false},
                      PlacementCase{'5', 0x1234A, true, false},  // only the low 12 bits count
                      PlacementCase{'6', 0x349, false, true},
                      PlacementCase{'6', 0x34A, true, true}));    // registers, yet loads its file

TEST(ZOffsetTable, StoresTablesThatFitTheWidthAndTheTable) {
    HVQ5_2_EXTEND block;
    const std::vector<int32_t> values = {5, -7, 9};
    EXPECT_TRUE(mirevo::settings::store_z_offsets(block, values.data(), 3, 3));
    EXPECT_EQ(block.z_offset_count, 3);
    EXPECT_EQ(block.z_offset[1], -7);

    EXPECT_TRUE(mirevo::settings::store_z_offsets(block, nullptr, 0, 3));
    EXPECT_EQ(block.z_offset_count, 0);

    const std::vector<int32_t> full(4096, 1);
    EXPECT_TRUE(mirevo::settings::store_z_offsets(block, full.data(), 4096, 6000));
    EXPECT_EQ(block.z_offset_count, 4096);
}

struct RefusedCount {
    int count;
    int width;
};

class ZOffsetRefused : public ::testing::TestWithParam<RefusedCount> {};

TEST_P(ZOffsetRefused, LeavesTheBlockUnchanged) {
    HVQ5_2_EXTEND block;
    block.z_offset_count = 2;
    block.z_offset[0] = 11;
    const std::vector<int32_t> values(6000, 4);
    const std::vector<double> values_mm(6000, 0.5);
    EXPECT_FALSE(mirevo::settings::store_z_offsets(block, values.data(), GetParam().count, GetParam().width));
    EXPECT_FALSE(
        mirevo::settings::store_z_offsets_mm(block, values_mm.data(), GetParam().count, GetParam().width));
    EXPECT_EQ(block.z_offset_count, 2);
    EXPECT_EQ(block.z_offset[0], 11);
}

INSTANTIATE_TEST_SUITE_P(Counts, ZOffsetRefused,
                         ::testing::Values(RefusedCount{4097, 6000},   // past the table
                                           RefusedCount{6000, 6000},
                                           RefusedCount{-1, 6000},     // negative
                                           RefusedCount{801, 800}));   // past the binned width

TEST(ZOffsetTable, MissingValuesAreRefused) {
    HVQ5_2_EXTEND block;
    EXPECT_FALSE(mirevo::settings::store_z_offsets(block, nullptr, 1, 10));
    EXPECT_FALSE(mirevo::settings::store_z_offsets_mm(block, nullptr, 1, 10));
    EXPECT_EQ(block.z_offset_count, 0);
}

TEST(ZOffsetTable, MillimetresAreScaledAndTruncated) {
    HVQ5_2_EXTEND block;
    const double mm[] = {1.5, -0.000019, 0.123456789, 1e12, -1e12, std::nan("")};
    ASSERT_TRUE(mirevo::settings::store_z_offsets_mm(block, mm, 6, 4096));
    EXPECT_EQ(block.z_offset[0], 150000);
    EXPECT_EQ(block.z_offset[1], -1);
    EXPECT_EQ(block.z_offset[2], 12345);
    EXPECT_EQ(block.z_offset[3], std::numeric_limits<int32_t>::max());
    EXPECT_EQ(block.z_offset[4], std::numeric_limits<int32_t>::min());
    EXPECT_EQ(block.z_offset[5], 0);
}

}  // namespace
