// Extended values against the simulated sensor: values that newer heads keep in
// registers and older ones in the per-device settings file, and the values
// that always live in one place.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "tests/exports_settings/open_sensor.h"

namespace {

using namespace exports_test;
using sensor_sim::Fault;
using sensor_sim::FaultKind;

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ExtendExports : public OpenSensor {
protected:
    ExtendExports() : OpenSensor(112) {}

    std::filesystem::path settingsFile() { return device->controller.settings().settings_file_path(); }
    HVQ5_2_EXTEND& block() { return *device->controller.settings().get_sdk_extend(); }
    // Brings a register into the image as the open sequence's reads do.
    void cacheRegister(uint32_t reg, uint32_t value) {
        sim->setReg(reg, value);
        uint32_t read = 0;
        ASSERT_EQ(device->controller.readRegister(reg, read, 0), HVQ5_RC_OK);
        sim->clearPacketLog();
    }
};

struct Routing {
    HeadKind head;
    bool inRegisters;
    bool hasFile;
};

void PrintTo(const Routing& routing, std::ostream* out) {
    *out << routing.head.model << ", register 166 = " << routing.head.firmware;
}

class ExtendRouting : public ExtendExports, public ::testing::WithParamInterface<Routing> {};

TEST_P(ExtendRouting, FrameTimeOutsGoToRegistersOrToTheSettingsFile) {
    const Routing routing = GetParam();
    takeHead(routing.head);
    ASSERT_EQ(!settingsFile().empty(), routing.hasFile);
    const std::string fileBefore = routing.hasFile ? fileText(settingsFile()) : "";

    ASSERT_EQ(HVQ5_2_SET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kId, 500), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kId, 300), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(kId, 2), HVQ5_RC_OK);

    if (routing.inRegisters) {
        EXPECT_EQ(addressesOf(kWriteOpcode), (std::vector<uint32_t>{769, 771, 770}));
        EXPECT_EQ(sim->reg(769), 500u);
        EXPECT_EQ(sim->reg(771), 300u);
        EXPECT_EQ(sim->reg(770), 2u);
        EXPECT_EQ(block().start_frame_timeout, 0) << "the block is left alone";
        if (routing.hasFile) {
            EXPECT_EQ(fileText(settingsFile()), fileBefore) << "the file is left alone";
        }
    } else {
        EXPECT_TRUE(sim->packetLog().empty());
        EXPECT_EQ(block().start_frame_timeout, 500);
        EXPECT_EQ(block().continous_frame_timeout, 300);
        EXPECT_EQ(block().timeout_callback_type, 2);
        const std::string file = fileText(settingsFile());
        EXPECT_NE(file.find("start_frame_timeout=500"), std::string::npos) << file;
        EXPECT_NE(file.find("continous_frame_timeout=300"), std::string::npos) << file;
        EXPECT_NE(file.find("timeout_callback_type=2"), std::string::npos) << file;
    }

    sim->clearPacketLog();
    int start = 0, conti = 0, amount = 0;
    EXPECT_EQ(HVQ5_2_GET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kId, &start), HVQ5_RC_TIMEOUT_GETTER_OK);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kId, &conti), HVQ5_RC_TIMEOUT_GETTER_OK);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(kId, &amount), HVQ5_RC_OK);
    EXPECT_EQ(start, 500);
    EXPECT_EQ(conti, 300);
    EXPECT_EQ(amount, 2);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kId, nullptr), HVQ5_RC_TIMEOUT_GETTER_OK);
    EXPECT_TRUE(sim->packetLog().empty()) << "getters answer from the image or the block";
}

TEST_P(ExtendRouting, FeatureBitsSetAndClearedOneAtATime) {
    const Routing routing = GetParam();
    takeHead(routing.head);
    if (routing.inRegisters) {
        cacheRegister(772, 0xF);
    } else {
        block().feature_en = 0xF | (uint64_t(1) << 40);
    }

    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(kId, HVQ5_2_EXTEND::cloud_filter_en, false), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(kId, HVQ5_2_EXTEND::gray_correction_en, false), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(kId, 16, true), HVQ5_RC_OK);
    const uint64_t expected = 0x15;
    if (routing.inRegisters) {
        EXPECT_EQ(sim->reg(772), expected);
        EXPECT_EQ(block().feature_en, 0u);
    } else {
        EXPECT_TRUE(sim->packetLog().empty());
        EXPECT_EQ(block().feature_en, expected | (uint64_t(1) << 40)) << "other bits are kept";
        const std::string file = fileText(settingsFile());
        EXPECT_NE(file.find("gray_correction_en=0"), std::string::npos) << file;
        EXPECT_NE(file.find("theta_base_zero_en=1"), std::string::npos) << file;
    }

    for (uint64_t bit : {1, 2, 4, 8, 16, 32}) {
        bool on = !((expected & bit) != 0);
        EXPECT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(kId, bit, &on), HVQ5_RC_OK);
        EXPECT_EQ(on, (expected & bit) != 0) << bit;
    }
    EXPECT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(kId, 8, nullptr), HVQ5_RC_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Heads, ExtendRouting,
    ::testing::Values(Routing{olderHead(), false, true},                          // series 4
                      Routing{newerHead(), true, false},                          // series 5, new firmware
                      Routing{{"ZP3020", 100, 848, 848, 1.0}, true, false},        // series 3
                      Routing{{"ZP5160", 841, 2048, 4096, 2.0}, false, true},      // series 5, old firmware
                      Routing{{"ZP6300", 842 + 0x1000, 2048, 6000, 2.9296875}, true, true}),  // series 6
    [](const ::testing::TestParamInfo<Routing>& info) {
        return "Series" + std::string(1, info.param.head.model[2]) + "Firmware" +
               std::to_string(info.param.head.firmware & 0xFFF);
    });

TEST_F(ExtendExports, RegisterBackedSetterReportsTheWritesOwnStatus) {
    takeHead(newerHead());
    sim->injectRegisterFault(769, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_2_SET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kId, 500), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(HVQ5_2_SET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kId, 500), HVQ5_RC_OK);
}

TEST_F(ExtendExports, ValuesThatAlwaysLiveInRegisters) {
    takeHead(olderHead());
    ASSERT_EQ(HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(kId, -1.5), HVQ5_RC_OK);
    EXPECT_EQ(static_cast<int32_t>(sim->reg(754)), -150);
    double z = 0.0;
    ASSERT_EQ(HVQ5_2_GET_EXTEND_563TIF_Z_OFFSET(kId, &z), HVQ5_RC_OK);
    EXPECT_DOUBLE_EQ(z, -1.5);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(kId, 1.13), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(754), 113u) << "1.13 x 100 is just below 113 in double precision: the typed digits count";

    ASSERT_EQ(HVQ5_2_SET_EXTEND_LIGHT_CORRECTION(kId, 0.53f), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(742), 53u) << "the float 0.53 lies just below 0.53";
    ASSERT_EQ(HVQ5_2_SET_EXTEND_LIGHT_CORRECTION(kId, 2.2f), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(742), 220u);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(kId, 1600), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_RUN_MODE(kId, 1), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(kId, 90), HVQ5_RC_OK);
    EXPECT_EQ(addressesOf(kWriteOpcode), (std::vector<uint32_t>{754, 754, 742, 742, 752, 753, 755}));

    sim->clearPacketLog();
    int width = 0, mode = 0, bound = 0;
    EXPECT_EQ(HVQ5_2_GET_EXTEND_PROFILE_OUTPUT_WIDTH(kId, &width), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_RUN_MODE(kId, &mode), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(kId, &bound), HVQ5_RC_OK);
    EXPECT_EQ(width, 1600);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(bound, 90);
    EXPECT_EQ(HVQ5_2_ProfileDataWidth(kId), 1600) << "the extended output width is the profile width";
    EXPECT_EQ(HVQ5_2_GET_EXTEND_RUN_MODE(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_563TIF_Z_OFFSET(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(ExtendExports, XBinningAboveFourIsRefusedAndFourRewritesTheFile) {
    takeHead(olderHead());
    std::filesystem::remove(settingsFile());
    EXPECT_EQ(HVQ5_2_SET_EXTEND_X_Binning(kId, 5), HVQ5_RC_NOT_ALLOWED);
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
    EXPECT_EQ(block().x_binning, 0);
    EXPECT_EQ(HVQ5_2_SET_EXTEND_X_Binning(kId, 4), HVQ5_RC_OK);
    EXPECT_TRUE(std::filesystem::exists(settingsFile()));
    EXPECT_EQ(block().x_binning, 4);
}

TEST_F(ExtendExports, ZOffsetTablesAreRefusedWhenLongerThanTheProfileOrTheTable) {
    takeHead({"ZP6300", 100, 2048, 6000, 2.9296875});
    std::vector<int32_t> table(4097, 7);
    EXPECT_EQ(HVQ5_2_SET_EXTEND_Z_OFFSET(kId, table.data(), 4097), HVQ5_RC_NOT_ALLOWED)
        << "the profile is wider, the table is not";
    EXPECT_EQ(HVQ5_2_SET_EXTEND_Z_OFFSET(kId, table.data(), -1), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(HVQ5_2_SET_EXTEND_Z_OFFSET(kId, nullptr, 3), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(block().z_offset_count, 0);

    ASSERT_EQ(HVQ5_2_SET_EXTEND_Z_OFFSET(kId, table.data(), 4096), HVQ5_RC_OK);
    EXPECT_EQ(block().z_offset_count, 4096);
    EXPECT_EQ(block().z_offset[4095], 7);

    cacheRegister(740, 1);  // binning by 2: 3000 points
    EXPECT_EQ(HVQ5_2_SET_EXTEND_Z_OFFSET(kId, table.data(), 3001), HVQ5_RC_NOT_ALLOWED);
    const double millimetres[] = {0.00123, -1.5, 1.13};
    ASSERT_EQ(HVQ5_2_SET_EXTEND_Z_OFFSET_Double(kId, millimetres, 3), HVQ5_RC_OK);
    EXPECT_EQ(block().z_offset_count, 3);
    EXPECT_EQ(block().z_offset[0], 123);
    EXPECT_EQ(block().z_offset[1], -150000);
    EXPECT_EQ(block().z_offset[2], 113000) << "1.13 x 100000 lies just below 113000 in binary";
}

TEST_F(ExtendExports, BlockValuesAreStoredAndTheBlockIsTheOneTheInterfaceReads) {
    takeHead(olderHead());
    HVQ5_2_EXTEND* cnf = HVQ5_2_GET_EXTEND_CNF(kId);
    ASSERT_EQ(cnf, &block());

    // The enable byte is the caller's to set through the block itself.
    EXPECT_EQ(HVQ5_2_SET_EXTEND_EN(kId, 1), HVQ5_RC_OK);
    EXPECT_EQ(cnf->enable, 0);
    cnf->enable = 1;
    ASSERT_EQ(HVQ5_2_SET_EXTEND_Y_ROI(kId, 100, 400), HVQ5_RC_OK);
    EXPECT_EQ(device->controller.settings().yroi_row(608), 300);

    ASSERT_EQ(HVQ5_2_SET_EXTEND_563TIF_X_OFFSET(kId, -12), HVQ5_RC_OK);
    int offset = 0;
    EXPECT_EQ(HVQ5_2_GET_EXTEND_563TIF_X_OFFSET(kId, &offset), HVQ5_RC_OK);
    EXPECT_EQ(offset, -12);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_563TIF_X_OFFSET(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);

    ASSERT_EQ(HVQ5_2_SET_EXTEND_FILTER_GRAD(kId, -30000, -900, 11, true, 5, false, 150, 3), HVQ5_RC_OK);
    EXPECT_EQ(cnf->grad_thres1, -30000);
    EXPECT_EQ(cnf->grad_thres2, -900);
    EXPECT_EQ(cnf->grad_r, 11);
    EXPECT_EQ(cnf->grad_open_on, 1);
    EXPECT_EQ(cnf->grad_r_open, 5);
    EXPECT_EQ(cnf->grad_connected_on, 0);
    EXPECT_EQ(cnf->grad_connected_area, 150);
    EXPECT_EQ(cnf->grad_object, 3);

    // The settings dialog changes one merge value and passes the others on.
    ASSERT_EQ(HVQ5_2_SET_EXTEND_DUAL_MERGE(kId, true, 20, 0.5, 1, 2.5, 1, 0), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_DUAL_MERGE(kId, cnf->cloud_align, cnf->b_x_offset, -0.25,
                                           cnf->single_valid_output, cnf->height_delta,
                                           cnf->valid_output_in_delta, cnf->valid_output_beyond_delta),
              HVQ5_RC_OK);
    EXPECT_EQ(cnf->cloud_align, 1);
    EXPECT_EQ(cnf->b_x_offset, 20);
    EXPECT_DOUBLE_EQ(cnf->b_z_offset, -0.25);
    EXPECT_EQ(cnf->single_valid_output, 1);
    EXPECT_DOUBLE_EQ(cnf->height_delta, 2.5);
    EXPECT_EQ(cnf->valid_output_in_delta, 1);
    EXPECT_EQ(cnf->valid_output_beyond_delta, 0);
    EXPECT_TRUE(sim->packetLog().empty()) << "block values never reach the sensor";
}

}  // namespace
