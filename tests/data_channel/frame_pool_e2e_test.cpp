// The receiver's frame pool against the simulator's data channel: whatever the
// number of workers, a streamed scene gives the same delivered batches and the
// same run-log lines; a stop while the pool is busy ends promptly and leaves
// no thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"
#include "tests/data_channel/recording_log.h"
#include "tests/support/loopback_address.h"
#include "tests/support/watchdog.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/data_channel.h"

namespace {

using data_channel_test::RecordingLog;

constexpr int kColumns = 848;
constexpr int kFramesPerBatch = 700;  // more than the temporal repair holds back

// A head of 848 columns and points whose column c lies at x = c - 424, with
// every stage that works across frames or on the whole profile switched on,
// and with allStages the rest too: binning, z offsets, the gray stretch and
// look-up table.
void configure(SensorController& controller, const char* model, bool allStages = false) {
    controller.rows = 640;
    auto& p = controller.laserParams;
    std::memset(&p, 0, sizeof(p));
    std::memcpy(p.model, model, std::strlen(model) + 1);
    const double xScale[3] = {0.0, 0.0, 1.0};
    std::memcpy(reinterpret_cast<unsigned char*>(&p) + 90, xScale, sizeof(xScale));
    p.z_range_reference = 1000;
    p.z_range_lower = -100;
    p.z_range_upper = 100;
    hvq5_settings& s = controller.settings();
    s.set_regvals(753, 1);  // normal thread priorities
    s.set_regvals(285, 100);
    s.set_regvals(350, 1000 * 256);
    s.set_regvals(353, 65536);
    s.set_regvals(357, 1000 * 256);
    s.set_regvals(355, 1100u << 8);
    s.set_regvals(356, 900u << 8);
    s.set_regvals(358, kColumns);
    s.set_regvals(183, 3);
    s.set_regvals(804, 20 << 4);
    s.set_regvals(805, 30);
    s.set_regvals(190, 3);  // temporal repair: fill 3, keep 2
    s.set_regvals(191, 2);
    s.set_regvals(324, 1);  // rotation by half a degree, with the base-zero windows
    s.set_regvals(325, 50000);
    s.set_regvals(772, 1);
    s.set_regvals(326, static_cast<uint32_t>(-30000));
    s.set_regvals(327, static_cast<uint32_t>(-20000));
    s.set_regvals(328, 20000);
    s.set_regvals(329, 30000);
    s.set_regvals(291, 1);  // mirror
    s.set_regvals(330, 1);  // z scale 1.5
    s.set_regvals(331, 150000);
    s.set_regvals(741, 1);  // gray gamma 1.8
    s.set_regvals(742, 180);
    if (allStages) {
        s.set_regvals(740, 1);  // binning by 2
        // Extended codes in rows wider than the narrow frames' profile, so that
        // the rows of the frames released at a batch end reach beyond it.
        s.set_regvals(752, 800);
        s.set_regvals(774, 50), s.set_regvals(775, 150), s.set_regvals(776, 200);
        HVQ5_2_EXTEND* extend = s.get_sdk_extend();
        extend->feature_en |= HVQ5_2_EXTEND::gray_correction_en | HVQ5_2_EXTEND::gray_lut_en;
        extend->enable = 1;
        extend->z_offset_count = kColumns;
        for (int i = 0; i < kColumns; ++i) extend->z_offset[i] = i % 7 - 3;
    }
    controller.processor = std::make_shared<ProfileProcessor>(kColumns, kColumns, 1.0);
    controller.processor->bind(&s, &p);
    std::vector<double> coefficients(kCalibrationCoefficients, 0.0);
    coefficients[kCalibrationCoefficients - 2] = 2.0;  // distance = 2 x camera row
    controller.processor->setCalibration(CalibrationTable(kCalibrationColumns, coefficients));
}

// Frames of a plane with a step, points without peak, a steep flank and
// points that come and go from frame to frame.
std::vector<sensor_sim::DataFrame> sceneFrames(bool fixedPoint) {
    std::mt19937 rng(97);
    std::vector<sensor_sim::DataFrame> frames;
    for (int variant = 0; variant < 7; ++variant) {
        sensor_sim::DataFrame frame;
        frame.values.resize(kColumns);
        frame.intensity.resize(kColumns);
        for (int c = 0; c < kColumns; ++c) {
            double height = c < 400 ? 10.0 : (c < 420 ? 10.0 + (c - 400) * 2.0 : 50.0);
            height += 0.25 * variant;
            const bool missing = c % 97 == 5 || (c > 600 && c < 640 && rng() % 3 == 0);
            uint32_t word = 0;
            if (!missing)
                word = fixedPoint ? static_cast<uint32_t>((1000.0 - height) / 2.0 * 65536.0)
                                  : static_cast<uint32_t>(32768 + height);
            frame.values[c] = word;
            frame.intensity[c] = static_cast<uint8_t>(90 + (c + variant) % 120);
        }
        frames.push_back(frame);
    }
    return frames;
}

struct Delivered {
    HVQ5_2_STR_CALLBACK_INFO info{};
    uint32_t batchNumber = 0;
    std::vector<int32_t> profiles;
    std::vector<int16_t> codes;
    std::vector<uint8_t> intensity;
    std::vector<uint32_t> encoders, frameNumbers;
    std::vector<uint64_t> timestamps;
};

bool operator==(const HVQ5_2_STR_CALLBACK_INFO& a, const HVQ5_2_STR_CALLBACK_INFO& b) {
    return a.width == b.width && a.frames == b.frames && a.batch_number == b.batch_number &&
           std::memcmp(&a.x_pitch, &b.x_pitch, sizeof a.x_pitch) == 0 && a.first_encoder == b.first_encoder &&
           a.constant == b.constant && a.incomplete == b.incomplete && a.extend_on == b.extend_on;
}

bool operator==(const Delivered& a, const Delivered& b) {
    return a.info == b.info && a.batchNumber == b.batchNumber &&
           a.profiles == b.profiles && a.codes == b.codes && a.intensity == b.intensity &&
           a.encoders == b.encoders && a.frameNumbers == b.frameNumbers && a.timestamps == b.timestamps;
}

struct StreamRun {
    uint64_t framesFromPool = 0;
    std::vector<Delivered> batches;
    std::vector<std::string> lines;           // the receiver's run-log lines
    std::vector<std::string> processorSteps;  // the processor's step lines, last ones
};

// The processor's step lines among the run log's recent records.
std::vector<std::string> recentSteps() {
    std::vector<std::string> steps;
    LogManager::instance().recentRecords().forEach([&](const LogRecord& record) {
        if (record.message.rfind("processed data ", 0) == 0 || record.message.rfind("preprocessed data ", 0) == 0)
            steps.push_back(record.message);
    });
    return steps;
}

// The frames: 16-bit words or fixed-point rows; the stages on: those that
// work across frames or on the whole profile, or all, with frames narrower
// than the head (fewer points from a later column).
struct PoolCase {
    const char* name;
    bool fixedPoint;
    bool allStages;
};

void PrintTo(const PoolCase& c, std::ostream* os) { *os << c.name; }

class FramePoolTest : public ::testing::TestWithParam<PoolCase> {
protected:
    void SetUp() override {
        savedPointsPerColumn_ = lastPointsPerColumn.load();
        lastPointsPerColumn = 1.0;
        address_ = mirevo::test::loopbackAddressForTest(66);
    }
    void TearDown() override { lastPointsPerColumn = savedPointsPerColumn_; }

    static sensor_sim::BatchPlan plan(const PoolCase& c) {
        sensor_sim::BatchPlan plan;
        plan.info.framesPerBatch = kFramesPerBatch;
        plan.info.xPitch = 100000;
        plan.info.intensity = true;
        plan.info.points = c.allStages ? kColumns - 248 : kColumns;
        plan.info.firstColumn = c.allStages ? 100 : 0;
        plan.info.wideValues = c.fixedPoint;
        plan.batches = 2;
        plan.frameVariants = sceneFrames(c.fixedPoint);
        return plan;
    }

    // Streams two batches of the scene to a receiver with `workers` frame workers.
    StreamRun stream(int workers, const PoolCase& c) {
        std::vector<StreamRun> runs = streamHeads(1, workers, c);
        return runs.empty() ? StreamRun{} : std::move(runs.front());
    }

    // The same on `heads` heads at once, each on its own address and data channel.
    std::vector<StreamRun> streamHeads(int heads, int workers, const PoolCase& c) {
        std::vector<std::unique_ptr<Head>> all;
        for (int h = 0; h < heads; ++h) {
            all.push_back(std::make_unique<Head>(workers, c));
            if (!all.back()->start(headAddress(h))) return {};
        }
        for (auto& head : all) head->streamer->startStream();
        std::vector<StreamRun> runs;
        for (auto& head : all) runs.push_back(head->finish());
        return runs;
    }

    std::string headAddress(int head) const {
        // Heads after the first take the next addresses of the test's own.
        const size_t dot = address_.rfind('.');
        return address_.substr(0, dot + 1) + std::to_string(std::stoi(address_.substr(dot + 1)) + head);
    }

    // One head: a receiver with its sensor and the simulated data channel.
    struct Head {
        Head(int workers, const PoolCase& c) : log(std::make_shared<RecordingLog>()), receiver(log) {
            configure(controller, c.fixedPoint ? "ZP3000" : "ZP5000", c.allStages);
            receiver.setFrameWorkers(workers);
            receiver.setOneTimeHandlerObject([this](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data*) {
                Delivered d;
                d.info = *info;
                const int frames = info->frames, width = info->width;
                d.profiles.resize(size_t(frames) * width);
                d.intensity.resize(size_t(frames) * width);
                d.encoders.resize(frames);
                d.frameNumbers.resize(frames);
                d.timestamps.resize(frames);
                receiver.takeBatch(0, &d.batchNumber, d.profiles.data(), d.intensity.data(), d.encoders.data(),
                                   d.frameNumbers.data(), d.timestamps.data(), frames);
                int codes = 0;
                const int16_t* c16 = receiver.profile16Pointer(&codes);
                d.codes.assign(c16, c16 + codes);
                std::lock_guard<std::mutex> lock(mutex);
                run.batches.push_back(std::move(d));
                arrived.notify_all();
            });
            streamer->setPlan(plan(c));
        }
        bool start(const std::string& address) {
            EXPECT_TRUE(channel->start(address, 9));
            EXPECT_EQ(receiver.start(4, address, 9, 0, &controller), 0);
            return channel->waitForConnection(1, 5000);
        }
        StreamRun finish() {
            {
                std::unique_lock<std::mutex> lock(mutex);
                EXPECT_TRUE(arrived.wait_for(lock, std::chrono::seconds(60), [&] { return run.batches.size() == 2; }));
            }
            EXPECT_TRUE(streamer->waitIdle(10000));
            receiver.stop();
            streamer->stop();
            channel->stop();
            run.framesFromPool = receiver.framesFromPool();
            run.lines = log->lines();
            run.processorSteps = recentSteps();
            return std::move(run);
        }

        SensorController controller;
        std::shared_ptr<RecordingLog> log;
        ProfileReceiver receiver;
        std::shared_ptr<sensor_sim::DataChannelService> channel = std::make_shared<sensor_sim::DataChannelService>();
        std::shared_ptr<sensor_sim::BatchStreamer> streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);
        std::mutex mutex;
        std::condition_variable arrived;
        StreamRun run;
    };

    std::string address_;
    double savedPointsPerColumn_ = 0.0;
};

TEST_P(FramePoolTest, DeliveredBatchesAndLogLinesDoNotDependOnTheWorkers) {
    const PoolCase& c = GetParam();
    const StreamRun one = stream(1, c);
    EXPECT_EQ(one.framesFromPool, 0u);
    ASSERT_EQ(one.batches.size(), 2u);
    EXPECT_EQ(one.batches[0].info.frames, kFramesPerBatch);
    EXPECT_EQ(one.batches[0].frameNumbers.back(), uint32_t(kFramesPerBatch - 1));
    // The scene gives valid heights, the repaired flank included.
    const std::vector<int32_t>& profile = one.batches[1].profiles;
    const int width = one.batches[1].info.width;
    EXPECT_GT(std::count_if(profile.begin(), profile.begin() + width, [](int32_t h) { return h != -999900000; }),
              width * 6 / 10);
    ASSERT_FALSE(one.processorSteps.empty());
    for (int workers : {2, 4, 8}) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const StreamRun pooled = stream(workers, c);
        EXPECT_GT(pooled.framesFromPool, 0u) << "the workers processed frames";
        ASSERT_EQ(pooled.batches.size(), 2u);
        for (size_t b = 0; b < 2; ++b) EXPECT_TRUE(pooled.batches[b] == one.batches[b]) << "batch " << b;
        EXPECT_EQ(pooled.lines, one.lines);
        EXPECT_EQ(pooled.processorSteps, one.processorSteps);
    }
}

// Four heads streaming at once, each with the default pool, give what one
// head alone gives without a pool.
TEST_P(FramePoolTest, FourHeadsAtOnceGiveWhatOneHeadGivesAlone) {
    const PoolCase& c = GetParam();
    const StreamRun one = stream(1, c);
    ASSERT_EQ(one.batches.size(), 2u);
    const std::vector<StreamRun> heads = streamHeads(4, 4, c);
    ASSERT_EQ(heads.size(), 4u);
    for (size_t h = 0; h < heads.size(); ++h) {
        SCOPED_TRACE("head " + std::to_string(h));
        EXPECT_GT(heads[h].framesFromPool, 0u);
        ASSERT_EQ(heads[h].batches.size(), 2u);
        for (size_t b = 0; b < 2; ++b) EXPECT_TRUE(heads[h].batches[b] == one.batches[b]) << "batch " << b;
        EXPECT_EQ(heads[h].lines, one.lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, FramePoolTest,
                         ::testing::Values(PoolCase{"Words16", false, false}, PoolCase{"FixedPoint", true, false},
                                           PoolCase{"Words16AllStagesNarrow", false, true},
                                           PoolCase{"FixedPointAllStagesNarrow", true, true}),
                         [](const ::testing::TestParamInfo<PoolCase>& info) { return std::string(info.param.name); });

int threadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// Stops at different moments of a fast batch while the workers are busy.
TEST(FramePoolStop, StopWhileTheWorkersAreBusyEndsPromptlyAndLeavesNoThread) {
    const double saved = lastPointsPerColumn.load();
    lastPointsPerColumn = 1.0;
    const std::string address = mirevo::test::loopbackAddressForTest(67);
    std::thread([] {}).join();  // a runtime's own helper thread, started with the first thread
    const int threadsBefore = threadCount();
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        SensorController controller;
        configure(controller, "ZP5000");
        ProfileReceiver receiver(std::make_shared<RecordingLog>());
        receiver.setFrameWorkers(4);
        auto channel = std::make_shared<sensor_sim::DataChannelService>();
        auto streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);
        ASSERT_TRUE(channel->start(address, 9));
        ASSERT_EQ(receiver.start(4, address, 9, 0, &controller), 0);
        ASSERT_TRUE(channel->waitForConnection(1, 5000));
        sensor_sim::BatchPlan plan;
        plan.info.framesPerBatch = 30000;
        plan.info.intensity = true;
        plan.info.points = kColumns;
        plan.frameVariants = sceneFrames(false);
        streamer->setPlan(plan);
        streamer->startStream();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (receiver.framesReceived() < 50 + 300 * round && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto stopped = std::chrono::steady_clock::now();
        mirevo::test::withinWatchdog("a stop with busy frame workers", [&] { return receiver.stop(); }, 10000);
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(5));
        streamer->stop();
        channel->stop();
    }
    // Threads end a little after they are joined.
    int threads = threadCount();
    for (int i = 0; i < 100 && threads > threadsBefore; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        threads = threadCount();
    }
    EXPECT_EQ(threads, threadsBefore);
    lastPointsPerColumn = saved;
}

}  // namespace
