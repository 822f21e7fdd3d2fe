// The model-information record filled from the simulated sensor.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "tests/exports_settings/open_sensor.h"

namespace {

using namespace exports_test;
using sensor_sim::Fault;
using sensor_sim::FaultKind;

class ModelInfo : public OpenSensor {
protected:
    ModelInfo() : OpenSensor(114) {}

    void SetUp() override {
        OpenSensor::SetUp();
        takeHead(newerHead());
        sim->setReg(138, 500);          // profiles per batch
        sim->setReg(285, 2500);         // x pitch 0.025 mm ...
        sim->setReg(740, 1);            // ... binned by 2
        sim->setReg(283, 1);            // the head has a y pitch
        sim->setReg(284, 10000);        // 0.1 mm
        sim->setReg(706, 4242);         // encoder of a newer head
        sim->setReg(195, 1111);         // encoder of an older head
        sim->setReg(294, 99);           // trigger counter
        sim->setReg(350, 100 * 256 * 1000);
        sim->setReg(351, 40 * 256 * 1000);
        sim->setReg(352, 160 * 256 * 1000);
        sim->setReg(353, 512);
        sim->setReg(354, 0);
        ASSERT_EQ(HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(kId, 1600), HVQ5_RC_OK);
        sim->clearPacketLog();
        std::memset(&info, 0x5A, sizeof(info));
    }

    HVQ5_2_MODEL_INFO info;
};

struct CodeKind {
    uint32_t reg354;
    uint32_t reg353;
    double zStep;
};

void PrintTo(const CodeKind& kind, std::ostream* out) {
    *out << "register 354 = " << kind.reg354 << ", register 353 = " << kind.reg353;
}

class ModelInfoByCodeKind : public ModelInfo, public ::testing::WithParamInterface<CodeKind> {};

TEST_P(ModelInfoByCodeKind, RecordInFieldOrder) {
    sim->setReg(354, GetParam().reg354);
    sim->setReg(353, GetParam().reg353);
    ASSERT_EQ(HVQ5_2_GetModelInfos(kId, &info), HVQ5_RC_OK);

    EXPECT_STREQ(info.head_model, "5160D");
    EXPECT_EQ(info.batch_length, 500);
    EXPECT_EQ(info.profile_width, 1600);
    EXPECT_DOUBLE_EQ(info.x_pitch, 0.05);
    EXPECT_DOUBLE_EQ(info.y_pitch, 0.1);
    EXPECT_STREQ(info.head_serial, "HS-0123456789ABC");
    EXPECT_STREQ(info.controller_serial, "CS-9876543210XYZ");
    EXPECT_EQ(info.head_serial[31], 0) << "serial fields are cleared first";
    EXPECT_EQ(info.encoder, 4242u);
    EXPECT_EQ(info.trigger_count, 99u);
    EXPECT_STREQ(info.version, "1.1.2.0");
    EXPECT_EQ(info.version[15], 0);
    EXPECT_DOUBLE_EQ(info.range_lower_mm, 60.0);
    EXPECT_DOUBLE_EQ(info.range_upper_mm, -60.0);
    // 4096 points at 0.05 mm, centred on 0.
    EXPECT_NEAR(info.x_first, -102.4, 1e-9);
    EXPECT_NEAR(info.x_last, 102.35, 1e-9);
    EXPECT_DOUBLE_EQ(info.z_step, GetParam().zStep);

    // Record bytes at the offsets other programs read.
    const auto* bytes = reinterpret_cast<const uint8_t*>(&info);
    double zStep = 0.0;
    std::memcpy(&zStep, bytes + 160, sizeof(zStep));
    EXPECT_DOUBLE_EQ(zStep, GetParam().zStep);
}

INSTANTIATE_TEST_SUITE_P(Register354, ModelInfoByCodeKind,
                         ::testing::Values(CodeKind{0, 512, 0.5}, CodeKind{0, 0, 0.0}, CodeKind{1, 512, 0.00390625},
                                           CodeKind{2, 512, 0.0}, CodeKind{3, 512, 0.0}),
                         [](const ::testing::TestParamInfo<CodeKind>& info) {
                             return "Kind" + std::to_string(info.param.reg354) + "Scale" +
                                    std::to_string(info.param.reg353);
                         });

TEST_F(ModelInfo, UnknownCodeKindIsRefusedAfterTheOtherFields) {
    sim->setReg(354, 4);
    EXPECT_EQ(HVQ5_2_GetModelInfos(kId, &info), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_STREQ(info.version, "1.1.2.0");
    EXPECT_DOUBLE_EQ(info.range_lower_mm, 60.0);
}

TEST_F(ModelInfo, FailedRegisterReadsStopTheRecord) {
    sim->injectRegisterFault(351, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_2_GetModelInfos(kId, &info), HVQ5_RC_NOT_OPEN_VALUE);
    EXPECT_DOUBLE_EQ(info.range_upper_mm, -60.0) << "filled before register 351 is read";
    double untouched = 0.0;
    std::memset(&untouched, 0x5A, sizeof(untouched));
    EXPECT_EQ(std::memcmp(&info.range_lower_mm, &untouched, sizeof(double)), 0);

    sim->injectRegisterFault(138, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    ASSERT_EQ(HVQ5_2_GetModelInfos(kId, &info), HVQ5_RC_OK);
    EXPECT_EQ(info.batch_length, HVQ5_RC_BAD_REPLY) << "the failed batch-length read leaves its status";
}

TEST_F(ModelInfo, PitchesAndEncoder) {
    sim->setReg(283, 0);
    EXPECT_EQ(HVQ5_2_ProfileData_YPitch(kId), -1.0);
    EXPECT_EQ(addressesOf(kReadOpcode), (std::vector<uint32_t>{283})) << "register 284 is not read";
    EXPECT_DOUBLE_EQ(HVQ5_2_ProfileData_XPitch(kId), 0.05);

    uint32_t encoder = 0;
    EXPECT_EQ(HVQ5_2_GetCurrentEncoder(kId, &encoder), HVQ5_RC_OK);
    EXPECT_EQ(encoder, 4242u);
    EXPECT_EQ(HVQ5_2_GetCurrentEncoder(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);
    sim->injectRegisterFault(706, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_2_GetCurrentEncoder(kId, &encoder), HVQ5_RC_TIMEOUT);
}

TEST_F(ModelInfo, OlderHeadsCountOnTheirOwnEncoderRegister) {
    takeHead(olderHead());
    uint32_t encoder = 0;
    EXPECT_EQ(HVQ5_2_GetCurrentEncoder(kId, &encoder), HVQ5_RC_OK);
    EXPECT_EQ(encoder, 1111u);
}

TEST_F(ModelInfo, NullRecordIsSuccessWithoutTraffic) {
    EXPECT_EQ(HVQ5_2_GetModelInfos(kId, nullptr), HVQ5_RC_OK);
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(ModelInfo, XRoiOfTheExampleAndItsRefusals) {
    takeHead(olderHead());  // 3200 points on 2048 columns
    ASSERT_EQ(HVQ5_2_SET_X_ROI(kId, 100, 1000), HVQ5_RC_OK);
    const auto writes = packetsOf(kWriteOpcode);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].address, 358u);
    EXPECT_EQ(writes[0].value, 592u);
    EXPECT_EQ(writes[1].address, 359u);
    EXPECT_EQ(writes[1].value, 64u);

    uint32_t start = 0;
    int end = 0;
    ASSERT_EQ(HVQ5_2_GET_X_ROI(kId, &start, &end), HVQ5_RC_OK);
    EXPECT_EQ(start, 100u);
    EXPECT_EQ(end, 1024);

    sim->clearPacketLog();
    const std::pair<int, int> refused[] = {{100, 100}, {1000, 100}, {-1, 10}, {0, 3201}};
    for (const auto& [first, last] : refused)
        EXPECT_EQ(HVQ5_2_SET_X_ROI(kId, first, last), HVQ5_RC_BAD_ARGUMENT) << first << ".." << last;
    EXPECT_EQ(HVQ5_2_GET_X_ROI(kId, nullptr, &end), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(HVQ5_2_GET_X_ROI(kId, &start, nullptr), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(sim->packetLog().empty());

    sim->injectRegisterFault(358, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_2_SET_X_ROI(kId, 0, 50), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(addressesOf(kWriteOpcode), (std::vector<uint32_t>{358})) << "no first column after a failed width";
}

}  // namespace
