// The 3D view dialog against the real client on the simulator, drawing with
// OpenGL under Xvfb: its form, the refresh from the client's batch, the 3D
// height range button, and the height view's one dialog, deleted after it
// closed.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>

#include <pcl/visualization/pcl_visualizer.h>
#include <vtkCamera.h>
#include <vtkOrientationMarkerWidget.h>
#include <vtkRenderer.h>

#include "sensor_client/app_settings.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/height_view.h"
#include "views/height/select_vtk_dialg.h"
#include "views/height/view3d/cloud_render.h"
#include "views/height/view3d/cloud_view.h"
#include "views/height/view3d/vtk_dialog.h"

namespace {

using mirevo::test::ClientSensorOptions;

// Acts on the next modal dialog once its own event loop shows it. Delete the
// returned timer to stop waiting for one.
QTimer* onNextModal(std::function<void(QWidget*)> act) {
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
    return timer;
}

void clickIn(QWidget* dialog, const char* button) { dialog->findChild<QPushButton*>(button)->click(); }

class VtkDialogTest : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.knobs.batchMode = 1;
        return options;
    }
    void TearDown() override {
        client().displayRange = HeightDisplayRange{};
        setBatch(0, 0.0);
        mirevo::test::ClientFixture::TearDown();
    }

    // A batch of `rows` flat profiles in the client's fields, as its batch
    // thread leaves them.
    void setBatch(int rows, double height) {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        for (int r = 0; r < 40; ++r) c.batchHeights[static_cast<size_t>(r)].clear();
        for (int r = 0; r < rows; ++r)
            c.batchHeights[static_cast<size_t>(r)].assign(static_cast<size_t>(c.profilePointCount()), height + 0.01 * r);
        c.batchNumber = rows > 0 ? 7 : 0;
        c.batchShownNumber = c.batchNumber.load();
        c.batchProfileCount = rows;
    }
    static bool drawsAnything(VtkDialog& dialog) {
        const auto& viewer = dialog.cloudView()->viewer();
        return viewer->contains(kMeshId) || viewer->contains(kMainCloudId);
    }
    // Runs the deletions queued with deleteLater.
    static void runDeferredDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

TEST_F(VtkDialogTest, FormButtonBarAndAxesMarker) {
    QFile sheet(QStringLiteral(":/res/res/LineLaserQss.qss"));
    ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    VtkDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "3D点云");
    EXPECT_FALSE(dialog.windowIcon().isNull());
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(dialog.size(), QSize(640, 600));
    ASSERT_NE(dialog.findChild<CloudView*>("widget_right"), nullptr);
    EXPECT_EQ(dialog.findChild<CloudView*>("widget_right"), dialog.cloudView());
    EXPECT_TRUE(dialog.cloudView()->axesMarker()->GetEnabled());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.findChild<QWidget*>("widget_left")->width(), 50);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("pushButton_openfile")->isVisible());
    for (const char* name : {"pushButton_heightset", "pushButton_reset"}) {
        auto* button = dialog.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_TRUE(button->isVisible()) << name;
        EXPECT_EQ(button->size(), QSize(30, 30)) << name;
        EXPECT_TRUE(button->text().isEmpty()) << name;
        EXPECT_FALSE(button->icon().isNull()) << name << ": its icon comes from the style sheet";
    }
    {
        // A slope across the profile, profiles as far apart as makes the
        // batch about as long as it is wide.
        LinelaserClient& c = client();
        const int n = c.profilePointCount();
        int on = 1;
        int distance = static_cast<int>(c.xPitchMm * n / 60 * 0.7 * 100000);
        ASSERT_EQ(c.cfgRegister(1, 283, &on), 0);
        ASSERT_EQ(c.cfgRegister(1, 284, &distance), 0);
        std::lock_guard<std::mutex> lock(c.batchMutex);
        for (int r = 0; r < 60; ++r) {
            std::vector<double>& row = c.batchHeights[static_cast<size_t>(r)];
            row.resize(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) row[static_cast<size_t>(i)] = 2.0 * i / n + 0.002 * r;
        }
        c.batchProfileCount = 60;
    }
    client().displayRange.viewMin = 0.0;
    client().displayRange.viewMax = 2.2;
    dialog.setRenderParams(0.5f, false, DenoiseParams{}, 1);
    dialog.refreshFromBatch(true);
    const QImage shot = mirevo::test::saveGrab(dialog, "vtk_dialog");
    // The button bar is dark, the view shows the batch.
    const QRgb bar = shot.pixel(25, shot.height() - 20);
    EXPECT_EQ(qRed(bar), 30);
    EXPECT_EQ(qGreen(bar), 30);
    EXPECT_EQ(qBlue(bar), 30);
    const QRgb middle = shot.pixel(50 + (shot.width() - 50) / 2, shot.height() / 2);
    EXPECT_GT(qMax(qRed(middle), qMax(qGreen(middle), qBlue(middle))), 100) << "the mesh in the middle of the view";
    qApp->setStyleSheet(QString());
}

TEST_F(VtkDialogTest, RefreshDrawsTheBatchInTheChosenWayAndNothingWithoutOne) {
    VtkDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.setRenderParams(0.25f, true, DenoiseParams{}, 3);
    EXPECT_EQ(dialog.renderParams().xyScale, 0.25f);
    EXPECT_TRUE(dialog.renderParams().pointCloud);
    EXPECT_EQ(dialog.renderParams().zMultiplier, 3);
    dialog.refreshFromBatch(true);
    EXPECT_FALSE(drawsAnything(dialog)) << "no batch, nothing drawn";

    client().displayRange.viewMin = 0.0;
    client().displayRange.viewMax = 5.0;
    setBatch(20, 1.0);
    dialog.refreshFromBatch(true);
    EXPECT_TRUE(dialog.cloudView()->viewer()->contains(kMainCloudId));
    dialog.setRenderParams(0.25f, false, DenoiseParams{}, 3);
    dialog.refreshFromBatch(false);
    EXPECT_TRUE(dialog.cloudView()->viewer()->contains(kMeshId));
    EXPECT_FALSE(dialog.cloudView()->viewer()->contains(kMainCloudId));

    setBatch(0, 0.0);
    dialog.refreshFromBatch(true);
    EXPECT_TRUE(dialog.cloudView()->viewer()->contains(kMeshId)) << "an empty batch changes nothing";
}

TEST_F(VtkDialogTest, HeightRangeButtonWritesBothKeysAndTheClientsFixedRange) {
    VtkDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    setSettingsString("HeightDisplay", "height_view_min", "-1");
    setSettingsString("HeightDisplay", "height_view_max", "2");

    // Without a batch the button does nothing: no dialog, no keys, no range.
    const HeightDisplayRange opened = client().displayRange;  // the sensor's z range
    bool shown = false;
    QTimer* watch = onNextModal([&](QWidget* d) {
        shown = true;
        d->close();
    });
    dialog.findChild<QPushButton*>("pushButton_heightset")->click();
    QTest::qWait(50);
    EXPECT_FALSE(shown);
    if (!shown) delete watch;
    EXPECT_FALSE(client().displayRange.fixedRange);
    EXPECT_EQ(client().displayRange.viewMin, opened.viewMin);
    EXPECT_EQ(client().displayRange.viewMax, opened.viewMax);
    EXPECT_EQ(settingsString("HeightDisplay", "height_view_max", ""), "2");

    setBatch(10, 1.0);
    double startMin = 0, startMax = 0;
    bool gradient = false;
    shown = false;
    onNextModal([&](QWidget* d) {
        shown = true;
        ASSERT_NE(qobject_cast<D3dSetDialog*>(d), nullptr);
        startMin = d->findChild<QDoubleSpinBox*>("doubleSpinBox_min")->value();
        startMax = d->findChild<QDoubleSpinBox*>("doubleSpinBox_max")->value();
        // The colour bar shows the 3D view's colours, not the grey ramp.
        const QImage bar = d->findChild<QWidget*>("widget_hset")->grab().toImage();
        const QRgb p = bar.pixel(25, 30);
        gradient = !(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
        d->findChild<QDoubleSpinBox*>("doubleSpinBox_min")->setValue(-0.5);
        d->findChild<QDoubleSpinBox*>("doubleSpinBox_max")->setValue(1.25);
        clickIn(d, "pushButton_ok");
    });
    dialog.findChild<QPushButton*>("pushButton_heightset")->click();
    ASSERT_TRUE(shown);
    EXPECT_EQ(startMin, -1.0) << "the dialog starts from the stored 3D range";
    EXPECT_EQ(startMax, 2.0);
    EXPECT_TRUE(gradient);
    EXPECT_TRUE(client().displayRange.fixedRange) << "the height image takes the same fixed range";
    EXPECT_EQ(client().displayRange.viewMin, -0.5);
    EXPECT_EQ(client().displayRange.viewMax, 1.25);
    EXPECT_EQ(settingsString("HeightDisplay", "height_view_min", ""), "-0.5");
    EXPECT_EQ(settingsString("HeightDisplay", "height_view_max", ""), "1.25");
    EXPECT_TRUE(drawsAnything(dialog)) << "redrawn in the new range";
}

TEST_F(VtkDialogTest, HeightViewKeepsOneDialogAndDeletesItAfterItClosed) {
    HeightView view;
    setBatch(12, 1.0);
    auto acceptOptions = [](QWidget* d) {
        ASSERT_NE(qobject_cast<select_vtk_dialg*>(d), nullptr);
        clickIn(d, "pushButton_ok");
    };
    onNextModal(acceptOptions);
    view.findChild<QPushButton*>("pushButton_3d")->click();
    QList<VtkDialog*> dialogs = view.findChildren<VtkDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    QPointer<VtkDialog> first = dialogs[0];
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->renderParams().xyScale, 0.5f);
    EXPECT_FALSE(first->renderParams().pointCloud);
    EXPECT_EQ(first->renderParams().zMultiplier, 1);
    EXPECT_TRUE(drawsAnything(*first));

    onNextModal([](QWidget* d) {
        d->findChild<QWidget*>("radioButton_more")->setProperty("checked", true);
        QMetaObject::invokeMethod(d, "on_radioButton_more_clicked", Q_ARG(bool, true));
        clickIn(d, "pushButton_ok");
    });
    view.findChild<QPushButton*>("pushButton_3d")->click();
    ASSERT_EQ(view.findChildren<VtkDialog*>().size(), 1);
    EXPECT_EQ(view.findChildren<VtkDialog*>()[0], first.data()) << "the same dialog, refreshed";
    EXPECT_TRUE(first->renderParams().pointCloud);
    EXPECT_TRUE(first->cloudView()->viewer()->contains(kMainCloudId));

    first->close();
    ASSERT_FALSE(first.isNull()) << "deleted later, not inside its own close event";
    runDeferredDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(view.findChildren<VtkDialog*>().isEmpty());

    onNextModal(acceptOptions);
    view.findChild<QPushButton*>("pushButton_3d")->click();
    ASSERT_EQ(view.findChildren<VtkDialog*>().size(), 1) << "a new dialog for the next request";
    EXPECT_TRUE(view.findChildren<VtkDialog*>()[0]->isVisible());
}

// A batch the simulated sensor streams of its scene (a plane with a step up
// in the middle of the profile and every 97th point missing), drawn as the
// operator sees it: turned away from the top view.
class VtkDialogStepTest : public VtkDialogTest {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options = VtkDialogTest::sensorOptions();
        options.batchLength = 400;
        return options;
    }
    void TearDown() override {
        client().stopAcquisition();
        VtkDialogTest::TearDown();
    }
    // The lowest and highest measured height of the batch.
    std::pair<double, double> batchHeightRange() {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        double low = 1e9, high = -1e9;
        for (int r = 0; r < c.batchProfileCount; ++r)
            for (double h : c.batchHeights[static_cast<size_t>(r)])
                if (h != c.zNullValueMM()) {
                    low = std::min(low, h);
                    high = std::max(high, h);
                }
        return {low, high};
    }
    // The mean colour of the view's pixels that are not black, left and
    // right of its middle column.
    static std::pair<QColor, QColor> sideColours(const QImage& view) {
        double sum[2][3] = {};
        int count[2] = {};
        for (int y = view.height() / 5; y < view.height(); ++y)
            for (int x = 0; x < view.width(); ++x) {
                const QRgb p = view.pixel(x, y);
                if (qRed(p) + qGreen(p) + qBlue(p) < 60) continue;
                const int side = x < view.width() / 2 ? 0 : 1;
                sum[side][0] += qRed(p);
                sum[side][1] += qGreen(p);
                sum[side][2] += qBlue(p);
                ++count[side];
            }
        auto mean = [&](int s) {
            const int n = std::max(count[s], 1);
            return QColor(static_cast<int>(sum[s][0] / n), static_cast<int>(sum[s][1] / n),
                          static_cast<int>(sum[s][2] / n));
        };
        return {mean(0), mean(1)};
    }
};

TEST_F(VtkDialogStepTest, TheSensorsStepAsMeshAndAsPoints) {
    {
        // Profiles as far apart as makes the batch about two thirds as long
        // as it is wide.
        int on = 1;
        int distance = static_cast<int>(client().xPitchMm * client().profilePointCount() / 400 * 0.66 * 100000);
        ASSERT_EQ(client().cfgRegister(1, 283, &on), 0);
        ASSERT_EQ(client().cfgRegister(1, 284, &distance), 0);
    }
    ASSERT_EQ(client().startBatchAcquisition(true), 0);
    ASSERT_TRUE(waitUntil([&] { return client().batchComplete && client().batchProfileCount == 400; }, 20000))
        << client().batchProfileCount;
    const auto [low, high] = batchHeightRange();
    ASSERT_GT(high - low, 0.5) << "the scene's step";
    client().displayRange.viewMin = low - 0.1;
    client().displayRange.viewMax = high + 0.1;

    QFile sheet(QStringLiteral(":/res/res/LineLaserQss.qss"));
    ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    auto turnAway = [](CloudView* view) {
        vtkCamera* camera = view->renderer()->GetActiveCamera();
        camera->Elevation(-60);
        camera->Azimuth(-25);
        camera->OrthogonalizeViewUp();
        view->renderer()->ResetCameraClippingRange();
        view->renderWindow()->Render();
    };
    struct Way {
        const char* grab;
        bool points;
    } ways[] = {{"vtk_dialog_step_mesh", false}, {"vtk_dialog_step_points", true}};
    for (const Way& way : ways) {
        VtkDialog dialog;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.setRenderParams(0.5f, way.points, DenoiseParams{}, 1);
        dialog.refreshFromBatch(true);
        turnAway(dialog.cloudView());
        const QImage shot = mirevo::test::saveGrab(dialog, way.grab).convertToFormat(QImage::Format_RGB32);
        const QImage inView = shot.copy(dialog.cloudView()->geometry());
        const auto [left, right] = sideColours(inView);
        // The low half of the profile is drawn at the blue end of the
        // colours, the high half at the red end.
        EXPECT_GT(left.blue(), left.red() + 100) << way.grab;
        EXPECT_GT(right.red(), right.blue() + 100) << way.grab;
    }
    qApp->setStyleSheet(QString());
}

}  // namespace
