// Setting, program and identity exports against the simulated sensor.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "sensor_interface/registry/model_info.h"
#include "tests/exports_settings/open_sensor.h"

namespace {

using namespace exports_test;
using sensor_sim::Fault;
using sensor_sim::FaultKind;

class SettingExports : public OpenSensor {
protected:
    SettingExports() : OpenSensor(113) {}
    void SetUp() override {
        OpenSensor::SetUp();
        takeHead(newerHead());
    }
};

constexpr int kClosedId = 5;

TEST_F(SettingExports, IdThatIsNotOpenGivesTheNotOpenResultAndSendsNothing) {
    uint32_t word = 0;
    int value = 0;
    short small = 0;
    char text[32] = {};
    bool flag = false;
    double real = 0.0;
    int32_t table[2] = {1, 2};
    HVQ5_2_MODEL_INFO info{};
    const HVQ5_SETTING_ADDRESS address = makeSettingAddress(16, 0, 10);
    const std::function<int()> statusCalls[] = {
        [&] { return HVQ5_GetSetting(kClosedId, 1, address, &word, 4); },
        [&] { return HVQ5_SetSetting(kClosedId, 1, address, &word, 4, &word); },
        [&] { return HVQ5_2_GetSetting(kClosedId, 16, 0, 10, 0, &word, 4); },
        [&] { return HVQ5_2_SetSetting(kClosedId, 1, 16, 0, 10, 0, &word, 4); },
        [&] { return HVQ5_GetXpitch(kClosedId, &word); },
        [&] { return HVQ5_SetXpitch(kClosedId, 5); },
        [&] { return HVQ5_ControlLaser(kClosedId, 50); },
        [&] { return HVQ5_RebootCamera(kClosedId); },
        [&] { return HVQ5_RebootController(kClosedId); },
        [&] { return HVQ5_ChangeActiveProgram(kClosedId, 1); },
        [&] { return HVQ5_2_SwitchProgram(kClosedId, 1); },
        [&] { return HVQ5_GetActiveProgram(kClosedId, text); },
        [&] { return HVQ5_ReflectSetting(kClosedId); },
        [&] { return HVQ5_RewriteTemporarySetting(kClosedId); },
        [&] { return HVQ5_ReturnToFactorySetting(kClosedId); },
        [&] { return HVQ5_ClearMemory(kClosedId); },
        [&] { return HVQ5_CheckMemoryAccess(kClosedId, text); },
        [&] { return HVQ5_GetAttentionStatus(kClosedId, &small); },
        [&] { return HVQ5_GetHeadModel(kClosedId, text); },
        [&] { return HVQ5_GetSerialNumber(kClosedId, text, text + 16); },
        [&] { return HVQ5_GetHeadTemperature(kClosedId, &small, &small, &small); },
        [&] { return HVQ5_GetTriggerAndPulseCount(kClosedId, &value, &value); },
        [&] { return hvq5_get_model_text(kClosedId, text); },
        [&] { return HVQ5_2_SET_EXTEND_EN(kClosedId, 1); },
        [&] { return HVQ5_2_GET_EXTEND_FEATURE_EN(kClosedId, 8, &flag); },
        [&] { return HVQ5_2_SET_EXTEND_FEATURE_EN(kClosedId, 8, true); },
        [&] { return HVQ5_2_GET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kClosedId, &value); },
        [&] { return HVQ5_2_SET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kClosedId, 1); },
        [&] { return HVQ5_2_GET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kClosedId, &value); },
        [&] { return HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kClosedId, 1); },
        [&] { return HVQ5_2_GET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(kClosedId, &value); },
        [&] { return HVQ5_2_SET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(kClosedId, 1); },
        [&] { return HVQ5_2_GET_EXTEND_PROFILE_OUTPUT_WIDTH(kClosedId, &value); },
        [&] { return HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(kClosedId, 1); },
        [&] { return HVQ5_2_GET_EXTEND_RUN_MODE(kClosedId, &value); },
        [&] { return HVQ5_2_SET_EXTEND_RUN_MODE(kClosedId, 1); },
        [&] { return HVQ5_2_SET_EXTEND_LIGHT_CORRECTION(kClosedId, 1.0f); },
        [&] { return HVQ5_2_GET_EXTEND_563TIF_Z_OFFSET(kClosedId, &real); },
        [&] { return HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(kClosedId, 1.0); },
        [&] { return HVQ5_2_GET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(kClosedId, &value); },
        [&] { return HVQ5_2_SET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(kClosedId, 1); },
        [&] { return HVQ5_2_GET_EXTEND_563TIF_X_OFFSET(kClosedId, &value); },
        [&] { return HVQ5_2_SET_EXTEND_563TIF_X_OFFSET(kClosedId, 1); },
        [&] { return HVQ5_2_SET_EXTEND_X_Binning(kClosedId, 2); },
        [&] { return HVQ5_2_SET_EXTEND_Y_ROI(kClosedId, 1, 2); },
        [&] { return HVQ5_2_SET_EXTEND_Z_OFFSET(kClosedId, table, 2); },
        [&] { return HVQ5_2_SET_EXTEND_Z_OFFSET_Double(kClosedId, &real, 1); },
        [&] { return HVQ5_2_SET_EXTEND_FILTER_GRAD(kClosedId, 1, 2, 3, true, 4, true, 5, 6); },
        [&] { return HVQ5_2_SET_EXTEND_DUAL_MERGE(kClosedId, true, 1, 2.0, 3, 4.0, 5, 6); },
        [&] { return HVQ5_2_SET_X_ROI(kClosedId, 0, 100); },
        [&] { return HVQ5_2_GET_X_ROI(kClosedId, &word, &value); },
        [&] { return HVQ5_2_ProfilePointSetCount(kClosedId); },
        [&] { return HVQ5_2_GetCurrentEncoder(kClosedId, &word); },
        [&] { return HVQ5_2_GetModelInfos(kClosedId, &info); },
    };
    int index = 0;
    for (const auto& call : statusCalls) EXPECT_EQ(call(), HVQ5_RC_NOT_OPEN) << "call " << index++;

    EXPECT_EQ(HVQ5_2_GET_EXTEND_CNF(kClosedId), nullptr);
    EXPECT_EQ(HVQ5_2_ProfileDataWidth(kClosedId), -1);
    EXPECT_EQ(HVQ5_2_ProfileData_XPitch(kClosedId), 0.0);
    EXPECT_EQ(HVQ5_2_ProfileData_YPitch(kClosedId), -1.0);
    EXPECT_EQ(HVQ5_2_GetModels(kClosedId), nullptr);
    EXPECT_EQ(HVQ5_2_GetHeaderSerial(kClosedId), nullptr);
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(SettingExports, LaserPowerIsKeptBelowOneHundredPercent) {
    const std::pair<uint8_t, uint32_t> cases[] = {{100, 64879}, {255, 64879}, {50, 32767}};
    for (const auto& [percent, reg158] : cases) {
        ASSERT_EQ(HVQ5_ControlLaser(kId, percent), HVQ5_RC_OK);
        EXPECT_EQ(sim->reg(158), reg158) << int(percent);
    }
    sim->injectRegisterFault(158, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_ControlLaser(kId, 10), HVQ5_RC_COMMAND_FAILED) << "a failed write is reported as 3090";
}

TEST_F(SettingExports, HeadTemperaturesFromThreeRegisters) {
    sim->setReg(131, 3200);
    sim->setReg(132, 39000);
    sim->setReg(133, 0x12345);
    short t1 = 0, t2 = 0, raw = 0;
    ASSERT_EQ(HVQ5_GetHeadTemperature(kId, &t1, &t2, &raw), HVQ5_RC_OK);
    EXPECT_EQ(t1, 2500);
    EXPECT_EQ(t2, 2676);
    EXPECT_EQ(raw, 0x2345);
    EXPECT_EQ(addressesOf(kReadOpcode), (std::vector<uint32_t>{131, 132, 133}));

    sim->injectRegisterFault(132, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    t1 = t2 = raw = 0;
    EXPECT_EQ(HVQ5_GetHeadTemperature(kId, &t1, &t2, &raw), HVQ5_RC_COMMAND_FAILED);
    EXPECT_EQ(t1, 2500) << "written before the failing read";
    EXPECT_EQ(t2, 0);
    EXPECT_EQ(HVQ5_GetHeadTemperature(kId, &t1, nullptr, &raw), HVQ5_RC_BAD_ARGUMENT);
}

TEST_F(SettingExports, CommandsWriteTheirRegisters) {
    sim->setReg(285, 2500);
    uint32_t pitch = 0;
    ASSERT_EQ(HVQ5_GetXpitch(kId, &pitch), HVQ5_RC_OK);
    EXPECT_EQ(pitch, 2500u);
    ASSERT_EQ(HVQ5_2_SetXpitch(kId, 3125), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_GetXpitch(kId, &pitch), HVQ5_RC_OK);
    EXPECT_EQ(pitch, 3125u);
    EXPECT_EQ(HVQ5_GetXpitch(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);

    sim->setReg((2u << 16) + 277, 9);
    EXPECT_EQ(HVQ5_RebootCamera(kId), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_RebootController(kId), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_ClearMemory(kId), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(239), 1u);
    EXPECT_EQ(sim->reg(227), 1u);
    EXPECT_EQ(sim->reg((2u << 16) + 277), 0u);

    sim->setReg(203, 77);
    sim->setReg(196, 1234);
    int trigger = 0, pulses = 0;
    ASSERT_EQ(HVQ5_GetTriggerAndPulseCount(kId, &trigger, &pulses), HVQ5_RC_OK);
    EXPECT_EQ(trigger, 77);
    EXPECT_EQ(pulses, 1234);
    sim->injectRegisterFault(196, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_GetTriggerAndPulseCount(kId, &trigger, &pulses), HVQ5_RC_BAD_REPLY) << "own status";
}

TEST_F(SettingExports, TheTwoExportsThatAlwaysReportOne) {
    char memory = 0;
    short attention = 0;
    EXPECT_EQ(HVQ5_CheckMemoryAccess(kId, &memory), HVQ5_RC_OK);
    EXPECT_EQ(memory, 1);
    EXPECT_EQ(HVQ5_GetAttentionStatus(kId, &attention), HVQ5_RC_OK);
    EXPECT_EQ(attention, 1);
    EXPECT_EQ(HVQ5_GetAttentionStatus(kId, nullptr), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_CheckMemoryAccess(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(SettingExports, SettingsGoThroughTheDispatcher) {
    sim->setReg(138, 600);
    uint32_t length = 0;
    ASSERT_EQ(HVQ5_2_GetSetting(kId, 16, 0, 10, 1234, &length, 4), HVQ5_RC_OK);
    EXPECT_EQ(length, 600u);
    EXPECT_EQ(HVQ5_2_ProfilePointSetCount(kId), 600);

    uint32_t wanted = 800;
    ASSERT_EQ(HVQ5_2_SetSetting(kId, 1, 16, 0, 10, 1234, &wanted, 4), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(138), 800u);
    EXPECT_EQ(HVQ5_GetSetting(kId, 0x101, makeSettingAddress(16, 0, 10), &length, 4), HVQ5_RC_OK)
        << "only the low byte of the depth counts";
    EXPECT_EQ(length, 800u);
    EXPECT_EQ(HVQ5_GetSetting(kId, 2, makeSettingAddress(16, 0, 10), &length, 4), HVQ5_RC_BAD_ARGUMENT);

    // Depth 2 stores the running settings into the program of the type.
    ASSERT_EQ(HVQ5_2_SetSetting(kId, 2, 19, 0, 10, 0, &wanted, 4), HVQ5_RC_OK);
    EXPECT_EQ(programs->selected(), 3);
    EXPECT_EQ(programs->programRegister(3, 138), 800u);
}

TEST_F(SettingExports, OnlyTheFirstSettingAfterAStartStopsTheMeasurement) {
    device->controller.measurementStarted = true;
    uint32_t length = 700;
    ASSERT_EQ(HVQ5_SetSetting(kId, 1, makeSettingAddress(16, 0, 10), &length, 4, nullptr), HVQ5_RC_OK);
    length = 701;
    ASSERT_EQ(HVQ5_SetSetting(kId, 1, makeSettingAddress(16, 0, 10), &length, 4, nullptr), HVQ5_RC_OK);
    EXPECT_EQ(addressesOf(kWriteOpcode), (std::vector<uint32_t>{142, 138, 138}));
    EXPECT_FALSE(device->controller.measurementStarted);
}

TEST_F(SettingExports, ProgramsAreSelectedLoadedAndStored) {
    programs->setProgramRegister(3, 300, 33);
    ASSERT_EQ(HVQ5_ChangeActiveProgram(kId, 3), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(300), 33u);
    char active = 0;
    ASSERT_EQ(HVQ5_GetActiveProgram(kId, &active), HVQ5_RC_OK);
    EXPECT_EQ(active, 3);
    EXPECT_EQ(HVQ5_GetActiveProgram(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);

    sim->clearPacketLog();
    EXPECT_EQ(HVQ5_2_SwitchProgram(kId, 16), HVQ5_RC_COMMAND_FAILED);
    EXPECT_TRUE(sim->packetLog().empty()) << "program 16 does not exist";

    sim->setReg(300, 44);
    ASSERT_EQ(HVQ5_RewriteTemporarySetting(kId), HVQ5_RC_OK);
    EXPECT_EQ(programs->programRegister(3, 300), 44u);
    sim->setReg(300, 55);
    ASSERT_EQ(HVQ5_ReflectSetting(kId), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(300), 44u);
}

TEST_F(SettingExports, StoreAndFactoryResetReportTheirOwnStatus) {
    constexpr uint8_t kParameterBlockOpcode = 172;
    constexpr uint8_t kSystemOpcode = 173;
    sim->injectOpcodeFault(kParameterBlockOpcode, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_ReturnToFactorySetting(kId), HVQ5_RC_BAD_REPLY);
    sim->injectOpcodeFault(kSystemOpcode, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_RewriteTemporarySetting(kId), HVQ5_RC_BAD_REPLY);
    sim->injectOpcodeFault(kSystemOpcode, Fault{FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(HVQ5_ChangeActiveProgram(kId, 2), HVQ5_RC_COMMAND_FAILED) << "the classic mapping";
}

TEST_F(SettingExports, HeadIdentityTexts) {
    char model[16];
    std::memset(model, 'x', sizeof(model));
    ASSERT_EQ(HVQ5_GetHeadModel(kId, model), HVQ5_RC_OK);
    EXPECT_STREQ(model, "5160D");
    EXPECT_EQ(HVQ5_GetHeadModel(kId, nullptr), HVQ5_RC_NOT_OPEN);
    ASSERT_EQ(hvq5_get_model_text(kId, model), HVQ5_RC_OK);
    EXPECT_STREQ(model, "ZP5160D");
    EXPECT_EQ(hvq5_get_model_text(kId, nullptr), HVQ5_RC_NOT_OPEN);
    ASSERT_NE(HVQ5_2_GetModels(kId), nullptr);
    EXPECT_STREQ(HVQ5_2_GetModels(kId), "5160D");

    char controllerSerial[17];
    char headSerial[17];
    ASSERT_EQ(HVQ5_GetSerialNumber(kId, controllerSerial, headSerial), HVQ5_RC_OK);
    EXPECT_STREQ(controllerSerial, "CS-9876543210XYZ");
    EXPECT_STREQ(headSerial, "HS-0123456789ABC");
    EXPECT_EQ(HVQ5_GetSerialNumber(kId, controllerSerial, nullptr), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_GetSerialNumber(kId, nullptr, headSerial), HVQ5_RC_NOT_OPEN);
    ASSERT_NE(HVQ5_2_GetHeaderSerial(kId), nullptr);
    EXPECT_STREQ(HVQ5_2_GetHeaderSerial(kId), "HS-0123456789ABC");
    EXPECT_TRUE(sim->packetLog().empty()) << "the identity is read from the head information";
}

}  // namespace
