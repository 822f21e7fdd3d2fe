#include "sensor_interface/command/debug_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tools/sensor_sim/debug_stream_encoder.h"

namespace {

using sensor_sim::DebugInfoRecord;
using sensor_sim::DebugStreamEncoder;
using Bytes = std::vector<uint8_t>;

constexpr size_t kImageRowBytes = 2048;
constexpr size_t kLargeCapacity = 1024 * kImageRowBytes;

DebugInfoRecord info_record(uint16_t rows, bool image32, bool profile32 = false,
                            bool intensity = false) {
    DebugInfoRecord record;
    record.imageRows = rows;
    record.intensityFlag = intensity ? 1 : 0;
    record.flags[1] = image32 ? 1 : 0;
    record.flags[4] = profile32 ? 1 : 0;
    return record;
}

std::vector<uint32_t> ramp(uint32_t first, uint32_t step) {
    std::vector<uint32_t> values(2048);
    for (size_t i = 0; i < values.size(); ++i) values[i] = first + static_cast<uint32_t>(i) * step;
    return values;
}

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes without_last(Bytes stream, size_t count) {
    stream.resize(stream.size() - count);
    return stream;
}

// Malformed and unusual streams, with what each parser makes of them.
struct StreamCase {
    const char* name;
    std::function<Bytes()> stream;
    size_t imageCapacity;
    int imageStatus;
    int profileStatus;
};

class DebugStreamTable : public ::testing::TestWithParam<StreamCase> {};

TEST_P(DebugStreamTable, Status) {
    const StreamCase& c = GetParam();
    const Bytes stream = c.stream();
    DebugInfo imageInfo;
    EXPECT_EQ(parse_debug_image_stream(stream.data(), stream.size(), c.imageCapacity, imageInfo).status,
              c.imageStatus);
    DebugInfo profileInfo;
    EXPECT_EQ(parse_debug_profile_stream(stream.data(), stream.size(), false, profileInfo).status,
              c.profileStatus);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, DebugStreamTable,
    ::testing::Values(
        StreamCase{"Empty", [] { return Bytes{}; }, kLargeCapacity, 4103, 4103},
        StreamCase{"ShortStart", [] { return bytes_of("DEBUG,start\r"); }, kLargeCapacity, 4103, 4103},
        StreamCase{"BadStart", [] { return bytes_of("DEBUG,begin\r\nDEBUG,end\r\n"); }, kLargeCapacity,
                   4103, 4103},
        StreamCase{"OnlyStartAndEnd", [] { return DebugStreamEncoder().finish(); }, kLargeCapacity, 0, 0},
        StreamCase{"OnlyStart", [] { return DebugStreamEncoder().bytes(); }, kLargeCapacity, 0, 0},
        StreamCase{"NoCommaBeforeTheEnd",
                   [] { return DebugStreamEncoder().raw("trailing").bytes(); }, kLargeCapacity, 4103, 0},
        StreamCase{"TooManyRows",
                   [] { return DebugStreamEncoder().info(info_record(1025, true)).finish(); },
                   kLargeCapacity, 4103, 0},
        StreamCase{"TruncatedInfo",
                   [] { return DebugStreamEncoder().raw("info,").raw(std::string(14, '\x01')).bytes(); },
                   kLargeCapacity, 4103, 4103},
        StreamCase{"ImageLargerThanTheBuffer",
                   [] {
                       return DebugStreamEncoder()
                           .info(info_record(4, true))
                           .image(Bytes(4 * kImageRowBytes, 7))
                           .finish();
                   },
                   4 * kImageRowBytes - 1, 4108, 0},
        StreamCase{"ImageWithoutEnd",
                   [] {
                       return DebugStreamEncoder()
                           .info(info_record(2, true))
                           .raw("get,")
                           .raw(std::string(2 * kImageRowBytes, '\x07'))
                           .raw(",fin\r\nDEBUG,end\r\n")
                           .bytes();
                   },
                   kLargeCapacity, 4103, 0},
        StreamCase{"ImageCutShort",
                   [] {
                       return DebugStreamEncoder()
                           .info(info_record(2, true))
                           .raw("get,")
                           .raw(std::string(kImageRowBytes, '\x07'))
                           .bytes();
                   },
                   kLargeCapacity, 4103, 0},
        StreamCase{"ProfileWithoutEnd",
                   [] {
                       return without_last(
                           DebugStreamEncoder().profile(ramp(1, 1), false).bytes(), 6);
                   },
                   kLargeCapacity, 4103, 4103},
        StreamCase{"ProfileMissingIntensity",
                   [] {
                       return DebugStreamEncoder()
                           .info(info_record(0, false, false, true))
                           .profile(ramp(1, 1), false)
                           .finish();
                   },
                   kLargeCapacity, 4103, 4103},
        StreamCase{"Profile16BitWhereFlagsSay32",
                   [] {
                       return DebugStreamEncoder()
                           .info(info_record(0, false, true))
                           .profile(ramp(1, 1), false)
                           .finish();
                   },
                   kLargeCapacity, 4103, 4103}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return info.param.name; });

TEST(DebugImageStream, OnlyStartAndEndGivesNothing) {
    const Bytes stream = DebugStreamEncoder().finish();
    DebugInfo info;
    const DebugImageContent content = parse_debug_image_stream(stream.data(), stream.size(), kLargeCapacity, info);
    EXPECT_FALSE(content.rowsSeen);
    EXPECT_EQ(content.image, nullptr);
    EXPECT_FALSE(content.hasProfile);
}

TEST(DebugImageStream, ReadsRowsImageAndPeakValues) {
    Bytes pixels(3 * kImageRowBytes);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
    const Bytes intensity(2048, 0x55);
    const Bytes stream = DebugStreamEncoder()
                             .info(info_record(3, true, false, true))
                             .image(pixels)
                             .record("other", bytes_of("xyz"))
                             .profile(ramp(65536, 65536), true, intensity)
                             .finish();
    DebugInfo info;
    const DebugImageContent content =
        parse_debug_image_stream(stream.data(), stream.size(), pixels.size(), info);
    ASSERT_EQ(content.status, 0);
    EXPECT_TRUE(content.rowsSeen);
    EXPECT_EQ(content.rows, 3);
    ASSERT_EQ(content.imageBytes, pixels.size());
    EXPECT_EQ(Bytes(content.image, content.image + content.imageBytes), pixels);
    ASSERT_TRUE(content.hasProfile);
    EXPECT_TRUE(content.profile.words32);
    ASSERT_NE(content.profile.intensity, nullptr);
    EXPECT_EQ(content.profile.intensity[2047], 0x55);
    EXPECT_EQ(content.profile.value(0), 65536u);
    EXPECT_EQ(content.profile.value(2047), 2048u * 65536u);
}

TEST(DebugImageStream, GetRecordIsSkippedWhileTheImageFlagIsOff) {
    const Bytes stream = DebugStreamEncoder()
                             .info(info_record(2, false))
                             .image(Bytes(2 * kImageRowBytes, 9))
                             .finish();
    DebugInfo info;
    const DebugImageContent content = parse_debug_image_stream(stream.data(), stream.size(), kLargeCapacity, info);
    EXPECT_EQ(content.status, 0);
    EXPECT_EQ(content.rows, 2);
    EXPECT_EQ(content.image, nullptr);
}

TEST(DebugImageStream, InfoOfAnEarlierStreamStillCounts) {
    DebugInfo info;
    const Bytes first = DebugStreamEncoder().info(info_record(2, true)).finish();
    ASSERT_EQ(parse_debug_image_stream(first.data(), first.size(), kLargeCapacity, info).status, 0);

    const Bytes second = DebugStreamEncoder().image(Bytes(2 * kImageRowBytes, 4)).finish();
    const DebugImageContent content = parse_debug_image_stream(second.data(), second.size(), kLargeCapacity, info);
    EXPECT_EQ(content.status, 0);
    EXPECT_FALSE(content.rowsSeen);
    EXPECT_EQ(content.imageBytes, 2 * kImageRowBytes);
}

TEST(DebugImageStream, RowsOfAnUncheckedInfoCannotOverrunTheImage) {
    // The live-profile reader does not limit the rows; the image reader must
    // not trust them when they come from an earlier stream.
    DebugInfo info;
    info.imageRows = 4000;
    info.flags[1] = 1;
    const Bytes stream = DebugStreamEncoder().image(Bytes(16, 4)).finish();
    EXPECT_EQ(parse_debug_image_stream(stream.data(), stream.size(), 8192 * kImageRowBytes, info).status,
              4103);
}

struct ProfileWidthCase {
    const char* name;
    bool always32;
    DebugInfoRecord info;
    bool words32;
};

class DebugProfileWidth : public ::testing::TestWithParam<ProfileWidthCase> {};

TEST_P(DebugProfileWidth, ValuesHaveTheAnnouncedWidth) {
    const ProfileWidthCase& c = GetParam();
    const Bytes stream = DebugStreamEncoder().info(c.info).profile(ramp(100, 3), c.words32).finish();
    DebugInfo info;
    const DebugProfileContent content = parse_debug_profile_stream(stream.data(), stream.size(), c.always32, info);
    ASSERT_EQ(content.status, 0);
    ASSERT_TRUE(content.hasProfile);
    EXPECT_EQ(content.profile.words32, c.words32);
    EXPECT_EQ(content.profile.intensity, nullptr);
    EXPECT_EQ(content.profile.value(0), 100u);
    EXPECT_EQ(content.profile.value(2047), 100u + 2047u * 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, DebugProfileWidth,
    ::testing::Values(ProfileWidthCase{"Plain16", false, info_record(0, false), false},
                      ProfileWidthCase{"ImageFlag32", false, info_record(0, true), true},
                      ProfileWidthCase{"ProfileFlag32", false, info_record(0, false, true), true},
                      ProfileWidthCase{"FixedPointHead32", true, info_record(0, false), true}),
    [](const ::testing::TestParamInfo<ProfileWidthCase>& info) { return info.param.name; });

TEST(DebugProfileStream, FirstProfileRecordEndsTheRead) {
    const Bytes stream = DebugStreamEncoder()
                             .profile(ramp(1, 0), false)
                             .info(info_record(0, true, true, true))  // after the profile: unread
                             .raw("broken")
                             .bytes();
    DebugInfo info;
    const DebugProfileContent content = parse_debug_profile_stream(stream.data(), stream.size(), false, info);
    EXPECT_EQ(content.status, 0);
    EXPECT_TRUE(content.hasProfile);
    EXPECT_EQ(info.intensityFlag, 0);
}

TEST(DebugProfileStream, CopiesValuesInTheirWireWidth) {
    const Bytes stream = DebugStreamEncoder().profile(ramp(40000, 1), false).finish();
    DebugInfo info;
    const DebugProfileContent content = parse_debug_profile_stream(stream.data(), stream.size(), false, info);
    ASSERT_TRUE(content.hasProfile);
    std::vector<uint16_t> words(2048);
    EXPECT_EQ(content.profile.copyValues(words.data(), 5000), 2048);
    EXPECT_EQ(words[0], 40000);
    EXPECT_EQ(words[2047], 40000 + 2047);
}

TEST(DebugInfoRecord, ReadsTheFieldsLittleEndian) {
    const Bytes bytes = {0x01, 0x78, 0x56, 0x34, 0x12, 0x00, 0x04, 0xCD, 0xAB,
                         0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0xEE};
    DebugInfo info;
    size_t position = 0;
    ASSERT_TRUE(parse_info_record(bytes.data(), bytes.size(), position, info));
    EXPECT_EQ(position, 15u);
    EXPECT_EQ(info.intensityFlag, 1);
    EXPECT_EQ(info.word1, 0x12345678u);
    EXPECT_EQ(info.imageRows, 1024);
    EXPECT_EQ(info.word2, 0xABCD);
    EXPECT_EQ(info.flags, (std::array<uint8_t, 6>{0x10, 0x11, 0x12, 0x13, 0x14, 0x15}));

    std::array<uint8_t, 15> record{};
    std::copy(bytes.begin(), bytes.begin() + 15, record.begin());
    EXPECT_EQ(info.bytes(), record);
    EXPECT_EQ(DebugInfo::fromBytes(record).bytes(), record);

    size_t late = 2;
    EXPECT_FALSE(parse_info_record(bytes.data(), bytes.size(), late, info));
    EXPECT_EQ(late, 2u);
}

TEST(DebugPeakRows, FixedPointRowsAndTheirLimits) {
    std::vector<uint32_t> words(2048, 0);
    words[1] = 10 * 65536 + 16384;
    words[2] = 1023 * 65536;
    words[3] = 1024 * 65536;
    words[4] = 0xFFFFFFFFu;
    const Bytes stream = DebugStreamEncoder().profile(words, true).finish();
    DebugInfo info;
    const DebugProfileContent content = parse_debug_profile_stream(stream.data(), stream.size(), true, info);
    ASSERT_TRUE(content.hasProfile);
    std::vector<double> rows(5);
    ASSERT_EQ(debug_peak_rows(content.profile, 5, 1024, rows.data()), 5);
    EXPECT_EQ(rows, (std::vector<double>{-1.0, 10.25, 1023.0, -1.0, -1.0}));
}

TEST(DebugPeakRows, CountIsLimitedToTheRecordAndSixteenBitGivesNoPeak) {
    const Bytes stream32 = DebugStreamEncoder().profile(ramp(65536, 0), true).finish();
    const Bytes stream16 = DebugStreamEncoder().profile(ramp(65535, 0), false).finish();
    DebugInfo info32;
    info32.flags[4] = 1;
    DebugInfo info16;
    const DebugProfileContent p32 = parse_debug_profile_stream(stream32.data(), stream32.size(), false, info32);
    const DebugProfileContent p16 = parse_debug_profile_stream(stream16.data(), stream16.size(), false, info16);
    ASSERT_TRUE(p32.hasProfile && p16.hasProfile);

    std::vector<double> rows(3000, 5.0);
    EXPECT_EQ(debug_peak_rows(p32.profile, 3000, 608, rows.data()), 2048);
    EXPECT_EQ(rows[2047], 1.0);
    EXPECT_EQ(rows[2048], 5.0);
    EXPECT_EQ(debug_peak_rows(p16.profile, 10, 608, rows.data()), 10);
    EXPECT_EQ(rows[0], -1.0);
    EXPECT_EQ(rows[9], -1.0);
    EXPECT_EQ(rows[10], 1.0);
    EXPECT_EQ(debug_peak_rows(p16.profile, -4, 608, rows.data()), 0);
}

TEST(DebugXWindow, KeepsTheWindowOfTheRegisters) {
    const DebugXWindow window = debug_x_window(100, 1000, 2.0);
    EXPECT_EQ(window.start, 200);
    EXPECT_EQ(window.end, 2199);

    std::vector<int32_t> heights(4096);
    for (size_t j = 0; j < heights.size(); ++j) heights[j] = static_cast<int32_t>(j);
    std::vector<int32_t> out(4096);
    apply_debug_x_window(heights.data(), out.data(), 4096, window);
    EXPECT_EQ(out[199], -999900000);
    EXPECT_EQ(out[200], 200);
    EXPECT_EQ(out[2199], 2199);
    EXPECT_EQ(out[2200], -999900000);
    EXPECT_EQ(out[4095], -999900000);
}

TEST(DebugXWindow, FractionalPointsPerColumnTruncate) {
    const DebugXWindow window = debug_x_window(3, 5, 1.5625);
    EXPECT_EQ(window.start, 4);              // 4.6875
    EXPECT_EQ(window.end, 10);               // 7.8125 + 4 - 1
    const DebugXWindow empty = debug_x_window(0, 0, 2.0);
    EXPECT_LT(empty.end, empty.start);
}

TEST(DebugStreamFuzzEntry, SurvivesArbitraryBytes) {
    Bytes stream = DebugStreamEncoder().info(info_record(2, true, true, true)).finish();
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        EXPECT_EQ(debug_stream_fuzz_one(stream.data(), cut), 0);
    }
    EXPECT_EQ(debug_stream_fuzz_one(nullptr, 0), 0);
}

}  // namespace

namespace {

TEST(DebugImageStream, SkippedImageDoesNotHideTheProfileBehindIt) {
    Bytes pixels(kImageRowBytes, ',');  // commas inside the skipped content
    const Bytes stream = DebugStreamEncoder()
                             .info(info_record(1, false, true))
                             .image(pixels)
                             .profile(ramp(65536, 0), true)
                             .finish();
    DebugInfo info;
    const DebugImageContent content = parse_debug_image_stream(stream.data(), stream.size(), kLargeCapacity, info);
    EXPECT_EQ(content.status, 0);
    EXPECT_EQ(content.image, nullptr);
    EXPECT_TRUE(content.hasProfile);
}

}  // namespace

#include "tools/sensor_sim/debug_stream_service.h"

namespace {

TEST(DebugImageStream, ReadsTheSimulatorsScene) {
    const Bytes stream = sensor_sim::sceneDebugStream(608);
    DebugInfo info;
    const DebugImageContent content = parse_debug_image_stream(stream.data(), stream.size(), 608 * kImageRowBytes, info);
    ASSERT_EQ(content.status, 0);
    EXPECT_EQ(content.rows, 608);
    ASSERT_EQ(content.imageBytes, 608 * kImageRowBytes);
    EXPECT_EQ(content.image[304 * kImageRowBytes + 0], 220);
    EXPECT_EQ(content.image[264 * kImageRowBytes + 1024], 220);
    ASSERT_TRUE(content.hasProfile);
    ASSERT_NE(content.profile.intensity, nullptr);
    std::vector<double> rows(2048);
    ASSERT_EQ(debug_peak_rows(content.profile, 2048, 608, rows.data()), 2048);
    EXPECT_EQ(rows[0], 304.25);
    EXPECT_EQ(rows[100], -1.0);
    EXPECT_EQ(rows[1024], 264.25);
    EXPECT_EQ(rows[2047], 304.25);
    EXPECT_EQ(content.profile.intensity[100], 0);
    EXPECT_EQ(content.profile.intensity[0], 220);
}

}  // namespace
