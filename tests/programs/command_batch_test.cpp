// The batch read's decisions: following the trigger counter, and collecting
// a batch from a scripted batch memory with a clock that only moves when slept on.
#include "sensor_interface/command/command_batch.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "sensor_interface/registry/hvq5_rc.h"
#include "sensor_interface/settings/setting_dispatcher.h"

namespace {

using command_batch::TriggerAction;

struct TriggerCase {
    const char* name;
    int32_t blockIndex;
    int32_t counter;
    bool counterSeen;
    TriggerAction action;
    int32_t nextBlockIndex;
};

class FollowTrigger : public ::testing::TestWithParam<TriggerCase> {};

TEST_P(FollowTrigger, DecidesAndMovesTheBlockIndex) {
    const TriggerCase& c = GetParam();
    const command_batch::TriggerStep step = command_batch::followTrigger(c.blockIndex, c.counter, c.counterSeen);
    EXPECT_EQ(step.action, c.action);
    EXPECT_EQ(step.blockIndex, c.nextBlockIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FollowTrigger,
    ::testing::Values(TriggerCase{"FirstReadingOnlyTakesTheStart", 0, 5, false, TriggerAction::TakeStart, 5},
                      TriggerCase{"FirstReadingOfZero", 0, 0, false, TriggerAction::TakeStart, 0},
                      TriggerCase{"EqualPolls", 5, 5, true, TriggerAction::Poll, 5},
                      TriggerCase{"JumpByThreeAdvancesByOne", 5, 8, true, TriggerAction::Collect, 6},
                      TriggerCase{"JumpByFifteenAdvancesByOne", 5, 20, true, TriggerAction::Collect, 6},
                      TriggerCase{"JumpBySixteenTakesTheValue", 5, 21, true, TriggerAction::Collect, 21},
                      TriggerCase{"JumpByTwentyTakesTheValue", 5, 25, true, TriggerAction::Collect, 25},
                      TriggerCase{"BackwardsTakesTheValue", 10, 3, true, TriggerAction::Collect, 3},
                      // A counter that stood at 0 when the sensor was opened: its
                      // first step is a batch to read, not the start.
                      TriggerCase{"FirstBatchAfterAZeroStart", 0, 1, true, TriggerAction::Collect, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TriggerAhead, CounterMustStandAtOrBeyondTheBlockIndex) {
    EXPECT_EQ(command_batch::triggerAheadStatus(6, 6), HVQ5_RC_OK);
    EXPECT_EQ(command_batch::triggerAheadStatus(6, 7), HVQ5_RC_OK);
    EXPECT_EQ(command_batch::triggerAheadStatus(6, 5), HVQ5_RC_TRIGGER_NOT_AHEAD);
    EXPECT_EQ(command_batch::triggerAheadStatus(6, -1), HVQ5_RC_TRIGGER_NOT_AHEAD);
}

// ------------------------------------------------------------ collecting

class SteppingClock : public DispatchClock {
public:
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
    int64_t now = 1000;
};

// One answer of the batch memory to a block read.
struct Block {
    int status;
    uint16_t frames;
    uint16_t before;
    uint16_t batchFrames;
    bool complete;
    uint32_t blockIndex;
};

Block frames(uint16_t count, uint16_t before, uint16_t total, bool complete, uint32_t index) {
    return {HVQ5_RC_OK, count, before, total, complete, index};
}
Block failure(int status) { return {status, 0, 0, 0, false, 0}; }

class ScriptedMemory : public command_batch::BatchMemoryPort {
public:
    std::deque<Block> blocks;         // when empty: a block without frames
    std::deque<int> memoryAnswers;    // when empty: 0 (ready)
    int clearStatus = HVQ5_RC_OK;
    std::vector<std::string> log;
    uint32_t nextFrameNumber = 0;

    int clearMemory() override {
        log.push_back("clear");
        return clearStatus;
    }
    int memoryStatus(uint32_t blockIndex, uint16_t acknowledged) override {
        log.push_back("ask " + std::to_string(blockIndex) + "/" + std::to_string(acknowledged));
        if (memoryAnswers.empty()) return HVQ5_RC_OK;
        const int answer = memoryAnswers.front();
        memoryAnswers.pop_front();
        return answer;
    }
    int readBlock(command_batch::BatchBlock& block) override {
        log.push_back("read");
        Block next = frames(0, 0, 0, false, 0);
        if (!blocks.empty()) {
            next = blocks.front();
            blocks.pop_front();
        }
        block.header = HVQ5_BATCH_HEADER{};
        block.valuesA.clear();
        block.valuesB.assign(next.frames, 7);
        block.timeStamps.assign(next.frames, 9);
        block.profileBytes.assign(4u * next.frames, 1);
        block.grayBytes.assign(next.frames, 2);
        for (int i = 0; i < next.frames; ++i) block.valuesA.push_back(nextFrameNumber++);
        if (next.status != HVQ5_RC_OK) return next.status;
        block.header.frameCount = next.frames;
        block.header.framesBefore = next.before;
        block.header.batchFrames = next.batchFrames;
        block.header.complete = next.complete ? 1 : 0;
        block.header.blockIndex = next.blockIndex;
        return HVQ5_RC_OK;
    }
};

struct CollectCase {
    const char* name;
    int32_t blockIndex;
    uint32_t timeLimitMs;
    std::vector<Block> blocks;
    std::vector<int> memoryAnswers;
    int32_t completion;
    int32_t framesReceived;
    int32_t finalBlockIndex;
    std::vector<std::string> log;
};

class CollectBatch : public ::testing::TestWithParam<CollectCase> {};

TEST_P(CollectBatch, EndsWithItsCompletionWord) {
    const CollectCase& c = GetParam();
    ScriptedMemory memory;
    memory.blocks.assign(c.blocks.begin(), c.blocks.end());
    memory.memoryAnswers.assign(c.memoryAnswers.begin(), c.memoryAnswers.end());
    SteppingClock clock;
    CommandBatch batch;
    batch.blockIndex = c.blockIndex;
    batch.completion = command_batch::kComplete;  // left over from the last batch
    batch.valuesA = {99, 99};

    command_batch::collectCommandBatch(memory, clock, c.timeLimitMs, batch);

    EXPECT_EQ(batch.completion, c.completion);
    EXPECT_EQ(batch.framesReceived, c.framesReceived);
    EXPECT_EQ(batch.blockIndex, c.finalBlockIndex);
    EXPECT_EQ(memory.log, c.log);
    // The lists hold exactly the frames counted, in order.
    ASSERT_EQ(batch.valuesA.size(), static_cast<size_t>(c.framesReceived));
    for (size_t i = 0; i < batch.valuesA.size(); ++i) EXPECT_EQ(batch.valuesA[i], i);
    EXPECT_EQ(batch.valuesB.size(), batch.valuesA.size());
    EXPECT_EQ(batch.timeStamps.size(), batch.valuesA.size());
    EXPECT_EQ(batch.profileBytes.size(), 4 * batch.valuesA.size());
    EXPECT_EQ(batch.grayBytes.size(), batch.valuesA.size());
}

using Log = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Table, CollectBatch,
    ::testing::Values(
        CollectCase{"CompleteInTwoBlocks", 7, 0,
                    {frames(3, 0, 5, false, 8), frames(2, 3, 5, true, 9)}, {},
                    command_batch::kComplete, 5, 9,
                    Log{"ask 7/0", "read", "ask 8/3", "read"}},
        CollectCase{"FrameCountMismatch", 7, 0,
                    {frames(3, 0, 6, false, 8), frames(2, 3, 6, true, 9)}, {},
                    command_batch::kIncomplete, 5, 9,
                    Log{"ask 7/0", "read", "ask 8/3", "read"}},
        CollectCase{"EmptyLastBlockWithCompleteFlag", 7, 0,
                    {frames(4, 0, 4, false, 8), frames(0, 4, 4, true, 8)}, {},
                    command_batch::kComplete, 4, 8,
                    Log{"ask 7/0", "read", "ask 8/4", "read"}},
        CollectCase{"EmptyLastBlockThatDoesNotAddUp", 7, 0,
                    {frames(4, 0, 4, false, 8), frames(0, 3, 4, true, 8)}, {},
                    command_batch::kIncomplete, 4, 8,
                    Log{"ask 7/0", "read", "ask 8/4", "read"}},
        CollectCase{"WaitsThroughEmptyBlocksWithoutALimit", 7, 0,
                    {frames(0, 0, 0, false, 7), frames(0, 0, 0, false, 7), frames(0, 0, 0, false, 7),
                     frames(2, 0, 2, true, 8)},
                    {}, command_batch::kComplete, 2, 8,
                    Log{"ask 7/0", "read", "read", "read", "read"}},
        CollectCase{"ReadFailureStopsAsFailed", 7, 0,
                    {frames(3, 0, 6, false, 8), failure(HVQ5_RC_BAD_BLOCK)}, {},
                    command_batch::kFailed, 3, 8,
                    Log{"ask 7/0", "read", "ask 8/3", "read"}},
        CollectCase{"TimeOutIsReadOnceMore", 7, 0,
                    {failure(HVQ5_RC_TIMEOUT), frames(2, 0, 2, true, 8)}, {},
                    command_batch::kComplete, 2, 8,
                    Log{"ask 7/0", "read", "read"}},
        CollectCase{"TwoTimeOutsWithTheMemoryReadyFail", 7, 0,
                    {failure(HVQ5_RC_TIMEOUT), failure(HVQ5_RC_TIMEOUT)}, {},
                    command_batch::kFailed, 0, 7,
                    Log{"ask 7/0", "read", "read", "ask 7/0"}},
        CollectCase{"TwoTimeOutsWithTheMemoryNotReadyAreIncomplete", 7, 0,
                    {failure(HVQ5_RC_TIMEOUT), failure(HVQ5_RC_TIMEOUT)},
                    {HVQ5_RC_OK, HVQ5_RC_MEMORY_NOT_READY},
                    command_batch::kIncomplete, 0, 7,
                    Log{"ask 7/0", "read", "read", "ask 7/0"}},
        CollectCase{"MemoryStateTwoGoesOn", 7, 0,
                    {frames(3, 0, 5, false, 8), frames(2, 3, 5, true, 9)},
                    {HVQ5_RC_OK, HVQ5_RC_MEMORY_STATE_2},
                    command_batch::kComplete, 5, 9,
                    Log{"ask 7/0", "read", "ask 8/3", "read"}},
        CollectCase{"MemoryNotReadyAfterABlockStopsIncomplete", 7, 0,
                    {frames(3, 0, 5, false, 8), frames(2, 3, 5, true, 9)},
                    {HVQ5_RC_OK, HVQ5_RC_MEMORY_NOT_READY},
                    command_batch::kIncomplete, 3, 8,
                    Log{"ask 7/0", "read", "ask 8/3"}},
        CollectCase{"ReadyIsAskedAtMostFiveTimes", 7, 0,
                    {frames(1, 0, 1, true, 8)},
                    {HVQ5_RC_MEMORY_NOT_READY, HVQ5_RC_MEMORY_NOT_READY, HVQ5_RC_MEMORY_NOT_READY,
                     HVQ5_RC_MEMORY_NOT_READY, HVQ5_RC_MEMORY_NOT_READY, HVQ5_RC_MEMORY_NOT_READY},
                    command_batch::kComplete, 1, 8,
                    Log{"ask 7/0", "ask 7/0", "ask 7/0", "ask 7/0", "ask 7/0", "read"}},
        CollectCase{"BlockIndexZeroClearsTheMemoryFirst", 0, 0,
                    {frames(1, 0, 1, true, 1)}, {},
                    command_batch::kComplete, 1, 1,
                    Log{"clear", "read"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CollectBatchLimit, EmptyBlocksEndIncompleteOnceTheLimitPassed) {
    ScriptedMemory memory;
    memory.blocks = {frames(2, 0, 9, false, 8)};  // then nothing more arrives
    SteppingClock clock;
    CommandBatch batch;
    batch.blockIndex = 7;
    const int64_t begin = clock.now;

    command_batch::collectCommandBatch(memory, clock, 200, batch);

    EXPECT_EQ(batch.completion, command_batch::kIncomplete);
    EXPECT_EQ(batch.framesReceived, 2);
    // Limit = register 309 + 50 ms, counted from the last block with frames.
    const int64_t lastFrames = begin + 50 /* ready question */;
    EXPECT_GE(clock.now - lastFrames, 250);
    EXPECT_LT(clock.now - lastFrames, 250 + 2 * command_batch::kBlockPauseMs);
}

TEST(CollectBatchClear, FailedClearLeavesNothingOfTheLastBatch) {
    ScriptedMemory memory;
    memory.clearStatus = HVQ5_RC_COMMAND_FAILED;
    SteppingClock clock;
    CommandBatch batch;
    batch.blockIndex = 0;
    batch.completion = command_batch::kComplete;
    batch.framesReceived = 12;
    batch.valuesA = {1, 2, 3};

    command_batch::collectCommandBatch(memory, clock, 0, batch);

    EXPECT_EQ(batch.completion, command_batch::kFailed);
    EXPECT_EQ(batch.framesReceived, 0);
    EXPECT_TRUE(batch.valuesA.empty());
    EXPECT_EQ(memory.log, Log{"clear"});
}

}  // namespace
