// The height view against the real client on the simulator: batches streamed
// from a frame source are painted row by row in both grey modes, only new
// rows are painted, a repaired batch is painted again, an unannounced batch
// is not; the range, 3D and cursor buttons.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <opencv2/core.hpp>

#include "sensor_client/app_settings.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/d3dheight_set.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_view.h"
#include "views/height/select_vtk_dialg.h"

namespace {

using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

constexpr double kInvalid = -9999.0;

// Acts on the next modal dialog once its own event loop shows it.
void onNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

void clickIn(QWidget* dialog, const char* button) { dialog->findChild<QPushButton*>(button)->click(); }

class HeightViewTest : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.knobs.batchMode = 1;
        options.batchLength = batchLength_;
        // Whole frames: the interface offers the rows of a narrower window
        // only once the batch has ended.
        options.streamedColumns = 2048;
        options.firstStreamedColumn = 0;
        return options;
    }
    void TearDown() override {
        client().stopAcquisition();
        client().displayRange = HeightDisplayRange{};
        clearBatch();
        mirevo::test::ClientFixture::TearDown();
    }

    // Frame f is f mm high (1000 codes of 1 um above the reference) with
    // intensity 10 + f.
    // A pause of gapMs after frame gapAfterFrame, if any.
    void planRamp(int frames, uint32_t batchNumber, int gapAfterFrame = -1, int gapMs = 0) {
        sensor_sim::BatchPlan plan = sensor().batchPlan(frames, batchNumber);
        plan.gapAfterFrame = gapAfterFrame;
        plan.gapMs = gapMs;
        plan.frameSource = [](const sensor_sim::DataInfo& info, uint32_t, uint32_t frame) {
            sensor_sim::DataFrame out;
            out.values.assign(info.points, 0x8000u + 1000u * frame);
            out.intensity.assign(info.points, static_cast<uint8_t>(10 + frame));
            return out;
        };
        sensor().streamer().setPlan(plan);
    }

    // Rows the test places in the client's batch as its batch thread would,
    // announced (shown number = batch number) or not.
    void injectBatch(int rows, double height, bool announced, int batchNumber = 41) {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        const int width = c.profilePointCount();
        for (int r = 0; r < rows; ++r) c.batchHeights[static_cast<size_t>(r)].assign(static_cast<size_t>(width), height);
        c.batchNumber = batchNumber;
        c.batchShownNumber = announced ? batchNumber : batchNumber - 1;
        c.batchProfileCount = rows;
    }
    void clearBatch() {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        for (int r = 0; r < 64; ++r) c.batchHeights[static_cast<size_t>(r)].clear();
        c.batchProfileCount = 0;
        c.batchNumber = 0;
        c.batchShownNumber = 0;
        c.batchRestart = false;
    }
    // Lets the view's 10 ms timer run for a while.
    void spin(int ms) {
        waitUntil([] { return false; }, ms);
    }

    // The grey shown by the chart at image row r, column c.
    static int shownGrey(const QImage& shot, HeightCahrtView& chart, const cv::Mat& image, int r, int c) {
        const QPointF tl = chart.pixmapItem()->topLeft->pixelPosition();
        const QPointF br = chart.pixmapItem()->bottomRight->pixelPosition();
        const double x = tl.x() + (c + 0.5) / image.cols * (br.x() - tl.x());
        const double y = tl.y() + (r + 0.5) / image.rows * (br.y() - tl.y());
        return qGray(shot.pixel(static_cast<int>(x), static_cast<int>(y)));
    }
    QImage grabChart(HeightView& view, const QString& name) {
        view.chart()->replot();
        return mirevo::test::saveGrab(*view.chart(), name);
    }
    int middleColumn() { return (client().batchFirstColumn + client().batchLastColumn) / 2; }

    int batchLength_ = 5;
};

TEST(GreyLevel, FixedAndAutomaticModes) {
    GreyScale fixed;
    fixed.fixedRange = true;
    fixed.fixedMin = -2;
    fixed.fixedMax = 8;
    fixed.zLower = 30;
    fixed.zUpper = 220;
    GreyScale automatic;
    automatic.zLower = -30;
    automatic.zUpper = 30;
    GreyScale zeroWidth = fixed;
    zeroWidth.fixedMax = zeroWidth.fixedMin = 50;
    struct Case {
        const char* name;
        const GreyScale& scale;
        double height;
        int level;
    } cases[] = {
        {"fixed: at zLower", fixed, 30, 30},
        {"fixed: just above zUpper", fixed, 220.001, 220},
        {"fixed: invalid", fixed, kInvalid, 30},
        {"fixed: inside the range", fixed, 31, 255},  // (33 / 10) x 236, clamped
        {"fixed: at zUpper", fixed, 220, 255},
        {"zero-width range: at or below", zeroWidth, 50, 0},
        {"zero-width range: above", zeroWidth, 50.5, 255},
        {"automatic: 0 mm", automatic, 0, 138},
        {"automatic: -zUpper/2", automatic, -15, 79},
        {"automatic: zUpper, clamped", automatic, 30, 255},
        {"automatic: invalid, clamped", automatic, kInvalid, 0},
        {"automatic: 1 mm", automatic, 1, 141},
    };
    for (const Case& c : cases) EXPECT_EQ(greyLevel(c.height, c.scale), c.level) << c.name;
    GreyScale inRange = fixed;
    inRange.zLower = -30;
    EXPECT_EQ(greyLevel(3.0, inRange), 118);  // (5 / 10) x 236
    EXPECT_EQ(greyLevel(-5.0, inRange), 0) << "between zLower and fixedMin: clamped, not wrapped";
}

TEST_F(HeightViewTest, TheFormItsButtonsAndTheImageOfASmallBatch) {
    HeightView view;
    EXPECT_EQ(view.windowTitle(), "Form");
    EXPECT_EQ(view.size(), QSize(749, 735));
    for (const char* hidden : {"pushButton_y_zoom_in", "pushButton_y_zoom_out", "pushButton_x_zoom_in",
                               "pushButton_x_zoom_out"})
        EXPECT_TRUE(view.findChild<QPushButton*>(hidden)->isHidden()) << hidden;
    struct Tip {
        const char* button;
        const char* tip;
    } tips[] = {{"pushButton_xy_zoom_reset", "重置XZ轴"}, {"pushButton_ABLine", "横光标"},
                {"pushButton_abline_hide", "隐藏光标"},   {"pushButton_abline_both", "选择双光标"},
                {"pushButton_outcsv", "导出csv,tiff,pcd,ply"}, {"pushButton_height_set", "高度范围设置"},
                {"pushButton_3d", "3d模型"},              {"pushButton_y_zoom_in", "Z轴放大"}};
    for (const Tip& t : tips) {
        QPushButton* button = view.findChild<QPushButton*>(t.button);
        ASSERT_NE(button, nullptr) << t.button;
        EXPECT_EQ(button->toolTip(), t.tip) << t.button;
        EXPECT_TRUE(button->text().isEmpty());
    }
    EXPECT_NE(view.findChild<HeightCahrtView*>("horizontalWidget_2"), nullptr);
    // A batch of 5 still gets 10 rows, as wide as a profile, once the size is read.
    ASSERT_TRUE(waitUntil([&] { return !view.imageRebuildPending(); }));
    EXPECT_EQ(view.heightImage().rows, 10);
    EXPECT_EQ(view.heightImage().cols, client().profilePointCount());
    EXPECT_EQ(cv::countNonZero(view.heightImage()), 0);
}

TEST_F(HeightViewTest, AStreamedBatchIsPaintedRowByRowInAutomaticMode) {
    HeightView view;
    view.resize(749, 735);
    view.show();
    view.updateLineAxis();
    planRamp(5, 1);
    ASSERT_EQ(client().startBatchAcquisition(true), 0);
    ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 5; }, 10000)) << view.rowsDrawn();
    ASSERT_TRUE(waitUntil([&] { return view.stats().lastPictureRows == 5; }));

    const cv::Mat& image = view.heightImage();
    ASSERT_EQ(image.rows, 10);
    const int c = middleColumn();
    const int expected[] = {138, 141, 145, 149, 153};  // trunc(f / 30 x 118 + 138)
    for (int r = 0; r < 5; ++r) EXPECT_EQ(image.at<uint8_t>(r, c), expected[r]) << "row " << r;
    EXPECT_EQ(image.at<uint8_t>(0, 5), 0) << "the guard columns at the frame's ends are invalid";
    for (int r = 5; r < 10; ++r) EXPECT_EQ(image.at<uint8_t>(r, c), 0) << "row " << r << " beyond the batch";

    const QImage shot = grabChart(view, "height_view_automatic");
    for (int r = 0; r < 5; ++r) EXPECT_NEAR(shownGrey(shot, *view.chart(), image, r, c), expected[r], 2) << r;
    EXPECT_EQ(shownGrey(shot, *view.chart(), image, 8, c), 0);
    mirevo::test::saveGrab(view, "height_view_whole");
}

class HeightViewOf20 : public HeightViewTest {
protected:
    HeightViewOf20() { batchLength_ = 20; }
};

TEST_F(HeightViewOf20, AStreamedBatchInFixedMode) {
    client().displayRange.fixedRange = true;
    client().displayRange.viewMin = -2;
    client().displayRange.viewMax = 8;
    HeightView view;
    view.resize(749, 735);
    view.show();
    view.updateLineAxis();
    planRamp(20, 1);
    ASSERT_EQ(client().startBatchAcquisition(true), 0);
    ASSERT_TRUE(waitUntil([&] { return view.stats().lastPictureRows == 20; }, 10000)) << view.rowsDrawn();
    const cv::Mat& image = view.heightImage();
    ASSERT_EQ(image.rows, 20);
    const int c = middleColumn();
    const QImage shot = grabChart(view, "height_view_fixed");
    for (int r = 0; r < 20; ++r) {
        const int expected = std::min(255, static_cast<int>((r + 2) / 10.0 * 236));
        EXPECT_EQ(image.at<uint8_t>(r, c), expected) << "row " << r;
        EXPECT_NEAR(shownGrey(shot, *view.chart(), image, r, c), expected, 3) << "row " << r;
    }
    EXPECT_EQ(image.at<uint8_t>(3, 5), 30) << "invalid points (the frame's guard columns) lie below zLower";
}

// The height range dialog's histogram of a batch of the simulator's scene,
// a plane with a step: its two peaks lie in the bins of the plane's and the
// step's heights, bin i holding the heights whose bar row
// (1 - (h - zLower) / (zUpper - zLower)) x 210 truncates to i.
TEST_F(HeightViewOf20, TheRangeDialogsHistogramPeaksWhereThePlaneAndTheStepLie) {
    sensor().streamer().setPlan(sensor().batchPlan(20, 1));
    ASSERT_EQ(client().startBatchAcquisition(true), 0);
    ASSERT_TRUE(waitUntil([&] { return client().batchComplete.load(); }, 10000));
    const int points = client().profilePointCount();
    double plane = 0, step = 0;
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        ASSERT_EQ(client().batchProfileCount, 20);
        plane = client().batchHeights[1][static_cast<size_t>(points / 4 + 3)];
        step = client().batchHeights[1][static_cast<size_t>(points * 3 / 4 + 3)];
    }
    const double lower = client().zLowerMm, upper = client().zUpperMm;
    ASSERT_GT(step, plane);
    ASSERT_GT(plane, lower);
    ASSERT_LT(step, upper);
    auto bin = [&](double h) {
        return static_cast<int>((1 - (h - lower) / (upper - lower)) * d3dheight_set::kBarHeight);
    };
    ASSERT_NE(bin(plane), bin(step)) << "the scene's two heights in one bin tell nothing";

    D3dSetDialog dialog;
    dialog.setLimits(static_cast<float>(lower), static_cast<float>(upper));
    const std::vector<int>& counts = dialog.findChild<d3dheight_set*>("widget_hset")->counts();
    ASSERT_EQ(counts.size(), static_cast<size_t>(d3dheight_set::kBarHeight));
    std::vector<int> bins(counts.size());
    for (size_t i = 0; i < bins.size(); ++i) bins[i] = static_cast<int>(i);
    std::sort(bins.begin(), bins.end(), [&](int a, int b) { return counts[a] > counts[b]; });
    EXPECT_EQ(std::min(bins[0], bins[1]), bin(step)) << "the higher step lies nearer the top";
    EXPECT_EQ(std::max(bins[0], bins[1]), bin(plane));
    // Both peaks hold their half of the valid points of rows 0 to 18.
    long total = 0;
    for (int c : counts) total += c;
    EXPECT_GT(counts[bin(plane)], 19 * points / 4);
    EXPECT_GT(counts[bin(step)], 19 * points / 4);
    EXPECT_GE(counts[bin(plane)] + counts[bin(step)], total * 95 / 100);
}

TEST_F(HeightViewTest, OnlyNewRowsArePainted) {
    HeightView view;
    injectBatch(2, 0.0, true);
    ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 2; }));
    {
        // Rows already painted that change behind the view's back stay as painted.
        std::lock_guard<std::mutex> lock(client().batchMutex);
        for (int r = 0; r < 5; ++r)
            client().batchHeights[static_cast<size_t>(r)].assign(static_cast<size_t>(client().profilePointCount()),
                                                                 r < 2 ? 25.0 : 1.0);
        client().batchProfileCount = 5;
    }
    ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 5; }));
    EXPECT_EQ(view.heightImage().at<uint8_t>(0, 100), 138);
    EXPECT_EQ(view.heightImage().at<uint8_t>(1, 100), 138);
    EXPECT_EQ(view.heightImage().at<uint8_t>(2, 100), 141);
    EXPECT_EQ(view.heightImage().at<uint8_t>(4, 100), 141);
    EXPECT_EQ(view.stats().rowsPainted, 5);
}

TEST_F(HeightViewTest, ABatchRepairedByTheSensorIsPaintedAgain) {
    HeightView view;
    // The client's timer hands its words over one per tick, so the words of
    // the first batch may still wait when its rows are painted: every state
    // is counted from the start.
    QSignalSpy states(&client(), &LinelaserClient::signal_laser_batch_state);
    planRamp(5, 1);
    ASSERT_EQ(client().startBatchAcquisition(true), 0);
    ASSERT_TRUE(waitUntil([&] { return view.stats().rowsPainted == 5 && client().batchComplete; }, 10000));
    // The client copies the rows as the frames arrive, before the stop
    // message: the filter switched on before the interface has handed this
    // batch over would have it repaired, and copied, too.
    ASSERT_EQ(HVQ5_2_ReceiveData(0), 0);
    ASSERT_TRUE(waitUntil([&] { return states.count() == 2; })) << states.count();

    // With the cloud filter on, the client copies a delivered batch again from
    // its first row. The stop message comes a while after the last frame, when
    // the batch's rows have been painted.
    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(0, 8, true), 0);
    planRamp(5, 2, 4, 500);
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(0), 0);
    ASSERT_TRUE(waitUntil([&] { return view.stats().rowsPainted >= 15 && view.rowsDrawn() == 5; }, 15000))
        << view.stats().rowsPainted;
    EXPECT_FALSE(client().batchRestart) << "the view took the repaint request";
    EXPECT_EQ(view.heightImage().at<uint8_t>(4, middleColumn()), 153);
    ASSERT_TRUE(waitUntil([&] { return states.count() == 5; })) << states.count();
    std::vector<int> sequence;
    for (const QList<QVariant>& state : states) sequence.push_back(state.at(0).toInt());
    EXPECT_EQ(sequence, (std::vector<int>{1, 0, 1, 0, 0})) << "each batch's start, and a stop after each copy";
}

TEST_F(HeightViewTest, AnUnannouncedBatchPaintsNothing) {
    HeightView view;
    injectBatch(5, 0.0, false);
    spin(100);
    EXPECT_EQ(view.rowsDrawn(), 0);
    EXPECT_EQ(view.stats().rowsPainted, 0);
    client().batchShownNumber = 41;  // announced now
    ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 5; }));
    EXPECT_EQ(view.heightImage().at<uint8_t>(2, 100), 138);
}

TEST_F(HeightViewTest, MoreRowsThanTheBatchSizeOrAGrownBatchSizePaintNothing) {
    HeightView view;
    injectBatch(6, 0.0, true);  // the batch size is 5
    spin(60);
    EXPECT_EQ(view.rowsDrawn(), 0);
    EXPECT_EQ(view.stats().rowsPainted, 0);

    int twenty = 20;
    ASSERT_EQ(client().cfgRegister(1, 138, &twenty), 0);  // the size grows above the image's 10 rows
    injectBatch(12, 0.0, true);
    spin(60);
    EXPECT_EQ(view.stats().rowsPainted, 0);
    view.slot_laser_batch_state(1);  // a batch start rebuilds the image
    ASSERT_TRUE(waitUntil([&] { return !view.imageRebuildPending(); }));
    EXPECT_EQ(view.heightImage().rows, 20);
    ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 12; }));
}

TEST_F(HeightViewTest, ALargeBatchIsHandedToTheChartReduced) {
    HeightView view;
    int rows = 3000;
    ASSERT_EQ(client().cfgRegister(1, 138, &rows), 0);
    view.slot_laser_batch_state(1);
    ASSERT_TRUE(waitUntil([&] { return !view.imageRebuildPending(); }));
    ASSERT_EQ(view.heightImage().rows, 3000);
    {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        const size_t width = static_cast<size_t>(c.profilePointCount());
        for (int r = 0; r < rows; ++r) c.batchHeights[static_cast<size_t>(r)].assign(width, r % 3 == 0 ? 0.0 : 1.0);
        c.batchNumber = 43;
        c.batchShownNumber = 43;
        c.batchProfileCount = rows;
    }
    ASSERT_TRUE(waitUntil([&] { return view.stats().lastPictureRows == rows; }));
    // 4096 x 3000 image rows shown as 1024 x 1000, each picture point the
    // average of its 4 x 3 block: rows of 138, 141 and 141.
    const QImage picture = view.lastPicture().toImage();
    EXPECT_EQ(picture.size(), QSize(1024, 1000));
    EXPECT_EQ(qGray(picture.pixel(500, 500)), 140);
    EXPECT_EQ(view.heightImage().at<uint8_t>(2999, 7), 141) << "the image itself keeps every row";
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        for (int r = 64; r < rows; ++r) client().batchHeights[static_cast<size_t>(r)].clear();
    }
}

// Rows that come while the window is busy elsewhere wait in the client: the
// ticks after it paint every one of them exactly once, wherever a tick stops
// and the next goes on, and the last picture shows them all.
TEST_F(HeightViewTest, EveryRowOfABatchArrivingWhileTheWindowIsBusyIsShown) {
    HeightView view;
    constexpr int kRows = 2400;  // x 4096 points: more than a tick paints
    int rows = kRows;
    ASSERT_EQ(client().cfgRegister(1, 138, &rows), 0);
    view.slot_laser_batch_state(1);
    ASSERT_TRUE(waitUntil([&] { return !view.imageRebuildPending(); }));
    ASSERT_EQ(view.heightImage().rows, kRows);
    LinelaserClient& c = client();
    GreyScale scale;
    scale.zLower = c.zLowerMm;
    scale.zUpper = c.zUpperMm;
    // Each block of three rows (one row of the reduced picture) its own height.
    auto height = [&](int row) { return ((row / 3) % 200 - 100) / 100.0 * c.zUpperMm; };
    {
        std::lock_guard<std::mutex> lock(c.batchMutex);
        c.batchNumber = 44;
        c.batchShownNumber = 44;
        c.batchProfileCount = 0;
    }
    // The client's batch thread: rows in bursts of a hundred.
    std::thread feeder([&] {
        const size_t width = static_cast<size_t>(c.profilePointCount());
        for (int first = 0; first < kRows; first += 100) {
            {
                std::lock_guard<std::mutex> lock(c.batchMutex);
                for (int r = first; r < first + 100; ++r) c.batchHeights[static_cast<size_t>(r)].assign(width, height(r));
                c.batchProfileCount = first + 100;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    // Meanwhile the window is busy for 30 ms out of every 50.
    QTimer busy;
    QObject::connect(&busy, &QTimer::timeout, [] {
        QElapsedTimer spent;
        spent.start();
        while (spent.elapsed() < 30) {
        }
    });
    busy.start(20);
    const bool shown = waitUntil([&] { return view.stats().lastPictureRows == kRows; });
    busy.stop();
    feeder.join();
    ASSERT_TRUE(shown) << view.rowsDrawn() << " rows painted";

    EXPECT_EQ(view.stats().rowsPainted, kRows) << "each row painted once";
    EXPECT_GT(view.stats().paintingTicks, 1);
    const cv::Mat& image = view.heightImage();
    int wrongRows = 0;
    for (int r = 0; r < kRows; ++r) {
        const uint8_t expected = greyLevel(height(r), scale);
        const uint8_t* row = image.ptr<uint8_t>(r);
        bool right = true;
        for (int col = 0; col < image.cols; col += 97) right = right && row[col] == expected;
        if (!right && ++wrongRows <= 5) ADD_FAILURE() << "row " << r << " shows " << int(row[0]) << ", not " << int(expected);
    }
    EXPECT_EQ(wrongRows, 0);
    // 4096 x 2400 image rows reduced to 1024 x 800: one picture row per block.
    const QImage picture = view.lastPicture().toImage();
    ASSERT_EQ(picture.size(), QSize(1024, 800));
    for (int p = 0; p < picture.height(); ++p)
        ASSERT_EQ(qGray(picture.pixel(512, p)), greyLevel(height(3 * p), scale)) << "picture row " << p;
    {
        std::lock_guard<std::mutex> lock(c.batchMutex);
        for (int r = 64; r < kRows; ++r) c.batchHeights[static_cast<size_t>(r)].clear();
    }
}

// A batch start reads the batch size over the command channel, which may
// answer late (another job holds it, the sensor is slow): the event loop
// keeps running meanwhile, the rows that arrive wait in the client instead of
// going into the old image, and the answer decides the new image.
TEST_F(HeightViewTest, TheBatchSizeIsReadWhileTheEventLoopRuns) {
    using sensor_sim::Fault;
    using sensor_sim::FaultKind;
    struct Case {
        const char* name;
        Fault fault;      // on every read of the batch size
        int sizeBefore;   // the batch size the view was made with
        int sizeAtStart;  // the batch size the sensor holds at the batch start
        int imageRows;    // rows of the image afterwards
        bool keptOld;     // the old image kept (its rows beyond the new batch's stay)
    } cases[] = {
        {"a late answer", Fault{FaultKind::Delay, 800, 3, 6, -1}, 20, 37, 37, false},
        {"a failed read", Fault{FaultKind::WrongAddressEcho, 0, 3, 6, -1}, 10, 10, 10, true},
    };
    for (const Case& c : cases) {
        int size = c.sizeBefore;
        ASSERT_EQ(client().cfgRegister(1, 138, &size), 0) << c.name;
        HeightView view;
        // The old batch: 8 rows of 1 mm.
        injectBatch(8, 1.0, true, 41);
        ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 8; })) << c.name;
        ASSERT_EQ(view.heightImage().rows, c.sizeBefore) << c.name;
        const double oldRowCount = -view.chart()->defaultYRange().lower;
        size = c.sizeAtStart;
        ASSERT_EQ(client().cfgRegister(1, 138, &size), 0) << c.name;

        sensor().head().injectRegisterFault(138, c.fault);
        sensor().clearPacketLog();
        // The next batch's 5 rows of 2 mm are in the client before its start is handled.
        injectBatch(5, 2.0, true, 42);
        const int64_t paintedBefore = view.stats().rowsPainted;
        int servedWhilePending = 0;
        bool paintedWhilePending = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!view.imageRebuildPending()) return;
            ++servedWhilePending;
            paintedWhilePending |= view.stats().rowsPainted != paintedBefore;
        });
        probe.start(5);
        view.slot_laser_batch_state(1);
        view.updateLineAxis();
        EXPECT_TRUE(view.imageRebuildPending()) << c.name << ": the answer comes through the event loop";
        EXPECT_EQ(view.rowsDrawn(), 0) << c.name;
        ASSERT_TRUE(waitUntil([&] { return !view.imageRebuildPending() && !view.lineAxisPending(); })) << c.name;
        sensor().head().clearFaults();
        probe.stop();

        if (c.fault.kind == FaultKind::Delay) {
            EXPECT_GE(servedWhilePending, 10) << c.name << ": the event loop waited for the sensor";
        }
        EXPECT_FALSE(paintedWhilePending) << c.name << ": rows went into the image that was to be replaced";
        int reads = 0;
        for (const sensor_sim::LoggedPacket& p : sensor().packetLog()) reads += p.address == 138 && p.opcode != 160;
        EXPECT_EQ(reads, 2) << c.name << ": one read for the image, one for the axis";

        EXPECT_EQ(view.heightImage().rows, c.imageRows) << c.name;
        EXPECT_EQ(view.heightImage().cols, client().profilePointCount()) << c.name;
        EXPECT_EQ(-view.chart()->defaultYRange().lower, c.keptOld ? oldRowCount : c.sizeAtStart) << c.name;
        EXPECT_EQ(view.chart()->yAxis->range(), view.chart()->defaultYRange()) << c.name << ": the range is reset";
        // The waiting rows are painted from the first one, into the new image or the old.
        ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 5; })) << c.name;
        for (int r = 0; r < 8; ++r) {
            const int expected = r < 5 ? 145 : (c.keptOld ? 141 : 0);  // 2 mm, 1 mm, nothing
            EXPECT_EQ(view.heightImage().at<uint8_t>(r, 100), expected) << c.name << ", row " << r;
        }
        clearBatch();
    }
}

TEST_F(HeightViewTest, NothingIsPaintedWhileRefreshIsOff) {
    HeightView view;
    view.setRefreshEnabled(false);
    injectBatch(5, 0.0, true);
    spin(60);
    EXPECT_EQ(view.rowsDrawn(), 0);
    view.setRefreshEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 5; }));
}

// A batch that ends short of its size leaves its last rows' picture for a
// later tick; when the painting stops first, the picture is handed over then.
TEST_F(HeightViewOf20, TheLastRowsOfAShortBatchAreShownWhateverStopsThePainting) {
    struct Case {
        const char* name;
        std::function<void(HeightView&)> stop;
        std::function<void(HeightView&)> resume;
    };
    auto batchMode = [this](int on) { ASSERT_EQ(client().cfgRegister(1, 149, &on), 0); };
    const Case cases[] = {
        {"the settings window opens", [](HeightView& v) { v.setRefreshEnabled(false); },
         [](HeightView& v) { v.setRefreshEnabled(true); }},
        {"batch mode goes off", [&](HeightView&) { batchMode(0); }, [&](HeightView&) { batchMode(1); }},
        // Last: the heartbeat ends with the link.
        {"the sensor drops", [this](HeightView&) { client().connected = false; },
         [this](HeightView&) { client().connected = true; }},
    };
    for (const Case& c : cases) {
        HeightView view;
        ASSERT_TRUE(waitUntil([&] { return !view.imageRebuildPending(); })) << c.name;
        injectBatch(2, 0.0, true);
        ASSERT_TRUE(waitUntil([&] { return view.stats().lastPictureRows == 2; })) << c.name;
        // The third and last row comes right after a picture: its own picture waits.
        {
            std::lock_guard<std::mutex> lock(client().batchMutex);
            client().batchHeights[2].assign(static_cast<size_t>(client().profilePointCount()), 0.0);
            client().batchProfileCount = 3;
        }
        ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 3; })) << c.name;
        c.stop(view);
        EXPECT_TRUE(waitUntil([&] { return view.stats().lastPictureRows == 3; }, 5000)) << c.name;
        EXPECT_EQ(qGray(view.lastPicture().toImage().pixel(100, 2)), 138) << c.name << ": row 2 in the picture";
        c.resume(view);
        clearBatch();
    }
}

TEST_F(HeightViewTest, TheRangeButtonWithoutDataOnlyTellsSo) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    HeightView view;
    view.findChild<QPushButton*>("pushButton_height_set")->click();
    ASSERT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_EQ(prompts->prompts()[0].title, "提示");
    EXPECT_EQ(prompts->prompts()[0].text, "没有数据!");
    EXPECT_FALSE(client().displayRange.fixedRange);
}

TEST_F(HeightViewTest, TheRangeButtonSwitchesToFixedModeHoweverTheDialogCloses) {
    HeightView view;
    injectBatch(5, 1.0, true);
    ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 5; }));
    struct Case {
        const char* name;
        std::function<void(QWidget*)> close;
        double min, max;
    } cases[] = {
        {"OK with typed values",
         [](QWidget* d) {
             d->findChild<QDoubleSpinBox*>("doubleSpinBox_min")->setValue(-2.5);
             d->findChild<QDoubleSpinBox*>("doubleSpinBox_max")->setValue(7.25);
             clickIn(d, "pushButton_ok");
         },
         -2.5, 7.25},
        {"Restore", [](QWidget* d) { clickIn(d, "pushButton_cancal"); }, -30, 30},
        {"the window's close button", [](QWidget* d) { d->close(); }, -30, 30},
    };
    for (const Case& c : cases) {
        client().displayRange.fixedRange = false;
        onNextModal([&](QWidget* dialog) {
            ASSERT_NE(qobject_cast<D3dSetDialog*>(dialog), nullptr);
            c.close(dialog);
        });
        view.findChild<QPushButton*>("pushButton_height_set")->click();
        EXPECT_TRUE(client().displayRange.fixedRange) << c.name;
        EXPECT_EQ(client().displayRange.viewMin, c.min) << c.name;
        EXPECT_EQ(client().displayRange.viewMax, c.max) << c.name;
        EXPECT_EQ(settingsDouble("HeightDisplay", "height_min", 99), c.min) << c.name;
        EXPECT_EQ(settingsDouble("HeightDisplay", "height_max", 99), c.max) << c.name;
        // The image is painted again from the first row in the new range.
        ASSERT_TRUE(waitUntil([&] { return view.rowsDrawn() == 5; })) << c.name;
    }
    // 1 mm in the last range (-30, 30) with zLower -30: (31 / 60) x 236.
    EXPECT_EQ(view.heightImage().at<uint8_t>(0, 10), 121);
}

TEST_F(HeightViewTest, TheRangeDialogStartsFromTheStoredRange) {
    setSettingsString("HeightDisplay", "height_min", "-1.5");
    setSettingsString("HeightDisplay", "height_max", "2.25");
    HeightView view;
    injectBatch(3, 1.0, true);
    double shownMin = 0, shownMax = 0;
    onNextModal([&](QWidget* dialog) {
        shownMin = dialog->findChild<QDoubleSpinBox*>("doubleSpinBox_min")->value();
        shownMax = dialog->findChild<QDoubleSpinBox*>("doubleSpinBox_max")->value();
        EXPECT_EQ(dialog->findChild<QDoubleSpinBox*>("doubleSpinBox_range_max")->value(), 30);
        clickIn(dialog, "pushButton_ok");
    });
    view.findChild<QPushButton*>("pushButton_height_set")->click();
    EXPECT_EQ(shownMin, -1.5);
    EXPECT_EQ(shownMax, 2.25);
    EXPECT_EQ(client().displayRange.viewMax, 2.25);
}

TEST_F(HeightViewTest, The3dButtonNeedsDataAndHandsOnTheAcceptedOptions) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    HeightView view;
    view.findChild<QPushButton*>("pushButton_3d")->click();
    ASSERT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_EQ(prompts->prompts()[0].text, "没有数据!");

    injectBatch(3, 1.0, true);
    onNextModal([](QWidget* dialog) {
        ASSERT_NE(qobject_cast<select_vtk_dialg*>(dialog), nullptr);
        dialog->findChild<QCheckBox*>("checkBox_d3dy_open")->click();
        dialog->findChild<QDoubleSpinBox*>("doubleSpinBox_less_rate")->setValue(0.08);
        clickIn(dialog, "pushButton_cancel");
    });
    view.findChild<QPushButton*>("pushButton_3d")->click();
    EXPECT_FALSE(view.denoiseParams().enabled) << "a cancelled dialog hands nothing on";
    EXPECT_FLOAT_EQ(refinementRate, 0.05f);

    onNextModal([](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("checkBox_d3dy_open")->click();
        dialog->findChild<QDoubleSpinBox*>("doubleSpinBox_less_rate")->setValue(0.08);
        clickIn(dialog, "pushButton_ok");
    });
    view.findChild<QPushButton*>("pushButton_3d")->click();
    EXPECT_TRUE(view.denoiseParams().enabled);
    EXPECT_FLOAT_EQ(refinementRate, 0.08f);
    refinementRate = 0.05f;
    EXPECT_EQ(prompts->count(), 1);
}

TEST_F(HeightViewTest, The3dButtonOutsideBatchModeTellsSo) {
    int off = 0;
    ASSERT_EQ(client().cfgRegister(1, 149, &off), 0);
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    HeightView view;
    injectBatch(3, 1.0, true);
    view.findChild<QPushButton*>("pushButton_3d")->click();
    ASSERT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_EQ(prompts->prompts()[0].title, "提示");
    EXPECT_EQ(prompts->prompts()[0].text, "没有开启批处理!");
}

TEST_F(HeightViewTest, CursorButtonsAndTheSharedLinkedState) {
    abLinked = false;
    HeightView one;
    HeightView two;
    one.findChild<QPushButton*>("pushButton_ABLine")->click();
    EXPECT_TRUE(one.chart()->cursorLines()->record().visible);
    one.findChild<QPushButton*>("pushButton_abline_both")->click();
    EXPECT_TRUE(abLinked);
    EXPECT_TRUE(one.chart()->cursorLines()->record().linked);
    two.findChild<QPushButton*>("pushButton_abline_both")->click();
    EXPECT_FALSE(abLinked) << "the other view's press starts from the shared state";
    EXPECT_FALSE(two.chart()->cursorLines()->record().linked);
    EXPECT_TRUE(one.chart()->cursorLines()->record().linked) << "each chart keeps what it was told";
    one.findChild<QPushButton*>("pushButton_abline_hide")->click();
    EXPECT_FALSE(one.chart()->cursorLines()->record().visible);
    one.findChild<QPushButton*>("pushButton_ABLine")->click();
    one.chart()->zoomInX();
    one.findChild<QPushButton*>("pushButton_xy_zoom_reset")->click();
    EXPECT_FALSE(one.chart()->cursorLines()->record().visible);
    EXPECT_EQ(one.chart()->xAxis->range(), one.chart()->defaultXRange());

    // The scroll slots move the ranges keeping their widths (y counts rows down).
    const double width = one.chart()->xAxis->range().size();
    const double height = one.chart()->yAxis->range().size();
    one.slot_ScroolWidget_X(100);
    EXPECT_EQ(one.chart()->xAxis->range(), QCPRange(100, 100 + width));
    one.slot_ScroolWidget_Y(4);
    EXPECT_EQ(one.chart()->yAxis->range(), QCPRange(-4 - height, -4));
    abLinked = false;
}

TEST_F(HeightViewTest, TheOwnersPointerIsClearedAndCloseIsSignalled) {
    HeightView* held = new HeightView;
    held->setOwnerPointer(&held);
    QSignalSpy closed(held, &HeightView::signal_close);
    held->show();
    held->close();
    EXPECT_EQ(closed.count(), 1);
    delete held;
    EXPECT_EQ(held, nullptr);
}

TEST_F(HeightViewTest, XAxisLabelsFromTheClientsProfile) {
    xCoordinateTable.clear();
    HeightView view;
    view.updateXAxisLabels();
    ASSERT_EQ(xCoordinateTable.size(), client().profilePointCount());
    EXPECT_LT(xCoordinateTable.first(), 0);
    EXPECT_GT(xCoordinateTable.last(), 0);
    EXPECT_EQ(view.chart()->defaultXRange().upper, client().profilePointCount() - 1);
    xCoordinateTable.clear();
}

}  // namespace
