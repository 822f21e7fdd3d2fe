// The feature word of the extended values changed by callers while the
// consumer thread reads it at every batch start (installing a batch handler
// writes the cloud-filter bit, the settings dialog the gray switches). Built
// for ThreadSanitizer as well: the word is shared without a lock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sensor_interface/registry/hvq5_setting_api.h"
#include "tests/batch_exports/batch_exports_fixture.h"

namespace batch_exports_test {
namespace {

constexpr uint64_t kGrayCorrection = 2;
constexpr uint64_t kGrayLut = 4;

class FeatureBitsDuringBatches : public OpenedSensor {};

TEST_F(FeatureBitsDuringBatches, BitsChangedBesideRunningBatchesAreAllKept) {
    open();  // the default head keeps the feature word in the interface's block
    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(kId, kGrayCorrection, false), 0);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(kId, kGrayLut, false), 0);

    // Two callers, each switching a bit of its own on and off, end with it on.
    std::atomic<bool> failed{false};
    const auto toggle = [&](uint64_t bit) {
        for (int i = 0; i < 100; ++i)
            if (HVQ5_2_SET_EXTEND_FEATURE_EN(kId, bit, i % 2 == 1) != 0) failed = true;
    };
    std::thread first(toggle, kGrayCorrection);
    std::thread second(toggle, kGrayLut);
    for (int batch = 0; batch < 4; ++batch) {
        sensor_sim::BatchPlan plan = scenePlan(10);
        plan.firstBatchNumber = static_cast<uint32_t>(batch + 1);
        streamer->setPlan(plan);
        ASSERT_EQ(HVQ5_2_TriggerOneBatch(kId), 0);
        ASSERT_TRUE(streamer->waitIdle(5000));
        waitForBatchEnd();
    }
    first.join();
    second.join();
    EXPECT_FALSE(failed);

    bool on = false;
    ASSERT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(kId, kGrayCorrection, &on), 0);
    EXPECT_TRUE(on);
    ASSERT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(kId, kGrayLut, &on), 0);
    EXPECT_TRUE(on);
    EXPECT_EQ(HVQ5_2_GET_EXTEND_CNF(kId)->feature_en & (kGrayCorrection | kGrayLut), kGrayCorrection | kGrayLut);
}

}  // namespace
}  // namespace batch_exports_test
