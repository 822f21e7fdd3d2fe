// What a factory reset writes: the default block holds values for the first
// 128 user registers only.
#include "sensor_interface/command/programs.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(FactoryDefaults, WritesOnlyTheRegistersTheBlockHolds) {
    hvq5_settings image;
    std::vector<unsigned int> block(programs::kFactoryValues);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned int>(15000 + i);
    image.set_regvals(block);

    const auto writes = programs::factoryDefaultWrites(image.get_user_regvals());

    ASSERT_EQ(writes.size(), programs::kFactoryValues);
    for (std::size_t i = 0; i < writes.size(); ++i) EXPECT_EQ(writes[i].reg, zp_laser_reg::user_reg_table[i]);
    // Registers past the block (gray gamma 742, run mode 773, ...) are not written as 0.
    for (uint32_t reg : {742u, 773u, 752u, 758u, 769u, 771u, 774u, 779u, 785u}) {
        EXPECT_TRUE(std::none_of(writes.begin(), writes.end(), [reg](const auto& w) { return w.reg == reg; })) << reg;
    }
    EXPECT_TRUE(std::none_of(writes.begin(), writes.end(), [](const auto& w) { return w.value == 0; }));
}

TEST(FactoryDefaults, AShortListIsKeptWhole) {
    const std::vector<zp_laser_reg::regvals> pairs{{1, 2}, {3, 4}};
    EXPECT_EQ(programs::factoryDefaultWrites(pairs).size(), 2u);
    EXPECT_TRUE(programs::factoryDefaultWrites({}).empty());
}

}  // namespace
