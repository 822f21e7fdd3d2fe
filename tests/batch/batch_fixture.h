#pragma once
// A receiver with its sensor's command half, against a simulated sensor that
// streams whole batches; records every delivery.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/data_channel/batch_records.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/profile_processor.h"
#include "tests/data_channel/recording_log.h"
#include "tests/support/loopback_address.h"
#include "tests/support/temp_dir.h"
#include "tests/support/waitable_list.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace batch_test {

// What the installed batch handler saw, copied during the call.
struct Delivery {
    HVQ5_2_STR_CALLBACK_INFO info{};
    _HVQ5_2_Data data{};
    uint32_t notifyCode = 0;
    int profileCount = 0;               // count output of the profile pointer getter
    std::vector<uint32_t> encoders;     // the whole encoder buffer
    long encoderSkip = 0;               // where the encoder pointer points into it
    std::vector<int32_t> firstProfile;  // the first row the profile pointer shows
};

using DeliveryRecorder = mirevo::test::WaitableList<Delivery>;

class BatchFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 64;     // extended output width (register 752)
    static constexpr int kPoints = 200;   // camera columns per frame on the wire

    // Every test gets its own loopback address.
    void startSensor() {
        const std::string address = mirevo::test::loopbackAddressForTest(81);
        sensor_sim::SimOptions options;
        options.address = address;
        sensor_ = std::make_unique<sensor_sim::SimSensor>(options);
        channel_ = std::make_shared<sensor_sim::DataChannelService>();
        streamer_ = std::make_shared<sensor_sim::BatchStreamer>(channel_);
        sensor_->addService(channel_);
        sensor_->addService(streamer_);
        ASSERT_TRUE(sensor_->start());

        controller_.laserParams.model[2] = '5';  // raw values, not fixed-point rows
        controller_.settings().set_regvals(752, kWidth);
        controller_.processor = std::make_shared<ProfileProcessor>(2048, 4096, 2.0);
        controller_.processor->bind(&controller_.settings(), &controller_.laserParams);
        ASSERT_TRUE(controller_.connect(1, address, 7));

        receiver_.setOneTimeHandlerObject([this](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
            Delivery d;
            d.info = *info;
            d.data = *data;
            d.notifyCode = receiver_.lastNotifyCode();
            const int32_t* profiles = receiver_.profilePointer(&d.profileCount);
            if (d.profileCount > 0 && profiles) d.firstProfile.assign(profiles, profiles + info->width);
            // The count is the buffer's total, wherever the pointer starts.
            int encoders = 0;
            const uint32_t* encoder = receiver_.encoderPointer(&encoders);
            const uint32_t* base = receiver_.batchBuffers().encoders(0).data;
            d.encoderSkip = encoder - base;
            if (encoders > 0) d.encoders.assign(base, base + encoders);
            recorder_.add(std::move(d));
        });
        ASSERT_EQ(receiver_.start(1, address, 9, 0, &controller_), 0);
        ASSERT_TRUE(channel_->waitForConnection(1, 5000));
    }

    sensor_sim::BatchPlan plan(int framesPerBatch, int frames = -1) const {
        sensor_sim::BatchPlan p;
        p.info.framesPerBatch = static_cast<uint16_t>(framesPerBatch);
        p.info.xPitch = 2000;
        p.info.intensity = true;
        p.info.points = kPoints;
        p.frames = frames;
        return p;
    }

    void stream(const sensor_sim::BatchPlan& p) {
        streamer_->setPlan(p);
        streamer_->startStream();
    }

    HVQ5_2_EXTEND& extend() { return *controller_.settings().get_sdk_extend(); }

    void TearDown() override {
        receiver_.stop();
        if (streamer_) streamer_->stop();
        if (sensor_) sensor_->stop();
    }

    mirevo::test::TempDir folder_;
    mirevo::test::ScopedWorkingDir inFolder_{folder_.path()};
    std::unique_ptr<sensor_sim::SimSensor> sensor_;
    std::shared_ptr<sensor_sim::DataChannelService> channel_;
    std::shared_ptr<sensor_sim::BatchStreamer> streamer_;
    std::shared_ptr<data_channel_test::RecordingLog> log_ = std::make_shared<data_channel_test::RecordingLog>();
    DeliveryRecorder recorder_;
    SensorController controller_;
    ProfileReceiver receiver_{log_};
};

}  // namespace batch_test
