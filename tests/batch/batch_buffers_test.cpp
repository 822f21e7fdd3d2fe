#include "sensor_interface/data_channel/batch_buffers.h"

#include <gtest/gtest.h>

#include <functional>

#include <mutex>
#include <numeric>
#include <vector>

namespace {

using data_channel::BatchBuffers;
using data_channel::FrameDestinations;

constexpr int kWidth = 4;

// Frame f carries value 100 f + i at point i and encoder 10 f.
void appendFrames(BatchBuffers& buffers, int first, int count) {
    std::lock_guard<BatchBuffers> lock(buffers);
    for (int f = first; f < first + count; ++f) {
        int16_t codes[kWidth];
        int32_t heights[kWidth];
        uint8_t gray[kWidth];
        for (int i = 0; i < kWidth; ++i) {
            codes[i] = static_cast<int16_t>(100 * f + i);
            heights[i] = 100 * f + i;
            gray[i] = static_cast<uint8_t>(f);
        }
        buffers.appendRows(codes, heights, gray, kWidth);
        buffers.appendFrameInfo(10u * f, static_cast<uint32_t>(f), 1000u * f);
    }
}

TEST(BatchBuffers, CopyFramesIsLimitedToTheFramesPresent) {
    BatchBuffers buffers;
    appendFrames(buffers, 0, 100);
    struct Case {
        int first, count, copied;
    } cases[] = {{95, 10, 5}, {120, 10, 0}, {100, 1, 0}, {0, 100, 100}, {-1, 5, 0}, {3, 0, 0}};
    for (const Case& c : cases) {
        std::vector<int32_t> profiles(110 * kWidth, -1);
        std::vector<uint32_t> encoders(110, 7);
        const int copied = buffers.copyFrames(c.first, c.count, kWidth, {profiles.data(), nullptr, encoders.data(), nullptr, nullptr});
        EXPECT_EQ(copied, c.copied) << c.first << "+" << c.count;
        if (copied > 0) {
            EXPECT_EQ(profiles[0], 100 * c.first);
            EXPECT_EQ(encoders[copied - 1], 10u * (c.first + copied - 1));
        }
        EXPECT_EQ(profiles[copied * kWidth], -1) << "nothing written beyond the frames copied";
    }
    EXPECT_EQ(buffers.profileValueCount(), 100u * kWidth);  // copies remove nothing
}

// A take copies in pieces and goes on only while the frames stay where they
// were: appends leave them, every other change moves or replaces them.
TEST(BatchBuffers, OnlyAppendsLeaveTheFramesWhereTheyWere) {
    BatchBuffers buffers;
    const uint64_t start = buffers.changes();
    appendFrames(buffers, 0, 10);
    EXPECT_EQ(buffers.changes(), start);
    uint32_t encoders[10] = {};
    struct Change {
        const char* name;
        std::function<void()> make;
    } changes[] = {
        {"take from the front", [&] { buffers.takeFrontFrames(1, kWidth, {nullptr, nullptr, encoders}); }},
        {"take encoders", [&] { buffers.takeEncoders(encoders, 1); }},
        {"complete to size", [&] { buffers.completeBatch(12, kWidth, false, 0); }},
        {"a new batch", [&] { buffers.clearForBatch(10, kWidth); }},
    };
    uint64_t before = buffers.changes();
    for (const Change& change : changes) {
        change.make();
        EXPECT_GT(buffers.changes(), before) << change.name;
        before = buffers.changes();
    }
}

TEST(BatchBuffers, FrameWiseBuffersShorterThanTheRowsReadAsZero) {
    BatchBuffers buffers;
    appendFrames(buffers, 0, 10);
    uint32_t taken[4];
    ASSERT_EQ(buffers.takeEncoders(taken, 4), 4);  // the encoder buffer alone loses its front
    std::vector<uint32_t> encoders(10, 7);
    EXPECT_EQ(buffers.copyFrames(0, 10, kWidth, {nullptr, nullptr, encoders.data(), nullptr, nullptr}), 10);
    EXPECT_EQ(encoders[0], 40u);
    EXPECT_EQ(encoders[5], 90u);
    EXPECT_EQ(encoders[6], 0u);
    EXPECT_EQ(encoders[9], 0u);
}

TEST(BatchBuffers, TakeFrontFramesRemovesFromEveryBuffer) {
    BatchBuffers buffers;
    EXPECT_EQ(buffers.takeFrontFrames(5, kWidth, {}), BatchBuffers::kNothingBuffered);
    appendFrames(buffers, 0, 10);
    std::vector<int32_t> profiles(6 * kWidth);
    std::vector<uint64_t> stamps(6);
    EXPECT_EQ(buffers.takeFrontFrames(6, kWidth, {profiles.data(), nullptr, nullptr, nullptr, stamps.data()}), 6);
    EXPECT_EQ(profiles[5 * kWidth], 500);
    EXPECT_EQ(stamps[5], 5000u);
    EXPECT_EQ(buffers.takeFrontFrames(6, kWidth, {profiles.data(), nullptr, nullptr, nullptr, nullptr}), 4);
    EXPECT_EQ(profiles[0], 600);
    EXPECT_EQ(buffers.codes(0).count, 0u);
    EXPECT_EQ(buffers.timestamps(0).count, 0u);
    EXPECT_EQ(buffers.takeFrontFrames(6, kWidth, {}), BatchBuffers::kNothingBuffered);
}

TEST(BatchBuffers, SingleBufferGettersReportNullAndZeroWidth) {
    BatchBuffers buffers;
    appendFrames(buffers, 0, 3);
    EXPECT_EQ(buffers.copyEncoders(nullptr), BatchBuffers::kNullDestination);
    EXPECT_EQ(buffers.takeEncoders(nullptr, 1), BatchBuffers::kNullDestination);
    EXPECT_EQ(buffers.copyIntensity(nullptr, kWidth), BatchBuffers::kNullDestination);
    EXPECT_EQ(buffers.takeIntensityFrames(nullptr, 1, kWidth), BatchBuffers::kNullDestination);
    EXPECT_EQ(buffers.copyProfiles(nullptr, kWidth), BatchBuffers::kNullDestination);
    EXPECT_EQ(buffers.takeProfileFrames(nullptr, 1, kWidth), BatchBuffers::kNullDestination);
    EXPECT_EQ(buffers.copyTimestamps(nullptr), BatchBuffers::kNullDestination);

    int32_t profiles[3 * kWidth];
    uint8_t intensity[3 * kWidth];
    EXPECT_EQ(buffers.copyProfiles(profiles, 0), 0);
    EXPECT_EQ(buffers.takeProfileFrames(profiles, 3, 0), 0);
    EXPECT_EQ(buffers.copyIntensity(intensity, 0), 0);
    EXPECT_EQ(buffers.takeIntensityFrames(intensity, 3, 0), 0);
    EXPECT_EQ(buffers.copyProfiles(profiles, kWidth), 3 * kWidth);
    EXPECT_EQ(buffers.copyIntensity(intensity, kWidth), 3 * kWidth);
    // Taking profiles leaves the intensity buffer as it was.
    EXPECT_EQ(buffers.takeProfileFrames(profiles, 2, kWidth), 2);
    EXPECT_EQ(profiles[kWidth], 100);
    EXPECT_EQ(buffers.copyIntensity(intensity, kWidth), 3 * kWidth);
    EXPECT_EQ(buffers.takeProfileFrames(profiles, 5, kWidth), 1);
}

TEST(BatchBuffers, PointerViewsSkipWithinTheBufferAndCountItAll) {
    BatchBuffers buffers;
    appendFrames(buffers, 0, 5);
    EXPECT_EQ(buffers.profiles(2 * kWidth).data, buffers.profiles(0).data + 2 * kWidth);
    EXPECT_EQ(buffers.profiles(2 * kWidth).count, 5u * kWidth);
    // A window beyond the batch points at its end, not past it.
    EXPECT_EQ(buffers.encoders(50).data, buffers.encoders(0).data + 5);
    EXPECT_EQ(buffers.timestamps(1).count, 5u);
    uint32_t taken[2];
    buffers.takeEncoders(taken, 2);
    EXPECT_EQ(buffers.timestamps(0).count, 3u) << "counted as the encoder values";
}

TEST(BatchBuffers, CompleteBatchPadsCutsOrTakesTheSavedBatch) {
    BatchBuffers buffers;
    appendFrames(buffers, 0, 10);
    buffers.saveFullBatch();
    buffers.clear();
    appendFrames(buffers, 50, 4);

    struct Case {
        const char* name;
        int frames;
        bool preferSaved;
        bool replaced;
        int32_t lastProfile;
    } cases[] = {{"saved", 10, true, true, 100 * 9 + 3},
                 {"savedOfOtherSize", 12, true, false, -999900000},
                 {"padded", 10, false, false, -999900000},
                 {"cut", 2, false, false, 100 * 51 + 3}};
    for (const Case& c : cases) {
        buffers.clear();
        appendFrames(buffers, 50, 4);
        EXPECT_EQ(buffers.completeBatch(c.frames, kWidth, c.preferSaved, -999900000), c.replaced) << c.name;
        const auto profiles = buffers.profiles(0);
        ASSERT_EQ(profiles.count, static_cast<size_t>(c.frames * kWidth)) << c.name;
        EXPECT_EQ(profiles.data[profiles.count - 1], c.lastProfile) << c.name;
        EXPECT_EQ(buffers.codes(0).count, profiles.count) << c.name;
        EXPECT_EQ(buffers.intensity(0).count, profiles.count) << c.name;
        const auto encoders = buffers.encoders(0);
        ASSERT_EQ(encoders.count, static_cast<size_t>(c.frames)) << c.name;
        EXPECT_EQ(encoders.data[0], 500u) << c.name << ": the live encoders stay";
        if (c.frames > 4) EXPECT_EQ(encoders.data[4], 0u) << c.name;
    }
    EXPECT_EQ(buffers.savedProfileValueCount(), 10u * kWidth);
}

}  // namespace
