// The camera image page against the real client on the simulator: the page
// opened as the settings window opens it (image mode, acquisition restarted,
// image reset), the simulator sending a column ramp with scripted peaks.
#include <gtest/gtest.h>

#include <QFile>
#include <QGraphicsPixmapItem>
#include <QImage>
#include <QSignalSpy>

#include <opencv2/core.hpp>

#include <cmath>
#include <vector>

#include "tests/support/imaging_window/imaging_window_stand_in.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/views_camera/dump_decoder.h"
#include "tools/sensor_sim/camera_image_stream.h"
#include "tools/sensor_sim/sim_models.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/img_graphics_view.h"

using mirevo::test::ClientFixture;
using mirevo::test::ClientSensorOptions;
using mirevo::test::ImagingWindowStandIn;
using mirevo::test::ScopedPrompter;

namespace {

constexpr int kHidden = 8;

// Peak rows of the simulated sensor: a slanted line, no peak in column 300.
double scriptedPeak(int column, int rows) {
    if (column == 300) return 0.0;
    return rows / 4 + (column % 40) * 0.25;
}

uint8_t rampGrey(int column, int row) { return static_cast<uint8_t>(column + row); }

class CameraImagePageTest : public ClientFixture, public testing::WithParamInterface<const char*> {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset.model = GetParam();
        return options;
    }

    void SetUp() override {
        ClientFixture::SetUp();
        if (HasFatalFailure()) return;
        geometry = sensor_sim::simGeometry(GetParam());
        sensor_sim::installCameraImageStream(sensor().head(), geometry.rows, scriptedPeak);
        window = std::make_unique<ImagingWindowStandIn>();
        window->show();
    }
    void TearDown() override {
        client().stopAcquisition();
        window.reset();
        ClientFixture::TearDown();
    }

    FullViewWidget& page() { return *window->imagePage; }
    showfullimg& scene() { return *page().graphicsView()->scene; }
    QImage shownImage() { return scene().pixmapItem()->pixmap().toImage(); }

    // Waits until the page shows a ramp of `rows` rows from the sensor (after
    // the reset's black picture).
    bool waitForRamp(int rows) {
        return waitUntil([&] {
            if (!scene().pixmapItem()) return false;
            const QImage image = shownImage();
            return image.height() == rows && qGray(image.pixel(0, rows - 1)) == rampGrey(kHidden, rows - 1);
        });
    }

    sensor_sim::SimGeometry geometry{};
    std::unique_ptr<ImagingWindowStandIn> window;
};

TEST_P(CameraImagePageTest, ShowsTheSensorImageWithoutItsOuterColumnsAndThePeaksOfTheClient) {
    window->openCameraSettings();
    ASSERT_TRUE(waitForRamp(geometry.rows));

    client().stopAcquisition();
    const QImage image = shownImage();
    const int displayColumns = geometry.columns - 2 * kHidden;
    EXPECT_EQ(image.width(), displayColumns);
    for (int r : {0, 1, geometry.rows / 2, geometry.rows - 1})
        for (int d : {0, 1, 247, 248, displayColumns - 1})
            EXPECT_EQ(qGray(image.pixel(d, r)), rampGrey(d + kHidden, r)) << "display column " << d << " row " << r;

    // The page holds the uncropped image and the cropped peak rows.
    EXPECT_EQ(page().rawImage.cols, geometry.columns);
    EXPECT_EQ(page().rawImage.rows, geometry.rows);
    cv::Mat clientImage;
    std::vector<float> clientPeaks(static_cast<size_t>(geometry.columns));
    client().copyRawImage(&clientImage, clientPeaks.data(), geometry.columns);
    const std::vector<float> expected(clientPeaks.begin() + kHidden, clientPeaks.end() - kHidden);
    EXPECT_EQ(page().peakRows, expected);
    EXPECT_FLOAT_EQ(expected[0], static_cast<float>(scriptedPeak(kHidden, geometry.rows)));
    // The scene keeps the peaks inside the image: a column without a peak
    // (whatever row the client gives it) lies on the last row.
    std::vector<float> drawn = expected;
    for (float& row : drawn)
        if (row < 0 || row > geometry.rows - 1) row = static_cast<float>(geometry.rows - 1);
    EXPECT_EQ(scene().peakRows(), drawn);
    EXPECT_FLOAT_EQ(drawn[300 - kHidden], static_cast<float>(geometry.rows - 1)) << "no peak: the last row";

    // The peaks are drawn as red squares where the client put them.
    ASSERT_EQ(scene().peakSquares().size(), displayColumns);
    EXPECT_EQ(scene().peakLines().size(), displayColumns - 1);
    const QImage grab = mirevo::test::saveGrab(page(), QStringLiteral("camera_image_page_%1").arg(GetParam()));
    const QGraphicsView& view = *page().graphicsView();
    int redSquares = 0;
    for (int d : {20, displayColumns / 2, displayColumns - 20}) {
        const QPoint at = view.mapFromScene(QPointF(50.0 * d + 25, 50.0 * expected[d] + 25));
        const QColor c = grab.pixelColor(view.mapTo(&page(), at));
        redSquares += c.red() > 150 && c.green() < 100;
    }
    EXPECT_GE(redSquares, 2) << "peak squares are red where the peaks are";
}

TEST_P(CameraImagePageTest, HalfTheZRangeHalvesTheRowsAndAResetIsBlackWithPeaksOnTheLastRow) {
    window->openCameraSettings();
    ASSERT_TRUE(waitForRamp(geometry.rows));
    int index = 1;
    ASSERT_EQ(client().cfgZRange(1, &index), 0);
    EXPECT_EQ(sensor().reg(11), static_cast<uint32_t>(geometry.rows / 2)) << "register 11 holds the rows in use";
    ASSERT_TRUE(waitForRamp(geometry.rows / 2));

    client().stopAcquisition();
    page().resetImage();
    const QImage image = shownImage();
    ASSERT_EQ(image.height(), geometry.rows / 2);
    ASSERT_EQ(image.width(), geometry.columns - 2 * kHidden);
    for (int r : {0, geometry.rows / 4, geometry.rows / 2 - 1})
        for (int d : {0, 500, image.width() - 1}) EXPECT_EQ(qGray(image.pixel(d, r)), 0);
    for (float row : scene().peakRows()) ASSERT_EQ(row, geometry.rows / 2 - 1);
    for (float row : page().peakRows) ASSERT_EQ(row, -9999.0f) << "the page keeps what the client gave";
}

TEST_P(CameraImagePageTest, DumpHoldsTheWholeImageAndTheShownPeaks) {
    window->openCameraSettings();
    ASSERT_TRUE(waitForRamp(geometry.rows));
    client().stopAcquisition();
    page().refreshImage();

    const QString path = QString::fromStdString((workFolder() / "img.dat").string());
    ScopedPrompter prompter;
    prompter->answerFile(path);
    page().on_pushButton_outimg_clicked();
    ASSERT_EQ(prompter->count(mirevo::test::PromptKind::SaveFile), 1);
    const mirevo::test::PromptRecord asked = prompter->prompts().front();
    EXPECT_EQ(asked.title, QStringLiteral("保存日志"));
    EXPECT_EQ(asked.text, QStringLiteral("./img.dat"));
    EXPECT_EQ(asked.buttons, QStringList{QStringLiteral("保存日志 (*.dat)")});

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const int n = geometry.columns - 2 * kHidden;
    EXPECT_EQ(bytes.size(), 16 + geometry.rows * geometry.columns + 4 * n + 2);
    const mirevo::test::DecodedDump dump = mirevo::test::decodeDump(bytes);
    EXPECT_EQ(dump.magic, "KX");
    EXPECT_EQ(dump.columns, geometry.columns);
    EXPECT_EQ(dump.rows, geometry.rows);
    EXPECT_EQ(dump.n, n);
    EXPECT_EQ(dump.trailer, "GG");
    for (int r : {0, geometry.rows - 1})
        for (int c : {0, 7, 8, geometry.columns - 1})
            EXPECT_EQ(dump.pixels[static_cast<size_t>(r) * geometry.columns + c], rampGrey(c, r));
    EXPECT_EQ(dump.peaks, page().peakRows);
}

INSTANTIATE_TEST_SUITE_P(Models, CameraImagePageTest, testing::Values("ZP4100", "ZP3100"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string("Series") + info.param[2];
                         });

// A page that never refreshed holds no image: the dump writes nothing, and a
// cancelled dialog writes nothing either.
class CameraImageDumpTest : public ClientFixture {};

TEST_F(CameraImageDumpTest, NoFileBeforeAnyImageOrWhenCancelled) {
    const QString path = QString::fromStdString((workFolder() / "img.dat").string());
    FullViewWidget page;
    ScopedPrompter prompter;
    prompter->answerFile(path);
    page.on_pushButton_outimg_clicked();
    EXPECT_FALSE(QFile::exists(path));

    page.refreshImage();
    ASSERT_FALSE(page.rawImage.empty()) << "the client hands a black image of the full size";
    prompter->answerFile(QString());
    page.on_pushButton_outimg_clicked();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(prompter->count(mirevo::test::PromptKind::SaveFile), 2);
}

}  // namespace
