#include "sensor_interface/data_channel/data_channel_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "tests/data_channel/recording_log.h"
#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/data_messages.h"

using namespace data_channel;
using data_channel_test::RecordingLog;
using sensor_sim::Bytes;

namespace {

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

size_t countStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

class DataChannelReaderTest : public ::testing::Test {
protected:
    void connectAt(const std::string& address) {
        ASSERT_TRUE(sensor_.start(address, 9));
        ASSERT_EQ(client_->connect(address, 9), 0);
        ASSERT_TRUE(sensor_.waitForConnection(1, 5000));
        run_.start();
        reader_ = std::thread([this] { DataChannelReader(3, client_, queue_, connection_, run_, log_).run(); });
    }

    void TearDown() override {
        run_.stop();
        connection_.release();
        if (reader_.joinable()) reader_.join();
        client_->close(true);
        sensor_.stop();
    }

    std::string pop(int timeoutMs = 5000) { return text(queue_.pop(timeoutMs)); }

    sensor_sim::DataChannelService sensor_;
    std::shared_ptr<linelaser_client> client_ = std::make_shared<linelaser_client>();
    MessageQueue queue_;
    ConnectionState connection_;
    RunSignal run_;
    RecordingLog log_;
    std::thread reader_;
};

}  // namespace

TEST_F(DataChannelReaderTest, HeartbeatInTheMiddleOfABurstIsDropped) {
    connectAt("127.62.0.1");
    Bytes burst = sensor_sim::encodeBatchStart();
    sensor_sim::append(burst, sensor_sim::encodeHeartbeat('t'));
    sensor_sim::append(burst, sensor_sim::encodeTick(42));
    sensor_sim::append(burst, sensor_sim::encodeHeartbeat('?'));
    sensor_sim::append(burst, sensor_sim::encodeBatchStop());
    ASSERT_TRUE(sensor_.send(burst));

    EXPECT_EQ(pop(), "MESSTA,OK,end\r\n");
    EXPECT_EQ(pop(), text(sensor_sim::encodeTick(42)));
    EXPECT_EQ(pop(), "MESSTP,OK,end\r\n");
    EXPECT_EQ(queue_.count(), 0u);
}

TEST_F(DataChannelReaderTest, ByteByByteDeliveryGivesTheSameMessages) {
    connectAt("127.62.0.2");
    sensor_sim::DataInfo info;
    info.points = 16;
    info.framesPerBatch = 2;
    info.wideValues = true;
    const Bytes batch = sensor_sim::encodeBatch(info, 1, 2);
    ASSERT_TRUE(sensor_.sendInPieces(batch, 1, 0));

    std::string joined;
    for (int i = 0; i < 7; ++i) joined += pop();  // info, start, frame, tick, frame, tick, stop
    EXPECT_EQ(joined, text(batch));
}

TEST_F(DataChannelReaderTest, SensorClosingTheConnectionIsLoggedOnceAndStreamingResumes) {
    connectAt("127.62.0.3");
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStart()));
    ASSERT_EQ(pop(), "MESSTA,OK,end\r\n");
    ASSERT_TRUE(sensor_.send(Bytes{'a', 'l', 'g', 'd', 'a', 't', '1', ',', 1, 2, 3}));  // cut short
    sensor_.closeConnection();

    ASSERT_TRUE(log_.waitForLine("0:reconnected[3] successfully(0)"));
    ASSERT_TRUE(sensor_.waitForConnection(2, 5000));
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStop()));
    EXPECT_EQ(pop(), "MESSTP,OK,end\r\n");  // the partial frame is gone

    const std::vector<std::string> lines = log_.lines();
    EXPECT_EQ(countStarting(lines, "0:received close[3] from controller"), 1u);
    EXPECT_EQ(countStarting(lines, "0:reconnecting[3]..."), 1u);
    EXPECT_EQ(log_.reconnections(), std::vector<std::string>{"reconnecting[3]..."});
    EXPECT_EQ(log_.dumps(), 1);
    EXPECT_TRUE(connection_.connected());
}

TEST_F(DataChannelReaderTest, RefusedReconnectsAreCountedInTheReconnectedLine) {
    connectAt("127.62.0.4");
    if (!sensor_.refuseConnections(2)) GTEST_SKIP() << "counting refused connects needs CAP_NET_RAW";
    const std::string reconnected = log_.waitForLineStarting("0:reconnected[3] successfully(");
    ASSERT_FALSE(reconnected.empty()) << joined(log_.lines());
    // A loaded machine can run a third try before the sensor listens again:
    // the line counts every refusal the sensor made.
    ASSERT_TRUE(sensor_.waitRefusalOver(5000));
    EXPECT_GE(sensor_.refusedAttempts(), 2);
    EXPECT_EQ(reconnected, "0:reconnected[3] successfully(" + std::to_string(sensor_.refusedAttempts()) + ")")
        << joined(log_.lines());
    EXPECT_EQ(log_.reconnections(), std::vector<std::string>{"reconnecting[3]..."});
    ASSERT_TRUE(sensor_.waitForConnection(2, 5000));
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStart()));
    EXPECT_EQ(pop(), "MESSTA,OK,end\r\n");
}

TEST_F(DataChannelReaderTest, ReconnectRequestedByTheConsumerNamesTheReason) {
    connectAt("127.62.0.5");
    connection_.requestReconnect();
    EXPECT_TRUE(connection_.waitReconnected());
    EXPECT_EQ(log_.reconnections(), std::vector<std::string>{"reconnecting[3] for callback..."});
    EXPECT_TRUE(log_.waitForLine("0:reconnected[3] successfully(0)"));
    ASSERT_TRUE(sensor_.waitForConnection(2, 5000));
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStop()));
    EXPECT_EQ(pop(), "MESSTP,OK,end\r\n");
}

TEST_F(DataChannelReaderTest, SilenceIsNeitherLoggedNorALoss) {
    connectAt("127.62.0.6");
    // Longer than two receive time-outs.
    std::this_thread::sleep_for(std::chrono::milliseconds(450));
    EXPECT_TRUE(log_.lines().empty());
    EXPECT_TRUE(log_.reconnections().empty());
    EXPECT_EQ(sensor_.acceptedConnections(), 1u);
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStart()));
    EXPECT_EQ(pop(), "MESSTA,OK,end\r\n");
}

TEST_F(DataChannelReaderTest, PeriodicHeartbeatsNeverReachTheQueue) {
    connectAt("127.62.0.7");
    sensor_.setHeartbeatInterval(10);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStop()));
    EXPECT_EQ(pop(), "MESSTP,OK,end\r\n");
    sensor_.setHeartbeatInterval(0);
    EXPECT_TRUE(queue_.pop(50).empty());
}
