#pragma once
// Firmware images into the flash of the controller and of the sensor head.
// The framing of every request is computed here, apart from the socket work,
// so that the chunking and the head's sub-protocol can be checked byte by byte.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace flash {

constexpr std::size_t kPlainChunk = 256;
constexpr std::size_t kSectorSize = 0x10000;
constexpr std::size_t kSegmentSize = 1024;
constexpr std::size_t kSegmentAlign = 256;
constexpr std::size_t kHeadHeaderSize = 9;
constexpr uint16_t kEraseLengthField = 64;
constexpr uint32_t kPlainAddress = 256;
constexpr uint32_t kHeadAcceptBit = 0x10;
constexpr int kAttempts = 3;
constexpr uint8_t kPadding = 0xFF;

enum class HeadCommand : uint8_t {
    EraseFirst = 58,
    EraseFurther = 59,
    EraseLast = 60,
    WriteFirst = 26,
    WriteFurther = 27,
    WriteLast = 28,
};

// Length the plain writer sends: the image rounded up to whole sectors.
std::size_t plainWrittenLength(std::size_t imageSize);
// The 256 bytes at offset: image bytes, 0xFF past the image's end.
void plainChunk(const uint8_t* image, std::size_t imageSize, std::size_t offset, uint8_t* chunk);
int plainProgress(std::size_t sentLength, std::size_t writtenLength);

// One request of the head writer: the packet's address and value and the
// payload (sub-header, then the segment bytes and their padding).
struct HeadRequest {
    HeadCommand command = HeadCommand::EraseFirst;
    uint32_t packetAddress = 0;
    uint32_t flashAddress = 0;
    std::vector<uint8_t> payload;
};

HeadCommand eraseCommand(std::size_t offset, std::size_t imageSize);
HeadCommand writeCommand(std::size_t offset, std::size_t imageSize);
// Bytes of the segment at offset and the length they are padded to.
std::size_t segmentLength(std::size_t offset, std::size_t imageSize);
std::size_t paddedSegmentLength(std::size_t offset, std::size_t imageSize);

void writeHeadHeader(uint8_t* out, HeadCommand command, uint16_t sequence, uint32_t flashAddress,
                     uint16_t length);
// Fills request (reusing its payload storage) for the sector or segment at offset.
void eraseRequest(uint32_t base, std::size_t offset, std::size_t imageSize, uint16_t sequence,
                  HeadRequest& request);
void writeRequest(uint32_t base, const uint8_t* image, std::size_t offset, std::size_t imageSize,
                  uint16_t sequence, HeadRequest& request);

// Progress after an accepted sector (ending at end) or segment (ending at sent).
int eraseProgress(std::size_t end, std::size_t imageSize);
int writeProgress(std::size_t sent, std::size_t imageSize);

}  // namespace flash
