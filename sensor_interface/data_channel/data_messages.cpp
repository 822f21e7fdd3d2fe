#include "sensor_interface/data_channel/data_messages.h"

#include <cstring>

namespace {

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

uint64_t be64(const uint8_t* p) {
    return (static_cast<uint64_t>(be32(p)) << 32) | be32(p + 4);
}

}  // namespace

FrameHeader parse_frame_header(const uint8_t* header) {
    FrameHeader h;
    h.batchtimes = be32(header);
    h.frame = be32(header + 4);
    h.byte8 = header[8];
    h.byte9 = header[9];
    h.encoder = be32(header + 10);
    h.timestamp = be64(header + 14);
    return h;
}

namespace data_channel {

bool endsMessage(const uint8_t* data, size_t size) {
    return size > kShortestMessageCut &&
           std::memcmp(data + size - kTerminatorSize, kTerminator, kTerminatorSize) == 0;
}

bool isHeartbeat(const uint8_t* data, size_t size) {
    // Only the tail is compared; the byte after "heartbea" is not.
    return size >= kHeartbeatTailSize && endsMessage(data, size) &&
           std::memcmp(data + size - kHeartbeatTailSize, "heartbea", 8) == 0;
}

MessageTag messageTag(const uint8_t* data, size_t size) {
    MessageTag tag;
    size_t i = 0;
    for (; i < size && data[i] != ','; ++i) {
        if (data[i] != 0) tag.text.push_back(static_cast<char>(data[i]));
    }
    tag.payloadPos = i < size ? i + 1 : size;
    return tag;
}

MessageKind classifyTag(const std::string& tag) {
    if (tag == "info") return MessageKind::Info;
    if (tag.size() >= 6 && tag.find("algdat") != std::string::npos) return MessageKind::Frame;
    if (tag == "MESSTA") return MessageKind::BatchStart;
    if (tag == "ticktime") return MessageKind::Tick;
    if (tag == "MESSTP") return MessageKind::BatchStop;
    return MessageKind::Other;
}

std::optional<InfoMessage> parseInfo(const uint8_t* data, size_t size) {
    if (size < kInfoMinLength) return std::nullopt;
    // The payload is read from offset 5 whatever the tag looks like.
    const uint8_t* p = data + kInfoPayloadOffset;
    InfoMessage info;
    info.batchpoints = le16(p + 0);
    info.xpitch = le32(p + 2);
    info.intensity = p[6];
    info.reserved12 = le32(p + 7);
    info.horizon_length = le16(p + 11);
    info.reserved18 = le16(p + 13);
    info.reserved20 = p[15];
    info.value_width = p[16];
    for (int i = 0; i < 4; ++i) info.reserved22[i] = le32(p + 17 + 4 * i);
    info.reserved38 = le32(p + 33);
    info.reserved42 = le32(p + 37);
    info.reserved46 = le32(p + 41);
    info.horizon_offset = le16(p + 45);
    return info;
}

size_t expectedFrameLength(const InfoMessage& info) {
    const size_t n = info.horizon_length;
    return kFrameFixedLength + n * static_cast<size_t>(info.bytesPerValue()) + (info.intensity ? n : 0);
}

FrameLayout frameLayout(size_t payloadPos, const InfoMessage& info, size_t bytesPerValue) {
    const size_t n = info.horizon_length;
    FrameLayout layout;
    layout.header = payloadPos;
    layout.intensity = payloadPos + kFrameHeaderSize;
    layout.values = layout.intensity + (info.intensity ? n : 0);
    layout.valueBytes = n * bytesPerValue;
    return layout;
}

bool frameFits(size_t messageSize, size_t payloadPos, const InfoMessage& info, size_t bytesPerValue) {
    const FrameLayout layout = frameLayout(payloadPos, info, bytesPerValue);
    return layout.values + layout.valueBytes + kTerminatorSize <= messageSize;
}

bool isValidFrame(size_t messageSize, size_t payloadPos, const InfoMessage& info, int columnCount) {
    if (messageSize < expectedFrameLength(info)) return false;
    // A tag longer than eight bytes shifts the payload: it must still fit.
    if (!frameFits(messageSize, payloadPos, info, static_cast<size_t>(info.bytesPerValue()))) return false;
    return static_cast<int>(info.horizon_offset) + static_cast<int>(info.horizon_length) <= columnCount;
}

std::optional<uint32_t> parseTick(const uint8_t* data, size_t size, size_t payloadPos) {
    if (payloadPos > size || size - payloadPos < 4 + kTerminatorSize) return std::nullopt;
    return le32(data + payloadPos);
}

}  // namespace data_channel
