#include "sensor_interface/command/search_reply.h"

#include <cstring>

#include "sensor_interface/command/register_packet.h"

namespace {
constexpr size_t kAddressFieldEnd = 9;   // opcode, register, sensor address
constexpr size_t kModelReplySize = 27;   // packet, then 16 bytes of model text
constexpr size_t kModelTextSize = 16;
}  // namespace

std::optional<SearchReply> parseSearchReply(const uint8_t* data, size_t size) {
    if (!data || size < kAddressFieldEnd) return std::nullopt;
    if (RegisterPacket::addressOf(data) != kSearchRegister) return std::nullopt;
    SearchReply reply;
    std::memcpy(&reply.addressNet, data + RegisterPacket::valueOffset, sizeof reply.addressNet);
    if (reply.addressNet == 0) return std::nullopt;
    if (size == kModelReplySize) {
        const char* model = reinterpret_cast<const char*>(data + RegisterPacket::size);
        const size_t length = strnlen(model, kModelTextSize);
        reply.fourHeadSensor = std::memchr(model, 'F', length) != nullptr;
    }
    return reply;
}

uint32_t SearchCollector::headOrder(uint32_t addressNet) {
    uint8_t bytes[4];
    std::memcpy(bytes, &addressNet, sizeof bytes);
    return (uint32_t(bytes[3]) << 24) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[1]) << 8) |
           uint32_t(bytes[0]);
}

bool SearchCollector::add(const SearchReply& reply) {
    if (full()) return false;
    if (reply.fourHeadSensor) {
        if (!lowestFourHead_ || headOrder(reply.addressNet) < headOrder(*lowestFourHead_)) {
            lowestFourHead_ = reply.addressNet;
        }
    } else {
        addresses_.push_back(reply.addressNet);
    }
    return !full();
}

std::vector<uint32_t> SearchCollector::finish() const {
    std::vector<uint32_t> list = addresses_;
    if (lowestFourHead_ && list.size() < kSearchTableSize) list.push_back(*lowestFourHead_);
    return list;
}
