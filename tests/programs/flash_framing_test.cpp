// Framing of the flash writers' requests, byte by byte.
#include "sensor_interface/command/flash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace {

using flash::HeadCommand;

TEST(PlainFlash, WrittenLengthIsWholeSectors) {
    EXPECT_EQ(flash::plainWrittenLength(1), 0x10000u);
    EXPECT_EQ(flash::plainWrittenLength(100), 0x10000u);
    EXPECT_EQ(flash::plainWrittenLength(0x10000), 0x10000u);
    EXPECT_EQ(flash::plainWrittenLength(0x10001), 0x20000u);
}

TEST(PlainFlash, ChunksArePaddedWithErasedBytes) {
    std::vector<uint8_t> image(300);
    std::iota(image.begin(), image.end(), 0);
    uint8_t chunk[flash::kPlainChunk];

    flash::plainChunk(image.data(), image.size(), 0, chunk);
    EXPECT_EQ(std::vector<uint8_t>(chunk, chunk + 256), std::vector<uint8_t>(image.begin(), image.begin() + 256));

    flash::plainChunk(image.data(), image.size(), 256, chunk);
    EXPECT_EQ(std::vector<uint8_t>(chunk, chunk + 44), std::vector<uint8_t>(image.begin() + 256, image.end()));
    EXPECT_EQ(std::vector<uint8_t>(chunk + 44, chunk + 256), std::vector<uint8_t>(212, 0xFF));

    flash::plainChunk(image.data(), image.size(), 512, chunk);
    EXPECT_EQ(std::vector<uint8_t>(chunk, chunk + 256), std::vector<uint8_t>(256, 0xFF));
}

std::vector<HeadCommand> eraseCommands(std::size_t size) {
    std::vector<HeadCommand> commands;
    for (std::size_t offset = 0; offset < size; offset += flash::kSectorSize)
        commands.push_back(flash::eraseCommand(offset, size));
    return commands;
}

std::vector<HeadCommand> writeCommands(std::size_t size) {
    std::vector<HeadCommand> commands;
    for (std::size_t offset = 0; offset < size; offset += flash::paddedSegmentLength(offset, size))
        commands.push_back(flash::writeCommand(offset, size));
    return commands;
}

TEST(HeadFlash, CommandsOfEachPhase) {
    EXPECT_EQ(eraseCommands(1000), (std::vector<HeadCommand>{HeadCommand::EraseFirst}));
    EXPECT_EQ(eraseCommands(0x10000), (std::vector<HeadCommand>{HeadCommand::EraseFirst}));
    EXPECT_EQ(eraseCommands(0x18000),
              (std::vector<HeadCommand>{HeadCommand::EraseFirst, HeadCommand::EraseLast}));
    EXPECT_EQ(eraseCommands(0x30000), (std::vector<HeadCommand>{HeadCommand::EraseFirst, HeadCommand::EraseFurther,
                                                               HeadCommand::EraseLast}));

    EXPECT_EQ(writeCommands(1000), (std::vector<HeadCommand>{HeadCommand::WriteFirst}));
    EXPECT_EQ(writeCommands(1500), (std::vector<HeadCommand>{HeadCommand::WriteFirst, HeadCommand::WriteLast}));
    const std::vector<HeadCommand> big = writeCommands(0x18000);
    ASSERT_EQ(big.size(), 96u);
    EXPECT_EQ(big.front(), HeadCommand::WriteFirst);
    EXPECT_EQ(std::count(big.begin(), big.end(), HeadCommand::WriteFurther), 94);
    EXPECT_EQ(big.back(), HeadCommand::WriteLast);
}

TEST(HeadFlash, EraseRequestCarriesTheSubHeader) {
    flash::HeadRequest request;
    flash::eraseRequest(0x800000, 0x10000, 0x30000, 0x0102, request);
    EXPECT_EQ(request.command, HeadCommand::EraseFurther);
    EXPECT_EQ(request.packetAddress, 0x40009u);
    EXPECT_EQ(request.flashAddress, 0x810000u);
    EXPECT_EQ(request.payload, (std::vector<uint8_t>{59, 0x01, 0x02, 0x00, 0x81, 0x00, 0x00, 0x00, 64}));

    flash::eraseRequest(0x800000, 0, 0x30000, 0, request);
    EXPECT_EQ(request.packetAddress, 0x30009u);
    EXPECT_EQ(request.payload[0], 58);
}

TEST(HeadFlash, WriteRequestPadsTheSegmentToWholePages) {
    std::vector<uint8_t> image(1300, 0x5A);
    flash::HeadRequest request;

    flash::writeRequest(0x1000, image.data(), 1024, image.size(), 7, request);
    EXPECT_EQ(request.command, HeadCommand::WriteLast);
    EXPECT_EQ(request.packetAddress, 0x60000u | (512 + 9));
    EXPECT_EQ(request.flashAddress, 0x1400u);
    ASSERT_EQ(request.payload.size(), 9u + 512u);
    EXPECT_EQ(std::vector<uint8_t>(request.payload.begin(), request.payload.begin() + 9),
              (std::vector<uint8_t>{28, 0, 7, 0x00, 0x00, 0x14, 0x00, 0x02, 0x00}));
    EXPECT_EQ(std::count(request.payload.begin() + 9, request.payload.begin() + 9 + 276, 0x5A), 276);
    EXPECT_EQ(std::count(request.payload.begin() + 9 + 276, request.payload.end(), 0xFF), 512 - 276);

    flash::writeRequest(0x1000, image.data(), 0, image.size(), 0, request);
    EXPECT_EQ(request.packetAddress, 0x50000u | (1024 + 9));
    EXPECT_EQ(request.payload.size(), 9u + 1024u);
}

TEST(FlashProgress, Percentages) {
    EXPECT_EQ(flash::plainProgress(256, 0x10000), 0);
    EXPECT_EQ(flash::plainProgress(0x8000, 0x10000), 50);
    EXPECT_EQ(flash::plainProgress(0x10000, 0x10000), 100);
    EXPECT_EQ(flash::eraseProgress(0x10000, 0x18000), 16);
    EXPECT_EQ(flash::eraseProgress(0x20000, 0x18000), 25);
    EXPECT_EQ(flash::writeProgress(1024, 0x18000), 25);
    EXPECT_EQ(flash::writeProgress(0x18000, 0x18000), 100);
    // A padded last segment reports past the end, as the sensor tools expect.
    EXPECT_EQ(flash::writeProgress(1024, 1000), 101);
}

}  // namespace
