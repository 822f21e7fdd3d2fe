#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "settings_windows/core/measured_values.h"

namespace {

int32_t floatBits(float value) {
    int32_t word;
    std::memcpy(&word, &value, sizeof(word));
    return word;
}

std::vector<int32_t> counting(size_t n) {
    std::vector<int32_t> words(n);
    for (size_t i = 0; i < n; ++i) words[i] = static_cast<int32_t>(10 * (i + 1));
    return words;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ',')) out.push_back(field);
    return out;
}

}  // namespace

TEST(MeasuredWord, IntegerTypesShowTheSignedWordAndFloatItsBitsWithFourDecimals) {
    EXPECT_EQ(measured::formatWord(floatBits(1.0f), measured::Float), "1.0000");
    EXPECT_EQ(measured::formatWord(floatBits(-2.5f), measured::Float), "-2.5000");
    EXPECT_EQ(measured::formatWord(floatBits(1.0f), measured::Int32), "1065353216");
    EXPECT_EQ(measured::formatWord(-7, measured::Int16), "-7");
    EXPECT_EQ(measured::formatWord(-7, measured::Int32), "-7");
    EXPECT_STREQ(measured::valueUnit(measured::Float), "mm");
    EXPECT_STREQ(measured::valueUnit(measured::Int32), "um");
    EXPECT_STREQ(measured::valueUnit(measured::Int16), "um");
}

struct BlockCase {
    size_t words;
    int32_t word11;
    const char* value;
    int boundary, offset1, offset2, len1, len2;
};

TEST(MeasuredFrame, BlocksOfEveryLengthGiveTheirValuesBoundaryOffsetsAndLengths) {
    const BlockCase cases[] = {
        {2, 0, "", -1, 0, 0, 0, 0},
        {3, 0, " 10, 20, 30", 0, 0, 0, 0, 0},
        {6, 0, " 10, 20, 30", 0, 50, 60, 0, 0},
        {8, 0, " 10, 20, 30", 0, 50, 60, 70, 80},
        {9, 0, " 10, 20, 30", 90, 50, 60, 70, 80},
        {12, 0, " 10, 20, 30", 40, 50, 60, 70, 80},  // word 11 = 0 picks word 3
        {12, 1, " 10, 20, 30", 90, 50, 60, 70, 80},  // otherwise word 8
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.words << " words, word 11 = " << c.word11);
        std::vector<int32_t> words = counting(c.words);
        if (words.size() >= 12) words[11] = c.word11;
        const measured::Frame frame = measured::frameFromBlock(words, measured::Int32);
        EXPECT_EQ(frame.valueText, c.value);
        EXPECT_EQ(frame.boundary, c.boundary);
        EXPECT_EQ(frame.offset1, c.offset1);
        EXPECT_EQ(frame.offset2, c.offset2);
        EXPECT_EQ(frame.len1, c.len1);
        EXPECT_EQ(frame.len2, c.len2);
    }
}

TEST(MeasuredFrame, FloatBlockValuesAndTheOutputRegister) {
    const std::vector<int32_t> words = {floatBits(1.0f), floatBits(0.25f), floatBits(-3.0f)};
    EXPECT_EQ(measured::frameFromBlock(words, measured::Float).valueText, " 1.0000, 0.2500, -3.0000");

    const measured::Frame fromRegister = measured::frameFromRegister(static_cast<uint32_t>(-12), measured::Int16);
    EXPECT_EQ(fromRegister.valueText, "-12");
    EXPECT_EQ(fromRegister.boundary, -1);
    EXPECT_EQ(fromRegister.offset1, 0);
    EXPECT_EQ(fromRegister.len2, 0);
}

TEST(MeasuredCsv, ABlockOfTwelveWordsGivesThirteenFieldsWithFloatsAtWordsNineAndTen) {
    std::vector<int32_t> words = counting(12);
    words[9] = floatBits(1.5f);
    words[10] = floatBits(-0.125f);
    words[4] = -1;
    const std::string line =
        measured::csvLine("2024-05-06_14-03-21-042", measured::frameFromBlock(words, measured::Int32).valueText, words);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    const std::vector<std::string> f = fields(line.substr(0, line.size() - 2));
    ASSERT_EQ(f.size(), 13u);
    EXPECT_EQ(f[0], "2024-05-06_14-03-21-042");
    EXPECT_EQ(f[1], " 10");
    EXPECT_EQ(f[3], " 30");
    EXPECT_EQ(f[4], "40");          // word 3
    EXPECT_EQ(f[5], "4294967295");  // word 4, unsigned
    EXPECT_EQ(f[10], "1.5000");     // word 9
    EXPECT_EQ(f[11], "-0.1250");    // word 10
    EXPECT_EQ(f[12], "120");        // word 11
}

TEST(MeasuredCsv, AValueFromTheOutputRegisterIsFollowedByTheZeroFilledList) {
    const std::vector<int32_t> words(measured::kBlockWords, 0);
    const std::string line = measured::csvLine("t", "-12", words);
    const std::vector<std::string> f = fields(line.substr(0, line.size() - 2));
    // stamp, value, words 3 to 99
    ASSERT_EQ(f.size(), 2u + 97u);
    EXPECT_EQ(f[1], "-12");
    EXPECT_EQ(f[2], "0");
    EXPECT_EQ(f[8], "0.0000");  // word 9
    EXPECT_EQ(f[9], "0.0000");  // word 10
    EXPECT_EQ(f[10], "0");
}

TEST(MeasuredValues, TheValueBlockNeedsASeriesFourVersionAbove28711) {
    EXPECT_FALSE(measured::hasValueBlock(true, 28711));
    EXPECT_TRUE(measured::hasValueBlock(true, 28712));
    EXPECT_TRUE(measured::hasValueBlock(true, 0x30000 + 28712));
    EXPECT_FALSE(measured::hasValueBlock(true, 0x10000 + 28700));
    EXPECT_FALSE(measured::hasValueBlock(false, 28712));
}

TEST(MeasuredValues, LiveReadsStayOffWhileALinkIsRequestedOrTheWorkModeIsOn) {
    EXPECT_TRUE(measured::liveReadsAllowed(0, 0));
    EXPECT_FALSE(measured::liveReadsAllowed(1, 0));
    EXPECT_FALSE(measured::liveReadsAllowed(0, 1));
    EXPECT_FALSE(measured::liveReadsAllowed(1, 1));
}
