#include <gtest/gtest.h>

#include "sensor_client/take_buffers.h"

namespace {

// Every press starts the batch thread again: the arrays its takes fill stay
// with the client, so a start with the same or a narrower width neither
// allocates nor fills them again; a wider model makes them grow.
TEST(BatchTakeBuffers, AreKeptFromOneStartOfTheBatchThreadToTheNext) {
    BatchTakeBuffers buffers;
    buffers.reserveFrames(10000, 4096);
    ASSERT_EQ(buffers.heights.size(), 10000u * 4096u);
    ASSERT_EQ(buffers.intensity.size(), 10000u * 4096u);
    ASSERT_EQ(buffers.stamps.size(), 10000u);
    const int* heights = buffers.heights.data();
    const uint8_t* intensity = buffers.intensity.data();
    const uint64_t* stamps = buffers.stamps.data();
    buffers.heights[12345] = 7;

    for (int width : {4096, 3200}) {
        buffers.reserveFrames(10000, width);
        EXPECT_EQ(buffers.heights.data(), heights) << width;
        EXPECT_EQ(buffers.intensity.data(), intensity) << width;
        EXPECT_EQ(buffers.stamps.data(), stamps) << width;
        EXPECT_EQ(buffers.heights[12345], 7) << "not filled again";
    }
    buffers.reserveFrames(10000, 6000);
    EXPECT_EQ(buffers.heights.size(), 10000u * 6000u);
    EXPECT_EQ(buffers.intensity.size(), 10000u * 6000u);
}

}  // namespace
