// Batches in 3D: the program on a (virtual) X display with OpenGL, a batch of
// the scene taken with "开始监控", its height range set around the scene's two
// levels, and "3D" with the options accepted as offered: the 3D view draws
// the plane at the low (blue) end of its colours and the step at the high
// (red) end, each where the camera sees the scene's point, and nothing beyond
// the batch's window. A batch without the step would paint both places blue.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include <vtkRenderer.h>

#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/height_view.h"
#include "views/height/select_vtk_dialg.h"
#include "views/height/view3d/cloud_view.h"
#include "views/height/view3d/vtk_dialog.h"

namespace acceptance {
namespace {

using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

constexpr double kInvalid = -9999.0;

class Batches3d : public ProgramAcceptance {
protected:
    static constexpr int kFrames = 400;

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

// Where the view's camera shows the point (x, y, z) of the scene, in pixels
// of the view widget.
QPoint shownAt(CloudView& view, double x, double y, double z) {
    vtkRenderer* renderer = view.renderer();
    renderer->SetWorldPoint(x, y, z, 1.0);
    renderer->WorldToDisplay();
    const double* display = renderer->GetDisplayPoint();
    const double ratio = view.devicePixelRatioF();
    return QPoint(static_cast<int>(display[0] / ratio), view.height() - 1 - static_cast<int>(display[1] / ratio));
}

// The mean colour of the 5 x 5 pixels around p.
QColor around(const QImage& image, QPoint p) {
    long sum[3] = {};
    int n = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (!image.rect().contains(q)) continue;
            const QRgb c = image.pixel(q);
            sum[0] += qRed(c), sum[1] += qGreen(c), sum[2] += qBlue(c), ++n;
        }
    n = std::max(n, 1);
    return QColor(static_cast<int>(sum[0] / n), static_cast<int>(sum[1] / n), static_cast<int>(sum[2] / n));
}

TEST_F(Batches3d, TheBatchIn3dShowsTheStep) {
    ScopedPrompter p;
    // Profiles 0.1 mm apart: the batch about as long as the step is wide.
    sensor().setReg(283, 1);
    sensor().setReg(284, 10000);
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    sensor_sim::BatchPlan plan = sensor().batchPlan(kFrames);
    plan.countOnwards = true;
    sensor().streamer().setPlan(plan);

    button("pushButton_start")->click();
    ASSERT_TRUE(waitUntil([&] { return client().batchComplete && client().batchProfileCount.load() == kFrames; }))
        << client().batchProfileCount.load();
    std::vector<double> first;
    int firstColumn = 0, lastColumn = 0;
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        first = client().batchHeights[0];
        firstColumn = client().batchFirstColumn;
        lastColumn = client().batchLastColumn;
    }
    const int middle = (firstColumn + lastColumn) / 2;
    // Columns well inside each level, on measured points.
    auto measuredNear = [&](int column) {
        while (first[static_cast<size_t>(column)] == kInvalid) ++column;
        return column;
    };
    const int lowColumn = measuredNear((firstColumn + middle) / 2);
    const int highColumn = measuredNear((middle + lastColumn) / 2);
    const double plane = first[static_cast<size_t>(lowColumn)];
    const double step = first[static_cast<size_t>(highColumn)];
    ASSERT_GT(step - plane, 1.0);

    // ---- the height range ("高度设定") just around the two levels
    HeightView* height = window.heightMapView();
    ASSERT_NE(height, nullptr);
    const double margin = (step - plane) * 0.05;
    ASSERT_TRUE(setHeightRange(*height, plane - margin, step + margin));

    // ---- "3D": the options as offered (a mesh), the view of the batch
    ASSERT_TRUE(actOnModal<select_vtk_dialg>(
        [&] { height->findChild<QPushButton*>(QStringLiteral("pushButton_3d"))->click(); },
        [](select_vtk_dialg& dialog) { dialog.findChild<QPushButton*>(QStringLiteral("pushButton_ok"))->click(); }));
    const QList<VtkDialog*> dialogs = height->findChildren<VtkDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    VtkDialog& view3d = *dialogs[0];
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view3d));
    spin(300);
    const QImage shot = mirevo::test::saveGrab(view3d, QStringLiteral("acceptance_4_batch_3d")).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(p->count(PromptKind::Question), 0);

    CloudView& cloud = *view3d.cloudView();
    const QPoint viewAt = cloud.mapTo(&view3d, QPoint(0, 0));
    const double xPitch = client().xPitchMm;
    const double yPitch = 0.1;
    const double y = -(kFrames / 2) * yPitch;
    const QPoint planeShown = viewAt + shownAt(cloud, lowColumn * xPitch, y, plane);
    const QPoint stepShown = viewAt + shownAt(cloud, highColumn * xPitch, y, step);
    // Beyond the batch's window there is nothing to draw.
    const QPoint leftOfTheBatch = viewAt + shownAt(cloud, (firstColumn - 80) * xPitch, y, plane);
    const QPoint rightOfTheBatch = viewAt + shownAt(cloud, (lastColumn + 80) * xPitch, y, step);
    ASSERT_TRUE(shot.rect().contains(planeShown)) << planeShown.x() << "," << planeShown.y();
    ASSERT_TRUE(shot.rect().contains(stepShown)) << stepShown.x() << "," << stepShown.y();
    const QColor low = around(shot, planeShown);
    const QColor high = around(shot, stepShown);
    EXPECT_GT(low.blue(), low.red() + 100) << "the plane at the low end of the colours: " << low.name().toStdString();
    EXPECT_GT(high.red(), high.blue() + 100) << "the step at the high end: " << high.name().toStdString();
    for (const QPoint& outside : {leftOfTheBatch, rightOfTheBatch}) {
        const QColor c = around(shot, outside);
        EXPECT_LT(c.red() + c.green() + c.blue(), 60) << "drawn beyond the batch: " << c.name().toStdString();
    }
    view3d.close();
}

}  // namespace
}  // namespace acceptance
