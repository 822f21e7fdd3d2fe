// Opening the client against the simulator: the results of open, what it
// reads, and the link it leaves behind.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "sensor_interface/registry/device_functions.h"
#include "tests/support/qt/client_fixture.h"

using mirevo::test::ClientFixture;
using mirevo::test::ClientSensorOptions;

namespace {

class ClientOpenTest : public ClientFixture {
protected:
    bool openInSetUp() const override { return false; }
    ClientSensorOptions sensorOptions() const override { return options; }
    // Applies the options changed by the test.
    int openWithOptions() {
        restartSensor(options);
        return openClient();
    }

    int heartbeatReads() {
        int reads = 0;
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == 161 && (packet.address & 0xFFFF) == 0xFFFC) ++reads;
        return reads;
    }

    ClientSensorOptions options;
};

TEST_F(ClientOpenTest, AHealthyHeadOpensWithItsRangeAndPitchAndTheLinkRuns) {
    QSignalSpy opened(&client(), &LinelaserClient::signal_laser_conn);
    ASSERT_EQ(openClient(), 0);
    EXPECT_TRUE(client().connected);
    EXPECT_EQ(client().ip.toStdString(), sensor().address());
    EXPECT_EQ(client().port, 7);
    EXPECT_EQ(client().headModelText, "ZP5160");
    // Preset range: reference 50000, nearest 20000, farthest 80000 (x 256).
    EXPECT_DOUBLE_EQ(client().zUpperMm, 30.0);
    EXPECT_DOUBLE_EQ(client().zLowerMm, -30.0);
    EXPECT_DOUBLE_EQ(client().displayRange.viewMin, -30.0);
    EXPECT_DOUBLE_EQ(client().displayRange.view3dMax, 30.0);
    EXPECT_TRUE(waitUntil([&] { return opened.count() == 1; }));
    EXPECT_TRUE(waitUntil([&] { return heartbeatReads() >= 2; }));
    // The program's own connection is tagged.
    EXPECT_EQ(client().profilePointCount(), 4096);
}

TEST_F(ClientOpenTest, XValuesAreCentredOnZeroFromThePitch) {
    options.preset.model = "ZP6100";
    options.preset.xPitch285 = 266;
    ASSERT_EQ(openWithOptions(), 0);
    double x[6000];
    double z[6000];
    ASSERT_TRUE(client().copyProfile(x, z, 6000));
    EXPECT_NEAR(x[0], -7.97867, 1e-9);
    EXPECT_NEAR(x[5999], 7.97867, 1e-9);
    EXPECT_NEAR(client().halfWidthMm, 7.98, 1e-12);
    EXPECT_NEAR(client().xPitchMm, 0.00266, 1e-15);
}

TEST_F(ClientOpenTest, AHeaderVersionOfFFFFGives255WithTheLinkUp) {
    options.preset.firmware134 = 0xFFFF;
    QSignalSpy opened(&client(), &LinelaserClient::signal_laser_conn);
    EXPECT_EQ(openWithOptions(), 255);
    EXPECT_TRUE(client().connected);
    EXPECT_TRUE(waitUntil([&] { return opened.count() == 1; }));
    EXPECT_TRUE(waitUntil([&] { return heartbeatReads() >= 1; }));
}

TEST_F(ClientOpenTest, SettingsThatFailedToLoadGive254WithTheLinkUp) {
    options.knobs.loadStatus = 1;
    EXPECT_EQ(openWithOptions(), 254);
    EXPECT_TRUE(client().connected);
}

TEST_F(ClientOpenTest, AnIncompatibleFirmwareCombinationGives5AndClosesAgain) {
    options.preset.firmware134 = 0x501;
    options.preset.firmware135 = 0x424;
    QSignalSpy opened(&client(), &LinelaserClient::signal_laser_conn);
    EXPECT_EQ(openWithOptions(), 5);
    EXPECT_FALSE(client().connected);
    EXPECT_EQ(client().cachedRegister(149), -1);  // the sensor is closed
    // Nothing announces a link that is already gone again.
    ASSERT_TRUE(waitUntil([&] { return client().events.size() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(opened.count(), 0);
}

TEST_F(ClientOpenTest, TheNewestCompatibleFirmwareOpens) {
    options.preset.firmware134 = 0x501;
    options.preset.firmware135 = 0x423;
    EXPECT_EQ(openWithOptions(), 0);
    EXPECT_TRUE(client().connected);
}

TEST_F(ClientOpenTest, NoSensorAtTheAddressGives2) {
    sensor().stop();
    EXPECT_EQ(openClient(), 2);
    EXPECT_FALSE(client().connected);
}

TEST_F(ClientOpenTest, AnAddressOfThreeOrFivePartsGives2AndLeavesTheConnectionAlone) {
    ASSERT_EQ(openClient(), 0);
    sensor().clearPacketLog();
    EXPECT_EQ(openClient("127.0.0"), 2);
    EXPECT_EQ(openClient("127.0.0.1.1"), 2);
    EXPECT_TRUE(client().connected);
    EXPECT_NE(client().cachedRegister(149), -1);
    for (const auto& packet : sensor().packetLog())
        EXPECT_EQ(packet.address & 0xFFFF, 0xFFFCu) << "only heartbeats, no open: " << packet.address;
}

TEST_F(ClientOpenTest, ASecondOpenClosesTheFirstConnection) {
    ASSERT_EQ(openClient(), 0);
    const size_t before = sensor().head().acceptedConnections();
    ASSERT_EQ(openClient(), 0);
    EXPECT_TRUE(client().connected);
    EXPECT_GT(sensor().head().acceptedConnections(), before);
}

TEST_F(ClientOpenTest, CloseClearsTheLinkAndClosesTheSensor) {
    ASSERT_EQ(openClient(), 0);
    EXPECT_EQ(client().close(), 0);
    EXPECT_FALSE(client().connected);
    EXPECT_FALSE(client().heartbeatThread.joinable());
    EXPECT_EQ(client().cachedRegister(149), -1);
    EXPECT_EQ(client().events.size(), 0u);
}

// A part that is no number counts as 0, and every part keeps its low 8 bits.
class ClientOpenAddressTest : public ClientOpenTest {
protected:
    std::string sensorAddress() const override { return prefix() + lastOctet; }
    static std::string prefix() {
        const std::string full = addressForTest();
        return full.substr(0, full.rfind('.') + 1);
    }
    std::string lastOctet = "0";
};

TEST_F(ClientOpenAddressTest, APartThatIsNoNumberOpensAsZero) {
    EXPECT_EQ(openClient(prefix() + "x"), 0);
    EXPECT_TRUE(client().connected);
}

class ClientOpenWrappedAddressTest : public ClientOpenAddressTest {
protected:
    ClientOpenWrappedAddressTest() { lastOctet = "44"; }
};

TEST_F(ClientOpenWrappedAddressTest, APartOf300OpensByte44) {
    EXPECT_EQ(openClient(prefix() + "300"), 0);
    EXPECT_TRUE(client().connected);
}

}  // namespace
