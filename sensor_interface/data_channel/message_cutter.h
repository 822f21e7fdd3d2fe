#pragma once
// Cuts the data-channel byte stream into messages. A message ends where more
// than 11 bytes have accumulated and the last six are ",end\r\n"; the bytes
// after the cut start the next message.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sensor_interface/data_channel/data_messages.h"

namespace data_channel {

class MessageCutter {
public:
    // Far above the longest valid message (a 2048-point frame with 32-bit values
    // and intensity is about 10 KiB), so only a stream without terminators hits it.
    static constexpr size_t kDefaultMaxBytes = 1 << 16;
    static constexpr size_t kInitialReserve = 10240;

    explicit MessageCutter(size_t maxBytes = kDefaultMaxBytes)
        : maxBytes_(maxBytes > kHeartbeatTailSize ? maxBytes : kHeartbeatTailSize + 1) {
        accumulator_.reserve(kInitialReserve < maxBytes_ ? kInitialReserve : maxBytes_);
    }

    // Calls onMessage(const uint8_t* data, size_t size) for every message that
    // completes inside these bytes; the view is valid only during the call.
    template <typename OnMessage>
    void feed(const uint8_t* data, size_t size, OnMessage&& onMessage) {
        while (size > 0) {
            // Only a line feed can complete a message, so copy up to the next one.
            const void* lineFeed = std::memchr(data, '\n', size);
            const size_t take = lineFeed ? static_cast<size_t>(static_cast<const uint8_t*>(lineFeed) - data) + 1 : size;
            append(data, take);
            data += take;
            size -= take;
            if (lineFeed && endsMessage(accumulator_.data(), accumulator_.size())) {
                onMessage(static_cast<const uint8_t*>(accumulator_.data()), accumulator_.size());
                accumulator_.clear();
            }
        }
    }

    // Drops a partial message (after a lost connection).
    void clear() { accumulator_.clear(); }
    size_t pendingBytes() const { return accumulator_.size(); }
    // Bytes thrown away because no terminator came within the limit; reset by the call.
    size_t takeDiscardedBytes() {
        const size_t n = discarded_;
        discarded_ = 0;
        return n;
    }

private:
    void append(const uint8_t* data, size_t size) {
        while (size > 0) {
            size_t room = maxBytes_ - accumulator_.size();
            if (room == 0) {
                discarded_ += accumulator_.size();
                accumulator_.clear();
                room = maxBytes_;
            }
            const size_t piece = size < room ? size : room;
            accumulator_.insert(accumulator_.end(), data, data + piece);
            data += piece;
            size -= piece;
        }
    }

    size_t maxBytes_;
    size_t discarded_ = 0;
    std::vector<uint8_t> accumulator_;
};

}  // namespace data_channel
