#include "sensor_interface/settings/batch_status.h"

#include <cstring>

namespace {

uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

uint64_t be64(const uint8_t* p) { return (static_cast<uint64_t>(be32(p)) << 32) | be32(p + 4); }

constexpr char kStartMarker[] = "MESSTA,OK,end\r\n";
constexpr size_t kStartMarkerSize = sizeof(kStartMarker) - 1;
constexpr char kFrameTag[] = "algdat1";
constexpr char kEndTag[] = "MESSTP";
constexpr uint8_t kFrameTrailer[] = {',', 'e', 'n', 'd', '\r', '\n', 0, 0};

bool tagIs(const uint8_t* tag, size_t length, const char* text) {
    return length == std::strlen(text) && std::memcmp(tag, text, length) == 0;
}

}  // namespace

bool parse_batch_status(const uint8_t* data, size_t size, BatchStatus& status) {
    if (data == nullptr || size < kBatchStatusSize || size > kBatchStatusMaxSize) return false;
    status.word0 = be32(data + 0);
    status.word4 = be16(data + 4);
    status.word6 = be32(data + 6);
    status.word10 = be16(data + 10);
    status.blockIndex = be32(data + 12);
    status.batchFrames = be16(data + 16);
    status.framesBefore = be16(data + 18);
    status.frameCount = be16(data + 20);
    status.byte22 = data[22];
    status.complete = data[23];
    status.hasIntensity = data[24];
    status.firstPointCount = be16(data + 25);
    status.overrunCount = be16(data + 27);
    status.pointsPerFrame = be16(data + 29);
    status.wideValues = data[31];
    status.firstColumn = be16(data + 32);
    return true;
}

void fillBatchHeader(const BatchStatus& status, HVQ5_BATCH_HEADER& header) {
    header.word0 = status.word0;
    header.word4 = status.word4;
    header.word6 = status.word6;
    header.word10 = status.word10;
    header.blockIndex = status.blockIndex;
    header.batchFrames = status.batchFrames;
    header.framesBefore = status.framesBefore;
    header.frameCount = status.frameCount;
    header.complete = status.complete;
}

void fillBatchProfileInfo(const BatchStatus& status, HVQ5_BATCH_PROFILE_INFO& info) {
    info.profileKind = 1;
    info.hasIntensity = status.hasIntensity;
    info.pointCount = static_cast<int16_t>(status.firstPointCount);
    info.startPosition = 2u * status.firstColumn;
}

BatchDataReader::BatchDataReader(const uint8_t* data, size_t size, const BatchStatus& status)
    : data_(data),
      size_(data == nullptr ? 0 : size),
      position_(kStartMarkerSize),
      points_(status.pointsPerFrame),
      hasIntensity_(status.hasIntensity == 1),
      wideValues_(status.wideValues == 1) {}

bool BatchDataReader::hasStartMarker() const {
    return size_ >= kStartMarkerSize && std::memcmp(data_, kStartMarker, kStartMarkerSize) == 0;
}

BatchDataReader::Step BatchDataReader::next(BatchFrame& frame) {
    if (!hasStartMarker() || atEnd()) return Step::Malformed;
    const uint8_t* tag = data_ + position_;
    const void* comma = std::memchr(tag, ',', size_ - position_);
    if (comma == nullptr) return Step::Malformed;
    const size_t tagLength = static_cast<const uint8_t*>(comma) - tag;
    if (tagIs(tag, tagLength, kEndTag)) {
        position_ = size_;
        return Step::End;
    }
    if (!tagIs(tag, tagLength, kFrameTag)) return Step::Malformed;

    const size_t intensityBytes = hasIntensity_ ? static_cast<size_t>(points_) : 0;
    const size_t start = position_ + tagLength + 1;
    const size_t recordBytes = frameRecordBytes();
    if (size_ - start < recordBytes) return Step::Malformed;
    const uint8_t* header = data_ + start;
    const uint8_t* trailer = header + recordBytes - sizeof(kFrameTrailer);
    if (std::memcmp(trailer, kFrameTrailer, sizeof(kFrameTrailer)) != 0) return Step::Malformed;

    frame.header = header;
    frame.intensity = hasIntensity_ ? header + kBatchFrameHeaderSize : nullptr;
    frame.values = header + kBatchFrameHeaderSize + intensityBytes;
    frame.points = points_;
    frame.wideValues = wideValues_;
    frame.batchNumber = be32(header + 0);
    frame.encoder = be32(header + 10);
    frame.timeStamp = be64(header + 14);
    position_ = start + recordBytes;
    return Step::Frame;
}

size_t BatchDataReader::frameRecordBytes() const {
    const size_t points = static_cast<size_t>(points_);
    const size_t intensityBytes = hasIntensity_ ? points : 0;
    const size_t valueBytes = points * (wideValues_ ? 4 : 2);
    return kBatchFrameHeaderSize + intensityBytes + valueBytes + sizeof(kFrameTrailer);
}

size_t BatchDataReader::mostFrames() const {
    if (size_ <= kStartMarkerSize) return 0;
    const size_t tagAndComma = std::strlen(kFrameTag) + 1;
    return (size_ - kStartMarkerSize) / (tagAndComma + frameRecordBytes());
}
