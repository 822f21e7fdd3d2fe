#include "sensor_interface/data_channel/linelaser_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "platform/clock.h"
#include "tests/data_channel/loopback_listener.h"

using data_channel::linelaser_client;
using data_channel_test::LoopbackListener;

namespace {

std::atomic<int64_t> fakeNow{1'000'000'000};
int64_t fakeClock() { return fakeNow.load(); }

class FakeClock {
public:
    FakeClock() { mirevo::platform::set_monotonic_source_for_testing(&fakeClock); }
    ~FakeClock() { mirevo::platform::set_monotonic_source_for_testing(nullptr); }
    void advanceMs(int64_t ms) { fakeNow += ms * 1'000'000; }
};

}  // namespace

TEST(LinelaserClient, ConnectsAndReceives) {
    LoopbackListener listener("127.61.0.1", 9);
    ASSERT_TRUE(listener.ok());
    linelaser_client client;
    ASSERT_EQ(client.connect("127.61.0.1", 9), 0);
    EXPECT_TRUE(client.isValid());
    const int peer = listener.accept();
    ASSERT_GE(peer, 0);
    ASSERT_EQ(::send(peer, "hello", 5, 0), 5);
    char buffer[16] = {};
    EXPECT_EQ(client.receive(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::memcmp(buffer, "hello", 5), 0);
}

TEST(LinelaserClient, RefusedConnectFailsAndKeepsTheSocketUntilClose) {
    linelaser_client client;
    EXPECT_EQ(client.connect("127.61.0.2", 9), linelaser_client::kConnectFailed);
    EXPECT_TRUE(client.isValid());  // the failed socket stays in the current slot
    client.close(true);
    EXPECT_FALSE(client.isValid());
    char buffer[4];
    EXPECT_EQ(client.receive(buffer, sizeof buffer), -1);
}

TEST(LinelaserClient, ReceiveReportsPeerCloseAsZeroAndSilenceAsTransientError) {
    LoopbackListener listener("127.61.0.3", 9);
    ASSERT_TRUE(listener.ok());
    linelaser_client client;
    ASSERT_EQ(client.connect("127.61.0.3", 9), 0);
    const int peer = listener.accept();
    ASSERT_GE(peer, 0);
    char buffer[16];
    EXPECT_EQ(client.receive(buffer, sizeof buffer), -1);  // nothing within the 200 ms receive time-out
    EXPECT_TRUE(data_channel::isTransientReceiveError(client.lastError()));
    ::shutdown(peer, SHUT_RDWR);
    EXPECT_EQ(client.receive(buffer, sizeof buffer), 0);
}

TEST(LinelaserClient, ReconnectWithoutStoredAddressFails) {
    linelaser_client client;
    EXPECT_EQ(client.reconnect(0), -1);
}

TEST(LinelaserClient, ReconnectUsesTheStoredAddress) {
    LoopbackListener listener("127.61.0.4", 9);
    ASSERT_TRUE(listener.ok());
    linelaser_client client;
    ASSERT_EQ(client.connect("127.61.0.4", 9), 0);
    client.close(true);
    EXPECT_EQ(client.reconnect(1), 0);
    EXPECT_TRUE(client.isValid());
}

TEST(LinelaserClient, DeferredClosesCloseTheOldSocketAtTheNextCloseOrAfterHalfASecond) {
    FakeClock clock;
    LoopbackListener listener("127.61.0.5", 9);
    ASSERT_TRUE(listener.ok());
    linelaser_client client;
    int peers[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(client.connect("127.61.0.5", 9), 0);
        peers[i] = listener.accept();
        ASSERT_GE(peers[i], 0);
        client.close(false);
        EXPECT_FALSE(client.isValid());
        EXPECT_FALSE(LoopbackListener::peerClosed(peers[i])) << "set aside, not closed: " << i;
        if (i > 0) EXPECT_TRUE(LoopbackListener::peerClosed(peers[i - 1], 1000)) << "closed by the next close: " << i;
    }
    clock.advanceMs(499);
    client.isValid();
    EXPECT_FALSE(LoopbackListener::peerClosed(peers[2]));
    clock.advanceMs(1);
    client.isValid();
    EXPECT_TRUE(LoopbackListener::peerClosed(peers[2], 1000));
}

TEST(LinelaserClient, ImmediateCloseClosesAtOnce) {
    LoopbackListener listener("127.61.0.6", 9);
    ASSERT_TRUE(listener.ok());
    linelaser_client client;
    ASSERT_EQ(client.connect("127.61.0.6", 9), 0);
    const int peer = listener.accept();
    ASSERT_GE(peer, 0);
    client.close(true);
    EXPECT_TRUE(LoopbackListener::peerClosed(peer, 1000));
}
