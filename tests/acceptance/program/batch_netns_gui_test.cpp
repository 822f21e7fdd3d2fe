// Batches: a sensor in batch mode; "开始监控" triggers one batch of a few
// thousand frames, which the height map shows in two grey levels across the
// scene's step; the export button writes it as CSV, TIFF, PCD and PLY, each
// read back by an independent reader (summarize_exports.py: csv, tifffile
// and Pillow, open3d) and equal to the scene within the format's precision.
// The height map's A/B lines, dragged with the mouse onto either side of the
// step, stand on its two levels and read their places; the A/B cursors of
// the profile window, dragged onto either side of the step of the live
// profile, read the step's height.
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
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
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sensor_model.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_export_runner.h"
#include "views/height/height_view.h"
#include "views/height/qcustomplot_alline.h"
#include "views/profile/ab_area_widgets.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_widget.h"

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
    ASSERT_TRUE(setHeightRange(*height, plane - (step - plane), step + (step - plane)));
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

// Drags with the left button from `from` to `to` (widget pixels) as a person does.
void drag(QWidget& widget, QPoint from, QPoint to) {
    auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, widget.mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    };
    send(QEvent::MouseMove, from, Qt::NoButton);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

QString labelIn(QWidget& panel, const char* name) { return panel.findChild<QLabel*>(QString::fromLatin1(name))->text(); }

TEST_F(Batches, TheHeightMapsABLinesDraggedAcrossTheStepStandOnItsTwoLevels) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    sensor_sim::BatchPlan plan = sensor().batchPlan(kFrames);
    plan.countOnwards = true;
    sensor().streamer().setPlan(plan);
    button("pushButton_start")->click();
    HeightView* height = window.heightMapView();
    ASSERT_NE(height, nullptr);
    ASSERT_TRUE(waitUntil([&] { return client().batchComplete && height->rowsDrawn() >= kFrames; }));
    std::vector<double> first;
    int firstColumn = 0, lastColumn = 0;
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        first = client().batchHeights[0];
        firstColumn = client().batchFirstColumn;
        lastColumn = client().batchLastColumn;
    }
    const int middle = (firstColumn + lastColumn) / 2;
    const int lowColumn = (firstColumn + middle) / 2;
    const int highColumn = (middle + lastColumn) / 2;
    const double plane = first[static_cast<size_t>(firstColumn + 40)];
    const double step = first[static_cast<size_t>(lastColumn - 40)];
    ASSERT_GT(step - plane, 1.0);

    // ---- the map's height range ("高度设定") around the two levels, so that
    // the step shows, and the batch taken again with it
    ASSERT_TRUE(setHeightRange(*height, plane - (step - plane), step + (step - plane)));
    const int firstBatch = client().batchNumber;
    button("pushButton_start")->click();
    ASSERT_TRUE(waitUntil([&] { return client().batchNumber.load() == firstBatch + 1 && client().batchComplete &&
                                       height->rowsDrawn() >= kFrames; }));

    // ---- "横光标": the lines at a third of the map either side; A dragged
    // onto the plane, B onto the step
    HeightCahrtView* chart = height->chart();
    height->findChild<QPushButton*>(QStringLiteral("pushButton_ABLine"))->click();
    qcustomplot_alline& lines = *chart->cursorLines();
    ASSERT_TRUE(lines.record().visible);
    // A row between the dashed grid lines (every 200 rows).
    const int rowPixel = static_cast<int>(chart->yAxis->coordToPixel(-1100.5));
    auto pixelOf = [&](double point) { return static_cast<int>(std::lround(chart->xAxis->coordToPixel(point))); };
    drag(*chart, QPoint(pixelOf(lines.record().A), rowPixel), QPoint(pixelOf(lowColumn), rowPixel));
    drag(*chart, QPoint(pixelOf(lines.record().B), rowPixel), QPoint(pixelOf(highColumn), rowPixel));
    chart->replot();
    const double pointsPerPixel = (chart->xAxis->range().upper - chart->xAxis->range().lower) / chart->axisRect()->width();
    const int a = static_cast<int>(lines.record().A);
    const int b = static_cast<int>(lines.record().B);
    EXPECT_NEAR(lines.record().A, lowColumn, pointsPerPixel + 1) << "A under the mouse";
    EXPECT_NEAR(lines.record().B, highColumn, pointsPerPixel + 1) << "B under the mouse";
    // Each line stands on a level of the step, every row alike.
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        for (int r : {0, kFrames / 2, kFrames - 1}) {
            EXPECT_EQ(client().batchHeights[static_cast<size_t>(r)][static_cast<size_t>(a)], plane) << r;
            EXPECT_EQ(client().batchHeights[static_cast<size_t>(r)][static_cast<size_t>(b)], step) << r;
        }
    }

    // ---- the read-out: the places of the two lines in mm and their distance
    ABAreaWidgets& readout = *chart->readout();
    ASSERT_TRUE(readout.isVisible());
    EXPECT_EQ(labelIn(readout, "label_t_10"), QStringLiteral("光标A(X)"));
    EXPECT_EQ(labelIn(readout, "label_t_20"), QStringLiteral("光标B(X)"));
    EXPECT_EQ(labelIn(readout, "label_t_30"), QStringLiteral("光标B-A"));
    const double xPitch = client().xPitchMm;
    EXPECT_NEAR(labelIn(readout, "label_t_31").toDouble(), (b - a) * xPitch, 0.0015)
        << labelIn(readout, "label_t_31").toStdString();
    const double aShown = labelIn(readout, "label_t_11").toDouble();
    const double bShown = labelIn(readout, "label_t_21").toDouble();
    EXPECT_NEAR(bShown - aShown, (b - a) * xPitch, 0.0025);

    // ---- the grab: both lines drawn in cyan, the plane's grey beside A and
    // the step's brighter grey beside B
    spin(200);
    const QImage grab = grabWindow(QStringLiteral("4_batch_ab_lines_across_the_step"));
    auto at = [&](double point, int dx) { return inWindow(chart, QPointF(chart->xAxis->coordToPixel(point) + dx, rowPixel)); };
    auto cyanNear = [&](double point) {
        for (int dx = -2; dx <= 2; ++dx) {
            const QRgb c = grab.pixel(at(point, dx));
            if (qGreen(c) > qRed(c) + 80 && qBlue(c) > qRed(c) + 80) return true;
        }
        return false;
    };
    EXPECT_TRUE(cyanNear(lines.record().A)) << "line A";
    EXPECT_TRUE(cyanNear(lines.record().B)) << "line B";
    const int beside = 6;
    const int planeGrey = qGray(grab.pixel(at(lines.record().A, -beside)));
    const int stepGrey = qGray(grab.pixel(at(lines.record().B, beside)));
    EXPECT_GT(stepGrey, planeGrey + 60) << "plane " << planeGrey << ", step " << stepGrey;
    EXPECT_EQ(p->count(), 0);
}

// The live profile of the scene, not a batch: the profile window's cursors.
class StepUnderTheCursors : public ProgramAcceptance {
protected:
    // Drags the x cursor at `from` to `to` (mm) with the mouse, halfway up the plot.
    void dragCursor(KxOutlineWidget& plot, float from, float to) {
        const OutlineCanvas& canvas = plot.canvas();
        const int y = plot.height() / 2;
        const QPoint start(static_cast<int>(std::lround(canvas.toPixelX(from))), y);
        const QPoint end(static_cast<int>(std::lround(canvas.toPixelX(to))), y);
        send(plot, QEvent::MouseMove, start, Qt::NoButton);
        send(plot, QEvent::MouseButtonPress, start, Qt::LeftButton);
        send(plot, QEvent::MouseMove, end, Qt::LeftButton);
        send(plot, QEvent::MouseButtonRelease, end, Qt::NoButton);
    }

private:
    static void send(QWidget& widget, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, widget.mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }
};

TEST_F(StepUnderTheCursors, TheCursorsPlacedAcrossTheStepReadItsHeight) {
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    OutlineChartWidget* profile = window.profileView();
    ASSERT_NE(profile, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        int valid = 0;
        for (double z : profile->profileZ()) valid += z > kInvalid;
        return valid > 1000;
    })) << "no live profile shown";

    // The scene as the profile window shows it: a plane, the step over the
    // third quarter of the camera. Each level's heights, and how far they
    // spread (the scene's quantisation).
    const QVector<double> xs = profile->profileX();
    const QVector<double> zs = profile->profileZ();
    const int n = zs.size();
    auto level = [&](int from, int to) {
        std::vector<double> heights;
        for (int i = from; i < to; ++i)
            if (zs[i] > kInvalid) heights.push_back(zs[i]);
        std::sort(heights.begin(), heights.end());
        struct {
            double median, spread;
        } l{heights[heights.size() / 2], heights.back() - heights.front()};
        return l;
    };
    const auto plane = level(n / 8, n * 7 / 16);
    const auto step = level(n * 9 / 16, n * 11 / 16);
    ASSERT_GT(step.median - plane.median, 1.0);

    // ---- "横光标": the pair at half the view either side; A dragged onto the
    // plane left of the step, B onto the step
    profile->findChild<QPushButton*>(QStringLiteral("pushButton_ABLine"))->click();
    KxOutlineWidget& plot = *profile->plot();
    ASSERT_EQ(plot.canvas().xCursors().size(), 2);
    const float aTo = static_cast<float>(xs[n * 3 / 8]);
    const float bTo = static_cast<float>(xs[n * 5 / 8]);
    dragCursor(plot, plot.canvas().xCursors()[0].x1, aTo);
    dragCursor(plot, plot.canvas().xCursors()[1].x1, bTo);
    spin(300);  // a few live profiles: the read-out follows them
    const qcustomplot_alline::ABStruct shown = plot.readoutRecord();
    const auto xRange = plot.canvas().xRange();
    const double mmPerPixel = (xRange.second - xRange.first) / plot.width();
    EXPECT_NEAR(shown.A, aTo, 2 * mmPerPixel) << "A under the mouse";
    EXPECT_NEAR(shown.B, bTo, 2 * mmPerPixel) << "B under the mouse";

    // The read-out: both points, and their height difference, the step.
    ABAreaWidgets& readout = plot.readout();
    ASSERT_TRUE(readout.isVisible());
    auto text = [&](const char* name) { return readout.findChild<QLabel*>(QString::fromLatin1(name))->text(); };
    EXPECT_EQ(text("label_t_40"), QStringLiteral("光标A(Z)-B(Z)"));
    const double heightRead = -text("label_t_41").toDouble();
    EXPECT_NEAR(heightRead, step.median - plane.median, plane.spread + step.spread + 0.0015)
        << "read " << text("label_t_41").toStdString();
    // The plot keeps its profile in floats.
    EXPECT_NEAR(shown.zA, plane.median, plane.spread + 1e-5);
    EXPECT_NEAR(shown.zB, step.median, step.spread + 1e-5);
    // The same against the simulator's scene: the plane 40 camera rows below
    // the step, each row's distance from the head's calibration, in the
    // sensor's units (its height range, 30000 units above the reference
    // distance, is the program's upper z bound in mm), each peak's distance
    // sent to 1/256 unit, the read-out to 3 decimals.
    {
        const mirevo::test::ClientSensorOptions options = sensorOptions();
        const double unitsAbove = static_cast<double>((options.preset.range350 - options.preset.range352) >> 8);
        const double mmPerUnit = client().zUpperMm / unitsAbove;
        const int columnA = n * 3 / 8 / 2, columnB = n * 5 / 8 / 2;  // two points per camera column
        const double planeRow = sensor_sim::scenePeakRow(columnA, 1024);
        const double stepRow = sensor_sim::scenePeakRow(columnB, 1024);
        ASSERT_EQ(planeRow - stepRow, 40.0);
        sensor_sim::SensorModel& model = sensor().head().model();
        const double sceneStep = (model.distanceAt(columnA, planeRow) - model.distanceAt(columnB, stepRow)) * mmPerUnit;
        EXPECT_NEAR(heightRead, sceneStep, 0.0005 + 2.0 / 256 * mmPerUnit) << "the scene's step: " << sceneStep << " mm";
    }
    const QImage grab = grabWindow(QStringLiteral("4_profile_cursors_across_the_step"));

    // The two cursors stand in the grab where they were dragged: A red, B
    // purple (each a line between two pixel columns, so at half strength).
    auto columnHas = [&](float x, auto colour) {
        const QPoint at = inWindow(&plot, QPointF(plot.canvas().toPixelX(x), plot.height() / 3));
        for (int dx = -2; dx <= 2; ++dx)
            if (colour(grab.pixel(at.x() + dx, at.y()))) return true;
        return false;
    };
    EXPECT_TRUE(columnHas(static_cast<float>(shown.A), [](QRgb c) { return qRed(c) > 90 && qGreen(c) < 30 && qBlue(c) < 30; }))
        << "cursor A";
    EXPECT_TRUE(columnHas(static_cast<float>(shown.B), [](QRgb c) {
        return qRed(c) > 40 && qBlue(c) > 40 && qGreen(c) < 20 && std::abs(qRed(c) - qBlue(c)) < 20;
    })) << "cursor B";
}

}  // namespace
}  // namespace acceptance
