#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/settings/hvq5_settings.h"

namespace {

class OutputFormats : public ::testing::Test {
protected:
    OutputFormats() : processor(848, 848, 1.0) {
        std::memset(&params, 0, sizeof(params));
        processor.bind(&settings, &params);
        std::fill(processor.heightsOut(), processor.heightsOut() + 848, kInvalidHeight);
    }

    void setHeights(std::vector<double> values) {
        std::copy(values.begin(), values.end(), processor.heightsOut());
    }
    void setGray(std::vector<uint8_t> values) {
        std::copy(values.begin(), values.end(), processor.grayOutRow());
    }

    hvq5_settings settings;
    zp_laser_reg::laser_params params;
    ProfileProcessor processor;
};

TEST_F(OutputFormats, HeightsIntTruncatesTowardZero) {
    setHeights({1.239, -1.239, kInvalidHeight, 0.0});
    int32_t out[4] = {7, 7, 7, 7};
    processor.heightsInt(out, 4);
    EXPECT_EQ(out[0], 123);
    EXPECT_EQ(out[1], -123);
    EXPECT_EQ(out[2], -999900000);
    EXPECT_EQ(out[3], 0);
}

TEST_F(OutputFormats, HeightsIntHoldsHugeHeightsInRangeAndStopsAtThePoints) {
    setHeights({1e30, -1e30});
    std::vector<int32_t> out(900, 5);
    processor.heightsInt(out.data(), 900);
    EXPECT_EQ(out[0], INT32_MAX);
    EXPECT_EQ(out[1], INT32_MIN);
    EXPECT_EQ(out[848], 5);
}

// Register 353 = 65536 and offsets 0: code = height + 32768.
TEST_F(OutputFormats, Heights16UsesCodesOneTo65534) {
    settings.set_regvals(353, 65536);
    settings.set_regvals(357, 0);
    settings.set_regvals(350, 0);
    setHeights({32766.0, 32767.0, -32767.0, -32768.0, 0.0, kInvalidHeight});
    int16_t out[6];
    processor.heights16(out, 6, 0);
    const uint16_t expected[] = {65534, 0, 1, 0, 32768, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<uint16_t>(out[i]), expected[i]) << i;
}

TEST_F(OutputFormats, Heights16OffsetsReadOnlyInsideThePoints) {
    settings.set_regvals(353, 65536);
    processor.heightsOut()[846] = 1.0;
    processor.heightsOut()[847] = 2.0;
    int16_t out[4] = {9, 9, 9, 9};
    processor.heights16(out, 4, 846);
    EXPECT_EQ(static_cast<uint16_t>(out[0]), 32769);
    EXPECT_EQ(static_cast<uint16_t>(out[1]), 32770);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 0);
}

TEST(EncodeHeights16, ExtendedRowAcceptsCode65535) {
    const double heights[] = {0.0, 3276.75, 3276.875, -3276.75, kInvalidHeight, 1.5};
    int32_t out[7];
    encode_heights16(heights, 6, out, 7, 655360.0, 15872000.0, 15872000.0, kInvalidHeight, 0.0);
    EXPECT_EQ(out[0], 32768);
    EXPECT_EQ(out[1], 65535);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 0);  // 0.5 truncates to 0
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(out[5], 32783);
    EXPECT_EQ(out[6], 0);  // beyond the heights given
    encode_heights16(heights, 1, out, 1, 655360.0, 15872000.0, 15872000.0, kInvalidHeight, 2.0);
    EXPECT_EQ(out[0], 32788);
}

TEST_F(OutputFormats, GrayGammaStretchAndLookUp) {
    settings.set_regvals(742, 100);
    struct Case {
        bool gamma, stretch;
        uint8_t in, out;
    } cases[] = {
        {true, false, 255, 220}, {true, false, 0, 0},      {false, true, 128, 128},
        {false, true, 230, 255}, {false, true, 231, 255},  {false, true, 127, 127},
        {false, true, 129, 129}, {false, false, 77, 77},
    };
    for (const auto& c : cases) {
        setGray({c.in});
        uint8_t out = 1;
        processor.grayOut(&out, 1, 0, c.gamma, c.stretch, false);
        EXPECT_EQ(out, c.out) << int(c.in) << " gamma " << c.gamma << " stretch " << c.stretch;
    }
}

TEST_F(OutputFormats, GrayGammaCurveForAnotherValue) {
    settings.set_regvals(742, 200);  // exponent 0.5
    setGray({64});
    uint8_t out = 0;
    processor.grayOut(&out, 1, 0, true, false, false);
    EXPECT_EQ(out, static_cast<uint8_t>(std::ceil(std::sqrt(64 / 255.0) * 220.0)));
}

TEST_F(OutputFormats, GrayLookUpTableFromRegisters) {
    settings.set_regvals(774, 256 + 10);  // low 10
    settings.set_regvals(776, 20);        // high 20
    settings.set_regvals(775, 300);       // gain 3
    processor.buildGrayLut();
    setGray({9, 10, 12, 20, 21, 200});
    uint8_t out[6];
    processor.grayOut(out, 6, 0, false, false, true);
    const uint8_t expected[] = {9, 10, 16, 40, 21, 200};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(GrayLut, KeepsTheLowEightBits) {
    uint8_t lut[256];
    build_gray_lut(lut, 0, 255, 2.0f);
    EXPECT_EQ(lut[100], 200);
    EXPECT_EQ(lut[200], 400 & 0xFF);
    build_gray_lut(lut, 50, 40, 2.0f);  // an empty range is the identity
    EXPECT_EQ(lut[45], 45);
}

TEST_F(OutputFormats, GrayOutCopiesOnlyInsideThePoints) {
    processor.grayOutRow()[847] = 33;
    uint8_t out[3] = {1, 1, 1};
    processor.grayOut(out, 3, 847, false, false, false);
    EXPECT_EQ(out[0], 33);
    EXPECT_EQ(out[1], 1);
}

TEST(OutputWidth, ExtendedWidthOrRoiPointsOverTheBinningRate) {
    struct Case {
        int extended;
        bool own;
        uint32_t roi;
        double ppc;
        int rate, expected;
    } cases[] = {
        {1500, false, 2048, 1.5625, 1, 1500},  // extended width wins
        {1500, true, 2048, 1.5625, 4, 3200},   // own connection: no extended width, no binning
        {0, false, 2048, 1.5625, 1, 3200},
        {0, false, 2048, 2.9296875, 2, 3000},
        {-3, false, 1000, 1.5625, 4, 390},     // trunc(1562.5) / 4
        // Registers asking for rows wider than any profile are held to the bound.
        {1000000, false, 2048, 1.5625, 1, kMaxOutputWidth},
        {0, true, 0xFFFFFFFFu, 2.9296875, 1, kMaxOutputWidth},
        {0, false, 0xFFFFFFFFu, 2.9296875, 2, kMaxOutputWidth / 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(profile_output_width(c.extended, c.own, c.roi, c.ppc, c.rate), c.expected);
}

}  // namespace
