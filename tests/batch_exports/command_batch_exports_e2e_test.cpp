// The command-channel batch exports against the simulated sensor's batch memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/batch_exports/batch_exports_fixture.h"

namespace batch_exports_test {
namespace {

class CommandBatchExports : public BatchMemorySensor {
protected:
    size_t statusReads() const {
        size_t reads = 0;
        for (const auto& packet : sim->packetLog()) reads += packet.opcode == kReadOpcode && packet.address == 278;
        return reads;
    }
};

enum class Export { Profile, SimpleArray, SimpleArrayV2 };

int callExport(Export which, int id, const HVQ5_BATCH_REQUEST& request, HVQ5_BATCH_HEADER* header,
               HVQ5_BATCH_PROFILE_INFO* info, HVQ5_BATCH_FRAME* frames, void* profiles, void* intensity) {
    switch (which) {
        case Export::Profile: return HVQ5_GetBatchProfile(id, &request, header, info, profiles);
        case Export::SimpleArray:
            return HVQ5_GetBatchSimpleArray(id, &request, header, info, frames, profiles, intensity);
        case Export::SimpleArrayV2:
            return HVQ5_GetBatchSimpleArray_v2(id, &request, header, info, frames, profiles, intensity);
    }
    return -1;
}

struct KindCase {
    const char* name;
    Export which;
    uint8_t kind;
    uint32_t memoryState;  // the simulator's answer to the memory-state question
    int status;
    size_t clears, questions;
    bool blockRead;
};
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

class RequestKinds : public CommandBatchExports, public ::testing::WithParamInterface<KindCase> {};

TEST_P(RequestKinds, PrepareThenReadTheBlock) {
    const KindCase& c = GetParam();
    memory->setMemoryState(c.memoryState);
    memory->queueBlock(block(3, 2));
    HVQ5_BATCH_REQUEST request{};
    request.kind = c.kind;
    request.value = 3;
    request.memoryIndex = 5;
    HVQ5_BATCH_HEADER header{};
    HVQ5_BATCH_PROFILE_INFO info{};
    std::vector<int32_t> profiles(2 * kPoints, 7);
    EXPECT_EQ(callExport(c.which, kId, request, &header, &info, nullptr, profiles.data(), nullptr), c.status);
    EXPECT_EQ(memory->clears(), c.clears);
    const auto questions = memory->questions();
    ASSERT_EQ(questions.size(), c.questions);
    if (c.questions == 1) {
        EXPECT_EQ(questions[0].blockIndex, 3u) << "the request's value";
        EXPECT_EQ(questions[0].acknowledged, 5) << "the request's memory index";
    }
    EXPECT_EQ(statusReads(), c.blockRead ? 1u : 0u);
    EXPECT_EQ(profiles[50], c.blockRead ? 1000 : 7) << "the middle of the first frame";
    if (c.kind == 3) {
        EXPECT_TRUE(sim->packetLog().empty()) << "no traffic at all";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RequestKinds,
    ::testing::Values(KindCase{"Clear", Export::Profile, 0, 0, 0, 1, 0, true},
                      KindCase{"ReadyMemory", Export::SimpleArray, 2, 0, 0, 0, 1, true},
                      KindCase{"StateTwoRefused", Export::SimpleArray, 2, 2, 3090, 0, 1, false},
                      KindCase{"StateTwoAcceptedByV2", Export::SimpleArrayV2, 2, 2, 0, 0, 1, true},
                      KindCase{"NotReadyV2", Export::SimpleArrayV2, 2, 1, 3090, 0, 1, false},
                      KindCase{"NotReadyProfile", Export::Profile, 2, 1, 3090, 0, 1, false},
                      KindCase{"ReadAtOnce", Export::SimpleArrayV2, 5, 0, 0, 0, 0, true},
                      KindCase{"UnknownKind", Export::Profile, 3, 0, 4099, 0, 0, false},
                      KindCase{"UnknownKindV2", Export::SimpleArrayV2, 1, 0, 4099, 0, 0, false}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST_F(CommandBatchExports, BatchModeOffIsRefused) {
    device->controller.settings().set_regvals(149, 0);
    memory->queueBlock(block(1, 1));
    HVQ5_BATCH_REQUEST request{};
    request.kind = 5;
    std::vector<int32_t> profiles(kPoints, 7);
    EXPECT_EQ(HVQ5_GetBatchProfile(kId, &request, nullptr, nullptr, profiles.data()), HVQ5_RC_BATCH_NOT_ENABLED);
    EXPECT_EQ(profiles[0], 7);
    EXPECT_EQ(statusReads(), 0u);
}

TEST_F(CommandBatchExports, NullRequestIsRefused) {
    EXPECT_EQ(HVQ5_GetBatchProfile(kId, nullptr, nullptr, nullptr, nullptr), HVQ5_RC_BAD_ARGUMENT);
}

// A status record with every field distinct, announcing no frames.
TEST_F(CommandBatchExports, HeaderAndProfileInfoFromTheStatusRecord) {
    const std::vector<uint8_t> record = {
        0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C,  // words at 0, 4, 6, 10
        0x0D, 0x0E, 0x0F, 0x10,                                                  // block index
        0x11, 0x12, 0x13, 0x14, 0x00, 0x00,                                      // batch, before, this block
        0x16, 0x15, 0x01, 0x01, 0x77,                                            // 22, complete, intensity, points
        0x00, 0x00, 0x01, 0x77, 0x01, 0x01, 0x23};                               // overruns, points, wide, column
    ASSERT_EQ(record.size(), 34u);
    const sensor_sim::SimSensor::Dispatch previous = sim->dispatchFor(kReadOpcode);
    sim->registerOpcodeHandler(
        kReadOpcode,
        [previous, record](sensor_sim::SimSensor& s, const sensor_sim::Request& r, sensor_sim::ReplyWriter& reply) {
            if (r.address != 278) return previous.handler(s, r, reply);
            reply.echo(r.opcode, r.address, static_cast<uint32_t>(record.size()));
            reply.write(record);
        },
        previous.payloadSize);

    HVQ5_BATCH_HEADER header;
    HVQ5_BATCH_PROFILE_INFO info;
    std::memset(&header, 0xEE, sizeof header);
    std::memset(&info, 0xEE, sizeof info);
    HVQ5_BATCH_REQUEST request{};
    request.kind = 5;
    ASSERT_EQ(HVQ5_GetBatchProfile(kId, &request, &header, &info, nullptr), 0);

    std::vector<uint8_t> expectedHeader = {
        0x04, 0x03, 0x02, 0x01, 0x06, 0x05, 0x00, 0x00, 0x0A, 0x09, 0x08, 0x07, 0x0C, 0x0B, 0x00, 0x00,
        0x10, 0x0F, 0x0E, 0x0D, 0x12, 0x11, 0x00, 0x00, 0x14, 0x13, 0x00, 0x00, 0x00, 0x00, 0x15, 0xEE};
    std::vector<uint8_t> headerBytes(32);
    std::memcpy(headerBytes.data(), &header, 32);
    EXPECT_EQ(headerBytes, expectedHeader);

    std::vector<uint8_t> expectedInfo(28, 0xEE);
    expectedInfo[0] = 1;
    expectedInfo[2] = 1;
    expectedInfo[4] = 0x77, expectedInfo[5] = 0x01;
    expectedInfo[24] = 0x46, expectedInfo[25] = 0x02, expectedInfo[26] = 0, expectedInfo[27] = 0;
    std::vector<uint8_t> infoBytes(28);
    std::memcpy(infoBytes.data(), &info, 28);
    EXPECT_EQ(infoBytes, expectedInfo);
}

TEST_F(CommandBatchExports, SimpleArrayCopiesProfilesIntensityAndFrameRecords) {
    memory->queueBlock(block(9, 3));
    HVQ5_BATCH_REQUEST request{};
    request.kind = 5;
    HVQ5_BATCH_HEADER header{};
    HVQ5_BATCH_PROFILE_INFO info{};
    std::vector<HVQ5_BATCH_FRAME> frames(4);
    std::memset(frames.data(), 0xEE, frames.size() * sizeof(HVQ5_BATCH_FRAME));
    std::vector<int32_t> profiles(4 * kPoints, 7);
    std::vector<uint8_t> intensity(4 * kPoints, 7);
    ASSERT_EQ(HVQ5_GetBatchSimpleArray(kId, &request, &header, &info, frames.data(), profiles.data(),
                                       intensity.data()),
              0);

    EXPECT_EQ(header.frameCount, 3);
    EXPECT_EQ(header.blockIndex, 9u);
    EXPECT_EQ(info.hasIntensity, 1);
    const int m = info.pointCount;  // points after processing: 64 columns at 1.5625 points each
    EXPECT_EQ(m, 100);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(profiles[frame * m + m / 2], 1000 * (frame + 1)) << "height 10 (frame + 1), x 100";
        EXPECT_EQ(intensity[frame * m + m / 2], frame);
        EXPECT_EQ(frames[frame].zero0, 0u);
        EXPECT_EQ(frames[frame].batchNumber, 40u + frame);
        EXPECT_EQ(frames[frame].encoder, 1000u + 10 * frame);
        EXPECT_EQ(frames[frame].timeStamp, 0x100000000ull + frame);
        EXPECT_EQ(frames[frame].zero24, 0u);
        EXPECT_EQ(frames[frame].reserved, 0xEEEEEEEEu) << "not written";
    }
    EXPECT_EQ(profiles[3 * m], 7) << "nothing beyond the block";
    EXPECT_EQ(intensity[3 * m], 7);
    EXPECT_EQ(frames[3].batchNumber, 0xEEEEEEEEu);
}

// The caller sized its arrays for the batch length it configured; a block
// with more frames than that does not write past them.
TEST_F(CommandBatchExports, CopiesStopAtTheConfiguredBatchLength) {
    device->controller.settings().set_regvals(138, 2);
    memory->queueBlock(block(9, 3));
    HVQ5_BATCH_REQUEST request{};
    request.kind = 5;
    HVQ5_BATCH_PROFILE_INFO info{};
    std::vector<HVQ5_BATCH_FRAME> frames(3);
    std::memset(frames.data(), 0xEE, frames.size() * sizeof(HVQ5_BATCH_FRAME));
    std::vector<int32_t> profiles(3 * 100, 7);
    std::vector<uint8_t> intensity(3 * 100, 7);
    ASSERT_EQ(HVQ5_GetBatchSimpleArray(kId, &request, nullptr, &info, frames.data(), profiles.data(),
                                       intensity.data()),
              0);
    ASSERT_EQ(info.pointCount, 100);
    EXPECT_EQ(profiles[150], 2000) << "the middle of the second frame";
    EXPECT_EQ(profiles[200], 7);
    EXPECT_EQ(intensity[150], 1);
    EXPECT_EQ(intensity[200], 7);
    EXPECT_EQ(frames[1].batchNumber, 41u);
    EXPECT_EQ(frames[2].batchNumber, 0xEEEEEEEEu);
}

TEST_F(CommandBatchExports, IntensityNeedsTheIntensityFlag) {
    sensor_sim::SimBatchBlock b = block(9, 1);
    b.intensity = false;
    memory->queueBlock(b);
    HVQ5_BATCH_REQUEST request{};
    request.kind = 5;
    std::vector<uint8_t> intensity(kPoints, 7);
    std::vector<int32_t> profiles(kPoints, 7);
    ASSERT_EQ(HVQ5_GetBatchSimpleArray(kId, &request, nullptr, nullptr, nullptr, profiles.data(), intensity.data()),
              0);
    EXPECT_EQ(profiles[50], 1000);
    EXPECT_EQ(intensity[0], 7);
}

// The automatic read: the first call takes the trigger counter, the next change is the batch.
TEST_F(CommandBatchExports, ReceiveDataAutoFillsTheBatchInformation) {
    memory->scriptTriggerCounter({5, 5, 6});
    sensor_sim::SimBatchBlock b = block(6, 3);
    memory->queueBlock(b);
    device->controller.settings().set_regvals(285, 2000);
    EXPECT_EQ(HVQ5_2_GetBatchTimes(kId), -1) << "no batch yet";

    HVQ5_2_STR_CALLBACK_INFO info{};
    ASSERT_EQ(HVQ5_2_ReceiveDataAuto(kId, &info), 0);
    EXPECT_EQ(info.width, device->controller.settings().extwidth(kPoints));
    EXPECT_EQ(info.frames, 3);
    EXPECT_EQ(info.batch_number, 42);
    EXPECT_DOUBLE_EQ(info.x_pitch, 0.02);
    EXPECT_EQ(info.first_encoder, 1000);
    EXPECT_EQ(info.constant, 1);
    EXPECT_EQ(info.incomplete, 0);
    EXPECT_EQ(HVQ5_2_GetBatchTimes(kId), 42);
}

TEST_F(CommandBatchExports, ReceiveDataAutoWithoutInformationStillReadsTheBatch) {
    memory->scriptTriggerCounter({5, 6});
    memory->queueBlock(block(6, 2));
    EXPECT_EQ(HVQ5_2_ReceiveDataAuto(kId, nullptr), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(memory->blocksLeft(), 0u);
    EXPECT_EQ(device->controller.commandBatch.framesReceived, 2);
}

TEST_F(CommandBatchExports, ReceiveDataAutoReportsABatchThatEndedEarly) {
    memory->scriptTriggerCounter({5, 6});
    sensor_sim::SimBatchBlock b = block(6, 2);
    b.batchFrames = 5;  // announced 5, the complete block brings 2
    memory->queueBlock(b);
    HVQ5_2_STR_CALLBACK_INFO info{};
    ASSERT_EQ(HVQ5_2_ReceiveDataAuto(kId, &info), 0);
    EXPECT_EQ(info.frames, 2);
    EXPECT_EQ(info.incomplete, -1);
}

}  // namespace
}  // namespace batch_exports_test
