// The chaos streamer under triggers that arrive on several command
// connections at once, as when a host reconnects its command channel while
// the old connection still delivers: every trigger streams its batch, one
// after the other, and nothing is torn down under a running stream.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <thread>
#include <vector>

#include "tests/support/loopback_address.h"
#include "tools/sensor_sim/sim_chaos.h"
#include "tools/sensor_sim/sim_models.h"
#include "tools/sensor_sim/sim_wire.h"

namespace {

using namespace sensor_sim;

// Connects, sends one register write and waits for its echo.
bool writeRegister(const std::string& address, uint16_t port, uint32_t reg, uint32_t value) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
    bool echoed = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) {
        const std::vector<uint8_t> packet = encodePacket(160, reg, value);
        if (::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(packet.size())) {
            uint8_t echo[11];
            size_t got = 0;
            pollfd pfd{fd, POLLIN, 0};
            while (got < sizeof echo && ::poll(&pfd, 1, 5000) > 0) {
                const ssize_t n = ::recv(fd, echo + got, sizeof echo - got, 0);
                if (n <= 0) break;
                got += static_cast<size_t>(n);
            }
            echoed = got == sizeof echo;
        }
    }
    ::close(fd);
    return echoed;
}

TEST(ChaosStreamer, TriggersOnSeveralConnectionsAtOnceStreamOneBatchEach) {
    const std::string address = mirevo::test::loopbackAddressForTest(24);
    SimModelSensors sensors(address);
    ASSERT_TRUE(sensors.start());
    ChaosOptions options;
    options.info.framesPerBatch = 3;
    options.info.points = 16;
    options.dataFaultPercent = 0;
    options.commandFaultPercent = 0;
    std::shared_ptr<DataChannelService> channel(sensors.dataChannel(0), [](DataChannelService*) {});
    auto chaos = std::make_shared<ChaosStreamer>(channel, options);
    ASSERT_TRUE(chaos->start(sensors.head(0)));

    constexpr int kRounds = 10;
    constexpr int kConnections = 6;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::thread> hosts;
        std::vector<char> echoed(kConnections, 0);
        for (int c = 0; c < kConnections; ++c)
            hosts.emplace_back([&, c] { echoed[static_cast<size_t>(c)] = writeRegister(address, 7, 141, 1); });
        for (std::thread& host : hosts) host.join();
        for (char e : echoed) EXPECT_TRUE(e);
    }
    EXPECT_TRUE(chaos->waitIdle(10000));
    const std::vector<ChaosBatch> batches = chaos->batches();
    ASSERT_EQ(batches.size(), static_cast<size_t>(kRounds * kConnections));
    for (size_t i = 0; i < batches.size(); ++i) EXPECT_EQ(batches[i].batchNumber, i + 1);
    chaos->stop();
    sensors.stop();
}

}  // namespace
