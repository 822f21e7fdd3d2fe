// Reboots of the simulated sensor seen through the interface's own command
// channel: the controller goes away for its downtime and comes back, the
// laser head reboots behind it, and a held register is let go by a reboot.
#include "tools/sensor_sim/sim_reboot.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/simulated_sensor.h"

namespace {

constexpr int kDowntimeMs = 300;

class SimRebootTest : public mirevo::test::ConnectedSensorTest {
protected:
    SimRebootTest() : ConnectedSensorTest(161) {}

    void installServices(sensor_sim::SimSensor& sensor) override {
        sensor.setReg(134, 0x1a);
        reboot = sensor_sim::installReboot(sensor);
        reboot->setDowntimeMs(kDowntimeMs);
    }

    bool connectAgain(SensorController& other) {
        return other.connect(0, sim->options().address, sim->options().commandPort);
    }

    uint32_t read134(SensorController& on) {
        uint32_t value = 0;
        EXPECT_EQ(on.readRegister(134, value, SensorController::kRegisterReadWaitMs), 0);
        return value;
    }

    std::shared_ptr<sensor_sim::SimReboot> reboot;
};

TEST_F(SimRebootTest, ControllerRebootEchoesDropsRefusesThenListensAgain) {
    ASSERT_EQ(controller.writeRegister(227, 1), 0);
    EXPECT_EQ(reboot->controllerReboots(), 1);

    ASSERT_TRUE(reboot->waitUntilDown(2000));
    SensorController during;
    EXPECT_FALSE(connectAgain(during)) << "a rebooting controller accepts nothing";
    ASSERT_TRUE(reboot->waitForControllerReboots(1, 5000));
    uint32_t value = 0;
    EXPECT_NE(controller.readRegister(134, value, SensorController::kRegisterReadWaitMs), 0)
        << "the old connection was dropped";

    SensorController after;
    ASSERT_TRUE(connectAgain(after));
    EXPECT_EQ(read134(after), 0x1au);
    EXPECT_EQ(reboot->headReboots(), 0);
}

TEST_F(SimRebootTest, HeadRebootKeepsTheControllersConnection) {
    ASSERT_EQ(controller.writeRegister(239, 1), 0);
    EXPECT_EQ(reboot->headReboots(), 1);
    EXPECT_EQ(reboot->controllerReboots(), 0);
    EXPECT_EQ(read134(controller), 0x1au);
}

struct HoldCase {
    int reboots;            // the hold's reboot count
    int rebootsDone;        // controller reboots then made
    uint32_t expected;      // register 134 afterwards
};

class SimRebootHoldTest : public SimRebootTest, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(SimRebootHoldTest, HeldRegisterIsLetGoByTheNthReboot) {
    const HoldCase& c = GetParam();
    reboot->holdRegisterUntilReboot(134, 0xFFFF, c.reboots);
    EXPECT_EQ(read134(controller), 0xFFFFu);
    for (int i = 1; i <= c.rebootsDone; ++i) {
        SensorController link;
        ASSERT_TRUE(connectAgain(link));
        ASSERT_EQ(link.writeRegister(227, 1), 0);
        ASSERT_TRUE(reboot->waitForControllerReboots(i, 5000));
    }
    SensorController link;
    ASSERT_TRUE(connectAgain(link));
    EXPECT_EQ(read134(link), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Holds, SimRebootHoldTest,
                         ::testing::Values(HoldCase{1, 1, 0x1a}, HoldCase{2, 1, 0xFFFF}, HoldCase{2, 2, 0x1a},
                                           HoldCase{sensor_sim::SimReboot::kForever, 2, 0xFFFF}));

TEST_F(SimRebootTest, StoppingTheSensorEndsARebootWithoutComingBack) {
    ASSERT_EQ(controller.writeRegister(227, 1), 0);
    sim->stop();
    EXPECT_TRUE(reboot->waitForControllerReboots(1, 1000));
    EXPECT_FALSE(sim->running());
}

}  // namespace
