// Feeds arbitrary bytes through the data-channel cutter in arbitrary pieces and
// runs every message through the parsers the consumer uses. Address sanitizer
// catches any read outside a message; the checks below catch wrong cuts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sensor_interface/data_channel/data_messages.h"
#include "sensor_interface/data_channel/message_cutter.h"

namespace {

constexpr int kColumns = 2048;

void check(bool condition) {
    if (!condition) std::abort();
}

uint32_t readFrame(const uint8_t* message, size_t size, size_t payloadPos, const InfoMessage& info,
                   size_t bytesPerValue) {
    const data_channel::FrameLayout layout = data_channel::frameLayout(payloadPos, info, bytesPerValue);
    check(layout.values + layout.valueBytes <= size);
    uint32_t sum = parse_frame_header(message + layout.header).encoder;
    if (info.intensity) {
        for (size_t i = 0; i < info.horizon_length; ++i) sum += message[layout.intensity + i];
    }
    for (size_t i = 0; i < layout.valueBytes; ++i) sum += message[layout.values + i];
    return sum;
}

struct Consumer {
    InfoMessage info;
    uint32_t sink = 0;

    void take(const uint8_t* message, size_t size) {
        check(data_channel::endsMessage(message, size));
        if (data_channel::isHeartbeat(message, size)) return;
        const data_channel::MessageTag tag = data_channel::messageTag(message, size);
        check(tag.payloadPos <= size);
        switch (data_channel::classifyTag(tag.text)) {
            case data_channel::MessageKind::Info:
                if (auto parsed = data_channel::parseInfo(message, size)) info = *parsed;
                break;
            case data_channel::MessageKind::Frame:
                if (!data_channel::isValidFrame(size, tag.payloadPos, info, kColumns)) break;
                sink += readFrame(message, size, tag.payloadPos, info, static_cast<size_t>(info.bytesPerValue()));
                // The fixed-point path reads 4 bytes per point when they fit.
                if (data_channel::frameFits(size, tag.payloadPos, info, 4))
                    sink += readFrame(message, size, tag.payloadPos, info, 4);
                break;
            case data_channel::MessageKind::Tick:
                if (auto tick = data_channel::parseTick(message, size, tag.payloadPos)) sink += *tick;
                break;
            default:
                break;
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the piece size, so splits land everywhere.
    const size_t piece = static_cast<size_t>(data[0]) + 1;
    ++data;
    --size;
    data_channel::MessageCutter cutter(4096);
    Consumer consumer;
    for (size_t at = 0; at < size; at += piece) {
        const size_t n = size - at < piece ? size - at : piece;
        cutter.feed(data + at, n, [&](const uint8_t* message, size_t length) { consumer.take(message, length); });
        check(cutter.pendingBytes() <= 4096);
    }
    cutter.takeDiscardedBytes();
    return static_cast<int>(consumer.sink & 0);
}
