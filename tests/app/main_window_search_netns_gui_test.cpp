// The program end to end as a person uses it, offscreen in a private network
// namespace: the connection dialog's search finds the simulated sensor behind
// a veth pair, "连接" connects it, the live profile shows yellow on black,
// batch mode and "开始监控" bring the batch as a height map with the scene's
// step in two grey levels, and "断开" in the dialog disconnects. What is
// checked is read from grabs of the main window.
#include <QApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "tests/app/searched_window_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_view.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_widget.h"

namespace {

using mirevo::test::ClientSensorOptions;

bool yellowish(QRgb p) { return qRed(p) > 100 && qGreen(p) > 100 && qBlue(p) < 60; }

class ProgramEndToEnd : public mirevo::test::SearchedWindowFixture {
protected:
    static constexpr int kBatchLength = 40;

    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.batchLength = kBatchLength;
        // Whole frames: the scene's step lies at half the streamed points.
        options.streamedColumns = 2048;
        options.firstStreamedColumn = 0;
        return options;
    }

    QImage grabWindow(const QString& name) { return mirevo::test::saveGrab(*window_, name); }
};

TEST_F(ProgramEndToEnd, FindConnectWatchTheProfileTakeABatchAndDisconnect) {
    connectToTheListedSensor();
    QtLineLaserClient& window = makeWindowAndConnect();
    ASSERT_TRUE(pressedConnect_) << "the search did not list the simulated sensor";
    ASSERT_TRUE(client().connected);
    EXPECT_EQ(child<QLabel>("label_sb_connstr")->text(),
              QStringLiteral("已连接 %1").arg(QString::fromStdString(sensor().address())));
    EXPECT_TRUE(client().profileThread.joinable());
    // A window system activates the window the person works in; offscreen the test does.
    QApplication::setActiveWindow(&window);

    // ---- the live profile: yellow where the scene's heights are
    OutlineChartWidget* profile = window.profileView();
    ASSERT_NE(profile, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        int valid = 0;
        for (double z : profile->profileZ()) valid += z > -9999.0;
        return valid > 1000;
    })) << "no live profile shown";
    spin(100);
    const QImage live = grabWindow(QStringLiteral("program_live_profile"));
    KxOutlineWidget* plot = profile->plot();
    const QVector<double>& xs = profile->profileX();
    const QVector<double>& zs = profile->profileZ();
    int checked = 0, yellow = 0;
    for (int i = 0; i < xs.size(); i += 97) {
        if (zs[i] <= -9999.0) continue;
        const QPoint p = inWindow(plot, QPointF(plot->canvas().toPixelX(static_cast<float>(xs[i])),
                                                plot->canvas().toPixelY(static_cast<float>(zs[i]))));
        ++checked;
        for (int dy = -2; dy <= 2; ++dy)
            if (yellowish(live.pixel(p.x(), p.y() + dy))) {
                ++yellow;
                break;
            }
    }
    EXPECT_GT(checked, 10);
    EXPECT_GE(yellow, checked * 9 / 10);  // (steep edges beside invalid points may miss the window)
    // Away from the curve the plot is black.
    const QPoint corner = inWindow(plot, QPointF(plot->width() * 0.5, plot->height() * 0.05));
    EXPECT_LT(qGray(live.pixel(corner)), 40);

    // ---- batch mode, "开始监控": the batch as a height map
    bool batch = true, single = false;
    ASSERT_EQ(client().cfgBatchEnable(1, &batch, &single), 0);
    button("pushButton_start")->click();  // returns once the batch is complete
    ASSERT_TRUE(client().batchComplete);
    HeightView* height = window.heightMapView();
    ASSERT_NE(height, nullptr);
    ASSERT_TRUE(waitUntil([&] { return height->rowsDrawn() >= kBatchLength; })) << "the batch was not painted";
    // The scene: the first half of the profile on the plane, the second half
    // one step higher.
    const int points = client().profilePointCount();
    const int lowColumn = points / 4 + 3;
    const int highColumn = points * 3 / 4 + 3;
    double plane = 0, step = 0;
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        plane = client().batchHeights[1][static_cast<size_t>(lowColumn)];
        step = client().batchHeights[1][static_cast<size_t>(highColumn)];
    }
    ASSERT_GT(step, plane);
    // A display range around the two heights, as the range dialog sets it,
    // and a second batch painted with it.
    client().displayRange.viewMin = plane - (step - plane);
    client().displayRange.viewMax = step + (step - plane);
    client().displayRange.fixedRange = true;
    const int firstBatch = client().batchNumber;
    sensor().streamer().setPlan(sensor().batchPlan(kBatchLength, static_cast<uint32_t>(firstBatch + 1)));
    button("pushButton_start")->click();
    ASSERT_TRUE(waitUntil([&] { return client().batchNumber.load() == firstBatch + 1 &&
                                       client().batchShownNumber.load() == firstBatch + 1 &&
                                       client().batchComplete && height->rowsDrawn() >= kBatchLength; }));
    spin(300);
    height->chart()->replot();
    const QImage map = grabWindow(QStringLiteral("program_height_map"));
    HeightCahrtView* chart = height->chart();
    const QPointF tl = chart->pixmapItem()->topLeft->pixelPosition();
    const QPointF br = chart->pixmapItem()->bottomRight->pixelPosition();
    const cv::Mat& image = height->heightImage();
    // The grey the window shows at an image row and column: the most frequent
    // one around the point (grid lines and invalid columns are thin).
    auto shown = [&](int row, int column) {
        const QPoint at = inWindow(chart, QPointF(tl.x() + (column + 0.5) / image.cols * (br.x() - tl.x()),
                                                  tl.y() + (row + 0.5) / image.rows * (br.y() - tl.y())));
        std::map<int, int> counts;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -3; dx <= 3; ++dx) ++counts[qGray(map.pixel(at.x() + dx, at.y() + dy))];
        int best = -1, bestCount = 0;
        for (const auto& [grey, count] : counts)
            if (count > bestCount) best = grey, bestCount = count;
        return best;
    };
    for (int row : {2, kBatchLength / 2 + 2, kBatchLength - 2}) {
        const int low = shown(row, lowColumn);
        const int high = shown(row, highColumn);
        EXPECT_NEAR(low, image.at<uint8_t>(row, lowColumn), 2) << row;
        EXPECT_NEAR(high, image.at<uint8_t>(row, highColumn), 2) << row;
        // Two grey levels, far apart, across the step.
        EXPECT_GT(high - low, 60) << row;
    }
    EXPECT_EQ(child<QLabel>("label_sb_row")->text(), QStringLiteral("当前批处理行数：%1").arg(kBatchLength));

    // ---- the sub-windows' title bars: the active one in the accent colour
    QMdiSubWindow* active = child<QMdiArea>("mdiArea")->activeSubWindow();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->windowTitle().right(1), QStringLiteral("1"));
    const QPoint activeTitle = inWindow(active, QPointF(active->width() / 2.0, 8));
    EXPECT_EQ(map.pixelColor(activeTitle), QColor(myqss::kAccentRed, myqss::kAccentGreen, myqss::kAccentBlue));
    QMdiSubWindow* other = active == window.subWindowManager().profileWindow() ? window.subWindowManager().heightWindow()
                                                                              : window.subWindowManager().profileWindow();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(map.pixelColor(inWindow(other, QPointF(other->width() / 2.0, 8))), QColor(Qt::white));

    // ---- "断开" in the connection dialog
    bool pressedDisconnect = false;
    onDialog([&](ConnectSetDialog& dialog) {
        auto* disconnect = dialog.findChild<QPushButton*>(QStringLiteral("pushButton_disconn"));
        if (!pressedDisconnect && disconnect->isEnabled()) {
            pressedDisconnect = true;
            disconnect->click();
        }
        if (pressedDisconnect) dialog.reject();
    });
    child<QAction>("actiontcpset")->trigger();
    EXPECT_TRUE(pressedDisconnect);
    EXPECT_FALSE(client().connected);
    EXPECT_EQ(child<QLabel>("label_sb_connstr")->text(), QStringLiteral("未连接"));
    EXPECT_EQ(child<QLabel>("label_sb_lmodel")->text(), QStringLiteral("-"));
    EXPECT_TRUE(window.isVisible());
    grabWindow(QStringLiteral("program_disconnected"));
}

// A sensor whose firmware combination the program refuses: the connection
// dialog says so in its one box, and nothing after it tells of a connection.
class RefusedFirmwareWindow : public mirevo::test::SearchedWindowFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset.firmware134 = 0x501;
        options.preset.firmware135 = 0x424;
        return options;
    }
};

TEST_F(RefusedFirmwareWindow, TheRefusalShowsItsOneBoxAndTheWindowStaysUnconnected) {
    mirevo::test::ScopedPrompter prompts;
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);
    const QString refused = QStringLiteral("下位机版本不兼容，请联系客服!");
    auto refusalShown = [&] {
        for (const auto& shown : prompts->prompts())
            if (shown.text == refused) return true;
        return false;
    };
    // The dialog is left once the refusal is shown and every word the client
    // had for the windows has been handed over (the client's timer emits a
    // word's signal as it takes the word).
    QString modelWhileRefused, firmwareWhileRefused;
    connectToTheListedSensor([&](ConnectSetDialog& dialog) {
        if (!refusalShown() || client().events.size() != 0 || dialog.jobRunning()) return;
        modelWhileRefused = child<QLabel>("label_sb_lmodel")->text();
        firmwareWhileRefused = child<QLabel>("label_sb_fpga_version")->text();
        dialog.reject();
    });
    makeWindowAndConnect();
    ASSERT_TRUE(pressedConnect_) << "the search did not list the simulated sensor";
    const auto shown = prompts->prompts();
    ASSERT_EQ(shown.size(), 1u) << "a second box: " << shown.back().text.toStdString();
    EXPECT_EQ(shown[0].text, refused);
    // The status bar never named the refused sensor.
    EXPECT_FALSE(modelWhileRefused.contains(QString::fromStdString(sensorOptions().preset.model)))
        << modelWhileRefused.toStdString();
    EXPECT_FALSE(firmwareWhileRefused.startsWith(QLatin1String("501."))) << firmwareWhileRefused.toStdString();
    EXPECT_FALSE(client().connected);
    EXPECT_EQ(child<QLabel>("label_sb_connstr")->text(), QStringLiteral("未连接"));
    EXPECT_EQ(child<QLabel>("label_sb_lmodel")->text(), QStringLiteral("-"));
    EXPECT_EQ(child<QLabel>("label_sb_fpga_version")->text(), QStringLiteral("-"));
}

}  // namespace
