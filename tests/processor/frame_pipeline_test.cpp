// A synthetic frame of the scene (plane with a step) through processFrame and
// the whole pipeline, for each word format and each switch that changes the rows.
#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/log/log_manager.h"
#include "tests/processor/frame_scene.h"

namespace processor_test {
namespace {

// The column whose height and gray profile point p shows with every switch
// off. Points lie on their columns, except at the step: point 424 lies within
// one pitch of column 423, the left end of the steep segment, and takes it.
int shown_column(int p) { return p == 424 ? 423 : p; }
// The profile the scene gives with every switch off: guard points invalid.
double base_height(int p) {
    return p >= 8 && p < kColumns - 8 ? scene_height(shown_column(p)) : kInvalid;
}
int base_gray(int p) { return base_height(p) == kInvalid ? 0 : 100 + shown_column(p) % 50; }

struct SwitchCase {
    const char* name;
    std::vector<std::pair<unsigned, uint32_t>> registers;
    bool ownConnection;
    int count;                              // output points of the frame
    int width;                              // values per batch row
    std::function<int(int)> source;         // profile point that output point i shows
    std::function<double(double)> value;    // what happens to a valid height
    bool extendedCodes;                     // int32 row holds 16-bit codes of the middle
};

std::vector<SwitchCase> switch_cases() {
    auto same = [](int i) { return i; };
    auto keep = [](double h) { return h; };
    return {
        {"plain", {}, false, 848, 848, same, keep, false},
        {"mirror", {{291, 1}}, false, 848, 848, [](int i) { return 847 - i; }, keep, false},
        {"mirror and negate", {{291, 3}}, false, 848, 848, [](int i) { return 847 - i; },
         [](double h) { return -h; }, false},
        {"z scale 2", {{330, 1}, {331, 200000}}, false, 848, 848, same,
         [](double h) { return 2 * h; }, false},
        {"z scale out of range", {{330, 1}, {331, 99}}, false, 848, 848, same, keep, false},
        {"binning by 2", {{740, 1}}, false, 424, 424, [](int i) { return 2 * i; }, keep, false},
        {"binning by 4", {{740, 2}}, false, 212, 212, [](int i) { return 4 * i; }, keep, false},
        {"own connection never bins", {{740, 1}}, true, 848, 848, same, keep, false},
        {"extended width", {{752, 600}}, false, 848, 600, [](int i) { return i + 124; }, keep, true},
        {"own connection ignores extended width", {{752, 600}}, true, 848, 848, same, keep, false},
    };
}

class SceneFrame : public ::testing::TestWithParam<Words> {};

TEST_P(SceneFrame, RowsFollowEverySwitch) {
    const Words kind = GetParam();
    for (const SwitchCase& c : switch_cases()) {
        SCOPED_TRACE(c.name);
        SceneReceiver scene;
        scene.controller.ownConnection = c.ownConnection;
        for (const auto& r : c.registers) scene.settings().set_regvals(r.first, r.second);
        scene.announce(0, kColumns, kind);
        scene.sendScene(kind, 1);

        ASSERT_EQ(scene.rows->heights.size(), 1u);
        const auto& heights = scene.rows->heights[0];
        const auto& codes = scene.rows->codes[0];
        const auto& gray = scene.rows->gray[0];
        ASSERT_EQ(static_cast<int>(heights.size()), c.width);
        EXPECT_EQ(scene.receiver.outputOffset(), (c.count - std::min(c.count, c.width)) / 2);
        for (int i = 0; i < c.width; ++i) {
            const int s = c.source(i);
            const double h = base_height(s);
            const bool valid = h != kInvalid;
            const double out = valid ? c.value(h) : kInvalid;
            const int32_t expectedInt = c.extendedCodes ? (valid ? int32_t(32768 + 10 * out) : 0)
                                                        : int32_t(std::trunc(out * 100));
            ASSERT_EQ(heights[i], expectedInt) << i;
            ASSERT_EQ(codes[i], valid ? uint16_t(32768 + out) : 0) << i;
            ASSERT_EQ(gray[i], base_gray(s)) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WordFormats, SceneFrame,
                         ::testing::Values(Words::Bits16, Words::Bits32, Words::FixedPoint));

TEST(SceneFrames, FixedPointRowsAgreeWithThirtyTwoBitWords) {
    // Fractional heights, a narrow frame from column 100 and a gap: the
    // interpolation between table rows, the alignment and the repairs all run.
    auto fill = [](FrameArea& area, Words kind) {
        for (int i = 0; i < 600; ++i) {
            const double h = (100 + i) < 424 ? 10.25 : 50.75 - i * 0.0625;
            area.setWord(kind, i, scene_word(kind, h));
            area.setGray(i, static_cast<uint8_t>(i));
        }
        area.setWord(kind, 200, 0);
        area.setWord(kind, 201, 0);
        area.setHeader(FrameFields{});
    };
    SceneReceiver wide, fixed;
    wide.announce(100, 600, Words::Bits32);
    fixed.announce(100, 600, Words::FixedPoint);
    FrameArea wideArea, fixedArea;
    fill(wideArea, Words::Bits32);
    fill(fixedArea, Words::FixedPoint);
    wide.receiver.processFrame(1, wideArea.bytes());
    fixed.receiver.processFrame(ProfileReceiver::kFixedPointMode, fixedArea.bytes());

    ASSERT_EQ(wide.rows->heights.size(), 1u);
    ASSERT_EQ(fixed.rows->heights.size(), 1u);
    EXPECT_EQ(fixed.rows->heights[0], wide.rows->heights[0]);
    EXPECT_EQ(fixed.rows->codes[0], wide.rows->codes[0]);
    EXPECT_EQ(fixed.rows->gray[0], wide.rows->gray[0]);
    // The frame's 600 columns give 600 points, not all of them outside the grid.
    int valid = 0;
    for (int32_t v : wide.rows->heights[0]) valid += v != -999900000 && v != 0;
    EXPECT_GT(valid, 500);
}

TEST(SceneFrames, AllZeroFrameGivesInvalidPointsWithGrayZero) {
    SceneReceiver scene;
    FrameArea area;
    for (int i = 0; i < kColumns; ++i) area.setGray(i, 77);
    area.setHeader(FrameFields{});
    scene.receiver.processFrame(0, area.bytes());
    ASSERT_EQ(scene.rows->heights.size(), 1u);
    for (int i = 0; i < kColumns; ++i) {
        ASSERT_EQ(scene.rows->heights[0][i], -999900000) << i;
        ASSERT_EQ(scene.rows->codes[0][i], 0) << i;
        ASSERT_EQ(scene.rows->gray[0][i], 0) << i;
    }
}

TEST(SceneFrames, FrameWithoutIntensityHasGrayZero) {
    SceneReceiver scene;
    const std::vector<uint8_t> info = info_message(0, kColumns, false, false);
    scene.receiver.parseInfo(info.data(), info.size());
    scene.sendScene(Words::Bits16, 1);  // the intensity area holds bytes nonetheless
    for (uint8_t g : scene.rows->gray[0]) ASSERT_EQ(g, 0);
    EXPECT_EQ(scene.rows->heights[0][100], 1000);
}

TEST(SceneFrames, GrayLookUpTableIsTakenAtTheBatchsFirstFrame) {
    SceneReceiver scene;
    scene.receiver.setGraySwitches({false, false, true});
    scene.settings().set_regvals(774, 0);
    scene.settings().set_regvals(775, 50);  // gain 0.5 over the whole range
    scene.settings().set_regvals(776, 255);
    scene.sendScene(Words::Bits16, 1);
    scene.settings().set_regvals(775, 100);
    scene.sendScene(Words::Bits16, 1);
    ASSERT_EQ(scene.rows->gray.size(), 2u);
    for (const auto& gray : scene.rows->gray)
        for (int p = 8; p < kColumns - 8; ++p) ASSERT_EQ(gray[p], base_gray(p) / 2) << p;
}

// The run log's recent messages that start with prefix, oldest first.
std::vector<std::string> recent_messages(const std::string& prefix) {
    std::vector<std::string> found;
    LogManager::instance().recentRecords().forEach([&](const LogRecord& record) {
        if (record.message.compare(0, prefix.size(), prefix) == 0) found.push_back(record.message);
    });
    return found;
}

TEST(SceneFrames, EveryStepLeavesItsTraceInTheRunLog) {
    SceneReceiver scene;
    scene.announce(0, kColumns, Words::FixedPoint);
    scene.sendScene(Words::FixedPoint, 1);

    const std::vector<std::string> receiverLines = {
        "2:processing data[3] 1", "2:postprocessing data[3]", "2:postprocessed data[3]",
        "2:processed data[3]: batchtimes 7, frame 1, encoder 1001, timestamp 5001"};
    EXPECT_EQ(scene.log->lines, receiverLines);

    const std::vector<std::string> steps = recent_messages("processed data ");
    ASSERT_GE(steps.size(), 12u);
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(steps[steps.size() - 12 + i - 1], "processed data " + std::to_string(i));
    const std::vector<std::string> fixed = recent_messages("preprocessed data ");
    ASSERT_GE(fixed.size(), 2u);
    EXPECT_EQ(fixed[fixed.size() - 2], "preprocessed data 1");
    EXPECT_EQ(fixed.back(), "preprocessed data 2");
}

}  // namespace
}  // namespace processor_test
