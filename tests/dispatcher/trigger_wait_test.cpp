#include <gtest/gtest.h>

#include "sensor_interface/settings/setting_dispatcher_rules.h"
#include "tests/dispatcher/fake_setting_transport.h"

using namespace dispatcher_test;

namespace {

using Fixture = DispatcherOnFake;

TEST(TriggerCount, SmallStepsAdvanceByOneLargeJumpsAreTaken) {
    using setting_rules::nextTriggerCount;
    EXPECT_EQ(nextTriggerCount(10, 11), 11);
    EXPECT_EQ(nextTriggerCount(10, 12), 11);
    EXPECT_EQ(nextTriggerCount(10, 13), 11);
    EXPECT_EQ(nextTriggerCount(10, 14), 14);
    EXPECT_EQ(nextTriggerCount(10, 20), 20);
    EXPECT_EQ(nextTriggerCount(10, 5), 5) << "a counter that went back is taken as it is";
}

TEST(TriggerWait, FirstCallLearnsTheCounterThenWaitsForAMove) {
    Fixture f;
    f.sensor.triggerCounterReads = {10, 10, 10, 12};
    int count = -1;
    EXPECT_EQ(f.dispatcher.waitTriggerCount(0, &count), HVQ5_RC_OK);
    EXPECT_EQ(count, 11);
    EXPECT_EQ(f.sensor.trigger, 11);
    EXPECT_EQ(f.clock.sleeps, (std::vector<int>{20, 20, 20, 20, 20}));
}

TEST(TriggerWait, AJumpIsTakenAsIs) {
    Fixture f;
    f.sensor.trigger = 10;
    f.sensor.triggerCounterReads = {20};
    int count = -1;
    EXPECT_EQ(f.dispatcher.waitTriggerCount(100, &count), HVQ5_RC_OK);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(f.sensor.log.size(), 1u) << "a known counter is not read first";
}

TEST(TriggerWait, CountMayBeNull) {
    Fixture f;
    f.sensor.trigger = 3;
    f.sensor.triggerCounterReads = {4};
    EXPECT_EQ(f.dispatcher.waitTriggerCount(100, nullptr), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.trigger, 4);
}

TEST(TriggerWait, TimesOutWhenTheCounterStands) {
    Fixture f;
    f.sensor.trigger = 10;
    f.sensor.registers[294] = 10;
    EXPECT_EQ(f.dispatcher.waitTriggerCount(100, nullptr), HVQ5_RC_TIMEOUT);
    // 20 ms before the first read, then 40 ms per further read until 100 ms.
    EXPECT_EQ(f.clock.now - 1000, 100);
    EXPECT_EQ(f.sensor.trigger, 10);
}

TEST(TriggerWait, UnreadableCounterIsReportedAs1001) {
    Fixture f;
    f.sensor.failingReads[294] = HVQ5_RC_TIMEOUT;
    EXPECT_EQ(f.dispatcher.waitTriggerCount(100, nullptr), HVQ5_RC_NO_SOCKET);
    f.sensor.trigger = 1;
    EXPECT_EQ(f.dispatcher.waitTriggerCount(100, nullptr), HVQ5_RC_NO_SOCKET);
}

}  // namespace
