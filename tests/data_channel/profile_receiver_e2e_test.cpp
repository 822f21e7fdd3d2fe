#include "sensor_interface/data_channel/profile_receiver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/data_channel/recording_log.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/data_messages.h"

using data_channel_test::RecordingLog;

namespace {

class ProfileReceiverTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingLog> log_ = std::make_shared<RecordingLog>();
    sensor_sim::DataChannelService sensor_;
};

}  // namespace

TEST_F(ProfileReceiverTest, StartWithoutSensorFailsWithoutThreads) {
    ProfileReceiver receiver(log_);
    EXPECT_EQ(receiver.start(5, "127.63.0.1", 9, 0, nullptr), ProfileReceiver::kConnectFailed);
    EXPECT_EQ(log_->lines(), std::vector<std::string>{"0:connect[5] to 127.63.0.1:9 failed"});
    EXPECT_FALSE(receiver.isConnected());
    EXPECT_EQ(receiver.stop(), 0);
}

TEST_F(ProfileReceiverTest, FailureLineNamesPortNineWhateverPortWasAsked) {
    ProfileReceiver receiver(log_);
    EXPECT_EQ(receiver.start(6, "127.63.0.2", 4321, 0, nullptr), ProfileReceiver::kConnectFailed);
    EXPECT_EQ(log_->lines(), std::vector<std::string>{"0:connect[6] to 127.63.0.2:9 failed"});
}

TEST_F(ProfileReceiverTest, StartsReceivesAndStopsWhileIdle) {
    ASSERT_TRUE(sensor_.start("127.63.0.3", 9));
    ProfileReceiver receiver(log_);
    ASSERT_EQ(receiver.start(7, "127.63.0.3", 9, 11, nullptr), 0);
    EXPECT_EQ(receiver.deviceId(), 7);
    EXPECT_EQ(receiver.userValue(), 11);
    EXPECT_TRUE(receiver.isConnected());
    ASSERT_TRUE(sensor_.waitForConnection(1, 5000));
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStart()));
    // The consumer thread takes the message off the queue.
    EXPECT_TRUE(log_->waitForLine("1:received start[7]"));

    EXPECT_EQ(receiver.stop(), 0);
    EXPECT_FALSE(receiver.isConnected());
    EXPECT_TRUE(sensor_.waitForDisconnect(5000));
}

TEST_F(ProfileReceiverTest, StopReturnsWhileReconnecting) {
    ASSERT_TRUE(sensor_.start("127.63.0.4", 9));
    ProfileReceiver receiver(log_);
    ASSERT_EQ(receiver.start(8, "127.63.0.4", 9, 0, nullptr), 0);
    ASSERT_TRUE(sensor_.waitForConnection(1, 5000));
    sensor_.stop();  // the sensor goes away for good: every reconnect is refused
    ASSERT_TRUE(log_->waitForLine("0:reconnecting[8]..."));
    EXPECT_EQ(receiver.stop(), 0);
    EXPECT_FALSE(receiver.isConnected());
}

TEST_F(ProfileReceiverTest, RestartAfterAStopWhileReconnectingIsConnected) {
    ASSERT_TRUE(sensor_.start("127.63.0.7", 9));
    ProfileReceiver receiver(log_);
    ASSERT_EQ(receiver.start(13, "127.63.0.7", 9, 0, nullptr), 0);
    ASSERT_TRUE(sensor_.waitForConnection(1, 5000));
    sensor_.stop();
    ASSERT_TRUE(log_->waitForLine("0:reconnecting[13]..."));
    receiver.stop();

    ASSERT_TRUE(sensor_.start("127.63.0.7", 9));
    ASSERT_EQ(receiver.start(13, "127.63.0.7", 9, 0, nullptr), 0);
    EXPECT_TRUE(receiver.connection().connected());
    EXPECT_TRUE(receiver.connection().waitReconnected());
    receiver.stop();
}

TEST_F(ProfileReceiverTest, CanBeStartedAgainAndDestroyedWhileRunning) {
    ASSERT_TRUE(sensor_.start("127.63.0.5", 9));
    auto receiver = std::make_unique<ProfileReceiver>(log_);
    ASSERT_EQ(receiver->start(9, "127.63.0.5", 9, 0, nullptr), 0);
    ASSERT_EQ(receiver->start(9, "127.63.0.5", 9, 0, nullptr), 0);  // a running receiver is stopped first
    ASSERT_TRUE(sensor_.waitForConnection(2, 5000));
    ASSERT_TRUE(sensor_.send(sensor_sim::encodeBatchStop()));
    EXPECT_NE(log_->waitForLineStarting("1:received stop[9]"), "");
    receiver.reset();  // joins its threads
    EXPECT_TRUE(sensor_.waitForDisconnect(5000));
}

TEST_F(ProfileReceiverTest, InfoMessageSetsTheFrameRules) {
    ProfileReceiver receiver(log_);
    EXPECT_EQ(receiver.expectedFrameLength(), 46u);
    sensor_sim::DataInfo info;
    info.points = 100;
    info.wideValues = true;
    info.firstColumn = 10;
    const sensor_sim::Bytes message = sensor_sim::encodeInfo(info);
    EXPECT_FALSE(receiver.parseInfo(message.data(), 51));
    EXPECT_EQ(receiver.info().horizon_length, 0);
    ASSERT_TRUE(receiver.parseInfo(message.data(), message.size()));
    EXPECT_EQ(receiver.expectedFrameLength(), 446u);
    EXPECT_TRUE(receiver.isValidFrame(446, 8, 2048));
    EXPECT_FALSE(receiver.isValidFrame(446, 8, 109));
}

TEST_F(ProfileReceiverTest, LossGoesIntoTheReconnectionFileOnce) {
    mirevo::test::TempDir folder;
    mirevo::test::ScopedWorkingDir inFolder(folder.path());
    std::filesystem::create_directory(folder.path() / "zpsdk");
    ASSERT_TRUE(sensor_.start("127.63.0.6", 9));
    ProfileReceiver receiver;  // reports to the process run log
    ASSERT_EQ(receiver.start(12, "127.63.0.6", 9, 0, nullptr), 0);
    ASSERT_TRUE(sensor_.waitForConnection(1, 5000));
    sensor_.closeConnection();
    ASSERT_TRUE(sensor_.waitForConnection(2, 5000));
    receiver.stop();

    std::ifstream file(folder.path() / "zpsdk" / "reconnection_info.txt", std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string expectedEnd = "]reconnecting[12]...\r\n";
    ASSERT_GE(content.size(), expectedEnd.size());
    EXPECT_EQ(content.substr(content.size() - expectedEnd.size()), expectedEnd);
    EXPECT_EQ(content.find('['), 0u);
    EXPECT_EQ(content.find("\r\n"), content.size() - 2);  // one line
}
