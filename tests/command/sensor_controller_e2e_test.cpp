// The command channel against the simulated sensor over real loopback sockets.
#include "sensor_interface/command/sensor_controller.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/registry/hvq5_rc.h"
#include "tests/command/command_fixture.h"

using sensor_sim::Fault;
using sensor_sim::FaultKind;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes textBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST_F(CommandChannel, ReadAndWriteExchangeRegistersAndCacheThem) {
    sim->setReg(300, 0x12345678);
    uint32_t value = 0;
    EXPECT_EQ(controller.readRegister(300, value, 0), HVQ5_RC_OK);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(controller.getVals(300), 0x12345678u);

    EXPECT_EQ(controller.writeRegister(301, 77), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(301), 77u);
    EXPECT_EQ(controller.getVals(301), 77u);

    auto log = sim->packetLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].opcode, kRead);
    EXPECT_EQ(log[0].address, 300u);
    EXPECT_EQ(log[1].opcode, kWrite);
    EXPECT_EQ(log[1].value, 77u);
}

// Replies that arrive late or in pieces are still whole replies.
struct TolerableReply {
    const char* name;
    Fault fault;
};

class CommandChannelTolerates : public CommandChannel, public ::testing::WithParamInterface<TolerableReply> {};

TEST_P(CommandChannelTolerates, ReadSucceeds) {
    sim->setReg(40, 4040);
    sim->injectRegisterFault(40, GetParam().fault);
    uint32_t value = 0;
    EXPECT_EQ(controller.readRegister(40, value, 0), HVQ5_RC_OK);
    EXPECT_EQ(value, 4040u);
    EXPECT_EQ(sim->acceptedConnections(), 1u) << "no reconnect";
}

INSTANTIATE_TEST_SUITE_P(
    Replies, CommandChannelTolerates,
    ::testing::Values(TolerableReply{"EchoInThreeWrites", Fault{FaultKind::SplitReply, 30, 3, 6, 1}},
                      TolerableReply{"EchoByteByByte", Fault{FaultKind::SplitReply, 5, 11, 6, 1}},
                      TolerableReply{"EchoAfterDelay", Fault{FaultKind::Delay, 300, 1, 6, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandChannel, WrongAddressEchoOfReadFailsReconnectsAndKeepsImage) {
    sim->setReg(50, 1);
    uint32_t value = 0;
    ASSERT_EQ(controller.readRegister(50, value, 0), HVQ5_RC_OK);
    sim->setReg(50, 2);
    sim->injectRegisterFault(50, Fault{FaultKind::WrongAddressEcho, 0, 1, 6, 1});

    EXPECT_EQ(controller.readRegister(50, value, 0), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(controller.getVals(50), 1u);
    EXPECT_EQ(controller.getVals(51), 0u) << "a read echo under another address is not stored";
    EXPECT_GE(sim->acceptedConnections(), 2u);

    // The new connection works.
    EXPECT_EQ(controller.readRegister(50, value, 0), HVQ5_RC_OK);
    EXPECT_EQ(value, 2u);
}

TEST_F(CommandChannel, WrongAddressEchoOfWriteStoresWhatTheEchoSays) {
    sim->injectRegisterFault(60, Fault{FaultKind::WrongAddressEcho, 0, 1, 6, 1});
    EXPECT_EQ(controller.writeRegister(60, 99), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(controller.getVals(61), 99u);
    EXPECT_EQ(controller.getVals(60), 0u);
    EXPECT_GE(sim->acceptedConnections(), 2u);
}

TEST_F(CommandChannel, SilentSensorTimesOutAndReconnects) {
    sim->injectRegisterFault(70, Fault{FaultKind::Silence, 0, 1, 6, 1});
    uint32_t value = 5;
    EXPECT_EQ(controller.readRegister(70, value, 0), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(sim->acceptedConnections(), 2u);
    EXPECT_EQ(controller.readRegister(71, value, 0), HVQ5_RC_OK);
}

TEST_F(CommandChannel, EchoCutShortFailsAsBadReply) {
    sim->injectRegisterFault(80, Fault{FaultKind::ShortEcho, 0, 1, 6, 1});
    uint32_t value = 0;
    EXPECT_EQ(controller.transact(kRead, 80u, value, 0), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(sim->acceptedConnections(), 2u);
}

TEST_F(CommandChannel, ClosedConnectionTimesOutAndReconnects) {
    sim->injectRegisterFault(90, Fault{FaultKind::CloseConnection, 0, 1, 6, 1});
    uint32_t value = 0;
    EXPECT_EQ(controller.transact(kRead, 90u, value, 0), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(sim->acceptedConnections(), 2u);
    sim->setReg(90, 9);
    EXPECT_EQ(controller.transact(kRead, 90u, value, 0), HVQ5_RC_OK);
    EXPECT_EQ(value, 9u);
}

TEST_F(CommandChannel, WithoutSocketAnExchangeReports1001AndReconnectsOnce) {
    controller.closeSockets(true);
    sim->clearPacketLog();
    uint32_t value = 0;
    EXPECT_EQ(controller.transact(kRead, 100u, value, 0), HVQ5_RC_NO_SOCKET);
    EXPECT_TRUE(sim->packetLog().empty());
    EXPECT_EQ(sim->acceptedConnections(), 2u);
    EXPECT_EQ(controller.transact(kRead, 100u, value, 0), HVQ5_RC_OK);
}

TEST_F(CommandChannel, RefusedConnectFailsAtOnce) {
    SensorController other;
    EXPECT_FALSE(other.connect(3, sim->options().address, 1));
    EXPECT_EQ(other.sendOnly(kRead, 1, 0), HVQ5_RC_SEND_FAILED);
}

bool runLogHas(const std::string& line) {
    bool found = false;
    LogManager::instance().recentRecords().forEach([&](const LogRecord& record) { found |= record.message == line; });
    return found;
}

TEST_F(CommandChannel, ConnectLogLinesNameTheDeviceAndAlwaysPort7) {
    const std::string address = sim->options().address;
    EXPECT_TRUE(runLogHas("connect[0] to " + address + " successfully"));
    SensorController other;
    ASSERT_FALSE(other.connect(9, address, 1));
    EXPECT_TRUE(runLogHas("connect[9] to " + address + ":7 failed"));
}

TEST_F(CommandChannel, BulkOfRegister278HasTheAnnouncedSizeEvenWhenSplit) {
    std::string body = "STATUS,1,2,3,4,5,6,7,8,9,0";
    sim->setRegisterBulk(278, textBytes(body));
    sim->injectRegisterFault(278, Fault{FaultKind::SplitReply, 20, 4, 6, 1});
    uint32_t size = 0;
    Bytes bulk;
    EXPECT_EQ(controller.readRegister(278, size, 0, true, &bulk, 0), HVQ5_RC_OK);
    EXPECT_EQ(size, body.size());
    EXPECT_EQ(bulk, textBytes(body));
    // Nothing is left behind on the channel.
    uint32_t value = 0;
    sim->setReg(5, 55);
    EXPECT_EQ(controller.readRegister(5, value, 0), HVQ5_RC_OK);
    EXPECT_EQ(value, 55u);
}

TEST_F(CommandChannel, BulkOfSizeZeroEndsAtOnce) {
    sim->setRegisterBulk(278, {});
    uint32_t size = 7;
    Bytes bulk{1, 2, 3};
    EXPECT_EQ(controller.readRegister(278, size, 0, true, &bulk, 0), HVQ5_RC_OK);
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(bulk.empty());
}

TEST_F(CommandChannel, BulkLongerThanItsSizeRunsToTheEndMarkerSplitAcrossWrites) {
    // Receives take at most 10240 bytes, so a bulk of more than that can
    // overshoot its size; it then goes on until the data ends with ",end\r\n",
    // here cut in the middle of the marker.
    const size_t size = 10300;
    std::string text = std::string(10240, 'a') + std::string(5000, 'b') + "MEAS,1,2,3,end\r\n";
    sim->registerOpcodeHandler(kRead, [text](sensor_sim::SimSensor&, const sensor_sim::Request& request,
                                             sensor_sim::ReplyWriter& reply) {
        reply.echo(request.opcode, request.address, 0);
        const size_t cuts[] = {0, 10240, 15240, text.size() - 3, text.size()};
        for (size_t i = 0; i + 1 < std::size(cuts); ++i) {
            reply.write(text.substr(cuts[i], cuts[i + 1] - cuts[i]));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    });
    uint32_t value = 0;
    Bytes bulk;
    EXPECT_EQ(controller.readRegister(900, value, 0, true, &bulk, size), HVQ5_RC_OK);
    EXPECT_EQ(bulk, textBytes(text));
}

TEST_F(CommandChannel, BulkOfExactlyItsSizeEndsWithoutMarker) {
    sim->registerOpcodeHandler(kRead, [](sensor_sim::SimSensor&, const sensor_sim::Request& request,
                                         sensor_sim::ReplyWriter& reply) {
        reply.echo(request.opcode, request.address, 0);
        reply.write(std::string("0123456789"));
    });
    sim->injectOpcodeFault(kRead, Fault{FaultKind::SplitReply, 20, 3, 6, 1});
    uint32_t value = 0;
    Bytes bulk;
    EXPECT_EQ(controller.readRegister(901, value, 0, true, &bulk, 10), HVQ5_RC_OK);
    EXPECT_EQ(bulk, textBytes("0123456789"));
}

TEST_F(CommandChannel, ReceiveUntilCollectsStreamAndTimesOutWithReconnect) {
    sim->registerOpcodeHandler(kRead, [](sensor_sim::SimSensor&, const sensor_sim::Request& request,
                                         sensor_sim::ReplyWriter& reply) {
        if (request.address == 319) {
            reply.write(std::string("DEBUG,start\r\n"));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            reply.write(std::string("info,xyz,DEBUG,e"));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            reply.write(std::string("nd\r\n"));
        }
    });
    Bytes stream;
    ASSERT_EQ(controller.sendOnly(kRead, 319, 1), HVQ5_RC_OK);
    EXPECT_EQ(controller.receiveUntil(stream, "DEBUG,end\r\n", 2000, 0), HVQ5_RC_OK);
    EXPECT_EQ(stream, textBytes("DEBUG,start\r\ninfo,xyz,DEBUG,end\r\n"));

    EXPECT_EQ(controller.receiveUntil(stream, "DEBUG,end\r\n", 50, 0), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(sim->acceptedConnections(), 2u);
}

TEST_F(CommandChannel, TransferBlockReturnsPayloadBehindEcho) {
    const uint8_t opcode = 190;
    Bytes block(256);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
    sim->registerOpcodeHandler(opcode, [block](sensor_sim::SimSensor&, const sensor_sim::Request& request,
                                               sensor_sim::ReplyWriter& reply) {
        reply.echo(request.opcode, request.address, 0);
        reply.write(block);
    });
    sim->injectOpcodeFault(opcode, Fault{FaultKind::SplitReply, 20, 5, 6, 1});
    Bytes data;
    EXPECT_EQ(controller.transferBlock(opcode, 0, 256, 0, 0, data, block.size()), HVQ5_RC_OK);
    EXPECT_EQ(data, block);
}

TEST_F(CommandChannel, TransferBlockSendsPayloadAndRejectsWrongAddress) {
    const uint8_t opcode = 185;
    sim->registerOpcodeHandler(
        opcode,
        [](sensor_sim::SimSensor&, const sensor_sim::Request& request, sensor_sim::ReplyWriter& reply) {
            reply.echo(request.opcode, request.address + (request.payload.empty() ? 0 : 1), 0);
        },
        [](const sensor_sim::Request& request) { return size_t(request.lo()); });
    Bytes data{9, 8, 7, 6};
    EXPECT_EQ(controller.transferBlock(opcode, 2, 4, 0, 0, data), HVQ5_RC_BAD_REPLY);
    auto log = sim->packetLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].payload, (Bytes{9, 8, 7, 6}));
    EXPECT_EQ(sim->acceptedConnections(), 1u) << "a block transfer never reconnects";
}

TEST_F(CommandChannel, TwoThreadsShareOneControllerWithoutCrossTalk) {
    for (uint32_t reg = 1000; reg < 3000; ++reg) sim->setReg(reg, reg * 7 + 3);
    auto reader = [this](uint32_t first, int* mismatches) {
        for (uint32_t reg = first; reg < first + 1000; ++reg) {
            uint32_t value = 0;
            if (controller.readRegister(reg, value, 0) != HVQ5_RC_OK || value != reg * 7 + 3) ++*mismatches;
        }
    };
    int mismatchesA = 0;
    int mismatchesB = 0;
    std::thread a(reader, 1000, &mismatchesA);
    std::thread b(reader, 2000, &mismatchesB);
    a.join();
    b.join();
    EXPECT_EQ(mismatchesA, 0);
    EXPECT_EQ(mismatchesB, 0);
    EXPECT_EQ(sim->acceptedConnections(), 1u);
}

}  // namespace
