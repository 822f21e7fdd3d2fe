// The dual-head merge against a simulated two-head sensor: frames of both
// heads pair up, each merged batch reaches the handler once, and installing
// anew or tearing down never waits forever.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/processing/dual_merge.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/handlers/handlers_fixture.h"
#include "tests/support/loopback_address.h"
#include "tools/sensor_sim/sim_two_head.h"

namespace handlers_test {
namespace {

// The merge handler is a plain function: it reports to the registry under test.
std::atomic<tandrel_zp_manager*> g_manager{nullptr};
DeliveryLog g_merged;

void recordMerged(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
    Delivery d;
    d.info = *info;
    d.data = *data;
    tandrel_zp_manager* manager = g_manager.load();
    d.profile = manager->merged_profile;
    d.intensity = manager->merged_intensity;
    g_merged.add(std::move(d));
}

class DualMerge : public HandlersTest {
protected:
    void SetUp() override {
        g_merged.clear();
        heads_ = std::make_unique<sensor_sim::SimTwoHead>(mirevo::test::loopbackAddressForTest(116));
        ASSERT_TRUE(heads_->start());
        manager_ = std::make_unique<tandrel_zp_manager>();
        g_manager = manager_.get();
    }
    void TearDown() override {
        withinWatchdog("registry teardown", [this] { manager_.reset(); });
        g_manager = nullptr;
        heads_.reset();
    }

    void openHeads(int firstId = 0) {
        for (int head = 0; head < 2; ++head) {
            ASSERT_TRUE(manager_->connect(firstId + head, heads_->address(head).c_str(), 7));
            prepareHead(*manager_->find(firstId + head), "ZP5160D");
        }
    }
    void install(int id = 0) {
        ASSERT_EQ(manager_->install_merge_handler(id, recordMerged), HVQ5_RC_OK);
        ASSERT_TRUE(manager_->merge_running);
    }
    // Both heads connected anew since the sensor started (the installation restarts them).
    void waitConnected(size_t connections) {
        for (int head = 0; head < 2; ++head)
            ASSERT_TRUE(heads_->dataChannel(head).waitForConnection(connections, 5000)) << head;
    }
    void streamBoth(int framesA, int framesB, uint32_t batchNumber = 1, int pointsB = processor_test::kColumns) {
        heads_->setPlan(0, scenePlan(framesA, batchNumber));
        heads_->setPlan(1, scenePlan(framesB, batchNumber, pointsB));
        heads_->startStreams();
        ASSERT_TRUE(heads_->waitIdle(10000));
    }

    std::unique_ptr<sensor_sim::SimTwoHead> heads_;
    std::unique_ptr<tandrel_zp_manager> manager_;
};

struct FrameCounts {
    int first, second, merged;
};

class MergedFrames : public DualMerge, public ::testing::WithParamInterface<FrameCounts> {};

TEST_P(MergedFrames, OneDeliveryOfThePairedFramesAfterBothHeadsEnded) {
    const FrameCounts counts = GetParam();
    openHeads();
    install();
    waitConnected(1);
    streamBoth(counts.first, counts.second);
    ASSERT_TRUE(g_merged.waitFor(1));

    const Delivery d = g_merged.items().front();
    EXPECT_EQ(d.info.frames, counts.merged);
    EXPECT_EQ(d.data.device_id, 0);
    EXPECT_EQ(d.info.batch_number, 1);
    ASSERT_GT(d.info.width, 0);
    EXPECT_EQ(d.profile.size(), static_cast<size_t>(counts.merged) * static_cast<size_t>(d.info.width));
    EXPECT_EQ(d.intensity.size(), d.profile.size());
    // Both heads see the same scene: its invalid points stay exactly invalid.
    size_t invalid = 0, valid = 0;
    for (int32_t v : d.profile) (v == kInvalidRow ? invalid : valid) += 1;
    EXPECT_GT(invalid, 0u);
    EXPECT_GT(valid, 0u);

    // A second batch starts from empty queues and is delivered on its own.
    streamBoth(20, 20, 2);
    ASSERT_TRUE(g_merged.waitFor(2));
    const Delivery second = g_merged.items().back();
    EXPECT_EQ(second.info.frames, 20);
    EXPECT_EQ(second.info.batch_number, 2);
    EXPECT_EQ(second.profile.size(), 20u * static_cast<size_t>(second.info.width));
    EXPECT_EQ(second.profile.front(), d.profile.front());
    EXPECT_EQ(g_merged.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Heads, MergedFrames,
                         ::testing::Values(FrameCounts{100, 98, 98}, FrameCounts{98, 100, 98}, FrameCounts{30, 30, 30}),
                         [](const ::testing::TestParamInfo<FrameCounts>& info) {
                             return "First" + std::to_string(info.param.first) + "Second" +
                                    std::to_string(info.param.second);
                         });

// Batches of a head whose frames are valid on its own half of the profile
// only (head 0 the left half, head 1 the right), frame f at the height
// f - 90: a merged row of a pair shows one height across the profile, a
// row of two different frames two heights.
sensor_sim::BatchPlan halfProfilePlan(int head, int frames, int batches) {
    sensor_sim::BatchPlan plan = scenePlan(frames);
    plan.batches = batches;
    plan.frameRateHz = 1000;
    plan.frameSource = [head](const sensor_sim::DataInfo& info, uint32_t, uint32_t frame) {
        sensor_sim::DataFrame out;
        out.values.assign(info.points, 0);  // no measurement
        out.intensity.assign(info.points, 0);
        const int half = info.points / 2;
        const int first = head == 0 ? 0 : half;
        const int end = head == 0 ? half : info.points;
        for (int i = first; i < end; ++i) {
            out.values[static_cast<size_t>(i)] =
                processor_test::scene_word(processor_test::Words::Bits16, -90.0 + static_cast<double>(frame));
            out.intensity[static_cast<size_t>(i)] = 100;
        }
        return out;
    };
    return plan;
}

// Consecutive batches with the second head a fifth of a batch behind the
// first: the first head starts each next batch while frames of the last one
// are still to come from the second. Every batch is merged whole, each row of
// two frames of the same number.
TEST_F(DualMerge, FramesPairWithinTheirBatchWhileOneHeadRunsAhead) {
    constexpr int kFrames = 100;
    constexpr int kBatches = 6;
    openHeads();
    install();
    waitConnected(1);
    for (int head = 0; head < 2; ++head) heads_->setPlan(head, halfProfilePlan(head, kFrames, kBatches));
    heads_->streamer(0).startStream();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (heads_->streamer(0).framesSent() < kFrames / 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(heads_->streamer(0).framesSent(), static_cast<uint64_t>(kFrames / 5));
    heads_->streamer(1).startStream();
    ASSERT_TRUE(heads_->waitIdle(20000));
    EXPECT_TRUE(g_merged.waitFor(kBatches, 5000)) << g_merged.size() << " merged batches";

    const std::vector<Delivery> merged = g_merged.items();
    ASSERT_EQ(merged.size(), static_cast<size_t>(kBatches));
    for (size_t b = 0; b < merged.size(); ++b) {
        const Delivery& d = merged[b];
        SCOPED_TRACE("merged batch " + std::to_string(b));
        EXPECT_EQ(d.info.batch_number, static_cast<int32_t>(b + 1));
        ASSERT_EQ(d.info.frames, kFrames);
        const size_t width = static_cast<size_t>(d.info.width);
        ASSERT_GT(width, 400u);
        ASSERT_EQ(d.profile.size(), static_cast<size_t>(kFrames) * width);
        auto at = [&](int row, size_t column) { return d.profile[static_cast<size_t>(row) * width + column]; };
        const int32_t step = at(1, width / 4) - at(0, width / 4);
        ASSERT_NE(step, 0);
        for (int row = 0; row < kFrames; ++row) {
            EXPECT_EQ(at(row, width / 4), at(row, 3 * width / 4)) << "row " << row << " pairs two frames";
            EXPECT_EQ(at(row, width / 4), at(0, width / 4) + row * step) << "row " << row << " is frame " << row;
        }
    }
}

TEST_F(DualMerge, NarrowerSecondHeadIsReadOnlyAsFarAsItReaches) {
    openHeads();
    // Head B is raised by 5 um and the higher height wins: merged points
    // show where head B measured.
    HVQ5_2_EXTEND& extend = *manager_->find(0)->controller.settings().get_sdk_extend();
    extend.cloud_align = 1;
    extend.b_z_offset = 5.0;
    extend.height_delta = 0.0;
    extend.valid_output_beyond_delta = kDualMergeHigher;
    install();
    waitConnected(1);
    streamBoth(10, 10);
    ASSERT_TRUE(g_merged.waitFor(1));
    streamBoth(10, 10, 2, 300);  // the scene's step at point 150, nothing beyond 300
    ASSERT_TRUE(g_merged.waitFor(2));
    const std::vector<Delivery> d = g_merged.items();
    EXPECT_EQ(d[1].info.width, d[0].info.width) << "rows are as wide as the first head's";
    EXPECT_EQ(d[1].info.frames, 10);
    ASSERT_EQ(d[1].profile.size(), d[0].profile.size());
    ASSERT_GT(d[0].info.width, 440);
    for (const Delivery& batch : d) {
        EXPECT_EQ(batch.profile[40], 500) << "both heads measured";
        EXPECT_EQ(batch.profile[440], kInvalidRow) << "neither head measured";
    }
    EXPECT_EQ(d[0].profile[320], 500);
    EXPECT_EQ(d[1].profile[200], 0) << "the first head alone";
    EXPECT_EQ(d[1].profile[320], 0) << "the first head alone";
}

TEST_F(DualMerge, InstallationNeedsExactlyTwoOpenIds) {
    ASSERT_TRUE(manager_->connect(0, heads_->address(0).c_str(), 7));
    prepareHead(*manager_->find(0), "ZP5160D");
    EXPECT_EQ(manager_->install_merge_handler(0, recordMerged), HVQ5_RC_NOT_OPEN);
    EXPECT_FALSE(manager_->merge_thread.joinable());

    ASSERT_TRUE(manager_->connect(1, heads_->address(1).c_str(), 7));
    ASSERT_TRUE(manager_->connect(2, heads_->address(1).c_str(), 7));
    EXPECT_EQ(manager_->install_merge_handler(0, recordMerged), HVQ5_RC_NOT_OPEN);
    EXPECT_FALSE(manager_->merge_thread.joinable());
    EXPECT_EQ(heads_->dataChannel(0).acceptedConnections(), 0u) << "no data channel was restarted";
}

TEST_F(DualMerge, HeadWhoseDataChannelDoesNotStartGives1001) {
    openHeads();
    heads_->dataChannel(1).stop();
    EXPECT_EQ(manager_->install_merge_handler(0, recordMerged), HVQ5_RC_NO_SOCKET);
    EXPECT_FALSE(manager_->merge_thread.joinable());
    EXPECT_EQ(manager_->merge_handler, nullptr);
}

TEST_F(DualMerge, ReinstallingAndTearingDownNeverHang) {
    openHeads();
    withinWatchdog("installing twice", [this] {
        install();
        install();
    });
    waitConnected(2);
    streamBoth(15, 15);
    ASSERT_TRUE(g_merged.waitFor(1)) << "the thread of the second installation merges";
    EXPECT_EQ(g_merged.items().front().info.frames, 15);

    // Installed again in the middle of a batch, then every id dropped while the thread waits.
    heads_->setPlan(0, scenePlan(40, 2));
    heads_->setPlan(1, scenePlan(40, 2));
    heads_->startStreams();
    withinWatchdog("installing during a batch", [this] { install(); });
    withinWatchdog("finalize", [this] { manager_->finalize(); });
    EXPECT_FALSE(manager_->merge_thread.joinable());
    heads_->waitIdle(10000);
}

TEST_F(DualMerge, ClosingOneHeadLeavesTheThreadWaiting) {
    openHeads();
    install();
    withinWatchdog("closing a head", [this] { manager_->close(1); });
    EXPECT_TRUE(manager_->merge_thread.joinable());
    EXPECT_TRUE(manager_->merge_running);
}

}  // namespace
}  // namespace handlers_test
