// A caller's first steps: search the network for sensors, then open the one
// found. The search broadcasts, so this program runs in a private network
// namespace (unshare -n); the sensor answers the search from a second
// namespace behind a veth pair, and is reached on this namespace's loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "sensor_interface/registry/hvq5_api.h"
#include "tests/acceptance/scene_sensor.h"
#include "tests/support/test_network.h"
#include "tools/sensor_sim/search_responder.h"

namespace acceptance {
namespace {

constexpr const char* kSensorAddress = "127.204.1.10";

class SearchAndOpen : public InterfaceTest {
protected:
    void SetUp() override {
        InterfaceTest::SetUp();
        std::string error;
        network_ = search_test::TestNetwork::create(&error);
        ASSERT_NE(network_, nullptr) << error;
        // Loopback starts down in a fresh namespace; the sensor's channels use it.
        ASSERT_EQ(std::system("ip link set lo up"), 0);
    }
    void TearDown() override {
        InterfaceTest::TearDown();
        network_.reset();
    }

    std::unique_ptr<search_test::TestNetwork> network_;
};

TEST_F(SearchAndOpen, TheSensorFoundByTheSearchIsOpened) {
    SceneSensors sensor(kSensorAddress, "ZP5160", 10);
    ASSERT_TRUE(sensor.start());
    sensor_sim::SearchResponderOptions options;
    options.heads = {{kSensorAddress, "ZP5160"}};
    options.networkNamespace = network_->sensorNamespace();
    sensor_sim::SearchResponder responder(options);
    ASSERT_TRUE(responder.start());

    int count = -1;
    const uint32_t* table = HVQ5_2_SearchOnline(&count, 1000);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(responder.requestsAnswered(), 1u);
    in_addr found{};
    found.s_addr = table[0];
    const std::string address = inet_ntoa(found);
    EXPECT_EQ(address, kSensorAddress);

    ASSERT_EQ(HVQ5_2_EthernetOpen(0, netAddress(address).ip), HVQ5_RC_OK);
    char model[16] = {};
    ASSERT_EQ(HVQ5_GetHeadModel(0, model), HVQ5_RC_OK);
    EXPECT_STREQ(model, "5160");
    EXPECT_EQ(HVQ5_2_ProfilePointSetCount(0), 10);
    EXPECT_EQ(HVQ5_2_CommClose(0), HVQ5_RC_OK);
    responder.stop();
}

}  // namespace
}  // namespace acceptance
