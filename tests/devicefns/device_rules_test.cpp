// The decisions of the device functions that need no sensor.
#include "sensor_interface/registry/device_functions_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sensor_interface/registry/hvq5_rc.h"

namespace {

using namespace device_rules;

TEST(DevicefnsRules, NewerSeriesFourHeadsByFirmware) {
    struct Case {
        char series;
        uint32_t register166;
        bool expected;
    };
    const Case cases[] = {
        {'4', 28695, false}, {'4', 28696, true}, {'4', 0x12340000u + 28695, false},
        {'4', 0xFFFF0000u + 30000, true}, {'3', 30000, false}, {'5', 30000, false},
    };
    for (const Case& c : cases) EXPECT_EQ(isSeries4New(c.series, c.register166), c.expected) << c.series << " " << c.register166;
}

TEST(DevicefnsRules, NewSeriesIsAnythingButThreeAndFour) {
    EXPECT_FALSE(isNewSeries('3'));
    EXPECT_FALSE(isNewSeries('4'));
    for (char series : {'5', '6', '\0', '?'}) EXPECT_TRUE(isNewSeries(series)) << int(series);
}

TEST(DevicefnsRules, GeometryPacksColumnsHighAndPointsLow) {
    EXPECT_EQ(packGeometry(2048, 6000), (int64_t(2048) << 32) | 6000);
    EXPECT_EQ(packGeometry(848, 848), (int64_t(848) << 32) | 848);
}

TEST(DevicefnsRules, StatusReplyIsTakenInHostOrderFromExactlyElevenBytes) {
    std::vector<uint8_t> reply{161, 0x34, 0x12, 0, 0, 0x78, 0x56, 0x34, 0x12, 0x0D, 0x0A};
    const auto decoded = decodeStatusReply(reply.data(), reply.size());
    ASSERT_TRUE(decoded);
    uint16_t word = 0;
    uint32_t value = 0;
    std::memcpy(&word, &reply[1], 2);
    std::memcpy(&value, &reply[5], 4);
    EXPECT_EQ(decoded->word, word);
    EXPECT_EQ(decoded->value, value);

    for (size_t size : {size_t(0), size_t(10), size_t(12)}) {
        std::vector<uint8_t> other(size, 1);
        EXPECT_FALSE(decodeStatusReply(other.data(), other.size())) << size;
    }
    EXPECT_FALSE(decodeStatusReply(nullptr, 11));
}

TEST(DevicefnsRules, TriggerModeWrites) {
    const auto off = triggerModeWrites(0);
    ASSERT_TRUE(off);
    EXPECT_EQ(off->register194, 0u);
    EXPECT_EQ(off->register296, 1u);
    EXPECT_EQ(off->register221, 3u);
    const auto on = triggerModeWrites(1);
    ASSERT_TRUE(on);
    EXPECT_EQ(on->register194, 1u);
    EXPECT_EQ(on->register296, 0u);
    EXPECT_EQ(on->register221, 1u);
    for (int mode : {-1, 2, 255}) EXPECT_FALSE(triggerModeWrites(mode)) << mode;
}

TEST(DevicefnsRules, SettingsWordsBecomePairsWithZeroFirstAndBack) {
    const std::vector<uint32_t> words{7, 0xFFFFFFFFu, 0};
    const SettingsWordPairs pairs = pairsOfWords(words);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[1], std::make_pair(0u, 0xFFFFFFFFu));
    EXPECT_EQ(wordsOfPairs(pairs), words);
    // Whatever the first member holds, only the second is the word.
    EXPECT_EQ(wordsOfPairs({{9, 1}, {9, 2}}), (std::vector<uint32_t>{1, 2}));
}

TEST(DevicefnsRules, LiveReadFailuresAreLoggedButNotAPausedLink) {
    EXPECT_FALSE(isLoggedLiveFailure(HVQ5_RC_OK));
    EXPECT_FALSE(isLoggedLiveFailure(HVQ5_RC_NOT_ALLOWED));
    for (int status : {HVQ5_RC_TIMEOUT, HVQ5_RC_NOT_OPEN, HVQ5_RC_BAD_BLOCK}) EXPECT_TRUE(isLoggedLiveFailure(status));
    EXPECT_EQ(liveFailureLine("outline getting error", 0, HVQ5_RC_TIMEOUT), "outline getting error[0]: 4100");
    EXPECT_EQ(liveFailureLine("image getting error", 12, HVQ5_RC_BAD_BLOCK), "image getting error[12]: 4103");
}

}  // namespace
