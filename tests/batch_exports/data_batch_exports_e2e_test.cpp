// The data-channel batch exports against a simulated sensor opened with the
// open export, whose data channel streams batches of the scene.
#include <gtest/gtest.h>

#include <vector>

#include "tests/batch_exports/batch_exports_fixture.h"

namespace batch_exports_test {
namespace {

constexpr int32_t kInvalid = -999900000;

// The scene's raw 16-bit words: 0x8000 on the plane, 0x8400 on the step. With
// the reference distance at code 0x8000 the plane is height 0 and the step
// 0x400 codes of 65536 / register 353 distance units each; rows carry x 100.
constexpr int32_t kPlaneRow = 0;
constexpr int32_t kStepRow = static_cast<int32_t>(0x400 * (65536.0 / OpenedSensor::kCodeStep) * 100.0);

// What one batch export copy brought.
struct Copy {
    int frames = 0;
    int batchNumber = -1;
    std::vector<int32_t> profiles;
    std::vector<uint8_t> intensity;
    std::vector<uint32_t> encoders, frameNumbers;
    std::vector<uint64_t> stamps;
};

class DataBatchExports : public OpenedSensor {
protected:
    int width() { return device->receiver.outputWidth(); }

    // A batch of `frames` frames (announcing framesPerBatch) triggered and delivered.
    void streamBatch(int framesPerBatch, int frames = -1) {
        streamer->setPlan(scenePlan(framesPerBatch, frames));
        ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), 0);
        waitForBatchEnd();
    }

    Copy take(int start, uint32_t maxFrames, size_t room) {
        Copy c;
        const size_t w = static_cast<size_t>(width());
        c.profiles.assign(room * w, 7);
        c.intensity.assign(room * w, 7);
        c.encoders.assign(room, 7);
        c.frameNumbers.assign(room, 7);
        c.stamps.assign(room, 7);
        c.frames = HVQ5_2_TakeBatchData(kId, nullptr, start, c.batchNumber, c.profiles.data(), c.intensity.data(),
                                        c.encoders.data(), c.frameNumbers.data(), nullptr, c.stamps.data(),
                                        maxFrames);
        return c;
    }
};

TEST_F(DataBatchExports, TriggeredBatchTakenByTheClientCopyCarriesTheScene) {
    open();
    streamBatch(20);
    ASSERT_EQ(HVQ5_2_ProfilePointCount(kId), 20);
    const int w = width();
    ASSERT_EQ(w, 4096);

    const Copy c = take(0, 10000, 20);
    ASSERT_EQ(c.frames, 20);
    EXPECT_EQ(c.batchNumber, 1);
    // 200 points from column 924 give 400 values from the row's start: the
    // plane over the first half, the step over the second, point 96 without
    // a measurement, and the resampling's edges invalid.
    for (int frame = 0; frame < 20; ++frame) {
        const int32_t* row = c.profiles.data() + frame * w;
        for (int j = 20; j < 190; ++j) ASSERT_EQ(row[j], kPlaneRow) << frame << ":" << j;
        for (int j = 202; j < 380; ++j) ASSERT_EQ(row[j], kStepRow) << frame << ":" << j;
        EXPECT_EQ(row[193], kInvalid) << "the scene's point 96 has no measurement";
        EXPECT_EQ(row[0], kInvalid);
        EXPECT_EQ(c.intensity[frame * w + 40], 120) << "intensity 100 + point % 100";
        EXPECT_EQ(c.intensity[frame * w + 300], 150);
        EXPECT_EQ(c.encoders[frame], 10u * frame);
        EXPECT_EQ(c.frameNumbers[frame], static_cast<uint32_t>(frame));
        EXPECT_EQ(c.stamps[frame], 1000000ull + 1000ull * frame);
    }
}

TEST_F(DataBatchExports, TakeWindowsAreLimitedToTheFramesPresent) {
    open();
    streamBatch(20);
    const int w = width();

    const Copy nearEnd = take(15, 10, 10);
    EXPECT_EQ(nearEnd.frames, 5);
    EXPECT_EQ(nearEnd.encoders[0], 150u);
    EXPECT_EQ(nearEnd.encoders[4], 190u);
    EXPECT_EQ(nearEnd.encoders[5], 7u) << "nothing beyond the batch";
    EXPECT_EQ(nearEnd.profiles[5 * w], 7);

    const Copy pastEnd = take(25, 10, 10);
    EXPECT_EQ(pastEnd.frames, 0);
    EXPECT_EQ(pastEnd.batchNumber, 1) << "the batch number is written all the same";
    EXPECT_EQ(pastEnd.encoders[0], 7u);

    const Copy noTimeStamps = [&] {
        Copy c;
        c.profiles.assign(w, 0);
        c.intensity.assign(w, 0);
        c.encoders.assign(1, 0);
        c.frameNumbers.assign(1, 0);
        c.frames = HVQ5_2_TakeBatchData(kId, nullptr, 19, c.batchNumber, c.profiles.data(), c.intensity.data(),
                                        c.encoders.data(), c.frameNumbers.data(), nullptr, nullptr, 1);
        return c;
    }();
    EXPECT_EQ(noTimeStamps.frames, 1);
    EXPECT_EQ(noTimeStamps.encoders[0], 190u);
    EXPECT_EQ(HVQ5_2_ProfilePointCount(kId), 20) << "taking removes nothing";
}

TEST_F(DataBatchExports, ReceiveDataReturnsAtTheBatchEnd) {
    open();
    streamBatch(10);
    EXPECT_EQ(HVQ5_2_ReceiveData(kId), 0);
}

// The sensor falls silent in mid-batch: once frames have arrived, a wait
// that ends without the batch end is a time-out.
TEST_F(DataBatchExports, BatchEndWaitTimesOutOnceFramesHaveArrived) {
    open();
    sensor_sim::BatchPlan plan = scenePlan(30);
    plan.gapAfterFrame = 4;
    plan.gapMs = 5000;
    streamer->setPlan(plan);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), 0);
    for (int i = 0; i < 500 && device->receiver.framesReceived() < 5; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(device->receiver.framesReceived(), 5);
    EXPECT_EQ(batch_exports::waitForBatchEnd(device->receiver, 100, [] { return true; }), HVQ5_RC_TIMEOUT);
    streamer->stopStream();
}

// The export itself, with its real 20 s wait: the only test that waits so long.
TEST_F(DataBatchExports, ReceiveDataTimesOutWhenTheSensorFallsSilentInMidBatch) {
    open();
    sensor_sim::BatchPlan plan = scenePlan(30);
    plan.gapAfterFrame = 4;
    plan.gapMs = 60000;
    streamer->setPlan(plan);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), 0);
    // Called between the batch's info and its start, the wait reads the batch
    // as ended (its frame count is in, the finished flag not yet cleared): it
    // begins once the batch's first frames are in.
    for (int i = 0; i < 500 && device->receiver.framesReceived() < 5; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(device->receiver.framesReceived(), 5);
    EXPECT_EQ(HVQ5_2_ReceiveData(kId), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(HVQ5_2_ProfilePointCount(kId), 5);
    streamer->stopStream();
}

// The sensor sends more frames than it announced: the copies without a size
// stop at the announced count, or at the configured batch length when smaller.
TEST_F(DataBatchExports, WholeBatchCopiesStopAtTheAnnouncedOrConfiguredLength) {
    open();
    streamBatch(10, 15);
    const int w = width();
    ASSERT_GE(HVQ5_2_ProfilePointCount(kId), 15);

    std::vector<int32_t> profiles(16 * w, 7);
    std::vector<uint8_t> intensity(16 * w, 7);
    std::vector<uint32_t> encoders(16, 7);
    std::vector<uint64_t> stamps(16, 7);
    EXPECT_EQ(HVQ5_2_GetProfileData(kId, nullptr, profiles.data()), 0);
    EXPECT_EQ(HVQ5_2_GetIntensityData(kId, nullptr, intensity.data()), 0);
    EXPECT_EQ(HVQ5_2_GetEncoder(kId, nullptr, encoders.data()), 0);
    EXPECT_EQ(HVQ5_2_GetTimestamps(kId, nullptr, stamps.data()), 0);
    EXPECT_EQ(profiles[9 * w + 300], kStepRow);
    EXPECT_EQ(profiles[10 * w], 7);
    EXPECT_EQ(intensity[10 * w], 7);
    EXPECT_EQ(encoders[9], 90u);
    EXPECT_EQ(encoders[10], 7u);
    EXPECT_EQ(stamps[9], 1009000u);
    EXPECT_EQ(stamps[10], 7u);

    device->controller.settings().set_regvals(138, 4);  // the batch length the caller configured
    std::vector<uint32_t> fewer(16, 7);
    EXPECT_EQ(HVQ5_2_GetEncoder(kId, nullptr, fewer.data()), 0);
    EXPECT_EQ(fewer[3], 30u);
    EXPECT_EQ(fewer[4], 7u);
    EXPECT_EQ(HVQ5_2_GetProfileData(kId, nullptr, nullptr), 0) << "a null array writes nothing";
}

TEST_F(DataBatchExports, ContinuousReadsMoveFramesOutOfOneBuffer) {
    open();
    streamBatch(10);
    const int w = width();
    std::vector<int32_t> profiles(10 * w, 7);
    EXPECT_EQ(HVQ5_2_GetProfileContiuneData(kId, nullptr, profiles.data(), 4), 4);
    EXPECT_EQ(profiles[3 * w + 300], kStepRow);
    EXPECT_EQ(HVQ5_2_GetProfileContiuneData(kId, nullptr, profiles.data(), 100), 6);
    EXPECT_EQ(HVQ5_2_GetProfileContiuneData(kId, nullptr, profiles.data(), 1), 0);
    EXPECT_EQ(HVQ5_2_GetProfileContiuneData(kId, nullptr, nullptr, 1), -1);

    std::vector<uint32_t> encoders(10, 7);
    EXPECT_EQ(HVQ5_2_GetEncoderContiune(kId, nullptr, encoders.data(), 3), 3) << "the other buffers kept their frames";
    EXPECT_EQ(encoders[2], 20u);
    std::vector<uint8_t> intensity(10 * w, 7);
    EXPECT_EQ(HVQ5_2_GetIntensityContiuneData(kId, nullptr, intensity.data(), 10), 10);
}

TEST_F(DataBatchExports, RollingReadWidensTheFrameNumbersIntoAux) {
    open();
    streamBatch(10);
    const int w = width();
    std::vector<int32_t> profiles(8 * w, 7);
    std::vector<uint32_t> encoders(8, 7);
    std::vector<uint64_t> aux(6, 7), stamps(4, 7);
    int batchNumber = -1;
    EXPECT_EQ(HVQ5_2_GetBatchRollData_Ex(kId, nullptr, &batchNumber, profiles.data(), nullptr, encoders.data(),
                                         aux.data(), stamps.data(), nullptr, 4),
              4);
    EXPECT_EQ(batchNumber, 1);
    EXPECT_EQ(aux, (std::vector<uint64_t>{0, 1, 2, 3, 7, 7})) << "count values written, no more";
    EXPECT_EQ(stamps[3], 1003000u);

    aux.assign(8, 9);
    EXPECT_EQ(HVQ5_2_GetBatchRollData(kId, nullptr, profiles.data(), nullptr, encoders.data(), aux.data(), nullptr, 8),
              6);
    EXPECT_EQ(aux, (std::vector<uint64_t>{4, 5, 6, 7, 8, 9, 0, 0}));
    EXPECT_EQ(HVQ5_2_ProfilePointCount(kId), 10) << "the count of frames received stays";
}

TEST_F(DataBatchExports, PointerGettersFollowTheEnabledYWindow) {
    open();
    streamBatch(20);
    const size_t w = static_cast<size_t>(width());
    data_channel::BatchBuffers& buffers = device->receiver.batchBuffers();
    const _HVQ5_2_Data data{kId, 0};
    HVQ5_2_EXTEND& extend = *device->controller.settings().get_sdk_extend();

    extend.y_roi_first = 10;
    extend.y_roi_last = 15;
    extend.enable = 0;  // the handler is told every frame: the pointers start at frame 0
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(&data), buffers.profiles(0).data);
    EXPECT_EQ(HVQ5_2_GetBatchEncoderPoint(&data), buffers.encoders(0).data);

    extend.enable = 1;
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(&data), buffers.profiles(0).data + 10 * w);
    EXPECT_EQ(HVQ5_2_GetBatchIntensityPoint(&data), buffers.intensity(0).data + 10 * w);
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint16(&data, 0, nullptr), buffers.codes(0).data + 10 * w);
    EXPECT_EQ(HVQ5_2_GetBatchEncoderPoint(&data), buffers.encoders(0).data + 10);
    EXPECT_EQ(HVQ5_2_GetBatchTimestamps(&data), buffers.timestamps(0).data + 10);
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(&data)[300], kStepRow);

    extend.y_roi_first = 500;  // beyond the batch: its end, never past it
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(&data), buffers.profiles(0).data + 20 * w);
}

TEST_F(DataBatchExports, TwoHeadSensorHandsOutTheMergedBuffer) {
    open("ZP5160D");
    const _HVQ5_2_Data data{kId, 0};
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(&data), sdkManager().merged_profile.data());
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(&data), nullptr) << "the merged buffer never held data";
    EXPECT_EQ(HVQ5_2_GetBatchIntensityPoint(&data), sdkManager().merged_intensity.data());
}

TEST_F(DataBatchExports, SixteenBitStepFollowsRegister353) {
    open();
    device->controller.settings().set_regvals(353, 256);
    EXPECT_DOUBLE_EQ(HVQ5_2_Res16(kId), 1.0);
    const _HVQ5_2_Data data{kId, 0};
    double step = 0.0;
    HVQ5_2_GetBatchProfilePoint16(&data, 0, &step);
    EXPECT_DOUBLE_EQ(step, 256.0);
    device->controller.settings().set_regvals(353, 0);  // no step rather than a division by 0
    EXPECT_DOUBLE_EQ(HVQ5_2_Res16(kId), 0.0);
    HVQ5_2_GetBatchProfilePoint16(&data, 0, &step);
    EXPECT_DOUBLE_EQ(step, 0.0);
}

TEST_F(DataBatchExports, Outline16CopiesWholeRowsOfTheOutputWidth) {
    open();
    hvq5_settings& image = device->controller.settings();
    std::vector<int32_t> profiles(10);
    for (int i = 0; i < 10; ++i) profiles[i] = 0x10000 + i;
    std::vector<int16_t> out(10, 7);

    image.set_regvals(752, 4);
    EXPECT_EQ(HVQ5_2_EXTEND_Outline16bit(kId, profiles.data(), 10, out.data()).status, 0);
    EXPECT_EQ(out, (std::vector<int16_t>{0, 1, 2, 3, 4, 5, 6, 7, 7, 7}));

    out.assign(10, 7);
    image.set_regvals(752, 0);
    image.set_regvals(358, 0);  // no width at all: nothing copied
    EXPECT_EQ(HVQ5_2_EXTEND_Outline16bit(kId, profiles.data(), 10, out.data()).status, 0);
    EXPECT_EQ(out, std::vector<int16_t>(10, 7));
}

}  // namespace
}  // namespace batch_exports_test
