// The decisions of the batch exports, driven without a sensor.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/registry/batch_exports.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/hvq5_rc.h"

namespace {

using batch_exports::Preparation;

TEST(BatchExportRules, RequestKindsChooseTheirPreparation) {
    const struct {
        uint8_t kind;
        Preparation preparation;
    } cases[] = {{0, Preparation::ClearMemory}, {2, Preparation::AskMemoryState}, {5, Preparation::None},
                 {1, Preparation::Refuse},      {3, Preparation::Refuse},         {255, Preparation::Refuse}};
    for (const auto& c : cases) EXPECT_EQ(batch_exports::preparationFor(c.kind), c.preparation) << int(c.kind);
}

TEST(BatchExportRules, OnlyAReadyMemoryOrAcceptedStateTwoGoesOn) {
    const struct {
        int status;
        bool acceptState2;
        int outcome;
    } cases[] = {
        {HVQ5_RC_OK, false, HVQ5_RC_OK},
        {HVQ5_RC_MEMORY_STATE_2, false, HVQ5_RC_COMMAND_FAILED},
        {HVQ5_RC_MEMORY_STATE_2, true, HVQ5_RC_OK},
        {HVQ5_RC_MEMORY_NOT_READY, true, HVQ5_RC_COMMAND_FAILED},
        {HVQ5_RC_COMMAND_FAILED, true, HVQ5_RC_COMMAND_FAILED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(batch_exports::memoryStateOutcome(c.status, c.acceptState2), c.outcome)
            << c.status << " " << c.acceptState2;
}

// The sensor alone never decides how much a caller's array takes.
TEST(BatchExportRules, FramesAllowedIsTheSmallerKnownCount) {
    const struct {
        uint32_t configured, announced;
        size_t allowed;
    } cases[] = {{100, 100, 100}, {100, 60000, 100}, {500, 40, 40}, {0, 40, 40}, {30, 0, 30}, {0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(batch_exports::framesAllowed(c.configured, c.announced), c.allowed)
            << c.configured << " " << c.announced;
}

TEST(BatchExportRules, PointerWindowNeedsTheEnableByte) {
    HVQ5_2_EXTEND extend;
    const struct {
        uint8_t enable;
        int32_t first, last;
        size_t start;
    } cases[] = {{1, 10, 50, 10}, {1, 0, 50, 0}, {1, 10, 0, 10}, {0, 10, 50, 0}, {1, -5, 50, 0}, {1, 0, 0, 0}};
    for (const auto& c : cases) {
        extend.enable = c.enable;
        extend.y_roi_first = c.first;
        extend.y_roi_last = c.last;
        EXPECT_EQ(batch_exports::pointerWindowFirstFrame(extend), c.start)
            << int(c.enable) << " " << c.first << ".." << c.last;
    }
}

TEST(BatchExportRules, FrameRecordLayout) {
    HVQ5_BATCH_FRAME record;
    std::memset(&record, 0xAB, sizeof record);
    batch_exports::fillFrameRecord(record, 0x01020304u, 0x0A0B0C0Du, 0x1122334455667788ull);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    uint32_t word = 0;
    uint64_t wide = 0;
    std::memcpy(&word, bytes + 0, 4);
    EXPECT_EQ(word, 0u);
    std::memcpy(&word, bytes + 4, 4);
    EXPECT_EQ(word, 0x01020304u);
    std::memcpy(&word, bytes + 8, 4);
    EXPECT_EQ(word, 0x0A0B0C0Du);
    std::memcpy(&word, bytes + 12, 4);
    EXPECT_EQ(word, 0xABABABABu) << "not written";
    std::memcpy(&wide, bytes + 16, 8);
    EXPECT_EQ(wide, 0x1122334455667788ull);
    std::memcpy(&wide, bytes + 24, 8);
    EXPECT_EQ(wide, 0u);
}

TEST(BatchExportRules, Outline16WidthFallsBackToTheWindowWidth) {
    EXPECT_EQ(batch_exports::outline16Width(4, 800), 4);
    EXPECT_EQ(batch_exports::outline16Width(0, 800), 800);
    EXPECT_EQ(batch_exports::outline16Width(0, 0), 0);
    EXPECT_EQ(batch_exports::outline16Width(0xFFFFFFFFu, 800), 0) << "a negative width copies nothing";
}

TEST(BatchExportRules, Outline16CopiesWholeRowsOfLow16Bits) {
    std::vector<int32_t> profiles(10);
    for (int i = 0; i < 10; ++i) profiles[i] = 0x00030000 + i;
    profiles[1] = -999900000;
    std::vector<int16_t> out(10, 7);
    EXPECT_EQ(batch_exports::copyOutline16(profiles.data(), 10, 4, out.data()), 8u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], static_cast<int16_t>(static_cast<uint32_t>(-999900000) & 0xFFFF));
    EXPECT_EQ(out[7], 7);
    EXPECT_EQ(out[8], 7) << "the remainder is not copied";
    EXPECT_EQ(out[9], 7);
}

TEST(BatchExportRules, Outline16WithoutWidthOrArraysCopiesNothing) {
    std::vector<int32_t> profiles(8, 1);
    std::vector<int16_t> out(8, 7);
    EXPECT_EQ(batch_exports::copyOutline16(profiles.data(), 8, 0, out.data()), 0u);
    EXPECT_EQ(batch_exports::copyOutline16(profiles.data(), -8, 4, out.data()), 0u);
    EXPECT_EQ(batch_exports::copyOutline16(nullptr, 8, 4, out.data()), 0u);
    EXPECT_EQ(batch_exports::copyOutline16(profiles.data(), 8, 4, nullptr), 0u);
    EXPECT_EQ(out, std::vector<int16_t>(8, 7));
}

TEST(BatchExportRules, FrameNumbersAreWidenedInPlaceAndTheRestZeroed) {
    std::vector<uint64_t> aux(6, 0xFFFFFFFFFFFFFFFFull);
    const uint32_t numbers[] = {7, 0xFFFFFFFEu, 9};
    std::memcpy(aux.data(), numbers, sizeof numbers);
    batch_exports::widenFrameNumbers(aux.data(), 3, 6);
    EXPECT_EQ(aux, (std::vector<uint64_t>{7, 0xFFFFFFFEull, 9, 0, 0, 0}));
    batch_exports::widenFrameNumbers(nullptr, 3, 6);  // no array, nothing to do
}

TEST(BatchExportRules, RecordLayoutsAreTheCallersOnes) {
    EXPECT_EQ(sizeof(HVQ5_BATCH_REQUEST), 12u);
    EXPECT_EQ(sizeof(HVQ5_BATCH_HEADER), 32u);
    EXPECT_EQ(sizeof(HVQ5_BATCH_PROFILE_INFO), 28u);
    EXPECT_EQ(sizeof(HVQ5_BATCH_FRAME), 32u);
    EXPECT_EQ(sizeof(HVQ5_2_OUTLINE16_RESULT), 16u);
}

// Exports of an id that is not open.
TEST(BatchExportRules, NotOpenResults) {
    HVQ5_Finalize();
    const int id = 17;
    _HVQ5_2_Data data{id, 0};
    int batchNumber = 5;
    uint32_t encoders[1];
    EXPECT_EQ(HVQ5_2_TakeBatchData(id, nullptr, 0, batchNumber, nullptr, nullptr, encoders, nullptr, nullptr,
                                   nullptr, 1),
              HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(batchNumber, 5);
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(&data), nullptr);
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint(nullptr), nullptr);
    EXPECT_EQ(HVQ5_2_GetBatchTimestamps(&data), nullptr);
    EXPECT_EQ(HVQ5_2_GetBatchProfilePoint16(&data, 0, nullptr), nullptr);
    EXPECT_EQ(HVQ5_2_ProfilePointCount(id), -1);
    EXPECT_EQ(HVQ5_2_GetProfileContiuneData(id, nullptr, nullptr, 1), -1);
    EXPECT_EQ(HVQ5_2_GetEncoderContiune(id, nullptr, encoders, 1), -1);
    EXPECT_EQ(HVQ5_2_GetProfileData(id, nullptr, nullptr), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_2_GetBatchRollData(id, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_2_Res16(id), 4097.0);
    EXPECT_EQ(HVQ5_2_EXTEND_Outline16bit(id, nullptr, 0, nullptr).status, HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_2_ReceiveData(id), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_2_ReceiveDataAuto(id, nullptr), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_2_GetBatchTimes(id), HVQ5_RC_NOT_OPEN);
    HVQ5_BATCH_REQUEST request{};
    EXPECT_EQ(HVQ5_GetBatchProfile(id, &request, nullptr, nullptr, nullptr), HVQ5_RC_NOT_OPEN);
}

}  // namespace

namespace {

// An info message announcing `frames` frames per batch.
std::vector<uint8_t> infoMessage(uint16_t frames) {
    std::vector<uint8_t> message(58, 0);
    std::memcpy(message.data(), "info,", 5);
    message[5] = static_cast<uint8_t>(frames);
    message[6] = static_cast<uint8_t>(frames >> 8);
    std::memcpy(message.data() + 52, ",end\r\n", 6);
    return message;
}

TEST(BatchEndWait, EndedBatchReturnsAtOnce) {
    ProfileReceiver receiver;
    const std::vector<uint8_t> info = infoMessage(10);
    ASSERT_TRUE(receiver.parseInfo(info.data(), info.size()));
    receiver.setBatchFinished(true);
    EXPECT_EQ(batch_exports::waitForBatchEnd(receiver, 10, [] { return true; }), HVQ5_RC_OK);
}

// The end that closing the id brings about is not a batch for the caller.
TEST(BatchEndWait, AnEndAfterTheIdWasClosedIsNotReportedAsSuccess) {
    ProfileReceiver receiver;
    const std::vector<uint8_t> info = infoMessage(10);
    ASSERT_TRUE(receiver.parseInfo(info.data(), info.size()));
    receiver.setBatchFinished(true);
    EXPECT_EQ(batch_exports::waitForBatchEnd(receiver, 10, [] { return false; }), HVQ5_RC_NOT_OPEN);
}

// Nothing announced yet (a cleared batch is "finished" too): no end to report.
TEST(BatchEndWait, WithoutFramesItWaitsUntilTheIdIsClosed) {
    ProfileReceiver receiver;
    receiver.setBatchFinished(true);
    int rounds = 0;
    EXPECT_EQ(batch_exports::waitForBatchEnd(receiver, 5, [&rounds] { return ++rounds < 3; }), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(rounds, 3);
}

}  // namespace
