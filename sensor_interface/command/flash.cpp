#include "sensor_interface/command/flash.h"

#include <algorithm>
#include <cstring>

#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/status_codes.h"

namespace flash {
namespace {

constexpr uint32_t kEraseFirstAddress = 0x30009;
constexpr uint32_t kEraseFurtherAddress = 0x40009;
constexpr uint32_t kWriteAddress = 0x50000;
constexpr uint32_t kWriteLastAddress = 0x60000;

void putBe16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value);
}

}  // namespace

std::size_t plainWrittenLength(std::size_t imageSize) {
    return (imageSize + kSectorSize - 1) / kSectorSize * kSectorSize;
}

void plainChunk(const uint8_t* image, std::size_t imageSize, std::size_t offset, uint8_t* chunk) {
    std::memset(chunk, kPadding, kPlainChunk);
    if (offset >= imageSize) return;
    std::memcpy(chunk, image + offset, std::min(kPlainChunk, imageSize - offset));
}

int plainProgress(std::size_t sentLength, std::size_t writtenLength) {
    return static_cast<int>(static_cast<double>(sentLength) * 100.0 / static_cast<double>(writtenLength));
}

HeadCommand eraseCommand(std::size_t offset, std::size_t imageSize) {
    if (offset == 0) return HeadCommand::EraseFirst;
    return offset + kSectorSize >= imageSize ? HeadCommand::EraseLast : HeadCommand::EraseFurther;
}

HeadCommand writeCommand(std::size_t offset, std::size_t imageSize) {
    if (offset == 0) return HeadCommand::WriteFirst;
    return offset + segmentLength(offset, imageSize) >= imageSize ? HeadCommand::WriteLast
                                                                  : HeadCommand::WriteFurther;
}

std::size_t segmentLength(std::size_t offset, std::size_t imageSize) {
    return offset >= imageSize ? 0 : std::min(imageSize - offset, kSegmentSize);
}

std::size_t paddedSegmentLength(std::size_t offset, std::size_t imageSize) {
    return (segmentLength(offset, imageSize) + kSegmentAlign - 1) / kSegmentAlign * kSegmentAlign;
}

void writeHeadHeader(uint8_t* out, HeadCommand command, uint16_t sequence, uint32_t flashAddress,
                     uint16_t length) {
    out[0] = static_cast<uint8_t>(command);
    putBe16(out + 1, sequence);
    RegisterPacket::put_be32(out + 3, flashAddress);
    putBe16(out + 7, length);
}

void eraseRequest(uint32_t base, std::size_t offset, std::size_t imageSize, uint16_t sequence,
                  HeadRequest& request) {
    request.command = eraseCommand(offset, imageSize);
    request.packetAddress = offset == 0 ? kEraseFirstAddress : kEraseFurtherAddress;
    request.flashAddress = base + static_cast<uint32_t>(offset);
    request.payload.resize(kHeadHeaderSize);
    writeHeadHeader(request.payload.data(), request.command, sequence, request.flashAddress, kEraseLengthField);
}

void writeRequest(uint32_t base, const uint8_t* image, std::size_t offset, std::size_t imageSize,
                  uint16_t sequence, HeadRequest& request) {
    const std::size_t length = segmentLength(offset, imageSize);
    const std::size_t padded = paddedSegmentLength(offset, imageSize);
    request.command = writeCommand(offset, imageSize);
    // The sensor sizes the payload from the packet address, so it carries the
    // padded length that is actually sent.
    const uint32_t kind = request.command == HeadCommand::WriteLast ? kWriteLastAddress : kWriteAddress;
    request.packetAddress = kind | static_cast<uint32_t>(padded + kHeadHeaderSize);
    request.flashAddress = base + static_cast<uint32_t>(offset);
    request.payload.assign(kHeadHeaderSize + padded, kPadding);
    writeHeadHeader(request.payload.data(), request.command, sequence, request.flashAddress,
                    static_cast<uint16_t>(padded));
    std::memcpy(request.payload.data() + kHeadHeaderSize, image + offset, length);
}

int eraseProgress(std::size_t end, std::size_t imageSize) {
    if (end >= imageSize) return 25;
    return static_cast<int>(static_cast<double>(end) * 25.0 / static_cast<double>(imageSize));
}

int writeProgress(std::size_t sent, std::size_t imageSize) {
    return static_cast<int>(static_cast<double>(sent) * 75.0 / static_cast<double>(imageSize) + 25.0);
}

}  // namespace flash

namespace {

// True when the caller wants the transfer to go on.
bool carryOn(const std::function<bool(int)>& progress, int percent) { return !progress || progress(percent); }

}  // namespace

int SensorController::flashImage(uint8_t opcode, uint32_t base, const uint8_t* image, std::size_t size,
                                 const std::function<bool(int)>& progress) {
    // An empty image would still erase and pad a whole sector with 0xFF.
    if (image == nullptr || size == 0) return HVQ5_RC_BAD_ARGUMENT;
    const std::size_t written = flash::plainWrittenLength(size);
    Bytes payload(flash::kPlainChunk);
    int failures = 0;
    for (std::size_t offset = 0; offset < written;) {
        flash::plainChunk(image, size, offset, payload.data());
        uint32_t value = base + static_cast<uint32_t>(offset);
        if (transactAlone(opcode, flash::kPlainAddress, value, 0, &payload) != HVQ5_RC_OK) {
            if (++failures == flash::kAttempts) return HVQ5_RC_NO_SOCKET;
            continue;
        }
        failures = 0;
        offset += flash::kPlainChunk;
        if (!carryOn(progress, flash::plainProgress(offset, written))) return HVQ5_RC_OK;
    }
    return HVQ5_RC_OK;
}

int SensorController::flashHeadImage(uint32_t base, const uint8_t* image, std::size_t size,
                                     const std::function<bool(int)>& progress) {
    if (image == nullptr || size == 0) return HVQ5_RC_BAD_ARGUMENT;
    constexpr uint8_t kOpcode = static_cast<uint8_t>(CommandOpcode::HeadFlashTransfer);
    flash::HeadRequest request;
    request.payload.reserve(flash::kHeadHeaderSize + flash::kSegmentSize);
    const auto accepted = [this, &request]() {
        uint32_t value = request.flashAddress;
        const int status = transactAlone(kOpcode, request.packetAddress, value, 0, &request.payload);
        return status == HVQ5_RC_OK && (value & flash::kHeadAcceptBit) != 0;
    };

    uint16_t sequence = 0;
    int failures = 0;
    for (std::size_t offset = 0; offset < size;) {
        flash::eraseRequest(base, offset, size, sequence++, request);
        if (!accepted()) {
            if (++failures == flash::kAttempts) return HVQ5_RC_NO_SOCKET;
            continue;
        }
        failures = 0;
        offset += flash::kSectorSize;
        if (!carryOn(progress, flash::eraseProgress(offset, size))) return HVQ5_RC_OK;
    }

    sequence = 0;
    for (std::size_t offset = 0; offset < size;) {
        flash::writeRequest(base, image, offset, size, sequence++, request);
        if (!accepted()) {
            if (++failures == flash::kAttempts) return HVQ5_RC_NO_SOCKET;
            continue;
        }
        failures = 0;
        offset += flash::paddedSegmentLength(offset, size);
        if (!carryOn(progress, flash::writeProgress(offset, size))) return HVQ5_RC_OK;
    }
    return HVQ5_RC_OK;
}
