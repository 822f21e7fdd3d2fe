// The height-map export against the real client on the simulator: a batch
// with intensities is streamed, exported under every suffix and each file read
// back by the independent readers (tifffile and Pillow, open3d, Python's csv)
// and compared with the client's rows, whose heights are the simulator's; the
// height view's dialog and auto-save; a failing register; shutdown and quit
// while an export runs.
#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/log_helper.h"
#include "sensor_client/settings_keys.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/file_dialog_driver.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/views_height/export/export_readers.h"
#include "views/height/height_export.h"
#include "views/height/height_export_runner.h"
#include "views/height/height_view.h"

namespace {

namespace fs = std::filesystem;
using export_test::ReaderBlock;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

constexpr double kInvalid = -9999.0;

// The simulator's frames: streamed point i of frame f is f mm + (i % 200) x 7
// micrometres high, every 53rd point (from the 8th) unmeasured; intensity
// (31 f + i) mod 256.
uint32_t frameCode(uint32_t frame, int i) { return i % 53 == 7 ? 0u : 0x8000u + 1000u * frame + (i % 200) * 7u; }
uint8_t frameIntensity(uint32_t frame, int i) { return static_cast<uint8_t>((frame * 31u + static_cast<uint32_t>(i)) & 0xFF); }

// The client's rows as the export copies them.
struct ClientRows {
    std::vector<std::vector<double>> heights;
    std::vector<std::vector<uint8_t>> intensity;
    std::vector<BatchRowInfo> info;
    int firstColumn = 0;
    int lastColumn = 0;

    int rows() const { return static_cast<int>(heights.size()); }
    int cols() const { return heights.empty() ? 0 : static_cast<int>(heights[0].size()); }
    double h(int r, int c) const { return heights[static_cast<size_t>(r)][static_cast<size_t>(c)]; }
    int level(int r, int c) const { return intensity[static_cast<size_t>(r)][static_cast<size_t>(c)]; }
};

class HeightExportE2e : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.knobs.batchMode = 1;
        options.batchLength = rows_;
        // A window of camera columns 256 to 767: profile points 512 to 1535
        // of the 4096 the model has.
        options.streamedColumns = 512;
        options.firstStreamedColumn = 256;
        return options;
    }
    void SetUp() override {
        mirevo::test::ClientFixture::SetUp();
        if (HasFatalFailure()) return;
        clearBatch();
        int withIntensity = 1;
        ASSERT_EQ(client().cfgRegister(1, 233, &withIntensity), 0);
        // The register TIF's formula: 2 / 256 x (h x 256 + 25600 - 10240) + 32768.
        sensor().setReg(353, 131072);
        sensor().setReg(350, 25600);
        sensor().setReg(357, 10240);
        folder_ = QString::fromStdString(workFolder().string()) + "/out";
        QDir().mkpath(folder_);
    }
    void TearDown() override {
        client().stopAcquisition();
        clearBatch();
        mirevo::test::ClientFixture::TearDown();
    }
    // The client keeps its batch between tests of one process.
    void clearBatch() {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        for (int r = 0; r < rows_; ++r) {
            c.batchHeights[static_cast<size_t>(r)].clear();
            c.batchIntensity[static_cast<size_t>(r)].clear();
        }
        c.batchProfileCount = 0;
        c.batchNumber = 0;
        c.batchShownNumber = 0;
        c.batchComplete = false;
    }

    void planBatch(int frames, uint32_t number, int rateHz = 0) {
        sensor_sim::BatchPlan plan = sensor().batchPlan(frames, number);
        plan.frameRateHz = rateHz;
        plan.frameSource = [](const sensor_sim::DataInfo& info, uint32_t, uint32_t frame) {
            sensor_sim::DataFrame out;
            for (int i = 0; i < info.points; ++i) {
                out.values.push_back(frameCode(frame, i));
                out.intensity.push_back(frameIntensity(frame, i));
            }
            return out;
        };
        sensor().streamer().setPlan(plan);
    }
    // Streams a batch of rows_ frames and waits until the client holds it
    // (the batch thread's first pass is slow under ThreadSanitizer: it
    // clears its buffers of 10000 frames).
    void streamBatch() {
        planBatch(rows_, 1);
        ASSERT_EQ(client().startBatchAcquisition(true), 0);
        ASSERT_TRUE(waitUntil([&] { return client().batchComplete.load() && client().batchProfileCount == rows_; },
                              90000))
            << client().batchProfileCount;
    }
    // Places rows_ rows into the client's batch as its batch thread does, in
    // the window of profile points 512 to 1535: row r is r mm + (j % 200) x 7
    // micrometres high at point j, every 53rd point unmeasured, intensity
    // (31 r + j) mod 256. Tests whose subject is not the stream use it: the
    // batch thread's first pass takes long under ThreadSanitizer.
    void injectBatch() {
        LinelaserClient& c = client();
        const size_t width = static_cast<size_t>(c.profilePointCount());
        std::lock_guard<std::mutex> lock(c.batchMutex);
        for (int r = 0; r < rows_; ++r) {
            std::vector<double>& heights = c.batchHeights[static_cast<size_t>(r)];
            std::vector<uint8_t>& intensity = c.batchIntensity[static_cast<size_t>(r)];
            heights.assign(width, kInvalid);
            intensity.assign(width, 0);
            for (int j = 512; j <= 1535; ++j) {
                if (j % 53 == 7) continue;
                heights[static_cast<size_t>(j)] = r + (j % 200) * 0.007;
                intensity[static_cast<size_t>(j)] = frameIntensity(static_cast<uint32_t>(r), j);
            }
            c.batchInfo[static_cast<size_t>(r)] = BatchRowInfo{static_cast<uint32_t>(r), 10u * r, 1000000u + 1000u * r};
        }
        c.batchOutputMode = 1;
        c.batchFirstColumn = 512;
        c.batchLastColumn = 1535;
        c.batchNumber = 7;
        c.batchShownNumber = 7;
        c.batchProfileCount = rows_;
        c.batchComplete = true;
    }
    ClientRows clientRows() {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        ClientRows rows;
        for (int r = 0; r < c.batchProfileCount; ++r) {
            rows.heights.push_back(c.batchHeights[static_cast<size_t>(r)]);
            rows.intensity.push_back(c.batchIntensity[static_cast<size_t>(r)]);
            rows.info.push_back(c.batchInfo[static_cast<size_t>(r)]);
        }
        rows.firstColumn = c.batchFirstColumn;
        rows.lastColumn = c.batchLastColumn;
        return rows;
    }
    // Every measured height of row r is one the simulator sent for frame r.
    static void expectSimulatorHeights(const ClientRows& rows) {
        int measured = 0;
        for (int r = 0; r < rows.rows(); ++r) {
            for (int c = 0; c < rows.cols(); ++c) {
                if (rows.h(r, c) == kInvalid) continue;
                ++measured;
                const double steps = (rows.h(r, c) - r) * 1000.0 / 7.0;
                ASSERT_NEAR(steps, std::round(steps), 1e-6) << r << ", " << c;
                ASSERT_TRUE(steps > -0.5 && steps < 199.5) << r << ", " << c;
            }
        }
        EXPECT_GT(measured, rows.rows() * 900) << "the window's points are measured";
    }

    // Exports on the test's own runner and waits for the result.
    HeightExportResult exportNow(const QString& path, HeightExportOrigin origin = HeightExportOrigin::AutoSave) {
        HeightExportResult result;
        bool done = false;
        exportHeightData(&owner_, path, origin, &runner_, [&](const HeightExportResult& r) {
            result = r;
            done = true;
        });
        EXPECT_TRUE(waitUntil([&] { return done; })) << path.toStdString();
        return result;
    }
    std::string out(const std::string& name) const { return (folder_ + "/" + QString::fromStdString(name)).toStdString(); }
    QString outQ(const std::string& name) const { return QString::fromStdString(out(name)); }
    static HeightExportRunner* applicationRunner() { return HeightExportRunner::forApplication(); }

    int rows_ = 4;
    QString folder_;
    QWidget owner_;  // the small widget the exports report to
    HeightExportRunner runner_;
};

double yPitchOf(LinelaserClient& client) { return static_cast<float>(client.yPitch()); }

// A 16-bit code as the TIFs store it: 0 for an invalid height and outside
// (0, upper): 65535 for the register TIF, 65536 for the customized one.
double code(double height, double value, double upper = 65536.0) {
    if (height == kInvalid || !(value > 0.0 && value < upper)) return 0.0;
    return std::trunc(value);
}

TEST_F(HeightExportE2e, EverySuffixOfAStreamedBatchAsTheReadersSeeIt) {
    // The customized TIF: 563 columns centred in the window, a negative z
    // offset (-12.5 um), 0.2 um per code step.
    ASSERT_EQ(HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(0, 563), 0);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(0, -12.5), 0);
    setSettingsString(settings_keys::kHeightPrecision, "0.2");
    streamBatch();
    const ClientRows rows = clientRows();
    expectSimulatorHeights(rows);
    ASSERT_EQ(rows.firstColumn, 512);
    ASSERT_EQ(rows.lastColumn, 1535);
    const int R = rows.rows();
    const int K = rows.cols();
    ASSERT_EQ(K, 4096);

    const char* const names[] = {"heightline_mm.row_csv", "h.csv", "h.tiff", "a.tif", "a.customized.tif",
                                 "a.pcd", "x.ascii_pcd", "a.ply", "x.ascii_ply", "a.txt", "x.ypitch_txt"};
    for (const char* name : names) {
        const HeightExportResult result = exportNow(outQ(name));
        EXPECT_EQ(result.status, HeightExportStatus::Written) << name << ": " << heightExportStatusText(result.status);
    }
    EXPECT_EQ(runner_.pending(), 0);
    for (const char* name : {"heightline_mm_row.csv", "x_ascii.pcd", "x_ascii.ply", "x_ypitch.txt", "h.bmp",
                             "a.bmp", "a.customized.bmp"})
        EXPECT_TRUE(fs::exists(out(name))) << name;
    for (const char* name : {"heightline_mm.row_csv", "x.ascii_pcd", "x.ascii_ply", "x.ypitch_txt"})
        EXPECT_FALSE(fs::exists(out(name))) << name;

    std::vector<std::string> files;
    for (const char* name : {"heightline_mm_row.csv", "h.csv", "h.bmp", "h.tiff", "a.tif", "a.bmp",
                             "a.customized.tif", "a.customized.bmp", "a.pcd", "x_ascii.pcd", "a.ply", "x_ascii.ply",
                             "a.txt", "x_ypitch.txt"})
        files.push_back(out(name));
    std::map<std::string, ReaderBlock> seen = export_test::readFiles(files);
    for (const std::string& file : files) ASSERT_TRUE(seen[file].read()) << file << ": " << seen[file].error;
    const auto block = [&](const char* name) -> const ReaderBlock& { return seen[out(name)]; };

    // Row CSV: the row record, then the heights as floats.
    {
        const ReaderBlock& csv = block("heightline_mm_row.csv");
        ASSERT_EQ(csv.rows.size(), static_cast<size_t>(R));
        for (int r = 0; r < R; ++r) {
            const std::vector<double>& line = csv.rows[static_cast<size_t>(r)];
            ASSERT_EQ(line.size(), static_cast<size_t>(3 + K));
            const BatchRowInfo& info = rows.info[static_cast<size_t>(r)];
            EXPECT_EQ(line[0], static_cast<int32_t>(info.aux));
            EXPECT_EQ(line[1], static_cast<int32_t>(info.encoder));
            EXPECT_EQ(line[1], 10 * r) << "the simulator's encoder";
            EXPECT_EQ(line[2], static_cast<int32_t>(info.timeLow));
            for (int c = 0; c < K; ++c)
                ASSERT_NEAR(line[static_cast<size_t>(3 + c)], static_cast<float>(rows.h(r, c)), 6e-7) << r << ", " << c;
        }
    }
    // The cloud CSV and TIFF: the grid of float heights, the intensity beside them.
    {
        const ReaderBlock& csv = block("h.csv");
        const ReaderBlock& tiff = block("h.tiff");
        EXPECT_EQ(tiff.tiff, (std::vector<std::string>{"tiff", "float32", std::to_string(R), std::to_string(K)}));
        ASSERT_EQ(csv.rows.size(), static_cast<size_t>(R));
        ASSERT_EQ(tiff.rows.size(), static_cast<size_t>(R));
        for (int r = 0; r < R; ++r) {
            ASSERT_EQ(csv.rows[static_cast<size_t>(r)].size(), static_cast<size_t>(K));
            ASSERT_EQ(tiff.rows[static_cast<size_t>(r)].size(), static_cast<size_t>(K));
            for (int c = 0; c < K; ++c) {
                const double expected = static_cast<float>(rows.h(r, c));
                ASSERT_NEAR(csv.rows[static_cast<size_t>(r)][static_cast<size_t>(c)], expected, 1e-5) << r << ", " << c;
                ASSERT_EQ(tiff.rows[static_cast<size_t>(r)][static_cast<size_t>(c)], expected) << r << ", " << c;
                ASSERT_EQ(block("h.bmp").rows[static_cast<size_t>(r)][static_cast<size_t>(c)], rows.level(r, c));
                ASSERT_EQ(block("a.bmp").rows[static_cast<size_t>(r)][static_cast<size_t>(c)], rows.level(r, c));
            }
        }
    }
    // The register TIF: 2 x (h + 100 - 40) + 32768 with h in micrometres.
    {
        const ReaderBlock& tif = block("a.tif");
        EXPECT_EQ(tif.tiff, (std::vector<std::string>{"tiff", "uint16", std::to_string(R), std::to_string(K)}));
        ASSERT_EQ(tif.rows.size(), static_cast<size_t>(R));
        for (int r = 0; r < R; ++r) {
            for (int c = 0; c < K; ++c) {
                const double h = rows.h(r, c);
                const double expected = code(h, 2.0 * (h * 1000.0 + 60.0) + 32768.0, 65535.0);
                ASSERT_EQ(tif.rows[static_cast<size_t>(r)][static_cast<size_t>(c)], expected) << r << ", " << c;
            }
        }
    }
    // The customized TIF: 563 columns from trunc((1535 - 512 - 563 + 1) x 0.5 + 512) = 742,
    // (h - 12.5) / 0.2 + 32768.
    {
        const ReaderBlock& tif = block("a.customized.tif");
        const ReaderBlock& intensity = block("a.customized.bmp");
        EXPECT_EQ(tif.tiff, (std::vector<std::string>{"tiff", "uint16", std::to_string(R), "563"}));
        ASSERT_EQ(tif.rows.size(), static_cast<size_t>(R));
        for (int r = 0; r < R; ++r) {
            for (int m = 0; m < 563; ++m) {
                const int c = 742 + m;
                const double h = rows.h(r, c);
                const double expected = code(h, (h * 1000.0 - 12.5) / 0.2 + 32768.0);
                ASSERT_EQ(tif.rows[static_cast<size_t>(r)][static_cast<size_t>(m)], expected) << r << ", " << m;
                ASSERT_EQ(intensity.rows[static_cast<size_t>(r)][static_cast<size_t>(m)], rows.level(r, c));
            }
        }
    }
    // The point clouds: the measured points, at x = c x xPitch, y = r x yPitch.
    const double xPitch = static_cast<float>(client().xPitchMm);
    const double yPitch = yPitchOf(client());
    size_t measured = 0;
    for (int r = 0; r < R; ++r)
        for (int c = 0; c < K; ++c) measured += rows.h(r, c) != kInvalid;
    for (const char* name : {"a.pcd", "x_ascii.pcd", "a.ply", "x_ascii.ply"}) {
        const ReaderBlock& cloud = block(name);
        ASSERT_EQ(cloud.head, (std::vector<std::string>{"points", std::to_string(measured), "x", "y", "z", "intensity"}))
            << name;
        for (const std::vector<double>& point : cloud.rows) {
            const int c = static_cast<int>(std::lround(point[0] / xPitch));
            const int r = static_cast<int>(std::lround(point[1] / yPitch));
            ASSERT_TRUE(r >= 0 && r < R && c >= 0 && c < K) << name;
            ASSERT_NEAR(point[2], static_cast<float>(rows.h(r, c)), 1e-5) << name << " " << r << ", " << c;
            ASSERT_EQ(point[3], rows.level(r, c)) << name << " " << r << ", " << c;
        }
    }
    // The point texts: one line per point, x centred on 0.
    const ReaderBlock& txt = block("a.txt");
    const ReaderBlock& withY = block("x_ypitch.txt");
    ASSERT_EQ(txt.rows.size(), static_cast<size_t>(R * K));
    ASSERT_EQ(withY.rows.size(), static_cast<size_t>(R * K));
    const float xPitchF = static_cast<float>(client().xPitchMm);
    for (int r = 0; r < R; ++r) {
        for (int c = 0; c < K; ++c) {
            const std::vector<double>& a = txt.rows[static_cast<size_t>(r * K + c)];
            const std::vector<double>& b = withY.rows[static_cast<size_t>(r * K + c)];
            const double x = static_cast<double>(static_cast<float>(c) * xPitchF) - static_cast<float>(K) * xPitchF * 0.5f;
            ASSERT_EQ(a[0], 10 * r);
            ASSERT_NEAR(b[0], r * yPitch, 1e-6);
            ASSERT_NEAR(a[1], x, 6e-7);
            ASSERT_NEAR(b[1], x, 6e-7);
            ASSERT_NEAR(a[2], rows.h(r, c), 6e-7);
            ASSERT_NEAR(b[2], rows.h(r, c), 6e-7);
        }
    }
}

TEST_F(HeightExportE2e, CustomizedTifOfTheWholeProfileAndARegisterThatFails) {
    // Output width 0: the profile's 4096 points, from the window's first point
    // on, those past the profile's end empty.
    ASSERT_EQ(HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(0, 0), 0);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(0, 0.0), 0);
    injectBatch();
    const ClientRows rows = clientRows();
    ASSERT_EQ(exportNow(outQ("whole.customized.tif")).status, HeightExportStatus::Written);
    const ReaderBlock tif = export_test::readFile(out("whole.customized.tif"));
    ASSERT_TRUE(tif.read()) << tif.error;
    EXPECT_EQ(tif.tiff, (std::vector<std::string>{"tiff", "uint16", std::to_string(rows_), "4096"}));
    for (int r = 0; r < rows_; ++r) {
        for (int m = 0; m < 4096; ++m) {
            const int c = 512 + m;
            const double h = c < 4096 ? rows.h(r, c) : kInvalid;
            // 65536 / 0.1f is 655360 in single precision: ten codes per micrometre.
            const double expected = code(h, h * 1000.0 * 10.0 + 32768.0);
            ASSERT_EQ(tif.rows[static_cast<size_t>(r)][static_cast<size_t>(m)], expected) << r << ", " << m;
        }
    }

    // Register 353 does not answer: no register TIF (all 32768 otherwise);
    // the customized TIF does not use it.
    sensor_sim::Fault rejected;
    rejected.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectRegisterFault(353, rejected);
    EXPECT_EQ(exportNow(outQ("failed.tif")).status, HeightExportStatus::RegisterReadFailed);
    EXPECT_FALSE(fs::exists(out("failed.tif")));
    EXPECT_FALSE(fs::exists(out("failed.bmp")));
    EXPECT_EQ(exportNow(outQ("still.customized.tif")).status, HeightExportStatus::Written);
    sensor().head().clearFaults();

    // A zero precision and an unknown suffix write nothing.
    setSettingsString(settings_keys::kHeightPrecision, "0");
    EXPECT_EQ(exportNow(outQ("zero.customized.tif")).status, HeightExportStatus::ZeroPrecision);
    EXPECT_EQ(exportNow(outQ("scan.xyz")).status, HeightExportStatus::UnknownType);
    EXPECT_FALSE(fs::exists(out("zero.customized.tif")));
    EXPECT_FALSE(fs::exists(out("scan.xyz")));
}

TEST_F(HeightExportE2e, TheExportButtonOfTheHeightView) {
    ScopedPrompter prompter;
    HeightView view;
    QPushButton* button = view.findChild<QPushButton*>("pushButton_outcsv");
    ASSERT_NE(button, nullptr);

    // No rows yet.
    prompter->answer(QMessageBox::Ok);
    button->click();
    ASSERT_EQ(prompter->count(), 1);
    EXPECT_EQ(prompter->prompts()[0].kind, PromptKind::Question);
    EXPECT_EQ(prompter->prompts()[0].title, "提示");
    EXPECT_EQ(prompter->prompts()[0].text, "没有数据!");
    prompter->clear();

    injectBatch();
    const ClientRows rows = clientRows();
    setSettingsString(settings_keys::kHisOutCsv, "/srv/scans/last.csv");
    const QString chosen = outQ("line.ypitch_txt");
    prompter->answerFile(chosen);
    button->click();
    ASSERT_EQ(prompter->count(PromptKind::SaveFile), 1);
    const mirevo::test::PromptRecord dialog = prompter->prompts()[0];
    EXPECT_EQ(dialog.title, "保存高度数据(毫米)");
    EXPECT_EQ(dialog.text, "/srv/scans/heightline_mm");
    EXPECT_EQ(dialog.buttons,
              QStringList{"csv高度数据(毫米) (*.csv);;csv高度数据带行号(毫米) (*.row_csv);;tif数据 (*.tif);;定制tif数据 "
                          "(*.customized.tif);;tiff数据 (*.tiff);;pcd点云数据 (*.pcd);;ascii_pcd点云数据 "
                          "(*.ascii_pcd);;ply点云数据 (*.ply);;ascii_ply点云数据 (*.ascii_ply);;txt点云数据 "
                          "(*.txt);;txt点云数据-使用点间距 (*.ypitch_txt)"});
    EXPECT_EQ(settingsString(settings_keys::kHisOutCsv), chosen);
    ASSERT_TRUE(waitUntil([&] { return applicationRunner()->pending() == 0; }));
    std::ifstream written(out("line_ypitch.txt"));
    int lines = 0;
    for (std::string line; std::getline(written, line);) ++lines;
    EXPECT_EQ(lines, rows.rows() * rows.cols());
    EXPECT_EQ(prompter->count(), 1) << "a written file is not announced";

    // Cancelled: nothing stored, nothing written.
    prompter->clear();
    prompter->answerFile(QString());
    button->click();
    EXPECT_EQ(settingsString(settings_keys::kHisOutCsv), chosen);
    EXPECT_EQ(applicationRunner()->pending(), 0);

    // An unwritable path, a register that fails and a name without a known
    // suffix: a warning each, once the worker has ended, with the path and
    // what failed.
    sensor_sim::Fault rejected;
    rejected.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectRegisterFault(353, rejected);
    const std::vector<std::pair<QString, QString>> failures = {
        {outQ("missing/folder/p.txt"), "文件夹不存在"},
        {outQ("codes.tif"), "读取传感器寄存器失败"},
        {outQ("scan.xyz"), "文件类型未知：请选择一种文件类型或输入其扩展名"},
    };
    for (const auto& [path, reason] : failures) {
        prompter->clear();
        prompter->answerFile(path);
        prompter->answer(QMessageBox::Ok);
        ::testing::internal::CaptureStderr();
        button->click();
        ASSERT_TRUE(waitUntil([&] { return applicationRunner()->pending() == 0; }));
        const std::string stderrText = ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(prompter->count(), 2) << path.toStdString();
        const mirevo::test::PromptRecord box = prompter->prompts()[1];
        EXPECT_EQ(box.kind, PromptKind::Warning);
        EXPECT_EQ(box.title, "提示");
        EXPECT_EQ(box.text, "导出失败!\n" + path + "\n" + reason);
        EXPECT_FALSE(fs::exists(path.toStdString()));
        if (path.endsWith(".txt")) {
            EXPECT_NE(stderrText.find("无法打开目标文件\n"), std::string::npos);
        }
    }
}

// The save dialog as a person meets it: the suggested name "heightline_mm"
// kept as it stands, one file type chosen after the other; each export
// writes the file of that type.
TEST_F(HeightExportE2e, TheSuggestedNameInTheRealDialogWritesEveryType) {
    ScopedPrompter prompter;
    prompter->useRealFileDialogs();
    mirevo::test::FileDialogDriver dialog;
    HeightView view;
    QPushButton* button = view.findChild<QPushButton*>("pushButton_outcsv");
    ASSERT_NE(button, nullptr);
    injectBatch();
    setSettingsString(settings_keys::kHisOutCsv, folder_ + "/last.csv");

    // Filter, the name the dialog returns, the file the export writes.
    const std::vector<std::tuple<QString, std::string, std::string>> types = {
        {"csv高度数据(毫米) (*.csv)", "heightline_mm.csv", "heightline_mm.csv"},
        {"csv高度数据带行号(毫米) (*.row_csv)", "heightline_mm.row_csv", "heightline_mm_row.csv"},
        {"tif数据 (*.tif)", "heightline_mm.tif", "heightline_mm.tif"},
        {"定制tif数据 (*.customized.tif)", "heightline_mm.customized.tif", "heightline_mm.customized.tif"},
        {"tiff数据 (*.tiff)", "heightline_mm.tiff", "heightline_mm.tiff"},
        {"pcd点云数据 (*.pcd)", "heightline_mm.pcd", "heightline_mm.pcd"},
        {"ascii_pcd点云数据 (*.ascii_pcd)", "heightline_mm.ascii_pcd", "heightline_mm_ascii.pcd"},
        {"ply点云数据 (*.ply)", "heightline_mm.ply", "heightline_mm.ply"},
        {"ascii_ply点云数据 (*.ascii_ply)", "heightline_mm.ascii_ply", "heightline_mm_ascii.ply"},
        {"txt点云数据 (*.txt)", "heightline_mm.txt", "heightline_mm.txt"},
        {"txt点云数据-使用点间距 (*.ypitch_txt)", "heightline_mm.ypitch_txt", "heightline_mm_ypitch.txt"},
    };
    for (const auto& [filter, chosen, written] : types) {
        SCOPED_TRACE(filter.toStdString());
        prompter->clear();
        dialog.answerNext("heightline_mm", filter);
        button->click();
        ASSERT_TRUE(dialog.answered());
        EXPECT_EQ(dialog.selectedFilter(), filter);
        ASSERT_TRUE(waitUntil([&] { return applicationRunner()->pending() == 0; }));
        EXPECT_EQ(settingsString(settings_keys::kHisOutCsv), outQ(chosen));
        EXPECT_TRUE(fs::exists(out(written))) << written;
        EXPECT_EQ(prompter->count(), 1) << "no failure box";
    }
}

TEST_F(HeightExportE2e, AutoSaveAtTheEndOfABatch) {
    const QString logs = QString::fromStdString(workFolder().string()) + "/logs";
    LogConfig config;
    config.directory = logs;
    ASSERT_TRUE(LogHelper::init(config));
    setSettingsString(settings_keys::kAutoSaveBatchData, "1");
    ASSERT_EQ(HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(0, 563), 0);
    HeightView view;
    // As the main window connects it: queued, from the client's batch thread.
    QObject::connect(&client(), &LinelaserClient::signal_auto_save_batchdata, &view,
                     &HeightView::slot_auto_save_batchdata, Qt::QueuedConnection);
    streamBatch();
    const QDir saved(QStringLiteral("batch_data"));
    ASSERT_TRUE(waitUntil([&] { return !saved.entryList(QDir::Files).isEmpty() && applicationRunner()->pending() == 0; }));
    const QStringList files = saved.entryList({"*.tif"}, QDir::Files);
    ASSERT_EQ(files.size(), 1) << saved.entryList(QDir::Files).join(' ').toStdString();
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d-\d{3}\.customized\.tif$)").match(files[0]).hasMatch())
        << files[0].toStdString();
    const ReaderBlock tif = export_test::readFile(saved.filePath(files[0]).toStdString());
    ASSERT_TRUE(tif.read()) << tif.error;
    EXPECT_EQ(tif.tiff, (std::vector<std::string>{"tiff", "uint16", std::to_string(rows_), "563"}));

    // A batch that cannot be saved (precision 0) is noted in the GUI log.
    setSettingsString(settings_keys::kHeightPrecision, "0");
    view.slot_auto_save_batchdata();
    ASSERT_TRUE(waitUntil([&] { return applicationRunner()->pending() == 0; }));
    EXPECT_EQ(saved.entryList({"*.tif"}, QDir::Files).size(), 1);
    QString logText;
    for (const QString& day : QDir(logs).entryList(QDir::Files)) {
        QFile file(logs + "/" + day);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        logText += QString::fromUtf8(file.readAll());
    }
    EXPECT_TRUE(logText.contains("batch data not saved to batch_data/")) << logText.toStdString();
    EXPECT_TRUE(logText.contains("the TIF precision is 0")) << logText.toStdString();
}

class HeightExportOfALongBatch : public HeightExportE2e {
protected:
    HeightExportOfALongBatch() { rows_ = 100; }
    // Whole frames: the client takes the rows of a batch as they arrive.
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options = HeightExportE2e::sensorOptions();
        options.streamedColumns = 2048;
        options.firstStreamedColumn = 0;
        return options;
    }
};

// The runner goes while its export runs (and while the batch it copies is
// still arriving): it waits, and the file holds every row copied, whole.
TEST_F(HeightExportOfALongBatch, ARunnerThatGoesWaitsForItsExport) {
    planBatch(rows_, 1, 400);
    ASSERT_EQ(client().startBatchAcquisition(true), 0);
    ASSERT_TRUE(waitUntil([&] { return client().batchProfileCount >= 10; }, 90000));
    auto runner = std::make_unique<HeightExportRunner>();
    bool reported = false;
    exportHeightData(&owner_, outQ("early.ypitch_txt"), HeightExportOrigin::AutoSave, runner.get(),
                     [&](const HeightExportResult&) { reported = true; });
    runner.reset();
    EXPECT_FALSE(reported) << "the result of a runner that went is not delivered";

    ASSERT_TRUE(waitUntil([&] { return client().batchComplete.load(); }, 90000));
    const ClientRows rows = clientRows();
    std::ifstream written(out("early_ypitch.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(written, line);) lines.push_back(line);
    const int K = rows.cols();
    ASSERT_EQ(lines.size() % static_cast<size_t>(K), 0u);
    const int copied = static_cast<int>(lines.size()) / K;
    EXPECT_GE(copied, 10);
    EXPECT_LE(copied, rows_);
    const double yPitch = yPitchOf(client());
    for (int r = 0; r < copied; ++r) {
        for (int c = 0; c < K; c += 97) {
            char expected[128];
            const double x = static_cast<double>(static_cast<float>(c) * static_cast<float>(client().xPitchMm)) -
                             static_cast<float>(K) * static_cast<float>(client().xPitchMm) * 0.5f;
            std::snprintf(expected, sizeof expected, "%f,%f,%f", r * yPitch, x, rows.h(r, c));
            ASSERT_EQ(lines[static_cast<size_t>(r * K + c)], expected) << r << ", " << c;
        }
    }
}

// Quitting the application waits for the running exports (the client is
// stopped first, but lives on until the process ends).
TEST_F(HeightExportOfALongBatch, QuittingWaitsForTheRunningExports) {
    injectBatch();
    const int expectedLines = client().batchProfileCount * client().profilePointCount();
    const QString path = outQ("quit.txt");
    exportHeightData(&owner_, path, HeightExportOrigin::AutoSave);
    ASSERT_EQ(applicationRunner()->pending(), 1);
    auto countLines = [&] {
        std::ifstream in(out("quit.txt"));
        int n = 0;
        for (std::string line; std::getline(in, line);) ++n;
        return n;
    };
    int linesAtQuit = -1;
    // Connected after the runner's own wait, so it sees what the wait left.
    QMetaObject::Connection seen = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { linesAtQuit = countLines(); });
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
    QObject::disconnect(seen);
    EXPECT_EQ(linesAtQuit, expectedLines);
    EXPECT_EQ(countLines(), expectedLines);
    // The client stopped its timer for the quit; the fixture closes it.
    client().eventTimer.start(client().timings().eventTickMs);
}

}  // namespace
