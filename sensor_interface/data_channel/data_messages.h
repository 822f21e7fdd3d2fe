#pragma once
// Byte format of the data channel: how the stream is cut into messages, how a
// message is recognised by its tag, and the layout of info messages, frames and
// ticks. Everything here is a pure function over bytes; every field read is
// checked against the message length first.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Describes the frames that follow it; all fields stay in force until the next one.
struct InfoMessage {
    uint16_t batchpoints = 0;     // frames per batch
    uint32_t xpitch = 0;          // millimetres x 100000 between neighbouring points
    uint8_t intensity = 0;        // non-zero: one intensity byte per point in every frame
    uint32_t reserved12 = 0;
    uint16_t horizon_length = 0;  // points per profile
    uint16_t reserved18 = 0;
    uint8_t reserved20 = 0;
    uint8_t value_width = 0;      // non-zero: profile values are 32-bit, else 16-bit
    uint32_t reserved22[4] = {0, 0, 0, 0};
    uint32_t reserved38 = 0;
    uint32_t reserved42 = 0;
    uint32_t reserved46 = 0;
    uint16_t horizon_offset = 0;  // first camera column of the transmitted profile

    int bytesPerValue() const { return value_width ? 4 : 2; }
};

// The 32 big-endian bytes that open every frame's payload.
struct FrameHeader {
    uint32_t batchtimes = 0;  // batch number
    uint32_t frame = 0;       // frame number
    uint8_t byte8 = 0;
    uint8_t byte9 = 0;
    uint32_t encoder = 0;
    uint64_t timestamp = 0;
};

constexpr size_t kFrameHeaderSize = 32;

// Reads the header fields from 32 bytes (the caller guarantees them).
FrameHeader parse_frame_header(const uint8_t* header);

namespace data_channel {

constexpr char kTerminator[] = ",end\r\n";
constexpr size_t kTerminatorSize = 6;
// A terminator seen with this many bytes or fewer accumulated does not end a message.
constexpr size_t kShortestMessageCut = 11;
constexpr size_t kHeartbeatTailSize = 15;
// Shortest info message taken: the layout reaches byte 52 even though the full
// message with its terminator is 58 bytes long.
constexpr size_t kInfoMinLength = 52;
constexpr size_t kInfoPayloadOffset = 5;
// Frame length test: the tag is counted as 8 bytes ("algdat1,") whatever its real length.
constexpr size_t kFrameFixedLength = 8 + kFrameHeaderSize + kTerminatorSize;

// True when the accumulated bytes form a complete message.
bool endsMessage(const uint8_t* data, size_t size);
// True for a complete message whose last 15 bytes are "heartbea", one byte and the terminator.
bool isHeartbeat(const uint8_t* data, size_t size);

struct MessageTag {
    std::string text;       // bytes before the first comma, zero bytes left out
    size_t payloadPos = 0;  // index just after that comma in the raw message
};
MessageTag messageTag(const uint8_t* data, size_t size);

enum class MessageKind { Info, Frame, BatchStart, Tick, BatchStop, Other };
// The first matching test decides, in the order of the enumeration.
MessageKind classifyTag(const std::string& tag);

// Empty when the message is shorter than kInfoMinLength.
std::optional<InfoMessage> parseInfo(const uint8_t* data, size_t size);

// Minimum valid frame length for the announced layout.
size_t expectedFrameLength(const InfoMessage& info);

// Where the parts of a frame lie inside its message.
struct FrameLayout {
    size_t header = 0;
    size_t intensity = 0;  // meaningful only when the info message announces intensity
    size_t values = 0;
    size_t valueBytes = 0;
};
FrameLayout frameLayout(size_t payloadPos, const InfoMessage& info, size_t bytesPerValue);

// True when header, intensity and values of bytesPerValue each, read from the
// payload position, end before the terminator of a message of this size.
bool frameFits(size_t messageSize, size_t payloadPos, const InfoMessage& info, size_t bytesPerValue);

// A frame is taken when it has the expected length, its parts lie inside the
// message, and its columns fit the camera (columnCount of the sensor opened last).
bool isValidFrame(size_t messageSize, size_t payloadPos, const InfoMessage& info, int columnCount);

// The 32-bit little-endian value at the payload position of a tick message;
// empty when it does not lie before the terminator.
std::optional<uint32_t> parseTick(const uint8_t* data, size_t size, size_t payloadPos);

}  // namespace data_channel
