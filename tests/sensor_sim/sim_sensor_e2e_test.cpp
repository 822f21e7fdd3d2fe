// The simulated sensor seen from a plain socket client, byte by byte.
#include "tools/sensor_sim/sim_sensor.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tests/support/loopback_address.h"

using namespace sensor_sim;
using Bytes = std::vector<uint8_t>;

namespace {

// A minimal client: connect, send, read what arrives within a wait.
class RawClient {
public:
    RawClient(const std::string& address, uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0;
    }
    ~RawClient() { ::close(fd_); }
    bool connected() const { return connected_; }

    void send(const Bytes& bytes) { ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }

    // Reads until `count` bytes are in or nothing comes for waitMs.
    Bytes read(size_t count, int waitMs = 500) {
        Bytes out;
        while (out.size() < count) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, waitMs) <= 0) break;
            uint8_t buffer[4096];
            ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, count - out.size()), 0);
            if (n <= 0) {
                peerClosed_ = n == 0;
                break;
            }
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }
    bool peerClosed() const { return peerClosed_; }

private:
    int fd_ = -1;
    bool connected_ = false;
    bool peerClosed_ = false;
};

Bytes packet(uint8_t opcode, uint32_t address, uint32_t value) { return encodePacket(opcode, address, value); }

Bytes concat(Bytes a, const std::string& text) {
    a.insert(a.end(), text.begin(), text.end());
    return a;
}

class SimulatedSensor : public ::testing::Test {
protected:
    void SetUp() override {
        options.address = mirevo::test::loopbackAddressForTest(23);
        sensor = std::make_unique<SimSensor>(options);
        ASSERT_TRUE(sensor->start());
        client = std::make_unique<RawClient>(options.address, options.commandPort);
        ASSERT_TRUE(client->connected());
    }

    SimOptions options;
    std::unique_ptr<SimSensor> sensor;
    std::unique_ptr<RawClient> client;
};

TEST_F(SimulatedSensor, WriteAndReadEchoTheRegisterStore) {
    std::vector<std::pair<uint32_t, uint32_t>> written;
    sensor->onRegisterWritten([&written](uint32_t address, uint32_t value) { written.emplace_back(address, value); });

    client->send(packet(160, 142, 0xCAFE));
    EXPECT_EQ(client->read(11), packet(160, 142, 0xCAFE));
    EXPECT_EQ(sensor->reg(142), 0xCAFEu);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], std::make_pair(142u, 0xCAFEu));

    sensor->setReg(7, 0x01020304);
    client->send(packet(161, 7, 0));
    EXPECT_EQ(client->read(11), packet(161, 7, 0x01020304));
    // Addresses carrying a high half still reach the 65536 registers.
    client->send(packet(161, (3u << 16) | 7, 0));
    EXPECT_EQ(client->read(11), packet(161, (3u << 16) | 7, 0x01020304));
}

TEST_F(SimulatedSensor, UnknownOpcodeIsRejectedWithEndMarker) {
    client->send(packet(199, 12, 34));
    EXPECT_EQ(client->read(16), concat(packet(199, 12, 0), "END\r\n"));
}

TEST_F(SimulatedSensor, BulkRegisterAnnouncesItsSizeAndFollowsWithTheBytes) {
    sensor->setRegisterBulk(278, Bytes{1, 2, 3, 4, 5});
    client->send(packet(161, 278, 0));
    Bytes expected = packet(161, 278, 5);
    expected.insert(expected.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(client->read(16), expected);
}

TEST_F(SimulatedSensor, PacketLogKeepsEveryRequestWithPayloadAndTime) {
    sensor->registerOpcodeHandler(
        178, [](SimSensor&, const Request& request, ReplyWriter& reply) { reply.echo(request.opcode, request.address, 0); },
        [](const Request& request) { return size_t(request.lo()); });
    const auto before = std::chrono::steady_clock::now();
    Bytes withPayload = packet(178, (2u << 16) | 3, 0);
    withPayload.insert(withPayload.end(), {9, 8, 7});
    client->send(withPayload);
    EXPECT_EQ(client->read(11), packet(178, (2u << 16) | 3, 0));
    client->send(packet(161, 1, 0));
    EXPECT_EQ(client->read(11).size(), 11u);

    auto log = sensor->packetLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].channel, "command");
    EXPECT_EQ(log[0].opcode, 178);
    EXPECT_EQ(log[0].payload, (Bytes{9, 8, 7}));
    EXPECT_EQ(log[1].opcode, 161);
    EXPECT_TRUE(log[1].payload.empty());
    EXPECT_GE(log[0].time, before);
    EXPECT_GE(log[1].time, log[0].time);
    sensor->clearPacketLog();
    EXPECT_TRUE(sensor->packetLog().empty());
}

struct FaultReply {
    const char* name;
    Fault fault;
    Bytes expected;  // what the client receives for a read of register 20 (value 0x55)
    bool closes;
};

class SimulatedSensorFaults : public SimulatedSensor, public ::testing::WithParamInterface<FaultReply> {};

TEST_P(SimulatedSensorFaults, ReadOfFaultyRegister) {
    sensor->setReg(20, 0x55);
    sensor->injectRegisterFault(20, GetParam().fault);
    client->send(packet(161, 20, 0));
    EXPECT_EQ(client->read(64, 300), GetParam().expected);
    EXPECT_EQ(client->peerClosed(), GetParam().closes);
    if (GetParam().closes) return;
    // One use only: the next read is healthy.
    client->send(packet(161, 20, 0));
    EXPECT_EQ(client->read(11), packet(161, 20, 0x55));
}

Bytes firstBytes(Bytes bytes, size_t count) {
    bytes.resize(count);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimulatedSensorFaults,
    ::testing::Values(
        FaultReply{"Silence", Fault{FaultKind::Silence, 0, 1, 6, 1}, {}, false},
        FaultReply{"WrongAddress", Fault{FaultKind::WrongAddressEcho, 0, 1, 6, 1}, concat(packet(161, 21, 0), "END\r\n"),
                   false},
        FaultReply{"ShortEcho", Fault{FaultKind::ShortEcho, 0, 1, 4, 1}, firstBytes(packet(161, 20, 0), 4), false},
        FaultReply{"Close", Fault{FaultKind::CloseConnection, 0, 1, 6, 1}, {}, true},
        FaultReply{"Delay", Fault{FaultKind::Delay, 100, 1, 6, 1}, packet(161, 20, 0x55), false},
        FaultReply{"Split", Fault{FaultKind::SplitReply, 10, 4, 6, 1}, packet(161, 20, 0x55), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatedSensor, SecondSensorCannotTakeTheSameAddressAndPort) {
    SimSensor other(options);
    EXPECT_FALSE(other.start());
    EXPECT_FALSE(other.running());
    EXPECT_TRUE(sensor->running());
}

TEST_F(SimulatedSensor, StopEndsOpenConnectionsAndCanStartAgain) {
    client->send(packet(161, 1, 0));
    ASSERT_EQ(client->read(11).size(), 11u);
    sensor->stop();
    client->read(1, 500);
    EXPECT_TRUE(client->peerClosed());
    ASSERT_TRUE(sensor->start());
    RawClient again(options.address, options.commandPort);
    ASSERT_TRUE(again.connected());
    again.send(packet(161, 1, 0));
    EXPECT_EQ(again.read(11).size(), 11u);
    EXPECT_EQ(sensor->acceptedConnections(), 2u);
}

}  // namespace
