// The batch read over the command channel against the simulated sensor's
// trigger counter and batch memory.
#include "sensor_interface/command/command_batch.h"

#include <gtest/gtest.h>

#include "sensor_interface/registry/hvq5_rc.h"
#include "sensor_interface/settings/setting_dispatcher.h"
#include "tests/programs/controller_transport.h"
#include "tests/programs/simulated_sensor.h"

namespace {

using namespace programs_test;
using sensor_sim::SimBatchBlock;
using sensor_sim::SimBatchFrame;

class CommandBatchRead : public SimulatedSensor {
protected:
    CommandBatchRead() : SimulatedSensor(106), transport(controller), dispatcher(transport) {}

    void SetUp() override {
        SimulatedSensor::SetUp();
        controller.settings().set_regvals(149, 1);  // batch memory mode
    }

    static SimBatchBlock layout() {
        SimBatchBlock block;
        block.pointsPerFrame = 4;
        block.intensity = true;
        block.wideValues = true;
        block.firstColumn = 100;
        return block;
    }

    static std::vector<SimBatchFrame> framesFrom(uint32_t first, size_t count) {
        std::vector<SimBatchFrame> frames;
        for (uint32_t i = 0; i < count; ++i) {
            SimBatchFrame frame;
            frame.batchNumber = first + i;
            frame.encoder = 1000 + 10 * i;
            frame.timeStamp = 0x100000000ull + i;
            frame.intensity = {uint8_t(i), 1, 2, 3};
            frame.values = {i * 4, i * 4 + 1, i * 4 + 2, i * 4 + 3};
            frames.push_back(frame);
        }
        return frames;
    }

    ControllerTransport transport;
    SettingDispatcher dispatcher;
};

TEST_F(CommandBatchRead, FirstCallTakesTheCounterThenReadsTheBatchOfItsNextChange) {
    batchMemory->scriptTriggerCounter({5, 5, 5, 6});
    batchMemory->queueBatch(6, layout(), framesFrom(0, 5), 3);

    ASSERT_EQ(controller.receiveDataAuto(dispatcher), HVQ5_RC_OK);

    const CommandBatch& batch = controller.commandBatch;
    EXPECT_EQ(batch.completion, command_batch::kComplete);
    EXPECT_EQ(batch.framesReceived, 5);
    EXPECT_EQ(batch.blockIndex, 7);
    EXPECT_EQ(batch.valuesA, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(batch.valuesB, (std::vector<uint32_t>{1000, 1010, 1020, 1030, 1040}));
    EXPECT_EQ(batch.timeStamps.back(), 0x100000004ull);
    ASSERT_EQ(batch.profileBytes.size(), 5u * 4u * 4u);
    int32_t lastHeight = 0;
    std::memcpy(&lastHeight, &batch.profileBytes[batch.profileBytes.size() - 4], 4);
    EXPECT_EQ(lastHeight, 19);
    EXPECT_EQ(batch.grayBytes.size(), 20u);

    const auto questions = batchMemory->questions();
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].blockIndex, 6u);  // is block 6 ready?
    EXPECT_EQ(questions[0].acknowledged, 0);
    EXPECT_EQ(questions[1].blockIndex, 6u);  // three frames of block 6 taken
    EXPECT_EQ(questions[1].acknowledged, 3);
    EXPECT_EQ(batchMemory->blocksLeft(), 0u);
}

TEST_F(CommandBatchRead, FirstBatchAfterACounterStandingAtZeroIsRead) {
    batchMemory->scriptTriggerCounter({0, 0, 1});
    batchMemory->queueBatch(1, layout(), framesFrom(0, 2), 10);

    ASSERT_EQ(controller.receiveDataAuto(dispatcher), HVQ5_RC_OK);

    EXPECT_EQ(controller.commandBatch.completion, command_batch::kComplete);
    EXPECT_EQ(controller.commandBatch.framesReceived, 2);
    EXPECT_EQ(controller.commandBatch.blockIndex, 1);
    EXPECT_EQ(batchMemory->clears(), 0u);
}

// Status records of a size that cannot be a record: too short to hold its
// fields, empty, longer than any record.
class CommandBatchRecordSize : public CommandBatchRead, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(CommandBatchRecordSize, FailsTheBatchAndKeepsTheChannelInStep) {
    batchMemory->scriptTriggerCounter({5, 6});
    batchMemory->announceRecordSize(GetParam());

    ASSERT_EQ(controller.receiveDataAuto(dispatcher), HVQ5_RC_OK);
    EXPECT_EQ(controller.commandBatch.completion, command_batch::kFailed);
    EXPECT_EQ(controller.commandBatch.framesReceived, 0);

    sim->setReg(300, 77);
    uint32_t value = 0;
    EXPECT_EQ(controller.readRegister(300, value, 0), HVQ5_RC_OK);
    EXPECT_EQ(value, 77u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CommandBatchRecordSize, ::testing::Values(20u, 0u, 80u));

TEST_F(CommandBatchRead, StatusBlockWithoutFramesStillDecodesTheRecord) {
    SimBatchBlock empty = layout();
    empty.blockIndex = 9;
    empty.batchFrames = 4;
    empty.framesBefore = 4;
    empty.complete = true;
    batchMemory->queueBlock(empty);

    std::vector<uint8_t> data;
    BatchStatus status;
    EXPECT_EQ(controller.readBatchStatusBlock(data, status), HVQ5_RC_MEMORY_NOT_READY);
    EXPECT_EQ(status.blockIndex, 9u);
    EXPECT_EQ(status.framesBefore, 4);
    EXPECT_EQ(status.complete, 1);
    EXPECT_EQ(data.size(), 34u);
}

TEST_F(CommandBatchRead, CounterBehindTheBlockIndexIsNotAhead) {
    batchMemory->scriptTriggerCounter({5, 8, 3});
    EXPECT_EQ(controller.receiveDataAuto(dispatcher), HVQ5_RC_TRIGGER_NOT_AHEAD);
    EXPECT_EQ(controller.commandBatch.blockIndex, 6);
}

// -1 is a counter the sensor does not know yet: it is asked once more.
TEST_F(CommandBatchRead, UnknownCounterIsAskedOnceMore) {
    batchMemory->scriptTriggerCounter({5, 0xFFFFFFFF, 6, 0xFFFFFFFF, 0xFFFFFFFF});
    EXPECT_EQ(controller.receiveDataAuto(dispatcher), HVQ5_RC_TRIGGER_NOT_AHEAD);
    EXPECT_EQ(controller.commandBatch.blockIndex, 6);
    size_t counterReads = 0;
    for (const auto& packet : packets()) counterReads += packet.opcode == kReadOpcode && packet.address == 294;
    EXPECT_EQ(counterReads, 5u);
}

TEST_F(CommandBatchRead, ClosedCommandSocket) {
    controller.closeSockets(true);
    EXPECT_EQ(controller.receiveDataAuto(dispatcher), HVQ5_RC_BAD_REPLY);
}

TEST_F(CommandBatchRead, UnreadableTriggerCounter) {
    sim->injectRegisterFault(294, sensor_sim::Fault{sensor_sim::FaultKind::WrongAddressEcho, 0, 1, 6, 1});
    EXPECT_EQ(controller.receiveDataAuto(dispatcher), HVQ5_RC_NO_SOCKET);
}

}  // namespace
