#include "tools/sensor_sim/debug_stream_encoder.h"

namespace sensor_sim {

namespace {

void append_text(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

void append_le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

DebugStreamEncoder::DebugStreamEncoder() { append_text(bytes_, "DEBUG,start\r\n"); }

DebugStreamEncoder& DebugStreamEncoder::info(const DebugInfoRecord& record) {
    std::vector<uint8_t> content;
    content.push_back(record.intensityFlag);
    append_le(content, record.word1, 4);
    append_le(content, record.imageRows, 2);
    append_le(content, record.word2, 2);
    content.insert(content.end(), record.flags.begin(), record.flags.end());
    return this->record("info", content);
}

DebugStreamEncoder& DebugStreamEncoder::image(const std::vector<uint8_t>& pixels) {
    return record("get", pixels);
}

DebugStreamEncoder& DebugStreamEncoder::profile(const std::vector<uint32_t>& values, bool words32,
                                                const std::vector<uint8_t>& intensity) {
    std::vector<uint8_t> content(kFrameHeaderBytes, 0);
    content.insert(content.end(), intensity.begin(), intensity.end());
    for (size_t i = 0; i < kColumns; ++i) {
        append_le(content, i < values.size() ? values[i] : 0, words32 ? 4 : 2);
    }
    return record("algdat1", content);
}

DebugStreamEncoder& DebugStreamEncoder::record(const std::string& tag,
                                               const std::vector<uint8_t>& content) {
    append_text(bytes_, tag + ",");
    bytes_.insert(bytes_.end(), content.begin(), content.end());
    append_text(bytes_, ",end\r\n");
    return *this;
}

DebugStreamEncoder& DebugStreamEncoder::raw(const std::string& bytes) {
    append_text(bytes_, bytes);
    return *this;
}

std::vector<uint8_t> DebugStreamEncoder::finish() const {
    std::vector<uint8_t> stream = bytes_;
    append_text(stream, "DEBUG,end\r\n");
    return stream;
}

}  // namespace sensor_sim
