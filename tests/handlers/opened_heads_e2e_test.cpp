// The one-time handler on sensors opened by the open exports: a two-head
// sensor gets the merge unless it is the program's own connection.
#include <gtest/gtest.h>

#include "sensor_interface/registry/batch_handlers_api.h"
#include "tests/handlers/handlers_fixture.h"
#include "tests/open/open_fixture.h"

namespace handlers_test {
namespace {

constexpr int kArea = 118;

void ignoreBatch(const HVQ5_2_STR_CALLBACK_INFO*, _HVQ5_2_Data*) {}

sensor_sim::ModelPreset twoHeads() {
    sensor_sim::ModelPreset preset;
    preset.model = "ZP5160D";
    return preset;
}

class OpenedHeads : public open_test::OpenFixture {};

TEST_F(OpenedHeads, TwoHeadSensorOpenedWithoutTagInstallsTheMergeAndRestartsBothDataChannels) {
    sensor_sim::SimModelSensors sensor(open_test::testAddress(kArea), twoHeads());
    ASSERT_TRUE(sensor.start());
    ASSERT_EQ(HVQ5_2_EthernetOpen(0, open_test::netAddress(sensor.address(0)).ip), HVQ5_RC_OK);
    for (int head = 0; head < 2; ++head) ASSERT_TRUE(sensor.dataChannel(head)->waitForConnection(1, 5000));

    EXPECT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(0, ignoreBatch), HVQ5_RC_OK);
    EXPECT_TRUE(sdkManager().merge_thread.joinable());
    for (int head = 0; head < 2; ++head)
        EXPECT_TRUE(sensor.dataChannel(head)->waitForConnection(2, 5000)) << "restarted " << head;

    withinWatchdog("finalize with the merge waiting", [] { HVQ5_Finalize(); });
    EXPECT_FALSE(sdkManager().merge_thread.joinable());
}

TEST_F(OpenedHeads, TwoHeadSensorOfTheProgramsOwnConnectionStoresTheHandler) {
    sensor_sim::SimModelSensors sensor(open_test::testAddress(kArea), twoHeads());
    ASSERT_TRUE(sensor.start());
    const HVQ5_NET_ADDRESS own = open_test::netAddress(sensor.address(0), "QW");
    ASSERT_EQ(HVQ5_EthernetOpen(0, &own), HVQ5_RC_OK);
    ASSERT_TRUE(sensor.dataChannel(0)->waitForConnection(1, 5000));

    EXPECT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(0, ignoreBatch), HVQ5_RC_OK);
    EXPECT_FALSE(sdkManager().merge_thread.joinable());
    EXPECT_EQ(sensor.dataChannel(0)->acceptedConnections(), 1u) << "the data channel was left alone";
}

}  // namespace
}  // namespace handlers_test
