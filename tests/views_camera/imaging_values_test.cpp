// The imaging pages' pure rules: version gates of the gray image page, its
// register encodings, the halo ratio, the light page's exposure and voltage.
#include <gtest/gtest.h>

#include <optional>

#include "views/camera/hdr_halo_pages.h"
#include "views/camera/image_setting_widget.h"
#include "views/camera/light_setting_pages.h"

namespace {

TEST(GrayImageGates, SeriesVersionWordsAndTheirLowBits) {
    struct Case {
        bool newSeries;
        std::optional<uint32_t> reg134;
        std::optional<uint32_t> reg166;
        bool samplingWindow, dropEdge, grayMap;
    };
    // The upper bits of both words never count.
    const Case cases[] = {
        {true, 0xAB00 | 126, 0xF000 | 843, false, false, false},
        {true, 0xAB00 | 127, 0xF000 | 844, true, false, true},
        {true, 0xAB00 | 130, 0xF000 | 843, true, false, false},
        {true, 0xAB00 | 136, 0xF000 | 844, true, true, true},
        {true, 0xFF, 0xFFF, true, true, true},
        {true, std::nullopt, std::nullopt, false, false, false},
        {false, 136, 844, false, false, false},
        {false, 0xFF, 0xFFF, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.newSeries << " " << c.reg134.value_or(0) << " " << c.reg166.value_or(0));
        const GrayImageGates gates = grayImageGates(c.newSeries, c.reg134, c.reg166);
        EXPECT_EQ(gates.samplingWindow, c.samplingWindow);
        EXPECT_EQ(gates.dropEdge, c.dropEdge);
        EXPECT_EQ(gates.grayMap, c.grayMap);
    }
}

TEST(GrayImageValues, SharpeningWordsAndTheirReading) {
    EXPECT_EQ(sharpeningWords(true).reg450, 0xFF010000u);
    EXPECT_EQ(sharpeningWords(true).reg451, 0u);
    EXPECT_EQ(sharpeningWords(false).reg450, 0x683E0E00u);
    EXPECT_EQ(sharpeningWords(false).reg451, 0x00000E3Eu);
    EXPECT_TRUE(sharpeningIsOn(0xFF000000u, 0));
    EXPECT_TRUE(sharpeningIsOn(0xFF123456u, 0));
    EXPECT_FALSE(sharpeningIsOn(0xFE010000u, 0));
    EXPECT_FALSE(sharpeningIsOn(0xFF010000u, 1));
}

TEST(GrayImageValues, SlopeRoundsToTheNearestHundredth) {
    EXPECT_EQ(graySlopeWord(0.29), 29) << "0.29 x 100 is 28.999...";
    EXPECT_EQ(graySlopeWord(-0.5), -50);
    EXPECT_EQ(graySlopeWord(1.0), 100);
    EXPECT_EQ(graySlopeWord(-1.0), -100);
    EXPECT_EQ(graySlopeWord(0.57), 57);
}

TEST(HaloValues, RatioTimes256Truncated) {
    EXPECT_EQ(haloRatioWord(1.5), 384);
    EXPECT_EQ(haloRatioWord(0.39), 99);
    EXPECT_EQ(haloRatioWord(99.99), 25597);
}

TEST(LightValues, ExposureListAndVoltage) {
    EXPECT_EQ(exposureTimeOfIndex(0), 2);
    EXPECT_EQ(exposureTimeOfIndex(4), 100);
    EXPECT_EQ(exposureTimeOfIndex(8), 2000);
    EXPECT_EQ(exposureTimeOfIndex(9), 9) << "outside the list: the index itself";
    EXPECT_EQ(laserVoltageText(0), QStringLiteral("0 V"));
    EXPECT_EQ(laserVoltageText(32768), QStringLiteral("2.5 V"));
    EXPECT_EQ(laserVoltageText(65536), QStringLiteral("5 V"));
    EXPECT_EQ(laserVoltageText(13107), QStringLiteral("0.999985 V"));
}

}  // namespace
