// The processor of command-channel batch frames and the controller's processor.
#include <gtest/gtest.h>

#include <memory>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/processing/profile_processor.h"

namespace {

TEST(ProfileBatchFrameProcessor, AttachFailsWithoutAProcessor) {
    SensorController controller;
    ProfileBatchFrameProcessor frames(controller);
    EXPECT_FALSE(frames.attach());
    EXPECT_EQ(frames.columns(), 0);
}

// The open replaces the controller's processor while a block may be in
// progress: the attached one must stay alive until the next attach.
TEST(ProfileBatchFrameProcessor, KeepsItsProcessorWhenTheControllerReplacesIt) {
    SensorController controller;
    controller.replaceProcessor(std::make_shared<ProfileProcessor>(2048, 3200, 1.5625));
    ProfileBatchFrameProcessor frames(controller);
    ASSERT_TRUE(frames.attach());

    controller.replaceProcessor(std::make_shared<ProfileProcessor>(1024, 2048, 2.0));
    EXPECT_EQ(frames.columns(), 2048);

    ASSERT_TRUE(frames.attach());
    EXPECT_EQ(frames.columns(), 1024);
}

}  // namespace
