// Batches: a sensor in batch mode; "开始监控" triggers one batch of a few
// thousand frames, which the height map shows in two grey levels across the
// scene's step; the export button writes it as CSV, TIFF, PCD and PLY, each
// read back by an independent reader (summarize_exports.py: csv, tifffile
// and Pillow, open3d) and equal to the scene within the format's precision.
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QTimer>
#include <QLabel>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_export_runner.h"
#include "views/height/height_view.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

constexpr double kInvalid = -9999.0;

// What the reader saw in one file (see summarize_exports.py).
struct Summary {
    std::vector<std::string> grid, tiff, points;
    std::vector<double> row;
    struct Column {
        double zMin, zMax;
        long count;
    };
    std::map<double, Column> columns;
    std::string error;
};

std::map<std::string, Summary> summarize(const std::vector<std::string>& paths) {
    std::string command = "/usr/bin/python3 " MIREVO_ACCEPTANCE_DIR "/summarize_exports.py";
    for (const std::string& path : paths) command += " '" + path + "'";
    command += " 2>&1";
    std::map<std::string, Summary> result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    std::string output;
    char buffer[1 << 16];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
    std::istringstream lines(output);
    Summary* current = nullptr;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string head;
        in >> head;
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        if (head == "file" && words.size() == 1) {
            current = &result[words[0]];
        } else if (!current) {
            continue;
        } else if (head == "error") {
            current->error = line;
        } else if (head == "grid") {
            current->grid = words;
        } else if (head == "tiff") {
            current->tiff = words;
        } else if (head == "points") {
            current->points = words;
        } else if (head == "row") {
            for (const std::string& w : words) current->row.push_back(std::strtod(w.c_str(), nullptr));
        } else if (head == "column" && words.size() == 4) {
            current->columns[std::strtod(words[0].c_str(), nullptr)] = {
                std::strtod(words[1].c_str(), nullptr), std::strtod(words[2].c_str(), nullptr), std::stol(words[3])};
        }
    }
    return result;
}

class Batches : public ProgramAcceptance {
protected:
    static constexpr int kFrames = 2000;

    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.knobs.batchMode = 1;
        options.batchLength = kFrames;
        // Camera columns 768 to 1279: the scene's step in the window's middle.
        options.streamedColumns = 512;
        options.firstStreamedColumn = 768;
        return options;
    }
};

TEST_F(Batches, ABatchAsHeightMapAndItsExportsReadBackAsTheScene) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    EXPECT_TRUE(client().batchThread.joinable());
    for (uint32_t value : sensor().writesTo(149)) EXPECT_EQ(value, 1u) << "the sensor's mode was changed";
    EXPECT_TRUE(sensor().writesTo(141).empty()) << "no batch before the start button";
    sensor_sim::BatchPlan plan = sensor().batchPlan(kFrames);
    plan.countOnwards = true;
    sensor().streamer().setPlan(plan);
    sensor().clearPacketLog();

    // ---- "开始监控": one batch, the click returns once it is complete
    button("pushButton_start")->click();
    ASSERT_TRUE(client().batchComplete);
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1});
    EXPECT_EQ(client().batchProfileCount.load(), kFrames);
    HeightView* height = window.heightMapView();
    ASSERT_NE(height, nullptr);
    ASSERT_TRUE(waitUntil([&] { return height->rowsDrawn() >= kFrames; })) << height->rowsDrawn();
    ASSERT_TRUE(waitUntil([&] { return label("label_sb_row") == QStringLiteral("当前批处理行数：%1").arg(kFrames); }));
    EXPECT_EQ(label("label_sb_frame"), QStringLiteral("批处理累计次数：%1").arg(client().batchNumber.load()));

    // ---- the client's rows are the scene: every row alike, a plane, the
    // step one level higher over the window's second half, a few points
    // without a measurement
    std::vector<double> first;
    int firstColumn = 0, lastColumn = 0;
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        first = client().batchHeights[0];
        for (int r = 1; r < kFrames; ++r)
            ASSERT_EQ(client().batchHeights[static_cast<size_t>(r)], first) << "row " << r;
        firstColumn = client().batchFirstColumn;
        lastColumn = client().batchLastColumn;
    }
    const int K = static_cast<int>(first.size());
    ASSERT_GT(lastColumn, firstColumn);
    const int middle = (firstColumn + lastColumn) / 2;
    const double plane = first[static_cast<size_t>(firstColumn + 40)];
    const double step = first[static_cast<size_t>(lastColumn - 40)];
    ASSERT_NE(plane, kInvalid);
    ASSERT_NE(step, kInvalid);
    EXPECT_GT(step - plane, 1.0);
    int measured = 0, unmeasured = 0;
    for (int c = 0; c < K; ++c) {
        const double h = first[static_cast<size_t>(c)];
        if (c < firstColumn || c > lastColumn) {
            EXPECT_EQ(h, kInvalid) << c;
        } else if (h == kInvalid) {
            ++unmeasured;
        } else {
            ++measured;
            // Points near the edge of the step may fall on either level.
            if (std::abs(c - middle) > 8) EXPECT_EQ(h, c < middle ? plane : step) << c;
        }
    }
    EXPECT_GT(unmeasured, 0);
    EXPECT_GT(measured, (lastColumn - firstColumn) * 9 / 10);

    // ---- the height map: the range dialog ("高度设定") set around the two
    // heights, a second batch painted with it
    bool rangeSet = false;
    QTimer dialogDriver;
    QObject::connect(&dialogDriver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<D3dSetDialog*>(QApplication::activeModalWidget());
        if (!dialog || rangeSet) return;
        dialog->findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox_min"))->setValue(plane - (step - plane));
        dialog->findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox_max"))->setValue(step + (step - plane));
        rangeSet = true;
        dialog->findChild<QPushButton*>(QStringLiteral("pushButton_ok"))->click();
    });
    dialogDriver.start(20);
    height->findChild<QPushButton*>(QStringLiteral("pushButton_height_set"))->click();
    dialogDriver.stop();
    ASSERT_TRUE(rangeSet);
    EXPECT_TRUE(client().displayRange.fixedRange);
    const int firstBatch = client().batchNumber;
    button("pushButton_start")->click();
    ASSERT_TRUE(waitUntil([&] { return client().batchNumber.load() == firstBatch + 1 && client().batchComplete &&
                                       height->rowsDrawn() >= kFrames; }));
    EXPECT_EQ(sensor().writesTo(141), (std::vector<uint32_t>{1, 1}));
    spin(300);
    height->chart()->replot();
    const QImage map = grabWindow(QStringLiteral("4_batch_height_map"));
    HeightCahrtView* chart = height->chart();
    const QPointF tl = chart->pixmapItem()->topLeft->pixelPosition();
    const QPointF br = chart->pixmapItem()->bottomRight->pixelPosition();
    const cv::Mat& image = height->heightImage();
    ASSERT_EQ(image.rows, kFrames);
    auto shown = [&](int row, int column) {
        const QPoint at = inWindow(chart, QPointF(tl.x() + (column + 0.5) / image.cols * (br.x() - tl.x()),
                                                  tl.y() + (row + 0.5) / image.rows * (br.y() - tl.y())));
        std::map<int, int> counts;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) ++counts[qGray(map.pixel(at.x() + dx, at.y() + dy))];
        int best = -1, bestCount = 0;
        for (const auto& [grey, count] : counts)
            if (count > bestCount) best = grey, bestCount = count;
        return best;
    };
    const int lowColumn = (firstColumn + middle) / 2;
    const int highColumn = (middle + lastColumn) / 2;
    for (int row : {20, kFrames / 2, kFrames - 50}) {
        const int low = shown(row, lowColumn);
        const int high = shown(row, highColumn);
        EXPECT_NEAR(low, image.at<uint8_t>(row, lowColumn), 3) << row;
        EXPECT_NEAR(high, image.at<uint8_t>(row, highColumn), 3) << row;
        EXPECT_GT(high - low, 60) << row;
    }

    // ---- the export button, once per format, each file read back
    const QString folder = QString::fromStdString((workFolder() / "exports").string());
    QDir().mkpath(folder);
    const std::vector<std::string> names = {"batch.csv", "batch.tiff", "batch.pcd", "batch.ply"};
    std::vector<std::string> files;
    for (const std::string& name : names) {
        const std::string path = (folder + "/").toStdString() + name;
        files.push_back(path);
        p->answerFile(QString::fromStdString(path));
        height->findChild<QPushButton*>(QStringLiteral("pushButton_outcsv"))->click();
        ASSERT_TRUE(waitUntil([&] { return HeightExportRunner::forApplication()->pending() == 0 && fs::exists(path); },
                              60000))
            << name;
    }
    EXPECT_EQ(p->count(PromptKind::SaveFile), 4);
    EXPECT_EQ(p->count(PromptKind::Question), 0) << "an export failed";
    sensor().clearPacketLog();
    const std::map<std::string, Summary> seen = summarize(files);
    EXPECT_TRUE(registerWrites().empty()) << "an export wrote to the sensor";
    for (const std::string& file : files) {
        ASSERT_TRUE(seen.count(file)) << file;
        ASSERT_TRUE(seen.at(file).error.empty()) << file << ": " << seen.at(file).error;
    }
    // CSV and TIFF: the grid of float heights, every row the scene's.
    for (const std::string& file : {files[0], files[1]}) {
        const Summary& s = seen.at(file);
        ASSERT_EQ(s.grid, (std::vector<std::string>{std::to_string(kFrames), std::to_string(K), "1"})) << file;
        ASSERT_EQ(s.row.size(), static_cast<size_t>(K)) << file;
        for (int c = 0; c < K; ++c)
            ASSERT_NEAR(s.row[static_cast<size_t>(c)], static_cast<float>(first[static_cast<size_t>(c)]), 1e-5)
                << file << " column " << c;
    }
    EXPECT_EQ(seen.at(files[1]).tiff, (std::vector<std::string>{"float32", std::to_string(kFrames), std::to_string(K)}));
    // PCD and PLY: the measured points of every row, at x = column x pitch,
    // each column's heights all the scene's.
    const double xPitch = static_cast<float>(client().xPitchMm);
    for (const std::string& file : {files[2], files[3]}) {
        const Summary& s = seen.at(file);
        ASSERT_GE(s.points.size(), 4u) << file;
        EXPECT_EQ(s.points[0], std::to_string(static_cast<long>(measured) * kFrames)) << file;
        EXPECT_EQ(s.columns.size(), static_cast<size_t>(measured)) << file;
        for (const auto& [x, column] : s.columns) {
            const int c = static_cast<int>(std::lround(x / xPitch));
            ASSERT_TRUE(c >= 0 && c < K) << file << " x " << x;
            const double h = static_cast<float>(first[static_cast<size_t>(c)]);
            ASSERT_NEAR(column.zMin, h, 1e-5) << file << " column " << c;
            ASSERT_NEAR(column.zMax, h, 1e-5) << file << " column " << c;
            ASSERT_EQ(column.count, kFrames) << file << " column " << c;
        }
    }
}

}  // namespace
}  // namespace acceptance
