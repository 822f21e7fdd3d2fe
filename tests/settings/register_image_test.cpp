#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "sensor_interface/settings/hvq5_settings.h"

namespace {

using zp_laser_reg::user_reg_table;

std::vector<unsigned int> counting_values(std::size_t count) {
    std::vector<unsigned int> values(count);
    for (std::size_t i = 0; i < count; ++i) values[i] = static_cast<unsigned int>(1000 + i);
    return values;
}

TEST(UserRegisterTable, HoldsTheListedAddressesInOrderWithRepeats) {
    const std::vector<uint32_t> table(user_reg_table, user_reg_table + zp_laser_reg::user_reg_count);
    EXPECT_EQ(user_reg_table[zp_laser_reg::user_reg_count], zp_laser_reg::user_reg_end);
    EXPECT_EQ(std::count(table.begin(), table.end(), zp_laser_reg::user_reg_end), 0);

    const std::vector<uint32_t> head = {353, 357, 350, 351, 352, 355, 356, 353, 354, 11, 137, 138, 143};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), table.begin()));
    const std::vector<uint32_t> tail = {769, 770, 771, 774, 775, 776, 777, 778, 779, 785};
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), table.end() - tail.size()));

    EXPECT_EQ(std::count(table.begin(), table.end(), 353u), 2);
    EXPECT_EQ(std::count(table.begin(), table.end(), 350u), 2);
    // The second 350 follows the 282..293 run.
    const auto run_end = std::find(table.begin(), table.end(), 293u);
    ASSERT_NE(run_end, table.end());
    EXPECT_EQ(*(run_end + 1), 350u);
    EXPECT_EQ(*(run_end + 2), 301u);
}

TEST(RegisterImage, NewImageHoldsZerosAndRefusesAddressesPastTheEnd) {
    hvq5_settings image;
    bool all_zero = true;
    for (unsigned int reg = 0; reg < 65535; ++reg) all_zero = all_zero && image.get_vals(reg) == 0;
    EXPECT_TRUE(all_zero);
    EXPECT_EQ(image.get_vals(65535), 0xFFFFFFFFu);
    EXPECT_EQ(image.get_vals(0xFFFFFFFFu), 0xFFFFFFFFu);

    EXPECT_TRUE(image.set_regvals(65534u, 0xFFFFFFFFu));
    EXPECT_EQ(image.get_vals(65534), 0xFFFFFFFFu);
    EXPECT_FALSE(image.set_regvals(65535u, 7u));
}

TEST(RegisterImage, NewImageHoldsTheHeadInformationTemplate) {
    hvq5_settings image;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&image.laser_params());
    EXPECT_EQ(std::memcmp(bytes, "ZP-HZP\0\0", 8), 0);
    EXPECT_EQ(std::memcmp(bytes + 20, "\r\n", 2), 0);
    EXPECT_EQ(std::memcmp(bytes + 42, "ZP-H", 4), 0);
    EXPECT_EQ(std::memcmp(bytes + 62, "\r\nZP-C", 6), 0);
    EXPECT_EQ(std::memcmp(bytes + 84, "\r\nZP-H", 6), 0);
    EXPECT_EQ(std::memcmp(bytes + 130, "\r\n", 2), 0);
    EXPECT_EQ(bytes[6], 0);  // no series yet
}

struct VectorStoreCase {
    std::size_t value_count;
    std::size_t stored_entries;  // how many table entries receive values
};

class VectorStore : public ::testing::TestWithParam<VectorStoreCase> {};

TEST_P(VectorStore, StoresValuesInTableOrderAndIgnoresTheRest) {
    hvq5_settings image;
    const auto values = counting_values(GetParam().value_count);
    EXPECT_TRUE(image.set_regvals(values));

    // Expected image: later table entries win for repeated addresses.
    std::vector<unsigned int> expected(65535, 0);
    for (std::size_t i = 0; i < GetParam().stored_entries; ++i) expected[user_reg_table[i]] = values[i];
    for (unsigned int reg = 0; reg < 65535; ++reg) {
        ASSERT_EQ(image.get_vals(reg), expected[reg]) << "register " << reg;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, VectorStore,
                         ::testing::Values(VectorStoreCase{0, 0}, VectorStoreCase{3, 3},
                                           VectorStoreCase{8, 8}, VectorStoreCase{147, 147},
                                           VectorStoreCase{200, 147}));

TEST(RegisterImage, RepeatedAddressTakesItsLaterValue) {
    hvq5_settings image;
    image.set_regvals(counting_values(3));
    EXPECT_EQ(image.get_vals(353), 1000u);
    EXPECT_EQ(image.get_vals(357), 1001u);
    EXPECT_EQ(image.get_vals(350), 1002u);
    EXPECT_EQ(image.get_vals(351), 0u);

    image.set_regvals(counting_values(8));
    EXPECT_EQ(image.get_vals(353), 1007u);  // the eighth value
}

TEST(RegisterImage, UserRegisterPairsFollowTheTable) {
    hvq5_settings image;
    auto pairs = image.get_user_regvals();
    ASSERT_EQ(pairs.size(), 147u);
    EXPECT_EQ(pairs.front().reg, 353u);
    EXPECT_EQ(pairs.back().reg, 785u);
    EXPECT_TRUE(std::all_of(pairs.begin(), pairs.end(), [](const auto& p) { return p.value == 0; }));

    image.set_regvals(785u, 42u);
    image.set_regvals(353u, 9u);
    pairs = image.get_user_regvals();
    for (std::size_t i = 0; i < pairs.size(); ++i) EXPECT_EQ(pairs[i].reg, user_reg_table[i]);
    EXPECT_EQ(pairs.back().value, 42u);
    EXPECT_EQ(pairs[0].value, 9u);
    EXPECT_EQ(pairs[7].value, 9u);  // 353 again
}

struct BinningCase {
    unsigned int exponent;
    int rate;
    int width;
    int binned;
};

class Binning : public ::testing::TestWithParam<BinningCase> {};

TEST_P(Binning, DividesTheWidthTowardZero) {
    hvq5_settings image;
    image.set_regvals(740u, GetParam().exponent);
    EXPECT_EQ(image.getbinning_rate(), GetParam().rate);
    EXPECT_EQ(image.extwidth(GetParam().width), GetParam().binned);
    EXPECT_EQ(image.getbinning_w(GetParam().width), GetParam().binned);
}

INSTANTIATE_TEST_SUITE_P(Exponents, Binning,
                         ::testing::Values(BinningCase{0, 1, 3200, 3200}, BinningCase{1, 2, 3200, 1600},
                                           BinningCase{2, 4, 6000, 1500}, BinningCase{3, 8, 2048, 256},
                                           BinningCase{3, 8, -9, -1}, BinningCase{4, 16, 4096, 256},
                                           BinningCase{5, 1, 2048, 2048}, BinningCase{7, 1, 2048, 2048},
                                           BinningCase{0xFFFFFFFFu, 1, -9, -9}));

TEST(RegisterImage, GrayGammaIsRegister742InHundredths) {
    hvq5_settings image;
    EXPECT_FLOAT_EQ(image.get_gray_gamma(), 0.0f);
    image.set_regvals(742u, 150u);
    EXPECT_FLOAT_EQ(image.get_gray_gamma(), 1.5f);
}

TEST(YWindow, CountsRowsInsideTheWindowAndLowersAnOversizedBound) {
    hvq5_settings image;
    HVQ5_2_EXTEND& block = *image.get_sdk_extend();
    block.y_roi_first = 100;
    block.y_roi_last = 800;
    EXPECT_TRUE(image.yroi_en());
    EXPECT_EQ(image.yroi_row(500), 500);  // switch off: all rows

    block.enable = 1;
    EXPECT_EQ(image.yroi_row(500), 400);
    EXPECT_EQ(block.y_roi_last, 500);
    EXPECT_EQ(image.yroi_row(1000), 400);
}

struct WindowCase {
    int first;
    int last;
    int rows;
    int inside;
};

class YWindowRows : public ::testing::TestWithParam<WindowCase> {};

TEST_P(YWindowRows, StaysWithinTheRowsThatExist) {
    hvq5_settings image;
    HVQ5_2_EXTEND& block = *image.get_sdk_extend();
    block.enable = 1;
    block.y_roi_first = GetParam().first;
    block.y_roi_last = GetParam().last;
    EXPECT_EQ(image.yroi_row(GetParam().rows), GetParam().inside);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, YWindowRows,
    ::testing::Values(WindowCase{0, 0, 300, 300},       // no window
                      WindowCase{10, 20, 300, 10},      // inside
                      WindowCase{50, 0, 300, 250},      // last not above first: to the end
                      WindowCase{50, 50, 300, 250},
                      WindowCase{600, 800, 500, 0},     // window starts past the rows
                      WindowCase{600, 0, 500, 0},
                      WindowCase{-50, 0, 100, 50},
                      WindowCase{-50, -60, 100, 100},
                      WindowCase{-2147483647 - 1, -2147483647 - 1, 100, 100}));  // negative first cannot add rows

TEST(YWindow, EnabledWhenEitherBoundIsSet) {
    hvq5_settings image;
    EXPECT_FALSE(image.yroi_en());
    image.get_sdk_extend()->y_roi_last = 3;
    EXPECT_TRUE(image.yroi_en());
}

}  // namespace
