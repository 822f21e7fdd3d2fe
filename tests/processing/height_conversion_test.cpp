#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/height_conversion.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/settings/hvq5_settings.h"

namespace {

constexpr uint32_t kReg350 = 0x00C80000;  // 200.0 distance units at code 32768

TEST(RawToHeight, SixteenBitWordsAroundTheMiddleCode) {
    const uint16_t raw[] = {32768, 0, 32769, 32767};
    double out[4];
    const double base = kReg350 / 256.0;
    const double scale = 65536.0 / 256.0;  // register 353 = 256
    raw16_to_height(raw, out, 4, scale, base, kNoPeak);
    EXPECT_DOUBLE_EQ(out[0], kReg350 / 256.0);
    EXPECT_DOUBLE_EQ(out[1], -1.0);
    EXPECT_DOUBLE_EQ(out[2], base - 256.0);
    EXPECT_DOUBLE_EQ(out[3], base + 256.0);
}

TEST(RawToHeight, ThirtyTwoBitWordsAroundTheMiddleCode) {
    const uint32_t raw[] = {2147483648u, 0, 2147483648u + 512};
    double out[3];
    raw32_to_height(raw, out, 3, kReg350, -1.0f);
    EXPECT_DOUBLE_EQ(out[0], kReg350 / 256.0);
    EXPECT_DOUBLE_EQ(out[1], -1.0);
    EXPECT_DOUBLE_EQ(out[2], kReg350 / 256.0 - 2.0);
}

TEST(RawToHeight, ClippingKeepsBoundsAndTurnsNoPeakInvalid) {
    // reference 1000, heights from -100 to 100
    double z[] = {1000.0, -1.0, 1100.0, 900.0, 1100.5, 899.5};
    distances_to_heights(z, 6, 1000.0, -100.0, 100.0);
    EXPECT_DOUBLE_EQ(z[0], 0.0);
    EXPECT_DOUBLE_EQ(z[1], kInvalidHeight);
    EXPECT_DOUBLE_EQ(z[2], -100.0);
    EXPECT_DOUBLE_EQ(z[3], 100.0);
    EXPECT_DOUBLE_EQ(z[4], kInvalidHeight);
    EXPECT_DOUBLE_EQ(z[5], kInvalidHeight);
}

TEST(RawToHeight, XPositionsFromDistanceAndColumn) {
    const double dist[] = {10.0, kInvalidHeight, -1.0};
    double x[3];
    // scale 0.5 D^2 + 0 D + 1, offset 2 D + 3, 8 columns (centre 4), first column 5
    compute_x_positions(0.5, 0.0, 1.0, dist, x, 5, 3, 2.0, 3.0, 8, kInvalidHeight);
    EXPECT_DOUBLE_EQ(x[0], 51.0 * 1 + 23.0);
    EXPECT_DOUBLE_EQ(x[1], kInvalidHeight);
    EXPECT_DOUBLE_EQ(x[2], 1.5 * 3 + 1.0);  // a point without peak still gets an x
}

TEST(Calibration, PolyEvalHasTheHighestPowerFirst) {
    const double coef[] = {2.0, -3.0, 5.0};
    EXPECT_DOUBLE_EQ(poly_eval(coef, 3, 4.0), 2 * 16 - 3 * 4 + 5);
    EXPECT_DOUBLE_EQ(poly_eval(coef, 1, 4.0), 2.0);
}

TEST(Calibration, RowTableHoldsEachColumnPolynomialPerRow) {
    CalibrationTable table(3, std::vector<double>(10, 0.0));
    table[0][7] = 1.0, table[0][8] = 2.0, table[0][9] = 3.0;  // r^2 + 2r + 3
    table[1][9] = 7.0;
    table[2][0] = 1e-27;  // 1e-27 r^9
    cv::Mat out;
    ASSERT_EQ(build_row_lut(table, out), 0);
    ASSERT_EQ(out.rows, kRowTableRows);
    ASSERT_EQ(out.cols, 3);
    EXPECT_DOUBLE_EQ(out.at<double>(2, 0), 11.0);
    EXPECT_DOUBLE_EQ(out.at<double>(1215, 0), 1215.0 * 1215 + 2 * 1215 + 3);
    EXPECT_DOUBLE_EQ(out.at<double>(600, 1), 7.0);
    EXPECT_NEAR(out.at<double>(1215, 2), 1e-27 * std::pow(1215.0, 9), 1e-9);
}

TEST(Calibration, EmptyTableLeavesTheRowTableAlone) {
    cv::Mat out(2, 2, CV_64F, cv::Scalar(5.0));
    EXPECT_EQ(build_row_lut({}, out), -1);
    EXPECT_EQ(out.rows, 2);
    EXPECT_DOUBLE_EQ(out.at<double>(1, 1), 5.0);
}

// The peak rows a fixed-point head reports fall between rows 0 and its camera
// rows: the distance must grow over exactly those.
TEST(Calibration, DistancesMustGrowOverTheRowsPeaksFallBetween) {
    // Column 1: (r - 100)^2 + 5, falling until row 100, then growing.
    CalibrationTable table(2, std::vector<double>(10, 0.0));
    table[0][8] = 1.0;
    table[1][7] = 1.0, table[1][8] = -200.0, table[1][9] = 10005.0;
    const auto fault = find_calibration_fault(table, 2, 50, true);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->kind, CalibrationFault::Kind::NotIncreasing);
    EXPECT_EQ(fault->column, 1);
    EXPECT_EQ(fault->index, 1);
    EXPECT_FALSE(find_calibration_fault(table, 1, 50, true).has_value());
    EXPECT_FALSE(find_calibration_fault(table, 2, 50, false).has_value());

    // Falling only beyond the camera's last row: no peak lies there.
    CalibrationTable turning(1, std::vector<double>(10, 0.0));
    turning[0][7] = -1.0, turning[0][8] = 2.0 * 608;  // -(r - 608)^2 + 608^2
    EXPECT_FALSE(find_calibration_fault(turning, 1, 608, true).has_value());
    EXPECT_TRUE(find_calibration_fault(turning, 1, 609, true).has_value());
}

TEST(Calibration, Res16StepAndItsZeroGuard) {
    EXPECT_DOUBLE_EQ(res16_step(256), 1.0);
    EXPECT_DOUBLE_EQ(res16_step(1024), 0.25);
    EXPECT_DOUBLE_EQ(res16_step(0), 0.0);
}

TEST(Calibration, ReferenceRowsOnlyForTheWholeModelText) {
    struct Case {
        const char* model;
        bool sets;
    } cases[] = {{"ZP5600", true}, {"ZP51200", true}, {"ZP5600X", false},
                 {"ZP5060", false}, {"ZP5900", false}, {"", false}};
    for (const auto& c : cases) {
        int a = -7, b = -7;
        EXPECT_EQ(reference_rows_for_model(c.model, &a, &b), c.sets) << c.model;
        EXPECT_EQ(a, c.sets ? 320 : -7) << c.model;
        EXPECT_EQ(b, c.sets ? 895 : -7) << c.model;
    }
}

// A series '5' head: 2048 columns, 4096 points, pitch 1.0.
class ProcessorCalibration : public ::testing::Test {
protected:
    ProcessorCalibration() : processor(2048, 4096, 2.0) {
        settings.set_regvals(285, 100);
        std::memset(&params, 0, sizeof(params));
        // x scale Q(P) = 0.001 P
        const double xScale[3] = {0.0, 0.001, 0.0};
        std::memcpy(reinterpret_cast<unsigned char*>(&params) + 90, xScale, sizeof(xScale));
        processor.bind(&settings, &params);
    }

    void setModel(const char* model) {
        std::memset(params.model, 0, sizeof(params.model));
        std::memcpy(params.model, model, std::strlen(model));
    }

    // Every column: P(R) = R + 1000.
    static CalibrationTable linearTable() {
        CalibrationTable table(2048, std::vector<double>(10, 0.0));
        for (auto& coef : table) coef[8] = 1.0, coef[9] = 1000.0;
        return table;
    }

    hvq5_settings settings;
    zp_laser_reg::laser_params params;
    ProfileProcessor processor;
};

TEST_F(ProcessorCalibration, RefusesTablesOfAnotherShape) {
    CalibrationTable narrow(2047, std::vector<double>(10, 0.0));
    CalibrationTable shortFirst = linearTable();
    shortFirst[0].resize(9);
    CalibrationTable shortLater = linearTable();
    shortLater[1500].resize(9);
    EXPECT_FALSE(processor.setCalibration(narrow));
    EXPECT_FALSE(processor.setCalibration(shortFirst));
    EXPECT_FALSE(processor.setCalibration(shortLater));
    EXPECT_TRUE(processor.calibration().empty());

    ASSERT_TRUE(processor.setCalibration(linearTable()));
    EXPECT_EQ(processor.calibration().size(), 2048u);
    EXPECT_EQ(processor.rowTable().rows, kRowTableRows);
    EXPECT_EQ(processor.rowTable().cols, 2048);
    EXPECT_DOUBLE_EQ(processor.rowTable().at<double>(320, 17), 1320.0);
    // The full-width grid is built with the table.
    EXPECT_DOUBLE_EQ(processor.xGrid()[0], -2048.0);
    EXPECT_DOUBLE_EQ(processor.xGrid()[4095], 2047.0);
}

TEST_F(ProcessorCalibration, FullWidthFrameIsNotAligned) {
    ASSERT_TRUE(processor.setCalibration(linearTable()));
    settings.set_regvals(285, 250);
    processor.buildXGrid(0, 4096);
    processor.alignXGrid(0, 2048, 4096);
    for (int i : {0, 1, 2048, 4095}) EXPECT_DOUBLE_EQ(processor.xGrid()[i], (i - 2048) * 2.5);
}

// Frame of 100 columns from column 1000: grid index 2000, 200 points,
// grid[0] = -48, grid[199] = 151. With X(R) = 0.001 (R + 1000) (column - 1024),
// each row contributes ((X_first - grid[0]) + (X_last - grid[199])) / 2
// = (0.051 (R + 1000) - 103) / 2.
TEST_F(ProcessorCalibration, NarrowFrameAlignsAtTheModelsReferenceRows) {
    ASSERT_TRUE(processor.setCalibration(linearTable()));
    struct Case {
        const char* model;
        double shift;
    } cases[] = {{"ZP5600", (-3.1775 + -17.84) / 2}, {"ZP5060", -26.0}};
    for (const auto& c : cases) {
        *settings.get_sdk_extend() = HVQ5_2_EXTEND{};
        setModel(c.model);
        processor.applyReferenceRows();
        processor.buildXGrid(2000, 200);
        processor.alignXGrid(1000, 100, 200);
        EXPECT_NEAR(processor.xGrid()[0], -48.0 + c.shift, 1e-9) << c.model;
        EXPECT_NEAR(processor.xGrid()[199], 151.0 + c.shift, 1e-9) << c.model;
    }
    EXPECT_EQ(settings.get_sdk_extend()->ref_row_a, 0);
}

// Frames like the one before keep its grid; one whose grid would differ
// (another pitch, x scale, table or reference rows) gets the grid a processor
// seeing it first would build.
TEST_F(ProcessorCalibration, ANarrowFramesGridFollowsEverythingItDependsOn) {
    ASSERT_TRUE(processor.setCalibration(linearTable()));
    setModel("ZP5060");
    const std::vector<uint16_t> words(100, 0);
    auto frameGrid = [&](ProfileProcessor& p) {
        p.process(0, reinterpret_cast<const uint32_t*>(words.data()), nullptr, 1000, 100, false, false, false, 1);
        return std::vector<double>(p.xGrid().begin(), p.xGrid().begin() + 200);
    };
    auto freshGrid = [&] {
        ProfileProcessor fresh(2048, 4096, 2.0);
        fresh.bind(&settings, &params);
        fresh.setCalibration(processor.calibration());
        return frameGrid(fresh);
    };
    const std::vector<double> first = frameGrid(processor);
    EXPECT_EQ(frameGrid(processor), first);
    EXPECT_EQ(first, freshGrid());

    settings.set_regvals(285, 250);
    EXPECT_EQ(frameGrid(processor), freshGrid()) << "pitch";
    const double xScale[3] = {0.0, 0.002, 0.0};
    std::memcpy(reinterpret_cast<unsigned char*>(&params) + 90, xScale, sizeof(xScale));
    EXPECT_EQ(frameGrid(processor), freshGrid()) << "x scale";
    // Rows that go from one processor to another with another table (as the
    // frame pool's do).
    CalibrationTable table = linearTable();
    for (auto& coef : table) coef[9] = 1500.0;
    ProfileProcessor other(2048, 4096, 2.0);
    other.bind(&settings, &params);
    ASSERT_TRUE(other.setCalibration(table));
    std::unique_ptr<FrameRows> rows = processor.newFrameRows();
    FrameOptions options;
    options.dumps = false;
    processor.frameStages(*rows, 0, reinterpret_cast<const uint32_t*>(words.data()), nullptr, 1000, 100, options);
    other.frameStages(*rows, 0, reinterpret_cast<const uint32_t*>(words.data()), nullptr, 1000, 100, options);
    EXPECT_EQ(std::vector<double>(rows->grid.begin(), rows->grid.begin() + 200), frameGrid(other)) << "table";
    setModel("ZP5600");  // reference rows 320 and 895
    const std::vector<double> aligned = frameGrid(processor);
    EXPECT_NE(aligned, first);
    EXPECT_EQ(aligned, freshGrid()) << "reference rows";
}

TEST_F(ProcessorCalibration, ReferenceRowsStayOnceSet) {
    setModel("ZP5600");
    processor.applyReferenceRows();
    setModel("ZP5080");
    processor.applyReferenceRows();
    EXPECT_EQ(settings.get_sdk_extend()->ref_row_a, 320);
    EXPECT_EQ(settings.get_sdk_extend()->ref_row_b, 895);
}

TEST_F(ProcessorCalibration, DegenerateFramesLeaveTheGridAlone) {
    ASSERT_TRUE(processor.setCalibration(linearTable()));
    struct Case {
        int startColumn, n, count;
    } cases[] = {{0, 0, 0}, {2047, 0, 0}, {2040, 20, 40}, {-4, 10, 20}};
    for (const auto& c : cases) {
        processor.buildXGrid(0, 4096);
        processor.alignXGrid(c.startColumn, c.n, c.count);
        EXPECT_DOUBLE_EQ(processor.xGrid()[0], -2048.0);
        EXPECT_DOUBLE_EQ(processor.xGrid()[39], -2009.0);
    }
}

TEST_F(ProcessorCalibration, AlignmentSkippedWhenAPolynomialIsZero) {
    CalibrationTable table = linearTable();
    table[1099] = std::vector<double>(10, 0.0);
    ASSERT_TRUE(processor.setCalibration(table));
    processor.buildXGrid(2000, 200);
    processor.alignXGrid(1000, 100, 200);
    EXPECT_DOUBLE_EQ(processor.xGrid()[0], -48.0);
}

TEST(XGrid, NeverWritesPastThePoints) {
    std::vector<double> grid(6, 99.0);
    build_x_grid(grid.data(), 0, 10, 4, 1.0);
    EXPECT_DOUBLE_EQ(grid[3], 1.0);
    EXPECT_DOUBLE_EQ(grid[4], 99.0);
}

}  // namespace
