// The data channel as a service of the whole simulated sensor.
#include <gtest/gtest.h>

#include <memory>

#include "sensor_interface/data_channel/linelaser_client.h"
#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/sim_sensor.h"

TEST(SimSensorDataChannel, ServesPortNineWhileTheSensorRuns) {
    sensor_sim::SimOptions options;
    options.address = "127.62.1.1";
    sensor_sim::SimSensor sensor(options);
    auto dataChannel = std::make_shared<sensor_sim::DataChannelService>();
    sensor.addService(dataChannel);
    ASSERT_TRUE(sensor.start());

    data_channel::linelaser_client client;
    ASSERT_EQ(client.connect("127.62.1.1", 9), 0);
    ASSERT_TRUE(dataChannel->waitForConnection(1, 5000));
    ASSERT_TRUE(dataChannel->send(sensor_sim::encodeBatchStart()));
    char buffer[64];
    EXPECT_EQ(client.receive(buffer, sizeof buffer), 15);

    sensor.stop();
    EXPECT_EQ(client.receive(buffer, sizeof buffer), 0);
    EXPECT_NE(client.connect("127.62.1.1", 9), 0);
}
