// The status record and the batch data that follows it, both from arbitrary
// bytes. The first byte says how many of the next bytes form the record, so
// lengths around the accepted 34..64 are reached; the rest is the batch data,
// read with the record's point count and flags (or with a sound record when the
// length is refused) until the reader stops.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/settings/batch_status.h"

namespace {

constexpr uint8_t kTrailer[] = {',', 'e', 'n', 'd', '\r', '\n', 0, 0};
constexpr size_t kStartMarkerSize = 15;  // "MESSTA,OK,end\r\n"
constexpr size_t kFrameTagSize = 8;      // "algdat1,"

uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void checkRecords(const BatchStatus& status) {
    HVQ5_BATCH_HEADER header;
    std::memset(&header, 0xA5, sizeof(header));
    fillBatchHeader(status, header);
    FUZZ_CHECK(header.frameCount == status.frameCount && header.complete == status.complete);
    FUZZ_CHECK(header.reserved == 0xA5);  // the caller's byte is left alone

    HVQ5_BATCH_PROFILE_INFO info;
    std::memset(&info, 0xA5, sizeof(info));
    fillBatchProfileInfo(status, info);
    FUZZ_CHECK(info.profileKind == 1);
    FUZZ_CHECK(info.startPosition == 2u * status.firstColumn);
    FUZZ_CHECK(info.reserved1 == 0xA5 && info.reserved6[17] == 0xA5);
}

void readBatchData(const uint8_t* data, size_t size, const BatchStatus& status) {
    BatchDataReader reader(data, size, status);
    const size_t points = status.pointsPerFrame;
    const size_t valueBytes = status.wideValues == 1 ? 4 : 2;
    const bool intensity = status.hasIntensity == 1;
    const size_t recordBytes =
        kFrameTagSize + kBatchFrameHeaderSize + (intensity ? points : 0) + points * valueBytes + sizeof(kTrailer);

    size_t frames = 0;
    BatchFrame frame;
    for (;;) {
        const bool atEnd = reader.atEnd();
        const BatchDataReader::Step step = reader.next(frame);
        if (atEnd || !reader.hasStartMarker()) FUZZ_CHECK(step == BatchDataReader::Step::Malformed);
        if (step != BatchDataReader::Step::Frame) {
            if (step == BatchDataReader::Step::End) FUZZ_CHECK(reader.atEnd());
            break;
        }
        ++frames;
        // Each frame takes its whole record, so the loop ends within the data.
        FUZZ_CHECK(kStartMarkerSize + frames * recordBytes <= size);
        FUZZ_CHECK(frame.points == static_cast<int>(points) && frame.wideValues == (valueBytes == 4));
        FUZZ_CHECK(fuzz::within(data, size, frame.header, kBatchFrameHeaderSize));
        FUZZ_CHECK(std::memcmp(frame.header - kFrameTagSize, "algdat1,", kFrameTagSize) == 0);
        if (intensity) {
            FUZZ_CHECK(frame.intensity == frame.header + kBatchFrameHeaderSize);
            FUZZ_CHECK(fuzz::within(data, size, frame.intensity, points));
        } else {
            FUZZ_CHECK(frame.intensity == nullptr);
        }
        FUZZ_CHECK(frame.values == frame.header + kBatchFrameHeaderSize + (intensity ? points : 0));
        FUZZ_CHECK(fuzz::within(data, size, frame.values, points * valueBytes + sizeof(kTrailer)));
        FUZZ_CHECK(std::memcmp(frame.values + points * valueBytes, kTrailer, sizeof(kTrailer)) == 0);
        FUZZ_CHECK(frame.batchNumber == be32(frame.header) && frame.encoder == be32(frame.header + 10));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t recordSize = data[0];
    ++data;
    --size;
    if (recordSize > size) recordSize = size;

    BatchStatus status;
    const bool accepted = parse_batch_status(data, recordSize, status);
    FUZZ_CHECK(accepted == (recordSize >= kBatchStatusSize && recordSize <= kBatchStatusMaxSize));
    FUZZ_CHECK(!parse_batch_status(nullptr, kBatchStatusSize, status));
    if (accepted) {
        FUZZ_CHECK(status.pointsPerFrame == ((data[29] << 8) | data[30]));
        checkRecords(status);
    } else {
        // A refused record leaves a small sound one: the data is still walked.
        status = BatchStatus{};
        status.pointsPerFrame = 4;
        status.hasIntensity = 1;
    }
    readBatchData(data + recordSize, size - recordSize, status);
    readBatchData(nullptr, size - recordSize, status);
    return 0;
}
