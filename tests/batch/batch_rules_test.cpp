#include "sensor_interface/data_channel/batch_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace data_channel;

TEST(BatchRules, PopTimeOutFollowsTheFirstFrame) {
    EXPECT_EQ(popTimeoutMs(0, 1000, 500), 1000);
    EXPECT_EQ(popTimeoutMs(1, 1000, 500), 500);
    EXPECT_EQ(popTimeoutMs(0, 0, 500), 0);
    EXPECT_EQ(popTimeoutMs(7, 1000, 0), 0);
    EXPECT_EQ(popTimeoutMs(7, 1000, -5), 0) << "a negative time-out waits without limit";
}

TEST(BatchRules, NotifyCodeAndSavedCopies) {
    EXPECT_EQ(notifyCode(100, 100), kFullBatchCode);
    EXPECT_EQ(notifyCode(99, 100), kShortBatchCode);
    EXPECT_EQ(notifyCode(101, 100), kShortBatchCode);
    EXPECT_EQ(notifyCode(0, 0), kFullBatchCode);
    for (uint32_t before : {0u, 5u, 10u}) EXPECT_TRUE(savesFullBatch(before)) << before;
    for (uint32_t before : {1u, 4u, 6u}) EXPECT_FALSE(savesFullBatch(before)) << before;
}

TEST(BatchRules, ShortBatchTreatmentTable) {
    struct Case {
        int startMs, continuousMs, amount, received, announced;
        bool completes, prefersSaved;
    } cases[] = {
        {0, 500, 2, 40, 100, true, true},
        {0, 500, 2, 99, 100, true, false},   // one frame short is padded
        {500, 0, 2, 98, 100, true, true},
        {0, 500, 0, 40, 100, true, false},   // any amount but 1 and 2 pads
        {0, 500, 1, 40, 100, false, false},  // amount 1 leaves it
        {0, 0, 2, 40, 100, false, true},     // no time-outs leave it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(completesBatch(c.startMs, c.continuousMs, c.amount), c.completes)
            << c.startMs << "/" << c.continuousMs << "/" << c.amount;
        EXPECT_EQ(prefersSavedBatch(c.received, c.announced, c.amount), c.prefersSaved) << c.received;
    }
}

TEST(BatchRules, AFullBatchIsKeptOnlyForAHandlerThatCanBeGivenItInPlaceOfAShortOne) {
    struct Case {
        bool handler;
        int startMs, continuousMs, amount;
        bool kept;
    } cases[] = {
        {true, 0, 500, 2, true},
        {true, 500, 0, 2, true},
        {false, 0, 500, 2, false},  // the replacement is the installed handler's only
        {true, 0, 0, 2, false},     // without time-outs short batches stay short
        {true, 0, 500, 0, false},   // padded, never replaced
        {true, 0, 500, 1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keepsSavedBatch(c.handler, c.startMs, c.continuousMs, c.amount), c.kept)
            << c.handler << "/" << c.startMs << "/" << c.continuousMs << "/" << c.amount;
}

TEST(BatchRules, PaddingValueFollowsTheRowKind) {
    EXPECT_EQ(profilePadValue(true, 0), -999900000);
    EXPECT_EQ(profilePadValue(true, 640), -999900000);
    EXPECT_EQ(profilePadValue(false, 0), -999900000);
    EXPECT_EQ(profilePadValue(false, 640), 0);
}

}  // namespace
