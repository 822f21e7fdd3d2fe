// Camera image: in the real-time settings window "拍摄设定" shows the raw
// camera image with the laser line and its peak marks on the rows the scene
// predicts (the plane, the step higher up, a gap without a peak); the dump
// button writes the image with its peak rows to a file that reads back as
// shown.
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "settings_windows/real_time_setting_dlg.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/views_camera/dump_decoder.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_models.h"
#include "views/camera/full_view_widget.h"

namespace acceptance {
namespace {

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

class CameraImage : public ProgramAcceptance {};

TEST_F(CameraImage, TheLaserLineLiesOnThePredictedRowsAndTheDumpReadsBack) {
    ScopedPrompter p;
    startAndConnect();
    ASSERT_TRUE(client().connected);
    const int cameraRows = sensor_sim::simGeometry(sensorOptions().preset.model).rows;
    const QString dumpPath = QString::fromStdString((workFolder() / "img.dat").string());

    cv::Mat shown;
    std::vector<float> shownPeaks;
    bool done = false;
    QTimer driver;
    int phase = 0;
    FullViewWidget* view = nullptr;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* window = qobject_cast<RealTimeSettingDlg*>(QApplication::activeModalWidget());
        if (!window || done) return;
        if (phase == 0) {
            window->findChild<QPushButton*>(QStringLiteral("pushButton_cameratSet"))->click();
            phase = 1;
        } else if (phase == 1) {
            for (FullViewWidget* candidate : window->findChildren<FullViewWidget*>())
                if (candidate->isVisible()) view = candidate;
            if (!view || view->rawImage.empty() || view->rawImage.rows != cameraRows || view->peakRows.empty()) return;
            phase = 2;
        } else if (phase == 2) {
            // The live image stops while the person saves it.
            client().stopAcquisition();
            view->refreshImage();
            shown = view->rawImage.clone();
            shownPeaks = view->peakRows;
            mirevo::test::saveGrab(*window, QStringLiteral("acceptance_5_camera_image"));
            p->answerFile(dumpPath);
            view->findChild<QPushButton*>(QStringLiteral("pushButton_outimg"))->click();
            window->findChild<QPushButton*>(QStringLiteral("pushButton_close_nosave"))->click();
            done = true;
        }
    });
    driver.start(50);
    button("pushButton_nowset")->click();
    ASSERT_TRUE(done) << "the camera image never showed";

    // ---- the laser line: each column's brightest row is the scene's peak row
    ASSERT_EQ(shown.type(), CV_8UC1);
    ASSERT_EQ(shown.rows, cameraRows);
    int checked = 0;
    for (int column = 0; column < shown.cols; column += 37) {
        const double predicted = sensor_sim::scenePeakRow(column, cameraRows);
        int brightest = 0;
        for (int r = 1; r < shown.rows; ++r)
            if (shown.at<uint8_t>(r, column) > shown.at<uint8_t>(brightest, column)) brightest = r;
        if (predicted <= 0) {
            EXPECT_LT(shown.at<uint8_t>(brightest, column), 60) << "a line where the scene has no peak, column " << column;
            continue;
        }
        ++checked;
        EXPECT_NEAR(brightest, predicted, 1.5) << "column " << column;
    }
    EXPECT_GT(checked, 40);
    // The peak marks over the image: display column d is image column d + 8;
    // the default head measures distances itself, yet the marks lie on the line.
    ASSERT_EQ(shownPeaks.size(), static_cast<size_t>(shown.cols - 16));
    for (int column = 8; column < shown.cols - 8; column += 37) {
        const double predicted = sensor_sim::scenePeakRow(column, cameraRows);
        if (predicted > 0) EXPECT_NEAR(shownPeaks[column - 8], predicted, 0.011) << "peak mark of column " << column;
    }
    // The step: its columns lie higher (smaller rows) than the plane's.
    EXPECT_LT(sensor_sim::scenePeakRow(1200, cameraRows), sensor_sim::scenePeakRow(600, cameraRows));

    // ---- the dump reads back as the image and peak rows shown
    ASSERT_EQ(p->count(PromptKind::SaveFile), 1);
    QFile file(dumpPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no dump written";
    const mirevo::test::DecodedDump dump = mirevo::test::decodeDump(file.readAll());
    EXPECT_EQ(dump.magic, "KX");
    EXPECT_EQ(dump.trailer, "GG");
    EXPECT_EQ(dump.columns, shown.cols);
    EXPECT_EQ(dump.rows, shown.rows);
    ASSERT_EQ(dump.pixels.size(), static_cast<size_t>(shown.rows) * shown.cols);
    EXPECT_EQ(std::memcmp(dump.pixels.data(), shown.data, dump.pixels.size()), 0);
    EXPECT_EQ(dump.peaks, shownPeaks);
}

}  // namespace
}  // namespace acceptance
