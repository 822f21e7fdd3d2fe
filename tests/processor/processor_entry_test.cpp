// The processor's entries on their own: fixed-point rows, frames of every size,
// the debug dumps and the geometry by series.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/processing/fixed_point.h"
#include "tests/processor/frame_scene.h"
#include "tests/support/temp_dir.h"

namespace processor_test {
namespace {

class SceneProcessor : public ::testing::Test {
protected:
    SceneProcessor() : processor(kColumns, kColumns, 1.0) {
        configure_scene(settings, params);
        processor.bind(&settings, &params);
        processor.setCalibration(linear_calibration());
    }

    int run16(const std::vector<uint16_t>& words, int startColumn = 0) {
        // Exactly as many words and gray bytes as points: a read past them is a fault.
        std::vector<uint8_t> gray(words.size(), 90);
        return processor.process(0, reinterpret_cast<const uint32_t*>(words.data()), gray.data(),
                                 startColumn, static_cast<int>(words.size()), false, false,
                                 false, 1);
    }

    hvq5_settings settings;
    zp_laser_reg::laser_params params;
    ProfileProcessor processor;
};

TEST_F(SceneProcessor, NothingIsProcessedWithoutSettings) {
    ProfileProcessor unbound(kColumns, kColumns, 1.0);
    const std::vector<uint32_t> words(kColumns, 0);
    EXPECT_EQ(unbound.process(1, words.data(), nullptr, 0, kColumns, true, false, true, 1), -1);
    const std::vector<double> rows(kColumns, 10.0);
    EXPECT_EQ(unbound.preprocessFixed(rows.data(), 0, kColumns), nullptr);
}

TEST_F(SceneProcessor, FramesOfAnySizeGiveTheirGridCountAndOnlyReadTheirPoints) {
    struct Case {
        int n;
        int startColumn;
        int count;
        bool anyValid;
    } cases[] = {{0, 0, 0, false},   {1, 0, 1, false},     {8, 0, 8, false},
                 {16, 0, 16, false}, {17, 0, 17, false},   {18, 0, 18, true},
                 {40, 0, 40, true},  {100, 840, 8, false}, {848, 0, 848, true},
                 {5, 848, 0, false}};
    for (const Case& c : cases) {
        std::vector<uint16_t> words(static_cast<size_t>(c.n), uint16_t(32768 + 10));
        EXPECT_EQ(run16(words, c.startColumn), c.count) << c.n << "@" << c.startColumn;
        bool anyValid = false;
        for (int p = 0; p < kColumns; ++p) anyValid |= processor.heightsOut()[p] != kInvalid;
        EXPECT_EQ(anyValid, c.anyValid) << c.n << "@" << c.startColumn;
    }
}

TEST_F(SceneProcessor, RunsOnlyStopsAfterRepairingThePeakRows) {
    std::vector<double> rows(kColumns, 495.0);
    rows[100] = rows[101] = kNoPeak;
    const double* distances = processor.preprocessFixed(rows.data(), 0, kColumns);
    ASSERT_NE(distances, nullptr);
    EXPECT_DOUBLE_EQ(distances[99], 990.0);
    EXPECT_DOUBLE_EQ(distances[100], kNoPeak);
    EXPECT_EQ(processor.processFixed(255, distances, nullptr, 0, kColumns, false, true, false, 1), 0);
    EXPECT_DOUBLE_EQ(processor.peakRows()[100], 495.0);
    EXPECT_DOUBLE_EQ(processor.columnZ()[101], 10.0);
}

TEST(FixedPointRows, WordsBecomeRowsInsideTheCamera) {
    struct Case {
        uint32_t word;
        double row;
    } cases[] = {{0, kNoPeak},
                 {1, 1.0 / 65536},
                 {640u << 16, kNoPeak},
                 {(639u << 16) + 0xFFFF, 639 + 65535.0 / 65536},
                 {(10u << 16) + 0x4000, 10.25}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(peak_row(c.word, kCameraRows), c.row) << c.word;
}

TEST(FixedPointRows, RowTableIsInterpolatedInThePointsOwnCameraColumn) {
    // Entry (r, c) = 1000 x c + r^2: the column shows in the thousands.
    cv::Mat table(kRowTableRows, 20, CV_64F);
    for (int r = 0; r < table.rows; ++r)
        for (int c = 0; c < table.cols; ++c) table.at<double>(r, c) = 1000.0 * c + r * r;
    const double rows[] = {10.25, 0.0, -1.0, 1214.5, 1215.0, 3.0};
    double out[6];
    EXPECT_EQ(interpolate_row_lut(table, rows, 5, 6, out), 0);
    EXPECT_DOUBLE_EQ(out[0], 5000.0 + 0.75 * 100 + 0.25 * 121);  // column 5, rows 10 and 11
    EXPECT_DOUBLE_EQ(out[1], kNoPeak);
    EXPECT_DOUBLE_EQ(out[2], kNoPeak);
    EXPECT_DOUBLE_EQ(out[3], 8000.0 + 0.5 * 1214 * 1214 + 0.5 * 1215 * 1215);
    EXPECT_DOUBLE_EQ(out[4], kNoPeak);  // no table row above it
    EXPECT_DOUBLE_EQ(out[5], 10000.0 + 9);
    // Columns beyond the table have no distance.
    const double sameRows[] = {3.0, 3.0, 3.0};
    EXPECT_EQ(interpolate_row_lut(table, sameRows, 18, 3, out), 0);
    EXPECT_DOUBLE_EQ(out[1], 19009.0);
    EXPECT_DOUBLE_EQ(out[2], kNoPeak);
}

TEST(FixedPointRows, DistancesOnTheLimitsStayValid) {
    double d[] = {899.99, 900.0, 1000.0, 1100.0, 1100.01};
    limit_distances(d, 5, 900.0, 1100.0);
    EXPECT_DOUBLE_EQ(d[0], kNoPeak);
    EXPECT_DOUBLE_EQ(d[1], 900.0);
    EXPECT_DOUBLE_EQ(d[3], 1100.0);
    EXPECT_DOUBLE_EQ(d[4], kNoPeak);
}

TEST(ModelGeometry, SeriesTable) {
    struct Case {
        char series;
        int columns, rows, points;
        double perColumn;
    } cases[] = {{'3', 848, 640, 848, 1.0},
                 {'4', 2048, 608, 3200, 1.5625},
                 {'5', 2048, 1024, 4096, 2.0},
                 {'6', 2048, 1024, 6000, 2.9296875}};
    for (const Case& c : cases) {
        const auto g = model_geometry_for_series(c.series);
        ASSERT_TRUE(g.has_value()) << c.series;
        EXPECT_EQ(g->columns, c.columns);
        EXPECT_EQ(g->rows, c.rows);
        EXPECT_EQ(g->points, c.points);
        EXPECT_EQ(g->pointsPerColumn, c.perColumn);
    }
    EXPECT_FALSE(model_geometry_for_series('7').has_value());
}

// Dumps are written into the working folder: each test gets a fresh one.
class Dumps : public ::testing::Test {
protected:
    Dumps() : workingDir(folder.path()) {}
    ~Dumps() override { data_save_enabled = 0; }

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    // Values on the first line of a dump file.
    int valuesIn(const std::string& name) const {
        std::ifstream in(folder.path() / name);
        std::string line;
        std::getline(in, line);
        return static_cast<int>(std::count(line.begin(), line.end(), ','));
    }

    mirevo::test::TempDir folder;
    mirevo::test::ScopedWorkingDir workingDir;
};

TEST_F(Dumps, NoFileWhileSwitchedOff) {
    SceneReceiver scene;
    scene.sendScene(Words::Bits16, 1);
    scene.announce(0, kColumns, Words::FixedPoint);
    scene.sendScene(Words::FixedPoint, 1);
    EXPECT_EQ(scene.rows->heights.size(), 2u);
    EXPECT_TRUE(files().empty());
}

TEST_F(Dumps, SwitchedOnEachDumpHoldsOnlyValuesThatExist) {
    data_save_enabled = 1;
    SceneReceiver scene;
    scene.announce(100, 600, Words::FixedPoint);
    scene.sendScene(Words::FixedPoint, 1, 100, 600);
    EXPECT_EQ(valuesIn("fvals0.md"), 600);
    EXPECT_EQ(valuesIn("fvals.md"), 600);
    EXPECT_EQ(valuesIn("_tmp_zs.md"), kColumns);
    EXPECT_EQ(valuesIn("gray.md"), 600);
    EXPECT_EQ(valuesIn("gray_after.md"), 600 - 16);
    EXPECT_EQ(valuesIn("begZ.md"), 600 - 16);
    EXPECT_EQ(valuesIn("_outlines_after_res.md"), 600);
    // "2 x n" values, but the rows hold only the sensor's points.
    EXPECT_EQ(valuesIn("_outlines_end.md"), kColumns);
    EXPECT_EQ(valuesIn("gray_end.md"), kColumns);
}

}  // namespace
}  // namespace processor_test
