#include <gtest/gtest.h>

#include <string>

#include "tests/dispatcher/fake_setting_transport.h"

using namespace dispatcher_test;

namespace {

void putBe(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
}

struct RecordFields {
    uint32_t blockIndex = 7;
    uint16_t batchFrames = 2;
    uint16_t framesBefore = 0;
    uint16_t frameCount = 2;
    uint8_t complete = 1;
    uint8_t intensity = 1;
    uint16_t firstPointCount = 3;
    uint16_t overrun = 0;
    uint16_t points = 3;
    uint8_t wide = 0;
    uint16_t firstColumn = 10;
};

std::vector<uint8_t> statusRecord(const RecordFields& r, size_t size = 34) {
    std::vector<uint8_t> bytes(size, 0);
    putBe(bytes, 0, 0x01020304, 4);
    putBe(bytes, 4, 0x0506, 2);
    putBe(bytes, 6, 0x0708090A, 4);
    putBe(bytes, 10, 0x0B0C, 2);
    putBe(bytes, 12, r.blockIndex, 4);
    putBe(bytes, 16, r.batchFrames, 2);
    putBe(bytes, 18, r.framesBefore, 2);
    putBe(bytes, 20, r.frameCount, 2);
    bytes[22] = 0x5A;
    bytes[23] = r.complete;
    bytes[24] = r.intensity;
    putBe(bytes, 25, r.firstPointCount, 2);
    putBe(bytes, 27, r.overrun, 2);
    putBe(bytes, 29, r.points, 2);
    bytes[31] = r.wide;
    putBe(bytes, 32, r.firstColumn, 2);
    return bytes;
}

void append(std::vector<uint8_t>& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

// One frame record: header with batch number, encoder and time stamp; the
// values are base, base + 1, ...; the intensity bytes 100 + i.
void appendFrame(std::vector<uint8_t>& out, const RecordFields& r, uint32_t batch, uint32_t encoder,
                 uint64_t stamp, uint32_t base, const std::string& tag = "algdat1",
                 const std::string& trailer = std::string(",end\r\n\0\0", 8)) {
    append(out, tag + ",");
    std::vector<uint8_t> header(32, 0);
    putBe(header, 0, batch, 4);
    putBe(header, 10, encoder, 4);
    putBe(header, 14, stamp, 8);
    out.insert(out.end(), header.begin(), header.end());
    if (r.intensity == 1) {
        for (int i = 0; i < r.points; ++i) out.push_back(static_cast<uint8_t>(100 + i));
    }
    const int width = r.wide == 1 ? 4 : 2;
    for (int i = 0; i < r.points; ++i) {
        const uint32_t value = base + i;
        for (int b = 0; b < width; ++b) out.push_back(static_cast<uint8_t>(value >> (8 * b)));
    }
    append(out, trailer);
}

std::vector<uint8_t> batchData(const RecordFields& r, int frames) {
    std::vector<uint8_t> out;
    append(out, "MESSTA,OK,end\r\n");
    for (int i = 0; i < frames; ++i) appendFrame(out, r, 40 + i, 1000 + i, 0x100000000ull + i, 500 + 10 * i);
    append(out, "MESSTP,OK,end\r\n");
    return out;
}

// Hands the raw values through as heights and the intensity as gray.
class PassThroughProcessor : public BatchFrameProcessor {
public:
    int columnCount = 2048;
    std::vector<bool> firstFlags;
    std::vector<int> firstColumns;
    int columns() const override { return columnCount; }
    int process(const BatchFrame& frame, int firstColumn, bool firstOfBatch) override {
        firstFlags.push_back(firstOfBatch);
        firstColumns.push_back(firstColumn);
        last_ = frame;
        return frame.points;
    }
    void exportLast(uint8_t* profileBytes, uint8_t* gray, int count) override {
        const int width = last_.wideValues ? 4 : 2;
        for (int i = 0; i < count; ++i) {
            int32_t value = 0;
            for (int b = 0; b < width; ++b) value |= last_.values[i * width + b] << (8 * b);
            std::memcpy(profileBytes + 4 * i, &value, 4);
            gray[i] = last_.intensity != nullptr ? last_.intensity[i] : 0;
        }
    }

private:
    BatchFrame last_;
};

struct Fixture : DispatcherOnFake {
    PassThroughProcessor processor;
    std::vector<uint8_t> profiles, gray;
    std::vector<uint32_t> batchNumbers, encoders;
    std::vector<uint64_t> stamps;
    HVQ5_BATCH_PROFILE_INFO info{};
    HVQ5_BATCH_HEADER header{};

    Fixture() {
        sensor.registers[149] = 1;
        sensor.processor = &processor;
    }
    void script(const RecordFields& r, std::vector<uint8_t> data) {
        sensor.batchRecord = statusRecord(r);
        sensor.batchData = std::move(data);
    }
    int read() {
        return dispatcher.readBatchBlock(profiles, gray, batchNumbers, encoders, stamps, &info, &header);
    }
};

int32_t profileAt(const std::vector<uint8_t>& profiles, size_t index) {
    return asInt(profiles.data() + 4 * index);
}

TEST(BatchStatusRecord, DecodesEveryField) {
    RecordFields r;
    r.overrun = 321;
    r.wide = 1;
    const std::vector<uint8_t> bytes = statusRecord(r);
    BatchStatus status;
    ASSERT_TRUE(parse_batch_status(bytes.data(), bytes.size(), status));
    EXPECT_EQ(status.word0, 0x01020304u);
    EXPECT_EQ(status.word4, 0x0506u);
    EXPECT_EQ(status.word6, 0x0708090Au);
    EXPECT_EQ(status.word10, 0x0B0Cu);
    EXPECT_EQ(status.blockIndex, 7u);
    EXPECT_EQ(status.batchFrames, 2u);
    EXPECT_EQ(status.framesBefore, 0u);
    EXPECT_EQ(status.frameCount, 2u);
    EXPECT_EQ(status.byte22, 0x5A);
    EXPECT_EQ(status.complete, 1);
    EXPECT_EQ(status.hasIntensity, 1);
    EXPECT_EQ(status.firstPointCount, 3u);
    EXPECT_EQ(status.overrunCount, 321u);
    EXPECT_EQ(status.pointsPerFrame, 3u);
    EXPECT_EQ(status.wideValues, 1);
    EXPECT_EQ(status.firstColumn, 10u);
}

TEST(BatchStatusRecord, AcceptsThirtyFourToSixtyFourBytes) {
    const RecordFields r;
    BatchStatus status;
    for (size_t size : {34u, 64u}) {
        const std::vector<uint8_t> bytes = statusRecord(r, size);
        EXPECT_TRUE(parse_batch_status(bytes.data(), bytes.size(), status)) << size;
    }
    for (size_t size : {0u, 33u, 65u}) {
        const std::vector<uint8_t> bytes = statusRecord(r, std::max<size_t>(size, 34));
        EXPECT_FALSE(parse_batch_status(bytes.data(), size, status)) << size;
    }
    EXPECT_FALSE(parse_batch_status(nullptr, 34, status));
}

TEST(BatchBlock, ValidTwoFrameBlock) {
    Fixture f;
    RecordFields r;
    f.script(r, batchData(r, 2));
    ASSERT_EQ(f.read(), HVQ5_RC_OK);
    EXPECT_EQ(f.batchNumbers, (std::vector<uint32_t>{40, 41}));
    EXPECT_EQ(f.encoders, (std::vector<uint32_t>{1000, 1001}));
    EXPECT_EQ(f.stamps, (std::vector<uint64_t>{0x100000000ull, 0x100000001ull}));
    ASSERT_EQ(f.profiles.size(), 2u * 3u * 4u);
    EXPECT_EQ(profileAt(f.profiles, 0), 500);
    EXPECT_EQ(profileAt(f.profiles, 2), 502);
    EXPECT_EQ(profileAt(f.profiles, 3), 510);
    EXPECT_EQ(f.gray, (std::vector<uint8_t>{100, 101, 102, 100, 101, 102}));
    EXPECT_EQ(f.processor.firstFlags, (std::vector<bool>{true, false}));
    EXPECT_EQ(f.processor.firstColumns, (std::vector<int>{10, 10}));
    EXPECT_EQ(f.info.profileKind, 1);
    EXPECT_EQ(f.info.hasIntensity, 1);
    EXPECT_EQ(f.info.pointCount, 3);
    EXPECT_EQ(f.info.startPosition, 20u);
    EXPECT_EQ(f.header.blockIndex, 7u);
    EXPECT_EQ(f.header.frameCount, 2u);
    EXPECT_EQ(f.header.complete, 1);
    EXPECT_EQ(f.header.word4, 0x0506u);
    EXPECT_EQ(f.sensor.pending, 0);
}

TEST(BatchBlock, WideValuesWithoutIntensityAndNoEndRecord) {
    Fixture f;
    RecordFields r;
    r.wide = 1;
    r.intensity = 0;
    r.framesBefore = 4;
    std::vector<uint8_t> data = batchData(r, 2);
    data.resize(data.size() - 15);  // ends right after the last trailer
    f.script(r, data);
    ASSERT_EQ(f.read(), HVQ5_RC_OK);
    EXPECT_EQ(profileAt(f.profiles, 4), 511);
    EXPECT_EQ(f.gray, std::vector<uint8_t>(6, 0));
    EXPECT_EQ(f.processor.firstFlags, (std::vector<bool>{false, false})) << "not the first block";
}

TEST(BatchBlock, MalformedDataIsRefusedKeepingProcessedFrames) {
    const RecordFields r;
    struct Case { const char* name; std::vector<uint8_t> data; size_t framesProcessed; };
    std::vector<Case> cases;
    {
        std::vector<uint8_t> d;
        append(d, "MESSTA,OK,end\r\n");
        appendFrame(d, r, 1, 2, 3, 4);
        appendFrame(d, r, 1, 2, 3, 4, "algdat2");
        cases.push_back({"OtherTag", d, 1});
    }
    {
        std::vector<uint8_t> d;
        append(d, "MESSTA,OK,end\r\n");
        appendFrame(d, r, 1, 2, 3, 4, "algdat1", std::string(",end\r\n\0\1", 8));
        cases.push_back({"BadTrailer", d, 0});
    }
    {
        std::vector<uint8_t> d = batchData(r, 1);
        d.resize(15 + 8 + 32 + 3 + 4);
        cases.push_back({"Truncated", d, 0});
    }
    {
        std::vector<uint8_t> d;
        append(d, "MESSTB,OK,end\r\n");
        cases.push_back({"NoStartMarker", d, 0});
    }
    {
        std::vector<uint8_t> d;
        append(d, "MESSTA,OK,end\r\nMESSTP");
        cases.push_back({"TagWithoutComma", d, 0});
    }
    cases.push_back({"Empty", {}, 0});
    for (const Case& c : cases) {
        Fixture f;
        f.script(r, c.data);
        EXPECT_EQ(f.read(), HVQ5_RC_BAD_BLOCK) << c.name;
        EXPECT_EQ(f.gray.size(), 3 * c.framesProcessed) << c.name;
    }
}

TEST(BatchBlock, MoreFramesThanAnnouncedAreRefused) {
    Fixture f;
    RecordFields r;
    r.frameCount = 1;
    f.script(r, batchData(r, 2));
    EXPECT_EQ(f.read(), HVQ5_RC_BAD_BLOCK);
    EXPECT_EQ(f.batchNumbers.size(), 1u);
}

// The room reserved for the profile and gray bytes is what the received block
// can hold, whatever frame count its record announces: an honest block gets
// room for its frames, one that announces 65535 frames of 2000 points (about a
// gigabyte) with none or two of them in its data no more than those. The
// status and the outputs are those of the frames received.
TEST(BatchBlock, ReservesRoomOnlyForTheFramesTheBlockHolds) {
    struct Case {
        const char* what;
        uint16_t announced;
        int sent;
        uint16_t points;
        uint8_t intensity;
        uint8_t wide;
    };
    const Case cases[] = {
        {"honest, 16-bit values with intensity", 2, 2, 3, 1, 0},
        {"honest, 32-bit values without intensity", 5, 5, 2000, 0, 1},
        {"announces 65535, holds 2", 65535, 2, 2000, 1, 0},
        {"announces 65535, holds 2 without intensity", 65535, 2, 2000, 0, 1},
        {"announces 65535, holds none", 65535, 0, 2000, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        RecordFields r;
        r.batchFrames = c.announced;
        r.frameCount = c.announced;
        r.points = c.points;
        r.intensity = c.intensity;
        r.wide = c.wide;
        f.script(r, batchData(r, c.sent));
        ASSERT_EQ(f.read(), HVQ5_RC_OK);
        const size_t sent = static_cast<size_t>(c.sent);
        EXPECT_EQ(f.profiles.size(), sent * 4 * c.points);
        EXPECT_EQ(f.gray.size(), sent * c.points);
        EXPECT_LE(f.profiles.capacity(), sent * 4 * c.points);
        EXPECT_LE(f.gray.capacity(), sent * c.points);
        // One entry per announced frame, the received ones filled.
        ASSERT_EQ(f.batchNumbers.size(), c.announced);
        ASSERT_EQ(f.encoders.size(), c.announced);
        ASSERT_EQ(f.stamps.size(), c.announced);
        for (size_t i = 0; i < sent; ++i) {
            EXPECT_EQ(f.batchNumbers[i], 40 + i);
            EXPECT_EQ(f.encoders[i], 1000 + i);
            EXPECT_EQ(profileAt(f.profiles, i * c.points), static_cast<int32_t>(500 + 10 * i));
        }
        if (sent < c.announced) EXPECT_EQ(f.batchNumbers[sent], 0u);
        EXPECT_EQ(f.header.frameCount, c.announced);
        EXPECT_EQ(f.info.pointCount, sent > 0 ? c.points : SettingDispatcher::kPlaceholderPointCount);
    }
}

TEST(BatchBlock, FramesReachingPastTheCameraColumnsAreRefused) {
    Fixture f;
    RecordFields r;
    r.firstColumn = 2046;
    f.script(r, batchData(r, 2));
    EXPECT_EQ(f.read(), HVQ5_RC_BAD_BLOCK);
    EXPECT_TRUE(f.processor.firstFlags.empty());
}

TEST(BatchBlock, ZeroFramesReturnsNothing) {
    for (int readStatus : {HVQ5_RC_OK, HVQ5_RC_MEMORY_NOT_READY}) {
        Fixture f;
        RecordFields r;
        r.frameCount = 0;
        f.script(r, {});
        f.sensor.batchReadStatus = readStatus;
        f.profiles = {1, 2, 3};
        EXPECT_EQ(f.read(), HVQ5_RC_OK);
        EXPECT_TRUE(f.profiles.empty());
        EXPECT_TRUE(f.batchNumbers.empty());
        EXPECT_EQ(f.info.pointCount, 3) << "the record's count until a frame is processed";
    }
}

TEST(BatchBlock, BatchModeOffIsRefusedWithoutTraffic) {
    Fixture f;
    f.sensor.registers[149] = 0;
    EXPECT_EQ(f.read(), HVQ5_RC_BATCH_NOT_ENABLED);
    EXPECT_TRUE(f.sensor.log.empty());
}

TEST(BatchBlock, StatusReadFailureIsPassedOn) {
    Fixture f;
    f.script(RecordFields{}, {});
    f.sensor.batchReadStatus = HVQ5_RC_TIMEOUT;
    EXPECT_EQ(f.read(), HVQ5_RC_TIMEOUT);
}

TEST(BatchBlock, OverrunAboveTheThresholdFlagsTheEncoder) {
    for (uint16_t overrun : {100, 101}) {
        Fixture f;
        RecordFields r;
        r.overrun = overrun;
        f.script(r, batchData(r, 2));
        EXPECT_EQ(f.read(), HVQ5_RC_OK);
        EXPECT_EQ(f.sensor.pending, overrun > 100 ? HVQ5_RC_ENCODER_TOO_FAST : 0) << overrun;
    }
}

TEST(BatchBlock, NoProcessorIsNotAllowed) {
    Fixture f;
    RecordFields r;
    f.script(r, batchData(r, 2));
    f.sensor.processor = nullptr;
    EXPECT_EQ(f.read(), HVQ5_RC_NOT_ALLOWED);
}

}  // namespace
