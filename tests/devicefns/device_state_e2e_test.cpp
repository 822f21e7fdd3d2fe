// Series tests, register access, the heartbeat, the status word, the fail
// counter and the geometry through the device functions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/settings/setting_dispatcher.h"
#include "tests/devicefns/device_under_test.h"

namespace {

using namespace devicefns_test;

class DevicefnsState : public DeviceUnderTest {};

TEST_F(DevicefnsState, AnIdThatIsNotOpenAnswersWithoutTraffic) {
    constexpr int kClosed = 5;
    EXPECT_EQ(hvq5_get_geometry(kClosed), (int64_t(2048) << 32) | 6000) << "no head information read yet";
    EXPECT_TRUE(hvq5_is_new_series(kClosed));
    EXPECT_FALSE(hvq5_is_series3(kClosed));
    EXPECT_FALSE(hvq5_is_series4(kClosed));
    EXPECT_FALSE(hvq5_is_series4_new(kClosed));
    EXPECT_FALSE(hvq5_check_load_status(kClosed));
    EXPECT_EQ(hvq5_take_fail_counter(kClosed), 0);
    EXPECT_EQ(hvq5_get_max_rate(kClosed), 0);

    uint32_t value = 7;
    uint16_t word = 7;
    std::vector<uint8_t> bytes;
    std::vector<int32_t> values(4);
    SettingsBlockMap blocks;
    const uint8_t program = 1;
    const int statuses[] = {
        hvq5_get_cached_register(kClosed, 1, &value), hvq5_read_register(kClosed, 1, &value),
        hvq5_write_register(kClosed, 1, 1), hvq5_read_heartbeat(kClosed, &value),
        hvq5_get_firmware_versions(kClosed, 1, &value, &value), hvq5_apply_max_rate(kClosed),
        hvq5_get_status_word(kClosed, &word, &value), hvq5_drain_command_channel(kClosed),
        hvq5_select_program(kClosed, &program), hvq5_load_program(kClosed), hvq5_memory_operation(kClosed, 0),
        hvq5_read_block_165(kClosed, 0, 1, &bytes, {}), hvq5_read_block_190(kClosed, &values),
        hvq5_read_settings_block(kClosed, &blocks, {}), hvq5_set_trigger_mode(kClosed, 1),
    };
    for (size_t i = 0; i < std::size(statuses); ++i) EXPECT_EQ(statuses[i], HVQ5_RC_NOT_OPEN) << i;
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(requests().empty());
}

TEST_F(DevicefnsState, SeriesAndFirmwareFromTheHeadInformationAndTheImage) {
    std::memcpy(controller().laserParams.model, "ZP4100", 7);
    controller().settings().set_regvals(134, 11);
    controller().settings().set_regvals(135, 22);
    controller().settings().set_regvals(166, 0x10000 + 28696);
    EXPECT_TRUE(hvq5_is_series4(kId));
    EXPECT_FALSE(hvq5_is_series3(kId));
    EXPECT_FALSE(hvq5_is_new_series(kId));
    EXPECT_TRUE(hvq5_is_series4_new(kId));
    controller().settings().set_regvals(166, 28695);
    EXPECT_FALSE(hvq5_is_series4_new(kId));
    controller().laserParams.model[2] = '6';
    EXPECT_TRUE(hvq5_is_new_series(kId));

    uint32_t a = 0, b = 99;
    ASSERT_EQ(hvq5_get_firmware_versions(kId, 0, &a, &b), HVQ5_RC_OK);
    EXPECT_EQ(a, 11u);
    EXPECT_EQ(b, 99u) << "untouched";
    ASSERT_EQ(hvq5_get_firmware_versions(kId, 2, &a, &b), HVQ5_RC_OK);
    EXPECT_EQ(a, 22u);
    EXPECT_EQ(b, 28695u);
    EXPECT_TRUE(requests().empty());
}

TEST_F(DevicefnsState, CachedReadsStayLocalWhileRawAccessGoesToTheSensor) {
    sim->setReg(500, 77);
    uint32_t value = 5;
    ASSERT_EQ(hvq5_get_cached_register(kId, 500, &value), HVQ5_RC_OK);
    EXPECT_EQ(value, 0u) << "never read";
    EXPECT_TRUE(requests().empty());

    ASSERT_EQ(hvq5_read_register(kId, 500, &value), HVQ5_RC_OK);
    EXPECT_EQ(value, 77u);
    ASSERT_EQ(hvq5_write_register(kId, 501, -1), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(501), 0xFFFFFFFFu);
    ASSERT_EQ(hvq5_get_cached_register(kId, 500, &value), HVQ5_RC_OK);
    EXPECT_EQ(value, 77u);
    ASSERT_EQ(hvq5_get_cached_register(kId, 501, &value), HVQ5_RC_OK);
    EXPECT_EQ(value, 0xFFFFFFFFu);

    const auto log = requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].opcode, kReadOpcode);
    EXPECT_EQ(log[0].address, 500u);
    EXPECT_EQ(log[1].opcode, kWriteOpcode);
    EXPECT_EQ(log[1].address, 501u);
}

TEST_F(DevicefnsState, HeartbeatAcceptsAMismatchingEchoAsAlive) {
    uint32_t beat = 0;
    ASSERT_EQ(hvq5_read_heartbeat(kId, &beat), HVQ5_RC_OK);
    EXPECT_EQ(beat, 1u);

    sim->injectRegisterFault(sensor_sim::kHeartbeatRegister,
                             sensor_sim::Fault{sensor_sim::FaultKind::WrongAddressEcho, 0, 3, 6, 1});
    EXPECT_EQ(hvq5_read_heartbeat(kId, &beat), HVQ5_RC_OK);

    ASSERT_EQ(hvq5_read_heartbeat(kId, &beat), HVQ5_RC_OK) << "the channel was made anew";
    EXPECT_EQ(beat, status->heartbeatReads());

    sim->injectRegisterFault(sensor_sim::kHeartbeatRegister,
                             sensor_sim::Fault{sensor_sim::FaultKind::CloseConnection, 0, 3, 6, 1});
    EXPECT_EQ(hvq5_read_heartbeat(kId, &beat), HVQ5_RC_TIMEOUT) << "a lost connection is not alive";
}

TEST_F(DevicefnsState, StatusWordAndValueFromTheStatusReply) {
    status->setStatus(0x6100, 0x01020304u);
    uint16_t word = 0;
    uint32_t value = 0;
    ASSERT_EQ(hvq5_get_status_word(kId, &word, &value), HVQ5_RC_OK);
    EXPECT_EQ(word, 0x6100);
    EXPECT_EQ(value, 0x01020304u);
    const auto log = requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].opcode, kReadOpcode);
    EXPECT_EQ(log[0].address, sensor_sim::kStatusAddress);

    sim->injectRegisterFault(sensor_sim::kStatusAddress, sensor_sim::Fault{sensor_sim::FaultKind::ShortEcho, 0, 3, 6, 1});
    word = 1;
    EXPECT_EQ(hvq5_get_status_word(kId, &word, &value), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(word, 1) << "nothing taken from a short reply";
}

TEST_F(DevicefnsState, FailCounterIsReadOnceAfterAnEncoderOverrun) {
    openSceneHead();
    controller().settings().set_regvals(149, 1);  // batch memory mode
    sensor_sim::SimBatchBlock block;
    block.pointsPerFrame = 4;
    block.firstColumn = 100;
    block.batchFrames = 2;
    block.complete = true;
    block.overrunCount = 101;  // above the sensor's limit of 100 for a short batch
    for (uint32_t i = 0; i < 2; ++i) {
        sensor_sim::SimBatchFrame frame;
        frame.batchNumber = i;
        frame.values = {65536u * 300, 65536u * 300, 65536u * 300, 65536u * 300};
        block.frames.push_back(frame);
    }
    batchMemory->queueBlock(block);

    ControllerSettingTransport transport(controller());
    SettingDispatcher dispatcher(transport);
    std::vector<uint8_t> profiles, gray;
    std::vector<uint32_t> numbers, encoders;
    std::vector<uint64_t> times;
    ASSERT_EQ(dispatcher.readBatchBlock(profiles, gray, numbers, encoders, times, nullptr, nullptr), HVQ5_RC_OK);

    EXPECT_EQ(hvq5_take_fail_counter(kId), HVQ5_RC_ENCODER_TOO_FAST);
    EXPECT_EQ(hvq5_take_fail_counter(kId), 0);
}

TEST_F(DevicefnsState, GeometryOfTheOpenHead) {
    openSceneHead();
    EXPECT_EQ(hvq5_get_geometry(kId), (int64_t(2048) << 32) | kScenePoints);
}

TEST_F(DevicefnsState, LoadStatusGoodForZeroAndThree) {
    for (uint32_t loadStatus : {0u, 3u, 1u, 2u}) {
        sim->setReg(705, loadStatus);
        EXPECT_EQ(hvq5_check_load_status(kId), loadStatus == 0 || loadStatus == 3) << loadStatus;
    }
}

TEST_F(DevicefnsState, MaxRateComesFromTheImageAndIsApplied) {
    controller().settings().set_regvals(767, 0);
    const int maxHz = hvq5_get_max_rate(kId);
    ASSERT_GT(maxHz, 0);
    EXPECT_EQ(hvq5_apply_max_rate(kId), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(144), static_cast<uint32_t>(1000000 / maxHz));
}

}  // namespace
