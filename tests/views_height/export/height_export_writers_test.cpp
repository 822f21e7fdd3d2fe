// The export's suffix table, the dialog's start path, and the writers on
// batches made by hand: exact bytes of the texts, the code formulas of both
// 16-bit TIFs, the TIF files as tifffile and Pillow read them, empty batches
// and unwritable paths.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/views_height/export/export_readers.h"
#include "views/height/height_export.h"
#include "views/height/height_export_writers.h"

namespace {

namespace fs = std::filesystem;
using export_test::readBytes;

constexpr double kInvalid = -9999.0;

// A batch of rows x cols heights (mm) with intensities and row records.
BatchCopy makeBatch(const std::vector<std::vector<double>>& heights, int depth,
                    const std::vector<std::vector<uint8_t>>& intensity = {},
                    const std::vector<BatchRowInfo>& info = {}) {
    BatchCopy batch;
    const int rows = static_cast<int>(heights.size());
    const int cols = rows > 0 ? static_cast<int>(heights[0].size()) : 0;
    batch.heights.create(rows, cols, CV_MAKETYPE(depth, 1));
    batch.intensity = cv::Mat::zeros(rows, cols, CV_8UC1);
    batch.info.assign(static_cast<size_t>(rows), BatchRowInfo{});
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const double h = heights[static_cast<size_t>(r)][static_cast<size_t>(c)];
            if (depth == CV_32F)
                batch.heights.at<float>(r, c) = static_cast<float>(h);
            else
                batch.heights.at<double>(r, c) = h;
            if (!intensity.empty())
                batch.intensity.at<uint8_t>(r, c) = intensity[static_cast<size_t>(r)][static_cast<size_t>(c)];
        }
        if (!info.empty()) batch.info[static_cast<size_t>(r)] = info[static_cast<size_t>(r)];
    }
    batch.withIntensity = !intensity.empty();
    return batch;
}

// The 3 x 2 batch of the text layouts; the middle row has an invalid point.
const std::vector<std::vector<double>> kSmallHeights = {{1.5, -0.25}, {kInvalid, 2.0}, {0.1, 123.45678}};
const std::vector<BatchRowInfo> kSmallInfo = {
    {7, 100, 5000}, {8, static_cast<uint32_t>(-20), 0xFFFFFFFFu}, {9, 300, 70000}};

HeightExportParams smallParams() {
    HeightExportParams params;
    params.xPitch = 0.5f;
    params.yPitch = 0.25f;
    params.zLower = -6.0f;
    params.zUpper = 6.0f;
    return params;
}

class ExportFolder : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return (dir_.path() / name).string(); }
    mirevo::test::TempDir dir_;
};

TEST(HeightExportTarget, TheSuffixTable) {
    using W = HeightExportWriter;
    using namespace kx::common;
    struct Case {
        const char* name;
        W writer;
        const char* written;
        cloudFileType type;
        cloudOrganizeType organize;
        bool customized;
    } cases[] = {
        {"/d/heightline_mm.row_csv", W::RowCsv, "/d/heightline_mm_row.csv", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
        {"/d/h.csv", W::Cloud, "/d/h.csv", CLOUD_FILE_CSV, CLOUD_ORGANIZED, false},
        {"/d/h.tiff", W::Cloud, "/d/h.tiff", CLOUD_FILE_TIFF, CLOUD_ORGANIZED, false},
        {"/d/a.customized.tiff", W::Cloud, "/d/a.customized.tiff", CLOUD_FILE_TIFF, CLOUD_ORGANIZED, false},
        {"/d/a.tif", W::Tif, "/d/a.tif", CLOUD_FILE_TIF, CLOUD_ORGANIZED, false},
        {"/d/a.customized.tif", W::Tif, "/d/a.customized.tif", CLOUD_FILE_TIF, CLOUD_ORGANIZED, true},
        {"/d/a.pcd", W::Cloud, "/d/a.pcd", CLOUD_FILE_PCD_BINARY, CLOUD_UNORGANIZED, false},
        {"/d/x.ascii_pcd", W::Cloud, "/d/x_ascii.pcd", CLOUD_FILE_PCD_ASCII, CLOUD_UNORGANIZED, false},
        {"/d/a.ply", W::Cloud, "/d/a.ply", CLOUD_FILE_PLY_BINARY, CLOUD_UNORGANIZED, false},
        {"/d/x.ascii_ply", W::Cloud, "/d/x_ascii.ply", CLOUD_FILE_PLY_ASCII, CLOUD_UNORGANIZED, false},
        {"/d/a.txt", W::PointText, "/d/a.txt", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
        {"/d/x.ypitch_txt", W::PointTextY, "/d/x_ypitch.txt", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
        // Only the name's ending is rewritten; folders keep their names.
        {"/d.ascii_ply/x.ascii_ply", W::Cloud, "/d.ascii_ply/x_ascii.ply", CLOUD_FILE_PLY_ASCII, CLOUD_UNORGANIZED,
         false},
        {"/e.row_csv/f.row_csv", W::RowCsv, "/e.row_csv/f_row.csv", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
        {"/d/a.bmp", W::None, "/d/a.bmp", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
        {"/d/a.CSV", W::None, "/d/a.CSV", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
        {"/d.csv/noext", W::None, "/d.csv/noext", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
        {"/d/a.csv.", W::None, "/d/a.csv.", CLOUD_FILE_NONE, CLOUD_ORGANIZED, false},
    };
    for (const Case& c : cases) {
        const HeightExportTarget target = heightExportTarget(QString::fromUtf8(c.name));
        EXPECT_EQ(target.writer, c.writer) << c.name;
        EXPECT_EQ(target.path.toStdString(), c.written) << c.name;
        EXPECT_EQ(target.cloudType, c.type) << c.name;
        EXPECT_EQ(target.organize, c.organize) << c.name;
        EXPECT_EQ(target.customized, c.customized) << c.name;
    }
}

TEST(HeightExportStartPath, TheLastFolderWithTheNameHeightlineMm) {
    EXPECT_EQ(heightExportStartPath("heightline_mm.csv"), "heightline_mm");
    EXPECT_EQ(heightExportStartPath("/data/scans/part.tif"), "/data/scans/heightline_mm");
    // The folder part only: a folder named like the file stays.
    EXPECT_EQ(heightExportStartPath("/data/x.csv/x.csv"), "/data/x.csv/heightline_mm");
    EXPECT_EQ(heightExportStartPath("/x.csv"), "/heightline_mm");
}

TEST_F(ExportFolder, RowCsvOfA3x2BatchByteForByte) {
    const std::string path = file("rows_row.csv");
    ASSERT_EQ(writeRowCsv(path, makeBatch(kSmallHeights, CV_32F, {}, kSmallInfo)), HeightExportStatus::Written);
    // Heights pass through float: 123.45678 prints as the float it becomes.
    EXPECT_EQ(readBytes(path),
              "7,100,5000,1.500000,-0.250000\n"
              "8,-20,-1,-9999.000000,2.000000\n"
              "9,300,70000,0.100000,123.456779\n");
}

TEST_F(ExportFolder, PointTextsOfA3x2BatchByteForByte) {
    const BatchCopy batch = makeBatch(kSmallHeights, CV_64F, {}, kSmallInfo);
    const std::string txt = file("points.txt");
    const std::string withY = file("points_ypitch.txt");
    ASSERT_EQ(writePointText(txt, batch, smallParams(), false), HeightExportStatus::Written);
    ASSERT_EQ(writePointText(withY, batch, smallParams(), true), HeightExportStatus::Written);
    // x = c x 0.5 - 2 x 0.5 x 0.5; z as the client holds it (double).
    EXPECT_EQ(readBytes(txt),
              "100,-0.500000,1.500000\n100,0.000000,-0.250000\n"
              "-20,-0.500000,-9999.000000\n-20,0.000000,2.000000\n"
              "300,-0.500000,0.100000\n300,0.000000,123.456780\n");
    EXPECT_EQ(readBytes(withY),
              "0.000000,-0.500000,1.500000\n0.000000,0.000000,-0.250000\n"
              "0.250000,-0.500000,-9999.000000\n0.250000,0.000000,2.000000\n"
              "0.500000,-0.500000,0.100000\n0.500000,0.000000,123.456780\n");
}

TEST_F(ExportFolder, PointTextColumnsCentredInSinglePrecision) {
    // 0.1 has no exact float: the products carry the float's error, the
    // difference is taken in double.
    HeightExportParams params = smallParams();
    params.xPitch = 0.1f;
    const std::vector<std::vector<double>> heights = {std::vector<double>(5, 0.0)};
    const std::string path = file("centred.txt");
    ASSERT_EQ(writePointText(path, makeBatch(heights, CV_64F), params, false), HeightExportStatus::Written);
    char expected[512] = {};
    std::string text;
    const float half = 5.0f * 0.1f * 0.5f;
    for (int c = 0; c < 5; ++c) {
        std::snprintf(expected, sizeof expected, "0,%f,0.000000\n",
                      static_cast<double>(static_cast<float>(c) * 0.1f) - half);
        text += expected;
    }
    EXPECT_EQ(readBytes(path), text);
    EXPECT_NE(text.find("0,-0.250000,"), std::string::npos);
}

TEST_F(ExportFolder, EmptyBatchesAndUnwritablePaths) {
    const BatchCopy empty = makeBatch({}, CV_64F);
    const BatchCopy emptyFloat = makeBatch({}, CV_32F);
    // The row CSV of no rows is an empty file; the others write nothing.
    ASSERT_EQ(writeRowCsv(file("empty_row.csv"), emptyFloat), HeightExportStatus::Written);
    EXPECT_TRUE(fs::exists(file("empty_row.csv")));
    EXPECT_EQ(fs::file_size(file("empty_row.csv")), 0u);
    EXPECT_EQ(writePointText(file("empty.txt"), empty, smallParams(), false), HeightExportStatus::NoData);
    EXPECT_EQ(writeBatchCloud(file("empty.csv"), emptyFloat, smallParams(), kx::common::CLOUD_FILE_CSV,
                              kx::common::CLOUD_ORGANIZED),
              HeightExportStatus::NoData);
    EXPECT_EQ(writeTifImage(file("empty.tif"), registerTifCodes(empty, 65536, 0, 0), cv::Mat(), smallParams(), false),
              HeightExportStatus::NoData);
    EXPECT_FALSE(fs::exists(file("empty.txt")));
    EXPECT_FALSE(fs::exists(file("empty.csv")));
    EXPECT_FALSE(fs::exists(file("empty.tif")));

    const std::string missing = file("no/such/folder/points.txt");
    const BatchCopy batch = makeBatch(kSmallHeights, CV_64F, {}, kSmallInfo);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(writePointText(missing, batch, smallParams(), true), HeightExportStatus::WriteFailed);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "无法打开目标文件\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(writeRowCsv(file("no/such/folder/r_row.csv"), makeBatch(kSmallHeights, CV_32F)),
              HeightExportStatus::WriteFailed);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "only the point texts say so";
    EXPECT_EQ(writeBatchCloud(file("no/such/folder/c.pcd"), makeBatch(kSmallHeights, CV_32F), smallParams(),
                              kx::common::CLOUD_FILE_PCD_BINARY, kx::common::CLOUD_UNORGANIZED),
              HeightExportStatus::WriteFailed);
    EXPECT_FALSE(fs::exists(file("no")));
}

TEST(RegisterTifCodes, TheFormulaWithChosenRegisters) {
    // v = r353 / 65536 / 256 x (h x 256 + r350 - r357) + 32768, h in micrometres.
    struct Case {
        const char* name;
        int r353, r350, r357;
        double heightMm;
        int code;
    } cases[] = {
        {"unit scale, zero offsets", 65536, 0, 0, 1.0, 33768},
        {"r350 adds r350 / 256 micrometres", 65536, 25600, 0, 1.0, 33868},
        {"r357 subtracts", 65536, 0, 25600, 1.0, 33668},
        {"r353 scales", 131072, 0, 0, -2.0, 28768},
        {"truncated toward zero", 65536, 128, 0, 0.0, 32768},  // 32768.5
        {"the height -9999 mm is invalid", 65536, 0, 0, kInvalid, 0},
        {"65535 itself is out of range", 65536, 256 * 32767, 0, 0.0, 0},
        {"65534 is in range", 65536, 256 * 32766, 0, 0.0, 65534},
        {"0 is out of range", 65536, 0, 256 * 32768, 0.0, 0},
        {"1 is in range", 65536, 0, 256 * 32767, 0.0, 1},
        {"far below", 65536, 0, 0, -40.0, 0},
    };
    for (const Case& c : cases) {
        const BatchCopy batch = makeBatch({{c.heightMm}}, CV_64F);
        const cv::Mat codes = registerTifCodes(batch, c.r353, c.r350, c.r357);
        ASSERT_EQ(codes.type(), CV_16UC1);
        EXPECT_EQ(codes.at<uint16_t>(0, 0), c.code) << c.name;
    }
}

TEST(CustomizedTif, StartColumnCentresTheOutputInTheWindow) {
    EXPECT_EQ(customizedTifStartColumn(100, 899, 563), 218);  // trunc(237 x 0.5 + 100)
    EXPECT_EQ(customizedTifStartColumn(100, 899, 800), 100);
    EXPECT_EQ(customizedTifStartColumn(100, 299, 563), 100) << "a window narrower than W starts at its first column";
    EXPECT_EQ(customizedTifStartColumn(0, 4095, 4096), 0);
    EXPECT_EQ(customizedTifStartColumn(0, 4095, 1), 2047);  // trunc(4095 x 0.5)
}

TEST(CustomizedTif, CodesAndIntensityTable) {
    // One row of four columns: 0 mm, 1 mm, invalid, -0.5 mm; intensities 11 to 14.
    const BatchCopy batch = [] {
        BatchCopy b = makeBatch({{0.0, 1.0, kInvalid, -0.5}}, CV_64F, {{11, 12, 13, 14}});
        b.firstColumn = 0;
        b.lastColumn = 3;
        return b;
    }();
    struct Case {
        const char* name;
        CustomizedTifLayout layout;
        std::vector<int> codes;
        std::vector<int> intensity;
    } cases[] = {
        {"p 0.1: 1 mm above 0 is 32768 + 10000", {4, 0.0, 0.1f}, {32768, 42768, 0, 27768}, {11, 12, 13, 14}},
        {"p 0.05", {4, 0.0, 0.05f}, {32768, 52768, 0, 22768}, {11, 12, 13, 14}},
        {"a negative z offset: the height -o is 32768", {4, -1000.0, 0.1f}, {22768, 32768, 0, 17768},
         {11, 12, 13, 14}},
        {"a positive z offset", {4, 500.0, 0.1f}, {37768, 47768, 0, 32768}, {11, 12, 13, 14}},
        {"codes at or above 65536 are 0", {4, 0.0, 0.01f}, {32768, 0, 0, 0}, {11, 12, 13, 14}},
        {"W wider than the data: columns beyond are 0 with intensity 0", {6, 0.0, 0.1f},
         {32768, 42768, 0, 27768, 0, 0}, {11, 12, 13, 14, 0, 0}},
        {"W narrower: centred", {2, 0.0, 0.1f}, {42768, 0}, {12, 13}},
    };
    for (const Case& c : cases) {
        cv::Mat codes, intensity;
        customizedTifImages(batch, c.layout, &codes, &intensity);
        ASSERT_EQ(codes.type(), CV_16UC1) << c.name;
        ASSERT_EQ(intensity.type(), CV_8UC1) << c.name;
        ASSERT_EQ(codes.rows, 1) << c.name;
        ASSERT_EQ(codes.cols, static_cast<int>(c.codes.size())) << c.name;
        for (int m = 0; m < codes.cols; ++m) {
            EXPECT_EQ(codes.at<uint16_t>(0, m), c.codes[static_cast<size_t>(m)]) << c.name << ", column " << m;
            EXPECT_EQ(intensity.at<uint8_t>(0, m), c.intensity[static_cast<size_t>(m)]) << c.name << ", column " << m;
        }
    }
}

TEST(CustomizedTif, AWindowNarrowerThanTheOutput) {
    // Ten columns of 2 mm, the window 3..6: the output of 6 starts at 3, its
    // last two columns lie beyond the window (invalid there, as the client
    // keeps them) and past the data.
    std::vector<double> row(10, 2.0);
    for (int c : {0, 1, 2, 7, 8, 9}) row[static_cast<size_t>(c)] = kInvalid;
    BatchCopy batch = makeBatch({row}, CV_64F, {std::vector<uint8_t>(10, 9)});
    batch.firstColumn = 3;
    batch.lastColumn = 6;
    cv::Mat codes, intensity;
    customizedTifImages(batch, {9, 0.0, 0.1f}, &codes, &intensity);
    const std::vector<int> expected = {52768, 52768, 52768, 52768, 0, 0, 0, 0, 0};
    for (int m = 0; m < 9; ++m) EXPECT_EQ(codes.at<uint16_t>(0, m), expected[static_cast<size_t>(m)]) << m;
    EXPECT_EQ(intensity.at<uint8_t>(0, 6), 9) << "inside the data: the batch's intensity";
    EXPECT_EQ(intensity.at<uint8_t>(0, 7), 0) << "beyond the data";
}

TEST_F(ExportFolder, TifFilesAsTifffileAndPillowReadThem) {
    const std::vector<std::vector<double>> heights = {{0.0, 1.0, kInvalid}, {-1.0, 2.5, 0.25}};
    const BatchCopy batch = makeBatch(heights, CV_64F, {{1, 2, 3}, {4, 5, 250}});
    const std::string withIntensity = file("with.tif");
    const std::string heightsOnly = file("alone.tif");
    const cv::Mat codes = registerTifCodes(batch, 65536, 0, 0);
    ASSERT_EQ(writeTifImage(withIntensity, codes, batch.intensity, smallParams(), true), HeightExportStatus::Written);
    ASSERT_EQ(writeTifImage(heightsOnly, codes, batch.intensity, smallParams(), false), HeightExportStatus::Written);
    EXPECT_FALSE(fs::exists(file("alone.bmp"))) << "no intensity image without the intensity flag";

    const std::string bmp = file("with.bmp");
    auto blocks = export_test::readFiles({withIntensity, heightsOnly, bmp});
    for (const std::string& tif : {withIntensity, heightsOnly}) {
        const export_test::ReaderBlock& block = blocks[tif];
        ASSERT_TRUE(block.read()) << tif << ": " << block.error;
        EXPECT_EQ(block.tiff, (std::vector<std::string>{"tiff", "uint16", "2", "3"})) << tif;
        ASSERT_EQ(block.rows.size(), 2u);
        EXPECT_EQ(block.rows[0], (std::vector<double>{32768, 33768, 0}));
        EXPECT_EQ(block.rows[1], (std::vector<double>{31768, 35268, 33018}));
    }
    ASSERT_TRUE(blocks[bmp].read()) << blocks[bmp].error;
    EXPECT_EQ(blocks[bmp].rows, (std::vector<std::vector<double>>{{1, 2, 3}, {4, 5, 250}}));
}

}  // namespace
