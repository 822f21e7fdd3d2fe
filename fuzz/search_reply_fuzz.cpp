// The answers to the device search from arbitrary datagrams: every one is read
// the way the search reads it (a zeroed 32-byte buffer, a longer datagram cut)
// and the accepted ones are collected into the sensor list until it is full.
// Input: datagrams one after another, each a length byte and its bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/command/search_reply.h"

namespace {

constexpr size_t kModelReplySize = 27;

uint32_t be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// The order in which the heads of one sensor are compared: the last address
// byte is the most significant.
uint32_t headOrder(uint32_t addressNet) {
    uint8_t b[4];
    std::memcpy(b, &addressNet, sizeof b);
    return (uint32_t(b[3]) << 24) | (uint32_t(b[2]) << 16) | (uint32_t(b[1]) << 8) | b[0];
}

// What the reply must be read as, from the wire layout.
void checkReply(const uint8_t* datagram, size_t size, const std::optional<SearchReply>& reply) {
    const bool wellFormed = size >= 9 && be32(datagram + 1) == 167 && be32(datagram + 5) != 0;
    FUZZ_CHECK(reply.has_value() == wellFormed);
    if (!reply) return;
    FUZZ_CHECK(std::memcmp(&reply->addressNet, datagram + 5, 4) == 0);
    bool fourHeads = false;
    if (size == kModelReplySize) {
        for (size_t i = 11; i < kModelReplySize && datagram[i] != 0; ++i) fourHeads = fourHeads || datagram[i] == 'F';
    }
    FUZZ_CHECK(reply->fourHeadSensor == fourHeads);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SearchCollector collector;
    std::vector<uint32_t> listed;
    std::optional<uint32_t> lowestFourHead;
    size_t at = 0;
    while (at < size && !collector.full()) {
        const size_t declared = data[at++];
        const size_t length = declared < size - at ? declared : size - at;
        // The datagram exactly as long as it is, so a read past it is caught...
        const std::vector<uint8_t> exact(data + at, data + at + length);
        at += length;
        const std::optional<SearchReply> tight = parseSearchReply(exact.data(), exact.size());
        // ...and as the search receives it.
        uint8_t buffer[kSearchReplyCapacity] = {};
        const size_t received = length < sizeof buffer ? length : sizeof buffer;
        if (received > 0) std::memcpy(buffer, exact.data(), received);
        const std::optional<SearchReply> reply = parseSearchReply(buffer, received);
        checkReply(buffer, received, reply);
        if (length <= sizeof buffer) {
            FUZZ_CHECK(tight.has_value() == reply.has_value());
            if (tight) FUZZ_CHECK(tight->addressNet == reply->addressNet && tight->fourHeadSensor == reply->fourHeadSensor);
        }
        if (!reply) continue;

        const bool more = collector.add(*reply);
        FUZZ_CHECK(more == !collector.full());
        if (reply->fourHeadSensor) {
            if (!lowestFourHead || headOrder(reply->addressNet) < headOrder(*lowestFourHead))
                lowestFourHead = reply->addressNet;
        } else {
            listed.push_back(reply->addressNet);
        }
    }
    FUZZ_CHECK(!parseSearchReply(nullptr, kModelReplySize));

    // Every plain reply in arrival order, the four-head sensor last when there
    // is room, never more than the table holds.
    const std::vector<uint32_t> list = collector.finish();
    FUZZ_CHECK(list.size() <= kSearchTableSize);
    std::vector<uint32_t> expected = listed;
    if (lowestFourHead && expected.size() < kSearchTableSize) expected.push_back(*lowestFourHead);
    FUZZ_CHECK(list == expected);
    if (collector.full()) FUZZ_CHECK(!collector.add(SearchReply{1, false}));
    return 0;
}
