// Blocks, settings blocks, programs, flash and the trigger mode through the
// device functions, against the simulated sensor.
#include <gtest/gtest.h>

#include <any>
#include <tuple>
#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/settings/hvq5_settings.h"
#include "tests/devicefns/device_under_test.h"

namespace {

using namespace devicefns_test;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kShapeOpcode = 178;
constexpr uint8_t kSettingsOpcode = 185;
constexpr uint8_t kSystemOpcode = 173;
const uint32_t kFirstUserRegister = zp_laser_reg::user_reg_table[0];

Bytes pattern(uint8_t seed) {
    Bytes bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(seed + 3 * i);
    return bytes;
}

// (opcode, address, value) of the requests, reads and writes alike.
using Request = std::tuple<uint8_t, uint32_t, uint32_t>;

class DevicefnsBlocks : public DeviceUnderTest {
protected:
    std::vector<Request> requestList() const {
        std::vector<Request> list;
        for (const auto& packet : requests()) list.emplace_back(packet.opcode, packet.address, packet.value);
        return list;
    }
    // The requests up to the read-back of the user registers.
    std::vector<Request> requestsBeforeReadBack() const {
        std::vector<Request> list;
        for (const auto& request : requestList()) {
            if (request == Request{kReadOpcode, kFirstUserRegister, 0}) break;
            list.push_back(request);
        }
        return list;
    }
};

TEST_F(DevicefnsBlocks, SettingsBlocksRoundTrip) {
    sim->model().setSettingsWords({1, 2, 0xA0B0C0D0u});
    sim->model().loadShapeBlock(pattern(5));

    SettingsBlockMap blocks;
    std::vector<int> progress;
    const DeviceProgress record = [&progress](int percent) {
        progress.push_back(percent);
        return true;
    };
    ASSERT_EQ(hvq5_read_settings_block(kId, &blocks, record), HVQ5_RC_OK);
    EXPECT_EQ(progress, std::vector<int>{98});
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(blocks.at(kSettingsWordsBlock)),
              (SettingsWordPairs{{0, 1}, {0, 2}, {0, 0xA0B0C0D0u}}));
    EXPECT_EQ(std::any_cast<Bytes>(blocks.at(kShapeBlockCode)), pattern(5));

    // Change both and write them back.
    blocks[kSettingsWordsBlock] = SettingsWordPairs{{0, 9}, {0, 8}};
    blocks[kShapeBlockCode] = pattern(77);
    sim->setReg(kFirstUserRegister, 4321);
    sim->clearPacketLog();
    progress.clear();
    ASSERT_EQ(hvq5_write_settings_block(kId, &blocks, record), HVQ5_RC_OK);
    EXPECT_EQ(progress, std::vector<int>{98});
    EXPECT_EQ(sim->model().settingsWords(), (std::vector<uint32_t>{9, 8}));
    EXPECT_EQ(sim->model().storedShapeBlock(), pattern(77));

    // Each shape write is preceded by register 230 = 1: the block, then its store.
    std::vector<Request> shapeSteps;
    for (const auto& request : requestsBeforeReadBack())
        if (std::get<0>(request) != kSettingsOpcode) shapeSteps.push_back(request);
    EXPECT_EQ(shapeSteps, (std::vector<Request>{{kWriteOpcode, 230, 1}, {kShapeOpcode, 0x10100, 0},
                                                {kWriteOpcode, 230, 1}, {kShapeOpcode, 0x30000, 0}}));
    uint32_t cached = 0;
    ASSERT_EQ(hvq5_get_cached_register(kId, static_cast<int>(kFirstUserRegister), &cached), HVQ5_RC_OK);
    EXPECT_EQ(cached, 4321u) << "the user registers are read back";
}

TEST_F(DevicefnsBlocks, ASettingsListOfRegistersIsReadAndWrittenInItsOrder) {
    sim->model().setSettingsRegisters({162, 144, 804});
    sim->setReg(162, 500);
    sim->setReg(144, 0xFFFFFFFEu);
    sim->setReg(804, 7);
    SettingsBlockMap blocks;
    ASSERT_EQ(hvq5_read_settings_block(kId, &blocks, {}), HVQ5_RC_OK);
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(blocks.at(kSettingsWordsBlock)),
              (SettingsWordPairs{{0, 500}, {0, 0xFFFFFFFEu}, {0, 7}}));

    blocks.erase(kShapeBlockCode);
    blocks[kSettingsWordsBlock] = SettingsWordPairs{{0, 600}, {0, 1}, {0, 2}, {0, 99}};  // one word too many
    ASSERT_EQ(hvq5_write_settings_block(kId, &blocks, {}), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(162), 600u);
    EXPECT_EQ(sim->reg(144), 1u);
    EXPECT_EQ(sim->reg(804), 2u);
    uint32_t cached = 0;
    ASSERT_EQ(hvq5_get_cached_register(kId, 162, &cached), HVQ5_RC_OK);
    EXPECT_EQ(cached, 600u) << "the user registers are read back";
}

TEST_F(DevicefnsBlocks, SettingsBlocksWorkWithoutProgressCallback) {
    SettingsBlockMap blocks;
    ASSERT_EQ(hvq5_read_settings_block(kId, &blocks, {}), HVQ5_RC_OK);
    EXPECT_EQ(hvq5_write_settings_block(kId, &blocks, {}), HVQ5_RC_OK);
}

TEST_F(DevicefnsBlocks, UnknownOrMistypedSettingsBlockIsRefused) {
    const SettingsBlockMap unknown{{177, Bytes(256)}};
    EXPECT_EQ(hvq5_write_settings_block(kId, &unknown, {}), HVQ5_RC_BAD_ARGUMENT);
    const SettingsBlockMap mistyped{{kSettingsWordsBlock, Bytes(8)}};
    EXPECT_EQ(hvq5_write_settings_block(kId, &mistyped, {}), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(requests().empty());

    const SettingsBlockMap shortShape{{kShapeBlockCode, Bytes(100, 1)}};
    EXPECT_EQ(hvq5_write_settings_block(kId, &shortShape, {}), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(requestList(), (std::vector<Request>{{kWriteOpcode, 230, 1}})) << "no block of the wrong size";
}

TEST_F(DevicefnsBlocks, MemoryBlocksStopWhenTheCallbackSaysSo) {
    std::vector<int> progress;
    Bytes out;
    const auto halfway = [&progress](int percent) {
        progress.push_back(percent);
        return percent < 50;
    };
    ASSERT_EQ(hvq5_read_block_165(kId, 0x1000, 4, &out, halfway), HVQ5_RC_OK);
    EXPECT_EQ(progress, (std::vector<int>{0, 25, 50}));
    ASSERT_EQ(out.size(), 512u);
    for (uint32_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], sensor_sim::SensorModel::memoryByte(0x1000 + i)) << i;

    Bytes whole;
    ASSERT_EQ(hvq5_read_block_165(kId, 0, 2, &whole, {}), HVQ5_RC_OK) << "no callback needed";
    EXPECT_EQ(whole.size(), 512u);
}

TEST_F(DevicefnsBlocks, MeasuredValuesMustFitTheCallersList) {
    sim->model().setMeasuredValues({1, -2, 3});
    std::vector<int32_t> values(5, 9);
    ASSERT_EQ(hvq5_read_block_190(kId, &values), HVQ5_RC_OK);
    EXPECT_EQ(values, (std::vector<int32_t>{1, -2, 3}));

    std::vector<int32_t> tooFew(2, 9);
    EXPECT_EQ(hvq5_read_block_190(kId, &tooFew), HVQ5_RC_BAD_BLOCK);
    EXPECT_EQ(tooFew, (std::vector<int32_t>{9, 9}));

    sim->model().overrideMeasuredReply(Bytes(10, 1));
    EXPECT_EQ(hvq5_read_block_190(kId, &values), HVQ5_RC_BAD_BLOCK);
}

TEST_F(DevicefnsBlocks, ShapeBlockReadAndWrite) {
    sim->model().loadShapeBlock(pattern(1));
    Bytes block(256);
    EXPECT_EQ(hvq5_read_block(kId, 0, block.data(), 255), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(requests().empty());
    ASSERT_EQ(hvq5_read_block(kId, 12345, block.data(), 256), HVQ5_RC_OK);
    EXPECT_EQ(block, pattern(1));

    const Bytes update = pattern(2);
    ASSERT_EQ(hvq5_write_block(kId, 1, update.data(), 256), HVQ5_RC_OK);
    ASSERT_EQ(hvq5_write_block(kId, 3, nullptr, 256), HVQ5_RC_OK);
    EXPECT_EQ(sim->model().storedShapeBlock(), update);
}

TEST_F(DevicefnsBlocks, LoadingAProgramMakesItActiveAndReadsItsRegisters) {
    programs->setProgramRegister(3, kFirstUserRegister, 777);
    const uint8_t program = 3;
    ASSERT_EQ(hvq5_select_program(kId, &program), HVQ5_RC_OK);
    ASSERT_EQ(hvq5_load_program(kId), HVQ5_RC_OK);
    char active = 0;
    ASSERT_EQ(hvq5_get_program_table(kId, &active), HVQ5_RC_OK);
    EXPECT_EQ(active, 3);
    uint32_t cached = 0;
    ASSERT_EQ(hvq5_get_cached_register(kId, static_cast<int>(kFirstUserRegister), &cached), HVQ5_RC_OK);
    EXPECT_EQ(cached, 777u);

    const uint8_t outOfRange = 16;
    EXPECT_EQ(hvq5_select_program(kId, &outOfRange), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(hvq5_select_program(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);
}

TEST_F(DevicefnsBlocks, ResetsAndMemoryClear) {
    struct Case {
        int (*call)(int);
        Request request;
    };
    const Case cases[] = {
        {hvq5_reset_program, {kSystemOpcode, 0x20000, 0x400000}},
        {hvq5_reset_settings, {kSystemOpcode, 5, 0}},
        {hvq5_system_command_30000, {kSystemOpcode, 0x30000, 0}},
        {[](int id) { return hvq5_memory_operation(id, 2); }, {kWriteOpcode, (2u << 16) + 277, 0}},
    };
    for (const Case& c : cases) {
        sim->clearPacketLog();
        EXPECT_EQ(c.call(kId), HVQ5_RC_OK);
        EXPECT_EQ(requestList(), std::vector<Request>{c.request});
    }
}

TEST_F(DevicefnsBlocks, FirmwareImagesOutsideTheWireRangesAreRefused) {
    const Bytes image(300, 0x5A);
    const char* data = reinterpret_cast<const char*>(image.data());
    EXPECT_EQ(hvq5_write_image(kId, 0x1A4, 0, data, image.size(), {}), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(hvq5_write_image(kId, 164, 1ull << 32, data, image.size(), {}), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(hvq5_write_head_image(kId, 1ull << 32, data, image.size(), {}), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(requests().empty());

    ASSERT_EQ(hvq5_write_image(kId, 164, 0x20000, data, image.size(), {}), HVQ5_RC_OK);
    EXPECT_EQ(flash->read(sensor_sim::FlashTarget::Controller, 0x20000, image.size()), image);
}

// Trigger-mode switch: the registers read and written, in order.
TEST_F(DevicefnsBlocks, TriggerModeTable) {
    struct Case {
        int mode;
        uint32_t batchMode;    // register 149
        uint32_t option;       // register 289
        bool measuring;
        int status;
        std::vector<Request> requests;
    };
    const Case cases[] = {
        {1, 0, 0, false, HVQ5_RC_OK,
         {{kReadOpcode, 149, 0}, {kWriteOpcode, 194, 1}, {kWriteOpcode, 296, 0}, {kReadOpcode, 289, 0}}},
        {0, 0, 0, false, HVQ5_RC_OK,
         {{kReadOpcode, 149, 0}, {kWriteOpcode, 194, 0}, {kWriteOpcode, 296, 1}, {kReadOpcode, 289, 0}}},
        {0, 0, 1, false, HVQ5_RC_OK,
         {{kReadOpcode, 149, 0}, {kWriteOpcode, 194, 0}, {kWriteOpcode, 296, 1}, {kReadOpcode, 289, 0},
          {kWriteOpcode, 221, 3}}},
        {1, 0, 1, false, HVQ5_RC_OK,
         {{kReadOpcode, 149, 0}, {kWriteOpcode, 194, 1}, {kWriteOpcode, 296, 0}, {kReadOpcode, 289, 0},
          {kWriteOpcode, 221, 1}}},
        {1, 0, 0, true, HVQ5_RC_OK,
         {{kWriteOpcode, 142, 1}, {kReadOpcode, 149, 0}, {kWriteOpcode, 194, 1}, {kWriteOpcode, 296, 0},
          {kReadOpcode, 289, 0}}},
        {2, 0, 1, false, HVQ5_RC_BAD_ARGUMENT, {{kReadOpcode, 149, 0}}},
        {2, 1, 1, false, HVQ5_RC_NOT_ALLOWED, {{kReadOpcode, 149, 0}}},
        {1, 2, 1, false, HVQ5_RC_NOT_ALLOWED, {{kReadOpcode, 149, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " batch " << c.batchMode << " option "
                                        << c.option << " measuring " << c.measuring);
        sim->setReg(149, c.batchMode);
        sim->setReg(289, c.option);
        controller().measurementStarted = c.measuring;
        sim->clearPacketLog();
        EXPECT_EQ(hvq5_set_trigger_mode(kId, c.mode), c.status);
        EXPECT_EQ(requestList(), c.requests);
        EXPECT_FALSE(controller().measurementStarted) << "the flag is taken";
    }
}

}  // namespace
