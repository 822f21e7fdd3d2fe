// The blocks the sensor sends on the command channel, from arbitrary bytes:
// parameter-block halves, the settings block, measured values, memory blocks
// and the status-word reply, each taken from the bytes received the way the
// controller takes them. The first byte picks the block; the rest is what the
// sensor sent (for the memory blocks: replies one after another, each behind a
// length byte).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/command/block_codec.h"
#include "sensor_interface/registry/device_functions_rules.h"
#include "sensor_interface/status_codes.h"

namespace {

using block_codec::kEchoBytes;
using block_codec::kSmallBlockBytes;

uint32_t be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

std::vector<uint8_t> copyOf(const uint8_t* data, size_t size) { return std::vector<uint8_t>(data, data + size); }

// A block reply: the echo must carry the request's address, a block of known
// size must be whole, and the block never reaches past the bytes received.
block_codec::BlockReply checkedReply(uint32_t address, const std::vector<uint8_t>& reply, size_t expected) {
    const block_codec::BlockReply taken = block_codec::readBlockReply(address, reply.data(), reply.size(), expected);
    const bool echoed = reply.size() >= kEchoBytes && be32(reply.data() + 1) == address;
    if (!echoed) {
        FUZZ_CHECK(taken.status == HVQ5_RC_BAD_REPLY);
    } else if (expected > 0 && reply.size() - kEchoBytes < expected) {
        FUZZ_CHECK(taken.status == HVQ5_RC_TIMEOUT);
    } else {
        FUZZ_CHECK(taken.status == HVQ5_RC_OK);
        FUZZ_CHECK(taken.payloadSize == (expected > 0 ? expected : reply.size() - kEchoBytes));
        FUZZ_CHECK(kEchoBytes + taken.payloadSize <= reply.size());
    }
    return taken;
}

void parameterHalves(const uint8_t* data, size_t size) {
    // Two halves as the receive loop may hold them: the split is the first byte
    // times 4, so halves of 256 bytes and more are reached.
    if (size == 0) return;
    size_t first = size_t(data[0]) * 4;
    ++data;
    --size;
    if (first > size) first = size;
    std::vector<int32_t> values{7};
    for (const auto& half : {copyOf(data, first), copyOf(data + first, size - first)}) {
        const size_t before = values.size();
        const bool taken = block_codec::decodeParameterHalf(half.data(), half.size(), values);
        FUZZ_CHECK(taken == (half.size() >= kSmallBlockBytes));
        if (!taken) {
            FUZZ_CHECK(values.size() == before);
            continue;
        }
        FUZZ_CHECK(values.size() == before + 64);
        const uint8_t* last = half.data() + half.size() - kSmallBlockBytes;
        for (size_t i = 0; i < 64; ++i) FUZZ_CHECK(uint32_t(values[before + i]) == be32(last + 4 * i));
    }
    FUZZ_CHECK(values.front() == 7);
}

void settingsBlock(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> reply = copyOf(data, size);
    const block_codec::BlockReply taken = checkedReply(0, reply, 0);
    if (taken.status != HVQ5_RC_OK) return;
    const std::vector<uint8_t> payload(reply.begin() + kEchoBytes, reply.begin() + kEchoBytes + taken.payloadSize);
    const std::vector<uint32_t> words = block_codec::decodeSettingsWords(payload.data(), payload.size());
    FUZZ_CHECK(words.size() == payload.size() / 4);
    for (size_t i = 0; i < words.size(); ++i) FUZZ_CHECK(words[i] == be32(payload.data() + 4 * i));
    // As the settings file keeps them, and back.
    FUZZ_CHECK(device_rules::wordsOfPairs(device_rules::pairsOfWords(words)) == words);
}

void measuredValues(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const size_t capacity = data[0];
    const std::vector<uint8_t> reply = copyOf(data + 1, size - 1);
    const block_codec::BlockReply taken = checkedReply(0, reply, 0);
    if (taken.status != HVQ5_RC_OK) return;
    const std::vector<uint8_t> payload(reply.begin() + kEchoBytes, reply.begin() + kEchoBytes + taken.payloadSize);
    std::vector<int32_t> values(capacity, 99);
    const int status = block_codec::decodeMeasuredValues(payload.data(), payload.size(), values);
    if (payload.size() % 4 != 0 || payload.size() / 4 > capacity) {
        FUZZ_CHECK(status == HVQ5_RC_BAD_BLOCK);
        FUZZ_CHECK(values.size() == capacity);
        return;
    }
    FUZZ_CHECK(status == HVQ5_RC_OK && values.size() == payload.size() / 4);
    for (size_t i = 0; i < values.size(); ++i) FUZZ_CHECK(uint32_t(values[i]) == be32(payload.data() + 4 * i));
}

void memoryBlocks(const uint8_t* data, size_t size) {
    // Block i is asked for at hi 0, lo 256: the echo names address 256.
    constexpr uint32_t kAddress = 256;
    std::vector<uint8_t> out;
    size_t blocks = 0;
    size_t at = 0;
    while (at < size) {
        // A length byte counts in steps of 2, so whole blocks (267 bytes) are reached.
        size_t length = size_t(data[at++]) * 2;
        if (length > size - at) length = size - at;
        const std::vector<uint8_t> reply = copyOf(data + at, length);
        at += length;
        const block_codec::BlockReply taken = checkedReply(kAddress, reply, kSmallBlockBytes);
        if (taken.status != HVQ5_RC_OK) break;  // a failed transfer ends the read
        out.insert(out.end(), reply.begin() + kEchoBytes, reply.begin() + kEchoBytes + taken.payloadSize);
        ++blocks;
    }
    FUZZ_CHECK(out.size() == blocks * kSmallBlockBytes);
}

void statusReply(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> reply = copyOf(data, size);
    const auto decoded = device_rules::decodeStatusReply(reply.data(), reply.size());
    FUZZ_CHECK(decoded.has_value() == (size == kEchoBytes));
    if (!decoded) return;
    uint16_t word;
    uint32_t value;
    std::memcpy(&word, data + 1, sizeof word);
    std::memcpy(&value, data + 5, sizeof value);
    FUZZ_CHECK(decoded->word == word && decoded->value == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t kind = data[0] % 5;
    ++data;
    --size;
    switch (kind) {
    case 0: parameterHalves(data, size); break;
    case 1: settingsBlock(data, size); break;
    case 2: measuredValues(data, size); break;
    case 3: memoryBlocks(data, size); break;
    default: statusReply(data, size); break;
    }
    FUZZ_CHECK(block_codec::readBlockReply(0, nullptr, 0, 0).status == HVQ5_RC_BAD_REPLY);
    FUZZ_CHECK(block_codec::decodeSettingsWords(nullptr, 8).empty());
    return 0;
}
