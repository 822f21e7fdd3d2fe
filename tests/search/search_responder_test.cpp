// The simulator's search answer, asked by unicast on loopback (no broadcast).
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/udp_socket.h"
#include "tools/sensor_sim/search_responder.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace plat = mirevo::platform;

namespace {

uint32_t ip(const char* text) {
    in_addr address{};
    inet_pton(AF_INET, text, &address);
    return address.s_addr;
}

std::vector<std::vector<uint8_t>> ask(const char* sensorAddress, uint8_t opcode, uint32_t reg,
                                      size_t expectedReplies) {
    plat::SocketHandle socket = plat::openUdpSocket();
    EXPECT_EQ(plat::bindUdp(socket, ip("127.20.10.99"), 0), 0);
    const uint8_t request[11] = {opcode, uint8_t(reg >> 24), uint8_t(reg >> 16), uint8_t(reg >> 8),
                                 uint8_t(reg), 0, 0, 0, 0, '\r', '\n'};
    EXPECT_EQ(plat::sendDatagram(socket, request, sizeof request, ip(sensorAddress), 20010), 11);
    std::vector<std::vector<uint8_t>> replies;
    while (replies.size() < expectedReplies && plat::waitReadable(socket, 2000)) {
        uint8_t buffer[64];
        const plat::Datagram datagram = plat::receiveDatagram(socket, buffer, sizeof buffer);
        if (datagram.size < 0) break;
        replies.emplace_back(buffer, buffer + datagram.size);
    }
    plat::closeSocket(socket);
    return replies;
}

}  // namespace

TEST(SearchResponderTest, AnswersEachHeadOnTheSensorsAddress) {
    sensor_sim::SimOptions options;
    options.address = "127.20.10.1";
    sensor_sim::SimSensor sensor(options);
    sensor_sim::SearchResponderOptions search;
    search.heads = {{"192.168.1.10", "ZP7160F"}, {"192.168.1.11", "ZP7160F"}};
    auto responder = std::make_shared<sensor_sim::SearchResponder>(search);
    sensor.addService(responder);
    ASSERT_TRUE(sensor.start());

    const auto replies = ask("127.20.10.1", 161, 167, 2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], sensor_sim::encodeSearchReply("192.168.1.10", "ZP7160F", 27));
    EXPECT_EQ(replies[1], sensor_sim::encodeSearchReply("192.168.1.11", "ZP7160F", 27));
    EXPECT_EQ(responder->requestsAnswered(), 1u);

    bool logged = false;
    for (const auto& packet : sensor.packetLog()) {
        logged = logged || (packet.channel == "search" && packet.opcode == 161 && packet.address == 167);
    }
    EXPECT_TRUE(logged);
    sensor.stop();
}

TEST(SearchResponderTest, IgnoresOtherRequests) {
    sensor_sim::SearchResponderOptions search;
    search.heads = {{"192.168.1.10", "ZP5160"}};
    search.bindAddress = "127.20.10.2";
    sensor_sim::SearchResponder responder(search);
    ASSERT_TRUE(responder.start());
    EXPECT_TRUE(ask("127.20.10.2", 160, 167, 0).empty());
    EXPECT_TRUE(ask("127.20.10.2", 161, 166, 0).empty());
    EXPECT_EQ(ask("127.20.10.2", 161, 167, 1).size(), 1u);
    EXPECT_EQ(responder.requestsAnswered(), 1u);
}
