// The handler exports on a sensor opened in the process's registry, against
// a simulated sensor streaming batches of the scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <thread>

#include "sensor_interface/registry/batch_handlers_api.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tests/handlers/handlers_fixture.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace handlers_test {
namespace {

constexpr int kId = 0;
constexpr int kWidth = processor_test::kColumns;  // no extended width: as wide as the X region

// Plain-function receivers record here.
DeliveryLog g_callbacks;     // high-speed callback: profile rows, width, frames, user value
DeliveryLog g_otherCallback;
DeliveryLog g_oneTime;

void highSpeedCallback(int32_t* profiles, uint32_t width, uint32_t frames, uint32_t notify, int user) {
    Delivery d;
    d.info.width = static_cast<int32_t>(width);
    d.info.frames = static_cast<int32_t>(frames);
    d.info.incomplete = static_cast<int32_t>(notify);
    d.data.reserved = user;
    if (profiles) d.profile.assign(profiles, profiles + static_cast<size_t>(width) * frames);
    g_callbacks.add(std::move(d));
}

void otherCallback(int32_t*, uint32_t, uint32_t, uint32_t, int) { g_otherCallback.add({}); }

void oneTimeHandler(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
    Delivery d;
    d.info = *info;
    d.data = *data;
    g_oneTime.add(std::move(d));
}

// The rows a handler sees, from the device's profile getter.
std::vector<int32_t> currentRows(const HVQ5_2_STR_CALLBACK_INFO* info) {
    const std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(kId);
    int count = 0;
    const int32_t* rows = device ? device->receiver.profilePointer(&count) : nullptr;
    const size_t n = std::min<size_t>(static_cast<size_t>(count), static_cast<size_t>(info->width) * info->frames);
    return rows ? std::vector<int32_t>(rows, rows + n) : std::vector<int32_t>{};
}

size_t validCount(const std::vector<int32_t>& rows) {
    return static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [](int32_t v) { return v != kInvalidRow; }));
}

class HandlerExports : public HandlersTest {
protected:
    void SetUp() override {
        HVQ5_Finalize();
        for (DeliveryLog* log : {&g_callbacks, &g_otherCallback, &g_oneTime}) log->clear();
        sensor_ = mirevo::test::simulatorForTest(117);
        const sensor_sim::SimOptions& options = sensor_->options();
        channel_ = std::make_shared<sensor_sim::DataChannelService>();
        streamer_ = std::make_shared<sensor_sim::BatchStreamer>(channel_);
        sensor_->addService(channel_);
        sensor_->addService(streamer_);
        ASSERT_TRUE(sensor_->start());
        ASSERT_TRUE(sdkManager().connect(kId, options.address.c_str(), options.commandPort));
        device_ = sdkManager().find(kId);
        prepareHead(*device_, "ZP5160");
        // A head that keeps its feature word in a register (772), as newer heads do.
        device_->controller.settings().set_regvals(166, 900);
        ip_ = mirevo::test::ipv4Bytes(options.address);
    }
    void TearDown() override {
        device_.reset();
        withinWatchdog("finalize", [] { HVQ5_Finalize(); });
        sensor_.reset();
    }

    void startDataChannel(size_t connection = 1) {
        ASSERT_EQ(HVQ5_2_HighSpeedDataEthernetCommunicationInitalize(kId, ip_.data(), 9, highSpeedCallback, nullptr, 7),
                  HVQ5_RC_OK);
        ASSERT_TRUE(channel_->waitForConnection(connection, 5000));
    }
    void stream(int frames, int batches = 1) {
        sensor_sim::BatchPlan plan = scenePlan(frames);
        plan.batches = batches;
        streamer_->setPlan(plan);
        streamer_->startStream();
        ASSERT_TRUE(streamer_->waitIdle(20000));
    }

    std::unique_ptr<sensor_sim::SimSensor> sensor_;
    std::shared_ptr<sensor_sim::DataChannelService> channel_;
    std::shared_ptr<sensor_sim::BatchStreamer> streamer_;
    std::shared_ptr<tandrel_zp_clients> device_;
    std::array<uint8_t, 4> ip_{};
};

TEST_F(HandlerExports, HighSpeedStartKeepsItsCallbackWhenALaterStartFails) {
    startDataChannel();
    stream(5);
    ASSERT_TRUE(g_callbacks.waitFor(1));
    Delivery d = g_callbacks.items().front();
    EXPECT_EQ(d.info.width, kWidth);
    EXPECT_EQ(d.info.frames, 5);
    EXPECT_EQ(d.data.reserved, 7) << "the user value";

    const uint8_t nobody[4] = {127, 117, 255, 254};
    EXPECT_EQ(HVQ5_2_HighSpeedDataEthernetCommunicationInitalize(kId, nobody, 9, otherCallback, nullptr, 1),
              HVQ5_RC_OPEN_FAILED);
    EXPECT_EQ(HVQ5_2_HighSpeedDataEthernetCommunicationInitalize(kId, nullptr, 9, otherCallback, nullptr, 1),
              HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(HVQ5_2_HighSpeedDataEthernetCommunicationInitalize(5, ip_.data(), 9, otherCallback, nullptr, 1),
              HVQ5_RC_NOT_OPEN);

    ASSERT_EQ(device_->receiver.start(kId, sensor_->options().address, 9, 7, &device_->controller), 0);
    ASSERT_TRUE(channel_->waitForConnection(2, 5000));
    stream(5);
    ASSERT_TRUE(g_callbacks.waitFor(2));
    EXPECT_EQ(g_otherCallback.size(), 0u);
}

TEST_F(HandlerExports, CloudFilterKeepsTheExactInvalidMarkerAndWeldsWithValue8) {
    DeliveryLog seen;
    ASSERT_EQ(HVQ5_2_SetBatchOneTimeDataHandler_V2(kId, [&seen](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
                  Delivery d;
                  d.info = *info;
                  d.data = *data;
                  d.profile = currentRows(info);
                  seen.add(std::move(d));
              }),
              HVQ5_RC_OK);
    startDataChannel();
    stream(8);
    ASSERT_TRUE(seen.waitFor(1));
    const std::vector<int32_t> plain = seen.items()[0].profile;
    ASSERT_EQ(plain.size(), 8u * kWidth);
    ASSERT_GT(validCount(plain), 0u);
    ASSERT_LT(validCount(plain), plain.size());

    // Value 4: the round trip alone, which leaves these rows as they were.
    bool on = false;
    ASSERT_EQ(HVQ5_2_ENABLE_CLOUD_FILTER(kId, 4, true), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(kId, 8, &on), HVQ5_RC_OK);
    EXPECT_TRUE(on);
    stream(8);
    ASSERT_TRUE(seen.waitFor(2));
    EXPECT_EQ(seen.items()[1].profile, plain);

    // Value 8 welds: no row is full width and every height stands above the
    // surface by more than -1 um, so the seam's ends lose their points.
    device_->controller.settings().set_regvals(777, kWidth + 1);
    device_->controller.settings().set_regvals(779, 2);
    device_->controller.settings().set_regvals(785, static_cast<uint32_t>(-1));
    ASSERT_EQ(HVQ5_2_ENABLE_CLOUD_FILTER(kId, 8, true), HVQ5_RC_OK);
    stream(8);
    ASSERT_TRUE(seen.waitFor(3));
    const std::vector<int32_t> welded = seen.items()[2].profile;
    ASSERT_EQ(welded.size(), plain.size());
    EXPECT_LT(validCount(welded), validCount(plain));
    for (size_t i = 0; i < welded.size(); ++i)
        ASSERT_TRUE(welded[i] == plain[i] || welded[i] == kInvalidRow) << i << ": " << welded[i];

    ASSERT_EQ(HVQ5_2_ENABLE_CLOUD_FILTER(kId, 8, false), HVQ5_RC_OK);
    ASSERT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(kId, 8, &on), HVQ5_RC_OK);
    EXPECT_FALSE(on);
    stream(8);
    ASSERT_TRUE(seen.waitFor(4));
    EXPECT_EQ(seen.items()[3].profile, plain);
    EXPECT_EQ(HVQ5_2_ENABLE_CLOUD_FILTER(9, 8, true), HVQ5_RC_NOT_OPEN);
}

TEST_F(HandlerExports, OneTimeHandlerOfASingleHeadIsStoredDirectly) {
    EXPECT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(9, oneTimeHandler), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_2_SetBatchOneTimeDataHandler_V2(9, [](const HVQ5_2_STR_CALLBACK_INFO*, _HVQ5_2_Data*) {}),
              HVQ5_RC_NOT_OPEN);
    ASSERT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(kId, oneTimeHandler), HVQ5_RC_OK);
    EXPECT_FALSE(sdkManager().merge_thread.joinable());
    startDataChannel();
    stream(6);
    ASSERT_TRUE(g_oneTime.waitFor(1));
    EXPECT_EQ(g_oneTime.items().front().info.frames, 6);
    EXPECT_EQ(g_oneTime.items().front().data.device_id, kId);
}

TEST_F(HandlerExports, TwoHeadModelGetsTheMergeUnlessItIsTheProgramsOwnConnection) {
    std::memcpy(device_->controller.laserParams.model, "ZP5160D", 8);
    // Only one of its two ids is open: the merge cannot be installed.
    EXPECT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(kId, oneTimeHandler), HVQ5_RC_NOT_OPEN);
    EXPECT_FALSE(sdkManager().merge_thread.joinable());

    device_->controller.ownConnection = true;
    EXPECT_EQ(HVQ5_2_SetBatchOneTimeDataHandler(kId, oneTimeHandler), HVQ5_RC_OK);
    startDataChannel();
    stream(4);
    ASSERT_TRUE(g_oneTime.waitFor(1));
    EXPECT_FALSE(sdkManager().merge_thread.joinable());
}

TEST_F(HandlerExports, HandlersReplacedWhileBatchesAreDeliveredEachBatchReachesOne) {
    constexpr int kBatches = 40;
    std::atomic<int> first{0}, second{0};
    auto countFirst = [&first](const HVQ5_2_STR_CALLBACK_INFO*, _HVQ5_2_Data*) { ++first; };
    auto countSecond = [&second](const HVQ5_2_STR_CALLBACK_INFO*, _HVQ5_2_Data*) { ++second; };
    ASSERT_EQ(HVQ5_2_SetBatchOneTimeDataHandler_V2(kId, countFirst), HVQ5_RC_OK);
    startDataChannel();

    std::atomic<bool> replacing{true};
    std::thread replacer([&] {
        for (int round = 0; replacing; ++round) {
            HVQ5_2_SetBatchOneTimeDataHandler_V2(kId, round % 2 ? HVQ5_2_BatchHandlerObject(countFirst)
                                                                : HVQ5_2_BatchHandlerObject(countSecond));
            HVQ5_2_SetBatchOneTimeDataHandler(kId, round % 3 ? oneTimeHandler : nullptr);
            HVQ5_2_ENABLE_CLOUD_FILTER(kId, 4, round % 2 == 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    stream(5, kBatches);
    EXPECT_TRUE(device_->receiver.waitBatchState([&] { return first + second >= kBatches; }, 10000));
    replacing = false;
    replacer.join();
    EXPECT_EQ(first + second, kBatches) << "every batch reached exactly one installed function object";
}

}  // namespace
}  // namespace handlers_test
