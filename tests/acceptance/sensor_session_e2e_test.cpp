// A caller's session with one simulated sensor, through the exported
// functions only: open, identity, settings, programs, the live profile, a
// batch taken as the program's client takes it, close and finalize.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/settings/stop_watch.h"
#include "tests/acceptance/batch_taker.h"
#include "tests/acceptance/scene_sensor.h"
#include "tests/acceptance/thread_count.h"
#include "tools/sensor_sim/sim_programs.h"

namespace acceptance {
namespace {

constexpr int kArea = 201;
constexpr int kId = 0;
constexpr int kBatchLength = 30;
constexpr int kWidth = 400;  // 200 columns, two points per column

class SensorSession : public InterfaceTest {
protected:
    void startSensor(sensor_sim::OpenKnobs knobs = {}, const std::string& model = "ZP5160") {
        sensors_ = std::make_unique<SceneSensors>(testAddress(kArea), model, kBatchLength, knobs);
        ASSERT_TRUE(sensors_->start());
    }
    void open() {
        const HVQ5_NET_ADDRESS address = netAddress(sensors_->address(0));
        ASSERT_EQ(HVQ5_2_EthernetOpen(kId, address.ip), HVQ5_RC_OK);
        ASSERT_TRUE(sensors_->dataChannel(0).waitForConnection(1, 10000));
    }

    std::unique_ptr<SceneSensors> sensors_;
};

TEST_F(SensorSession, OpenReadsTheIdentityAndTheSettings) {
    startSensor();
    open();
    EXPECT_EQ(HVQ5_2_EthernetOpen(kId, netAddress(sensors_->address(0)).ip), HVQ5_RC_ALREADY_OPEN);

    char model[16] = {};
    ASSERT_EQ(HVQ5_GetHeadModel(kId, model), HVQ5_RC_OK);
    EXPECT_STREQ(model, "5160");
    char controllerSerial[17] = {};
    char headSerial[17] = {};
    ASSERT_EQ(HVQ5_GetSerialNumber(kId, controllerSerial, headSerial), HVQ5_RC_OK);
    EXPECT_STREQ(controllerSerial, "ZPC00000001");
    EXPECT_STREQ(headSerial, "ZPH00000001");

    HVQ5_2_MODEL_INFO info{};
    ASSERT_EQ(HVQ5_2_GetModelInfos(kId, &info), HVQ5_RC_OK);
    EXPECT_STREQ(info.head_model, "5160");
    EXPECT_EQ(info.batch_length, kBatchLength);
    EXPECT_EQ(info.profile_width, kWidth);
    EXPECT_DOUBLE_EQ(info.x_pitch, 0.01);
    EXPECT_STREQ(info.version, "1.1.2.0");
    EXPECT_STREQ(info.head_serial, "ZPH00000001");

    EXPECT_EQ(HVQ5_2_ProfileDataWidth(kId), kWidth);
    EXPECT_DOUBLE_EQ(HVQ5_2_ProfileData_XPitch(kId), 0.01);
    EXPECT_EQ(HVQ5_2_ProfilePointSetCount(kId), kBatchLength);
    uint32_t batchLength = 0;
    ASSERT_EQ(HVQ5_2_GetSetting(kId, 16, 0, 10, 0, &batchLength, 4), HVQ5_RC_OK);
    EXPECT_EQ(batchLength, static_cast<uint32_t>(kBatchLength));
    uint32_t pitch = 0;
    ASSERT_EQ(HVQ5_GetXpitch(kId, &pitch), HVQ5_RC_OK);
    EXPECT_EQ(pitch, kXPitch);
    const HVQ5_VERSION version = HVQ5_GetVersion();
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 1);
    EXPECT_EQ(version.patch, 2);
}

TEST_F(SensorSession, ASettingIsWrittenToTheSensorAndReadBack) {
    startSensor();
    open();
    uint32_t wanted = 77;
    ASSERT_EQ(HVQ5_2_SetSetting(kId, 1, 16, 0, 10, 0, &wanted, 4), HVQ5_RC_OK);
    EXPECT_EQ(sensors_->head(0).reg(138), 77u);

    // Read back from the sensor, not only from the interface's picture of it.
    sensors_->head(0).setReg(138, 78);
    uint32_t read = 0;
    ASSERT_EQ(HVQ5_GetSetting(kId, 1, makeSettingAddress(16, 0, 10), &read, 4), HVQ5_RC_OK);
    EXPECT_EQ(read, 78u);
    EXPECT_EQ(HVQ5_2_ProfilePointSetCount(kId), 78);
}

TEST_F(SensorSession, AProgramIsSwitchedAndTheRunningSettingsStoredIntoIt) {
    startSensor();
    auto programs = sensor_sim::installPrograms(sensors_->head(0));
    programs->setProgramRegister(3, 138, 55);
    open();

    ASSERT_EQ(HVQ5_ChangeActiveProgram(kId, 3), HVQ5_RC_OK);
    char active = -1;
    ASSERT_EQ(HVQ5_GetActiveProgram(kId, &active), HVQ5_RC_OK);
    EXPECT_EQ(active, 3);
    EXPECT_EQ(sensors_->head(0).reg(138), 55u) << "the program's settings are running";
    EXPECT_EQ(HVQ5_2_ProfilePointSetCount(kId), 55);

    uint32_t length = 66;
    ASSERT_EQ(HVQ5_2_SetSetting(kId, 1, 16, 0, 10, 0, &length, 4), HVQ5_RC_OK);
    EXPECT_EQ(programs->programRegister(3, 138), 55u) << "not stored yet";
    ASSERT_EQ(HVQ5_RewriteTemporarySetting(kId), HVQ5_RC_OK);
    EXPECT_EQ(programs->programRegister(3, 138), 66u);

    ASSERT_EQ(HVQ5_2_SwitchProgram(kId, 0), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_GetActiveProgram(kId, &active), HVQ5_RC_OK);
    EXPECT_EQ(active, 0);
    ASSERT_EQ(HVQ5_ChangeActiveProgram(kId, 3), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_2_ProfilePointSetCount(kId), 66);
}

// The live profile of a series-'4' head, whose sensor sends the peak rows of
// its camera and leaves the distances to the interface's calibration.
TEST_F(SensorSession, LiveProfileOutsideBatchModeShowsTheScene) {
    sensor_sim::OpenKnobs knobs;
    knobs.batchMode = 0;
    startSensor(knobs, "ZP4160");
    sensor_sim::SimSensor& head = sensors_->head(0);
    head.setReg(285, 1280);  // 12.8 um: 1.5625 points per camera column of 20 um
    head.setReg(358, 2048);  // the whole camera width
    head.setReg(359, 0);
    head.setReg(355, 100000u << 8);  // distances up to 100000 are measured
    head.setReg(356, 0);
    head.setReg(195, 4321);  // the encoder of an older head
    open();

    constexpr int kPoints = 3200;
    std::vector<int32_t> profile(kPoints + 1, 7);
    uint32_t encoder = 0;
    ASSERT_EQ(HVQ5_2_GetSingleProfile(kId, profile.data(), &encoder), HVQ5_RC_OK);
    EXPECT_EQ(encoder, 4321u);
    EXPECT_EQ(profile[kPoints], 7) << "nothing written beyond the head's points";

    // The simulated calibration puts camera row r at distance 40 r + 20000;
    // the height is the reference distance 50000 minus that. The scene's
    // plane lies at row 304.25 of 608, its step 40 rows up.
    auto heightOfRow = [](double row) { return static_cast<int32_t>((50000.0 - (40.0 * row + 20000.0)) * 100.0); };
    const int32_t plane = heightOfRow(304.25);
    const int32_t step = heightOfRow(264.25);
    // Point j shows column 1024 + (j - 1600) / 1.5625: the step over columns
    // 1024 to 1535, no peak in columns 100 to 103.
    for (int j : {400, 1000, 1590, 2500, 3000}) EXPECT_EQ(profile[j], plane) << j;
    for (int j : {1610, 2000, 2390}) EXPECT_EQ(profile[j], step) << j;
    EXPECT_EQ(profile[158], kInvalidRow);
}

// The program's own connection (tag "QW") and a foreign caller's.
struct OpenKind {
    const char* name;
    char tag[2];
};

class SensorBatch : public SensorSession, public ::testing::WithParamInterface<OpenKind> {};

TEST_P(SensorBatch, ABatchIsTakenWholeWithTheHeightsOfTheScene) {
    startSensor();
    const HVQ5_NET_ADDRESS address = netAddress(sensors_->address(0), GetParam().tag[0], GetParam().tag[1]);
    ASSERT_EQ(HVQ5_EthernetOpen(kId, &address), HVQ5_RC_OK);
    ASSERT_TRUE(sensors_->dataChannel(0).waitForConnection(1, 10000));
    sensors_->streamer(0).setPlan(scenePlan(kBatchLength, 41));
    BatchTaker taker(kId, kWidth, kBatchLength);
    taker.start();
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(taker.waitForBatches(1, 20000)) << taker.error();
    ASSERT_EQ(HVQ5_2_ReceiveData(kId), HVQ5_RC_OK);
    taker.stop();

    const std::vector<TakenBatch> batches = taker.batches();
    ASSERT_EQ(batches.size(), 1u);
    const TakenBatch& batch = batches[0];
    EXPECT_EQ(batch.batchNumber, 41);
    const std::vector<int32_t> expected = sceneRow();
    for (int f = 0; f < kBatchLength; ++f) {
        EXPECT_EQ(batch.frameNumbers[f], static_cast<uint32_t>(f));
        EXPECT_EQ(batch.encoders[f], static_cast<uint32_t>(f * 10));
        const std::vector<int32_t> row(batch.profiles.begin() + f * kWidth, batch.profiles.begin() + (f + 1) * kWidth);
        ASSERT_EQ(row, expected) << "frame " << f;
    }
    EXPECT_EQ(HVQ5_2_ProfilePointCount(kId), kBatchLength);
}

INSTANTIATE_TEST_SUITE_P(Callers, SensorBatch,
                         ::testing::Values(OpenKind{"OwnConnection", {'Q', 'W'}}, OpenKind{"ForeignCaller", {0, 0}}),
                         [](const ::testing::TestParamInfo<OpenKind>& info) { return info.param.name; });

// The whole camera width, a thousand frames, taken while they arrive.
TEST_F(SensorSession, ALargeFullWidthBatchIsTakenWholeWhileItArrives) {
    constexpr int kFrames = 1000;
    const SceneWindow fullWidth{2048, 0};
    constexpr int kFullWidth = 4096;
    sensors_ = std::make_unique<SceneSensors>(testAddress(kArea), "ZP5160", kFrames, sensor_sim::OpenKnobs{},
                                              fullWidth);
    ASSERT_TRUE(sensors_->start());
    open();
    ASSERT_EQ(HVQ5_2_ProfileDataWidth(kId), kFullWidth);
    sensors_->streamer(0).setPlan(scenePlan(kFrames, 12, fullWidth));
    BatchTaker taker(kId, kFullWidth, kFrames);
    taker.start();
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    ASSERT_TRUE(taker.waitForBatches(1, 60000)) << taker.error();
    taker.stop();

    const std::vector<TakenBatch> batches = taker.batches();
    ASSERT_EQ(batches.size(), 1u);
    const std::vector<int32_t> expected = sceneRow(fullWidth);
    for (int f = 0; f < kFrames; ++f) {
        ASSERT_EQ(batches[0].frameNumbers[f], static_cast<uint32_t>(f));
        const std::vector<int32_t> row(batches[0].profiles.begin() + static_cast<size_t>(f) * kFullWidth,
                                       batches[0].profiles.begin() + static_cast<size_t>(f + 1) * kFullWidth);
        ASSERT_EQ(row, expected) << "frame " << f;
    }
}

TEST_F(SensorSession, AFourHeadSensorOpensAndClosesAsOne) {
    startSensor({}, "ZP5160F");
    ASSERT_EQ(sensors_->heads().headCount(), 4);
    ASSERT_EQ(HVQ5_2_EthernetOpen(kId, netAddress(sensors_->address(0)).ip), HVQ5_RC_OK);
    for (int head = 0; head < 4; ++head) {
        ASSERT_TRUE(sensors_->dataChannel(head).waitForConnection(1, 10000)) << head;
        char model[16] = {};
        EXPECT_EQ(HVQ5_GetHeadModel(kId + head, model), HVQ5_RC_OK) << head;
        EXPECT_STREQ(model, "5160F") << head;
    }
    EXPECT_EQ(HVQ5_CommunicationClose(kId), HVQ5_RC_OK);
    for (int head = 0; head < 4; ++head) {
        EXPECT_EQ(HVQ5_2_ProfileDataWidth(kId + head), -1) << head;
        EXPECT_TRUE(sensors_->dataChannel(head).waitForDisconnect(10000)) << head;
    }
}

TEST_F(SensorSession, CloseAndFinalizeLeaveNothingRunning) {
    const int threadsBefore = threadCountBaseline();
    startSensor();
    const int simulatorThreads = processThreadCount() - threadsBefore;
    open();
    ASSERT_GT(processThreadCount(), threadsBefore + simulatorThreads) << "the data channel runs its threads";

    ASSERT_EQ(HVQ5_CommunicationClose(kId), HVQ5_RC_OK);
    EXPECT_TRUE(sensors_->dataChannel(0).waitForDisconnect(10000));
    EXPECT_EQ(HVQ5_CommunicationClose(kId), HVQ5_RC_NOT_OPEN);
    uint32_t value = 0;
    EXPECT_EQ(HVQ5_2_GetSetting(kId, 16, 0, 10, 0, &value, 4), HVQ5_RC_NOT_OPEN);
    int batchNumber = 0;
    EXPECT_EQ(HVQ5_2_TakeBatchData(kId, nullptr, 0, batchNumber, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, 1),
              HVQ5_RC_NOT_OPEN);

    // The id can be opened again, and finalize releases it.
    open();
    EXPECT_EQ(HVQ5_Finalize(), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_2_ProfilePointCount(kId), -1);
    sensors_.reset();
    EXPECT_LE(waitForThreadCount(threadsBefore, 10000), threadsBefore) << processThreadNames();
}

}  // namespace
}  // namespace acceptance
