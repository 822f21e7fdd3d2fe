// The socket layer's promises to the channels, on loopback.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/loopback_address.h"

namespace net = mirevo::platform;

namespace {

// A listening socket on the test's own loopback address and a free port.
class Listener {
public:
    explicit Listener(const std::string& address) : address_(address) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, address.c_str(), &local.sin_addr);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        ::listen(fd_, 4);
        socklen_t length = sizeof local;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
    }
    ~Listener() { ::close(fd_); }
    int accept() { return ::accept(fd_, nullptr, nullptr); }
    uint16_t port() const { return port_; }

private:
    std::string address_;
    int fd_ = -1;
    uint16_t port_ = 0;
};

TEST(PlatformSocket, RefusedConnectIsAFailureNotWritable) {
    const std::string address = mirevo::test::loopbackAddressForTest(24);
    uint16_t closedPort;
    {
        Listener probe(address);
        closedPort = probe.port();
    }
    net::SocketHandle socket = net::openTcpSocket();
    ASSERT_NE(socket, net::kNoSocket);
    EXPECT_FALSE(net::connectWithin(socket, address, closedPort, 200));
    EXPECT_NE(net::lastSocketError(), 0);
    net::closeSocket(socket);
    EXPECT_EQ(socket, net::kNoSocket);
    EXPECT_EQ(net::closeSocket(socket), 0) << "closing nothing is harmless";
}

TEST(PlatformSocket, BadAddressTextFails) {
    net::SocketHandle socket = net::openTcpSocket();
    EXPECT_FALSE(net::connectWithin(socket, "not-an-address", 7, 50));
    net::closeSocket(socket);
}

TEST(PlatformSocket, ReceiveReportsTimeoutDataAndClose) {
    const std::string address = mirevo::test::loopbackAddressForTest(24);
    Listener listener(address);
    net::SocketHandle socket = net::openTcpSocket();
    ASSERT_TRUE(net::connectWithin(socket, address, listener.port(), 200));
    int peer = listener.accept();
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(net::setReceiveTimeout(socket, 20));
    ASSERT_TRUE(net::setNoDelay(socket, true));
    ASSERT_TRUE(net::setReceiveBufferSize(socket, 0xC800000));

    uint8_t buffer[8];
    EXPECT_EQ(net::receiveSome(socket, buffer, sizeof buffer).status, net::IoStatus::TimedOut);
    EXPECT_EQ(net::receiveSome(socket, buffer, 0).status, net::IoStatus::TimedOut);

    ASSERT_EQ(::send(peer, "abc", 3, 0), 3);
    EXPECT_TRUE(net::waitReadable(socket, 500));
    net::IoResult got = net::receiveSome(socket, buffer, sizeof buffer);
    EXPECT_TRUE(got.ok());
    EXPECT_EQ(got.bytes, 3u);

    ::close(peer);
    EXPECT_EQ(net::receiveSome(socket, buffer, sizeof buffer).status, net::IoStatus::Closed);
    // Sending to a closed peer fails without a SIGPIPE ending the process.
    net::IoResult sent{};
    for (int i = 0; i < 20 && (i == 0 || sent.ok()); ++i) sent = net::sendAll(socket, "xyz", 3);
    EXPECT_EQ(sent.status, net::IoStatus::Failed);
    net::closeSocket(socket);
}

TEST(PlatformSocket, NoSocketFailsEveryCall) {
    uint8_t byte = 0;
    EXPECT_EQ(net::receiveSome(net::kNoSocket, &byte, 1).status, net::IoStatus::Failed);
    EXPECT_EQ(net::sendSome(net::kNoSocket, &byte, 1).status, net::IoStatus::Failed);
    EXPECT_FALSE(net::setReceiveTimeout(net::kNoSocket, 10));
}

}  // namespace
