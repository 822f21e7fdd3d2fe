// The simulator's preset heads, opened through the exported functions with
// nothing set by the test, measure the scene: valid heights in a batch and in
// the live profile of a head that sends distance words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/registry/hvq5_api.h"
#include "tests/acceptance/batch_taker.h"
#include "tests/acceptance/scene_sensor.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_models.h"

namespace {

constexpr int kArea = 141;
constexpr int kId = 0;
constexpr int kColumns = 2048;
constexpr int kPoints = 4096;  // a series-'5' head: two points per column
constexpr int kCameraRows = 1024;

class DefaultHead : public acceptance::InterfaceTest {
protected:
    void startSensor(sensor_sim::OpenKnobs knobs = {}, const sensor_sim::ModelPreset& preset = {}) {
        sensors_ = std::make_unique<sensor_sim::SimModelSensors>(acceptance::testAddress(kArea), preset, knobs);
        ASSERT_TRUE(sensors_->start());
        ASSERT_EQ(sensors_->head(0).model().head().model, preset.model);
    }
    void open() {
        const HVQ5_NET_ADDRESS address = acceptance::netAddress(sensors_->address(0));
        ASSERT_EQ(HVQ5_EthernetOpen(kId, &address), HVQ5_RC_OK);
        ASSERT_TRUE(sensors_->dataChannel(0)->waitForConnection(1, 10000));
    }
    void TearDown() override {
        if (streamer_) streamer_->stop();
        acceptance::InterfaceTest::TearDown();
        streamer_.reset();
        sensors_.reset();
    }

    std::unique_ptr<sensor_sim::SimModelSensors> sensors_;
    std::shared_ptr<sensor_sim::BatchStreamer> streamer_;
};

TEST_F(DefaultHead, ABatchOfTheWholeCameraCarriesTheSceneHeights) {
    constexpr int kFrames = 5;
    const acceptance::SceneWindow wholeCamera{kColumns, 0};
    startSensor();
    // The data channel belongs to the simulated sensor, which outlives the streamer.
    std::shared_ptr<sensor_sim::DataChannelService> channel(sensors_->dataChannel(0),
                                                            [](sensor_sim::DataChannelService*) {});
    streamer_ = std::make_shared<sensor_sim::BatchStreamer>(channel);
    streamer_->setPlan(acceptance::scenePlan(kFrames, 7, wholeCamera));
    ASSERT_TRUE(streamer_->start(sensors_->head(0)));
    open();
    ASSERT_EQ(HVQ5_2_ProfileDataWidth(kId), kPoints);

    acceptance::BatchTaker taker(kId, kPoints, kFrames);
    taker.start();
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    const bool taken = taker.waitForBatches(1, 20000);
    taker.stop();
    ASSERT_TRUE(taken) << taker.error();

    const std::vector<acceptance::TakenBatch> batches = taker.batches();
    ASSERT_EQ(batches.size(), 1u);
    const std::vector<int32_t> expected = acceptance::sceneRow(wholeCamera);
    ASSERT_NE(expected[kPoints / 4], acceptance::kInvalidRow);
    ASSERT_NE(expected[3 * kPoints / 4], acceptance::kInvalidRow);
    for (int f = 0; f < kFrames; ++f) {
        const auto first = batches[0].profiles.begin() + static_cast<std::ptrdiff_t>(f) * kPoints;
        ASSERT_EQ(std::vector<int32_t>(first, first + kPoints), expected) << "frame " << f;
    }
}

TEST_F(DefaultHead, AFrameSourceGivesEveryFrameItsOwnHeightsAndIntensities) {
    constexpr int kFrames = 4;
    const acceptance::SceneWindow wholeCamera{kColumns, 0};
    startSensor();
    std::shared_ptr<sensor_sim::DataChannelService> channel(sensors_->dataChannel(0),
                                                            [](sensor_sim::DataChannelService*) {});
    streamer_ = std::make_shared<sensor_sim::BatchStreamer>(channel);
    sensor_sim::BatchPlan plan = acceptance::scenePlan(kFrames, 3, wholeCamera);
    // A ramp over the frames: frame f is 100 f codes above the reference
    // everywhere, with intensity 10 + f; one column without measurement.
    plan.frameSource = [](const sensor_sim::DataInfo& info, uint32_t, uint32_t frame) {
        sensor_sim::DataFrame out;
        out.values.assign(info.points, 0x8000u + 100u * frame);
        out.values[700] = 0;
        out.intensity.assign(info.points, static_cast<uint8_t>(10 + frame));
        return out;
    };
    streamer_->setPlan(plan);
    ASSERT_TRUE(streamer_->start(sensors_->head(0)));
    open();

    acceptance::BatchTaker taker(kId, kPoints, kFrames);
    taker.start();
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    const bool taken = taker.waitForBatches(1, 20000);
    taker.stop();
    ASSERT_TRUE(taken) << taker.error();
    const std::vector<acceptance::TakenBatch> batches = taker.batches();
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].batchNumber, 3);
    for (int f = 0; f < kFrames; ++f) {
        const size_t row = static_cast<size_t>(f) * kPoints;
        // Columns 96 and 1000 have gaps in the scene, none here.
        for (int column : {50, 96, 1000, 1800}) {
            EXPECT_EQ(batches[0].profiles[row + 2 * column], 100 * 100 * f) << "frame " << f << " column " << column;
            EXPECT_EQ(batches[0].intensity[row + 2 * column], 10 + f) << "frame " << f << " column " << column;
        }
        EXPECT_EQ(batches[0].profiles[row + 2 * 700], acceptance::kInvalidRow) << "frame " << f;
    }
}

// Heads of series '3' and '4' send the peak row of every column instead of a
// distance: the interface turns the rows into heights with its row table.
class PeakRowHead : public DefaultHead, public ::testing::WithParamInterface<const char*> {};

TEST_P(PeakRowHead, StreamsABatchOfTheSceneAsPeakRows) {
    constexpr int kFrames = 5;
    sensor_sim::ModelPreset preset;
    preset.model = GetParam();
    startSensor({}, preset);
    const sensor_sim::SimGeometry geometry = sensor_sim::simGeometry(preset.model);
    std::shared_ptr<sensor_sim::DataChannelService> channel(sensors_->dataChannel(0),
                                                            [](sensor_sim::DataChannelService*) {});
    streamer_ = std::make_shared<sensor_sim::BatchStreamer>(channel);
    streamer_->setPlan(acceptance::scenePlan(kFrames, 3, {geometry.columns, 0}));
    ASSERT_TRUE(streamer_->start(sensors_->head(0)));
    open();
    const int width = HVQ5_2_ProfileDataWidth(kId);
    ASSERT_GT(width, 0);

    acceptance::BatchTaker taker(kId, width, kFrames);
    taker.start();
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), HVQ5_RC_OK);
    const bool taken = taker.waitForBatches(1, 20000);
    taker.stop();
    ASSERT_TRUE(taken) << taker.error();
    const acceptance::TakenBatch batch = taker.batches().at(0);
    ASSERT_EQ(batch.batchNumber, 3);

    // The scene: a plane, a step over columns 1024 to 1535 (beyond the
    // camera of a series-'3' head), no peak in columns 100 to 103; every
    // frame the same.
    const double pointsPerColumn = static_cast<double>(width) / geometry.columns;
    auto at = [&](int column) { return batch.profiles[static_cast<size_t>(std::lround(column * pointsPerColumn))]; };
    const int32_t plane = at(500);
    ASSERT_NE(plane, acceptance::kInvalidRow);
    for (int column : {50, 300, 700, 800}) EXPECT_EQ(at(column), plane) << column;
    EXPECT_EQ(at(101), acceptance::kInvalidRow) << "a column without peak";
    if (geometry.columns > 1535) {
        const int32_t step = at(1200);
        ASSERT_NE(step, acceptance::kInvalidRow);
        EXPECT_NE(plane, step);
        for (int column : {1100, 1300, 1500}) EXPECT_EQ(at(column), step) << column;
    }
    for (int f = 1; f < kFrames; ++f) {
        const auto first = batch.profiles.begin() + static_cast<std::ptrdiff_t>(f) * width;
        EXPECT_TRUE(std::equal(first, first + width, batch.profiles.begin())) << "frame " << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Series, PeakRowHead, ::testing::Values("ZP3040", "ZP4040"));

TEST_F(DefaultHead, TheLiveProfileOfASeries5HeadShowsTheScene) {
    sensor_sim::OpenKnobs knobs;
    knobs.batchMode = 0;  // the live profile is read outside batch mode
    startSensor(knobs);
    open();

    std::vector<int32_t> profile(kPoints, 7);
    uint32_t encoder = 0;
    ASSERT_EQ(HVQ5_2_GetSingleProfile(kId, profile.data(), &encoder), HVQ5_RC_OK);

    // Point 2c lies on camera column c; the sensor measured the distance of
    // its peak row with its calibration, the height is the reference
    // distance (register 350 >> 8) minus that, x 100 in the profile.
    sensor_sim::SimSensor& head = sensors_->head(0);
    const double reference = head.reg(350) >> 8;
    auto heightOf = [&](int column) {
        const double distance = head.model().distanceAt(column, sensor_sim::scenePeakRow(column, kCameraRows));
        return static_cast<int32_t>(std::trunc((reference - distance) * 100.0));
    };
    const int32_t plane = heightOf(0);
    const int32_t step = heightOf(1024);
    ASSERT_NE(plane, step);
    for (int column : {50, 500, 1000, 1800, 2000}) EXPECT_EQ(profile[2 * column], plane) << column;
    for (int column : {1024, 1200, 1535}) EXPECT_EQ(profile[2 * column], step) << column;
    EXPECT_EQ(profile[2 * 101], acceptance::kInvalidRow) << "a column without peak";
}

}  // namespace
