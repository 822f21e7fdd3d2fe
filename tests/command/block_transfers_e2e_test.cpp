// Blocks and tables on the command channel against the simulated sensor.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "sensor_interface/registry/hvq5_rc.h"
#include "tests/command/command_fixture.h"

using sensor_sim::Fault;
using sensor_sim::FaultKind;
using Bytes = std::vector<uint8_t>;

namespace {

using Blocks = CommandChannel;

TEST_F(Blocks, CalibrationTableIsDecodedColumnAfterColumn) {
    std::array<double, 10> distinct{1.5, -2.25, 3e-9, 4e9, 5.0, 6.0, 7.0, 8.0, 9.0, -10.0};
    sim->model().setCalibrationColumn(5, distinct);
    sim->model().setCalibrationColumn(2047, {0, 0, 0, 0, 0, 0, 0, 0, 1.0, 2.0});
    SensorController::CalibrationRows table{{1.0}};
    ASSERT_EQ(controller.readCalibrationTable(table), HVQ5_RC_OK);
    ASSERT_EQ(table.size(), 2048u);
    for (const auto& row : table) ASSERT_EQ(row.size(), 10u);
    for (int j = 0; j < 10; ++j) EXPECT_EQ(table[5][j], distinct[j]);
    EXPECT_EQ(table[0][8], 40.0);
    EXPECT_EQ(table[0][9], 20000.0);
    EXPECT_EQ(table[2047][9], 2.0);
}

TEST_F(Blocks, CalibrationStreamOneByteTooLongIsRefused) {
    Bytes stream = sim->model().calibrationStream();
    stream.push_back(0);
    sim->model().overrideCalibrationStream(stream);
    // Delivered in pieces, so that the extra byte arrives with the last one.
    sim->injectOpcodeFault(177, Fault{FaultKind::SplitReply, 20, 7, 6, 1});
    SensorController::CalibrationRows table{{1.0}};
    EXPECT_EQ(controller.readCalibrationTable(table), HVQ5_RC_MEMORY_NOT_READY);
    EXPECT_EQ(table.size(), 1u) << "a failed read leaves the table as it was";
}

TEST_F(Blocks, CalibrationStreamOneByteShortFailsAfterSilence) {
    Bytes stream = sim->model().calibrationStream();
    stream.pop_back();
    sim->model().overrideCalibrationStream(stream);
    SensorController::CalibrationRows table;
    EXPECT_EQ(controller.readCalibrationTable(table), HVQ5_RC_MEMORY_NOT_READY);
    EXPECT_TRUE(table.empty());
}

TEST_F(Blocks, ParameterBlockReadsBothHalvesInOrder) {
    std::vector<int32_t> values{-1};
    ASSERT_EQ(controller.readParamBlock(values, 3), HVQ5_RC_OK);
    ASSERT_EQ(values.size(), 129u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(values[1 + i], 3000 + i);
    auto log = sim->packetLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].opcode, 172);
    EXPECT_EQ(log[0].address, 256u);
    EXPECT_EQ(log[0].value, 6u);
    EXPECT_EQ(log[1].value, 7u);
}

TEST_F(Blocks, ParameterHalfIsDecodedFromTheLast256BytesHeld) {
    sim->registerOpcodeHandler(172, [](sensor_sim::SimSensor& s, const sensor_sim::Request& r,
                                       sensor_sim::ReplyWriter& reply) {
        reply.echo(r.opcode, r.address, 0);
        reply.write(Bytes(200, 0xEE));
        // Well past the request's 30 ms wait, so the 200 bytes come alone.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        reply.write(s.model().parameterHalf(r.value));
    });
    std::vector<int32_t> values;
    ASSERT_EQ(controller.readParamBlock(values, 0), HVQ5_RC_OK);
    ASSERT_EQ(values.size(), 128u);
    EXPECT_EQ(values[0], 0);
    EXPECT_EQ(values[127], 127);
}

TEST_F(Blocks, DefaultRegistersGoIntoTheTargetInUserRegisterOrder) {
    std::vector<int32_t> block(128);
    for (int i = 0; i < 128; ++i) block[i] = 50000 + i;
    sim->model().setParameterBlock(15, block);
    hvq5_settings target;
    ASSERT_EQ(controller.readDefaultRegisters(target, 15), HVQ5_RC_OK);
    hvq5_settings expected;
    expected.set_regvals(std::vector<unsigned int>(block.begin(), block.end()));
    for (size_t i = 0; i < zp_laser_reg::user_reg_count; ++i) {
        uint32_t reg = zp_laser_reg::user_reg_table[i];
        EXPECT_EQ(target.get_vals(reg), expected.get_vals(reg)) << reg;
    }
}

TEST_F(Blocks, HeadRecordsFillTheHeadInformation) {
    sensor_sim::HeadPreset head;
    head.model = "ZP5400";
    head.headSerial = "H123";
    head.controllerSerial = "C456";
    head.optics = {1e-6, 2e-3, 0.025, -0.5, 3.25};
    sim->model().setHead(head);
    zp_laser_reg::laser_params params{};
    ASSERT_EQ(controller.readHeadInformation(params), HVQ5_RC_OK);
    EXPECT_EQ(std::string(params.head_tag, 4), "ZP-H");
    EXPECT_EQ(std::string(params.model), "ZP5400");
    EXPECT_EQ(std::string(params.serial_tag, 4), "ZP-H");
    EXPECT_EQ(std::string(params.head_serial), "H123");
    EXPECT_EQ(std::string(params.controller_tag, 4), "ZP-C");
    EXPECT_EQ(std::string(params.controller_serial), "C456");
    EXPECT_EQ(std::string(params.optics_tag, 4), "ZP-H");
    for (int i = 0; i < 5; ++i) {
        double value;
        std::memcpy(&value, params.optics_body + 8 * i, sizeof value);
        EXPECT_EQ(value, head.optics[i]);
    }
    std::vector<uint8_t> order;
    for (const auto& packet : sim->packetLog()) order.push_back(packet.opcode);
    EXPECT_EQ(order, (std::vector<uint8_t>{176, 182, 184, 183}));
    EXPECT_EQ(sim->packetLog()[0].address, 0x10000u);
}

TEST_F(Blocks, BadArgumentsSendNothing) {
    uint8_t block[256];
    EXPECT_EQ(controller.readShapeBlock(block, 255), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.writeShapeBlock(1, block, 257), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.writeShapeBlock(1, nullptr, 256), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.readHeadRecord(176, nullptr), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.readHeadRecord(177, block), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.writeSettingsBlock(std::vector<uint32_t>(0x4000)), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(Blocks, ShapeBlockLoadsStoresAndReadsBack) {
    Bytes shape(256);
    for (size_t i = 0; i < shape.size(); ++i) shape[i] = static_cast<uint8_t>(255 - i);
    ASSERT_EQ(controller.writeShapeBlock(1, shape.data(), 256), HVQ5_RC_OK);
    ASSERT_EQ(controller.writeShapeBlock(3, nullptr, 256), HVQ5_RC_OK);
    EXPECT_EQ(sim->model().storedShapeBlock(), shape);
    auto log = sim->packetLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].address, 0x10100u);
    EXPECT_EQ(log[0].payload, shape);
    EXPECT_EQ(log[1].address, 3u << 16);
    EXPECT_TRUE(log[1].payload.empty());

    uint8_t back[256] = {};
    sim->injectOpcodeFault(178, Fault{FaultKind::SplitReply, 20, 4, 6, 1});
    ASSERT_EQ(controller.readShapeBlock(back, 256), HVQ5_RC_OK);
    EXPECT_EQ(Bytes(back, back + 256), shape);
}

TEST_F(Blocks, SettingsBlockRoundTrip) {
    std::vector<uint32_t> words;
    ASSERT_EQ(controller.readSettingsBlock(words), HVQ5_RC_OK);
    EXPECT_EQ(words, sim->model().settingsWords());

    std::vector<uint32_t> changed{0xDEADBEEF, 1, 2, 0x80000000};
    ASSERT_EQ(controller.writeSettingsBlock(changed), HVQ5_RC_OK);
    EXPECT_EQ(sim->model().settingsWords(), changed);
    EXPECT_EQ(sim->packetLog().back().address, (2u << 16) | 16u);
}

struct MeasuredCase {
    const char* name;
    Bytes reply;
    size_t capacity;
    int status;
    std::vector<int32_t> values;  // when the status is 0
};

class MeasuredValues : public CommandChannel, public ::testing::WithParamInterface<MeasuredCase> {};

TEST_P(MeasuredValues, ReplyLengthDecidesTheOutcome) {
    sim->model().overrideMeasuredReply(GetParam().reply);
    std::vector<int32_t> values(GetParam().capacity, 7);
    EXPECT_EQ(controller.readMeasuredValues(values), GetParam().status);
    if (GetParam().status == HVQ5_RC_OK)
        EXPECT_EQ(values, GetParam().values);
    else
        EXPECT_EQ(values.size(), GetParam().capacity);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MeasuredValues,
    ::testing::Values(MeasuredCase{"SixBytes", Bytes(6, 1), 10, HVQ5_RC_BAD_BLOCK, {}},
                      MeasuredCase{"TwoValuesIntoTen", Bytes{0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFE}, 10, HVQ5_RC_OK, {256, -2}},
                      MeasuredCase{"MoreThanTheListTakes", Bytes(12, 0), 2, HVQ5_RC_BAD_BLOCK, {}},
                      MeasuredCase{"Empty", Bytes{}, 3, HVQ5_RC_OK, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Blocks, MemoryBlocksAreReceivedWholeWithProgress) {
    sim->injectOpcodeFault(165, Fault{FaultKind::SplitReply, 20, 3, 6, -1});
    std::vector<int> progress;
    Bytes out;
    ASSERT_EQ(controller.readMemoryBlocks(0x1000, 3, out,
                                          [&progress](int percent) {
                                              progress.push_back(percent);
                                              return true;
                                          }),
              HVQ5_RC_OK);
    ASSERT_EQ(out.size(), 768u);
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], sensor_sim::SensorModel::memoryByte(0x1000 + static_cast<uint32_t>(i))) << i;
    EXPECT_EQ(progress, (std::vector<int>{0, 33, 66, 100}));
    auto log = sim->packetLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2].address, 256u);
    EXPECT_EQ(log[2].value, 0x1000u + 512u);
}

TEST_F(Blocks, MemoryReadStopsWhenTheCallbackSaysSo) {
    Bytes out;
    int calls = 0;
    EXPECT_EQ(controller.readMemoryBlocks(0, 4, out, [&calls](int) { return ++calls < 2; }), HVQ5_RC_OK);
    EXPECT_EQ(out.size(), 256u);
    EXPECT_EQ(sim->packetLog().size(), 1u);
}

}  // namespace
