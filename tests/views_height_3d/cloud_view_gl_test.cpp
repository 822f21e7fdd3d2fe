// The 3D widget drawing with OpenGL (Mesa's software renderer under Xvfb):
// two plateaus seen from above appear where they project and nowhere else,
// at opposite ends of the colour table, with the axes marker in the top-right
// corner; a moved camera returns to the view recorded after the last drawing.
#include <QTest>

#include <gtest/gtest.h>

#include <pcl/visualization/pcl_visualizer.h>
#include <vtkCamera.h>
#include <vtkOrientationMarkerWidget.h>
#include <vtkRenderer.h>

#include <algorithm>
#include <cmath>

#include "tests/support/qt/qt_test_env.h"
#include "views/height/cloud/kx_common.h"
#include "views/height/view3d/cloud_render.h"
#include "views/height/view3d/cloud_view.h"

namespace {

using kx::common::kxCloud;

constexpr float kNull = -9999.0f;
constexpr float kPitch = 0.05f;
constexpr int kRows = 300;
constexpr int kCols = 600;
constexpr int kLeftEnd = 260;     // columns [0, 260) are low
constexpr int kRightStart = 340;  // columns [340, 600) are high; between them no heights

kxCloud plateaus(float low, float high, float zMin, float zMax) {
    cv::Mat z(kRows, kCols, CV_32FC1, cv::Scalar(kNull));
    z.colRange(0, kLeftEnd).setTo(low);
    z.colRange(kRightStart, kCols).setTo(high);
    return kxCloud(z, kPitch, kPitch, zMin, zMax, kNull);
}

bool isBlack(QRgb p) { return qRed(p) < 24 && qGreen(p) < 24 && qBlue(p) < 24; }

class CloudViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view_.resize(640, 560);
        view_.addAxesMarker();
        view_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    }

    // Where a point of the world lands in a grab of the widget.
    QPointF project(double x, double y, double z) {
        vtkRenderer* renderer = view_.renderer();
        renderer->SetWorldPoint(x, y, z, 1.0);
        renderer->WorldToDisplay();
        const double* d = renderer->GetDisplayPoint();
        return QPointF(d[0], view_.height() - d[1]);
    }
    // The rectangle that columns [first, last] of every row project to at height z.
    QRectF projectedColumns(int first, int last, double z) {
        const QPointF a = project(first * kPitch, 0.0, z);
        const QPointF b = project(last * kPitch, -(kRows - 1) * kPitch, z);
        return QRectF(a, b).normalized();
    }
    QImage grab(const QString& name) {
        QImage shot = mirevo::test::saveGrab(view_, name).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shot.size(), view_.size());
        return shot;
    }
    QRect markerCorner() const {
        return QRect(QPoint(static_cast<int>(view_.width() * 0.8), 0),
                     QPoint(view_.width() - 1, static_cast<int>(view_.height() * 0.2)));
    }
    static bool samePose(const CameraPose& a, const CameraPose& b) {
        for (int i = 0; i < 3; ++i)
            if (std::fabs(a.position[i] - b.position[i]) > 1e-9 || std::fabs(a.focalPoint[i] - b.focalPoint[i]) > 1e-9 ||
                std::fabs(a.viewUp[i] - b.viewUp[i]) > 1e-9)
                return false;
        return true;
    }

    // Checks a grab of the two plateaus: inside each projected side at least
    // 90 % of the pixels are coloured and all of them pass its colour test;
    // outside both sides (and the marker's corner) every pixel is black; the
    // marker's corner holds the axes. No frame-rate text either.
    template <typename LeftColour, typename RightColour>
    void expectPlateaus(const QImage& shot, double lowZ, double highZ, LeftColour leftColour, RightColour rightColour) {
        const QRectF left = projectedColumns(0, kLeftEnd - 1, lowZ);
        const QRectF right = projectedColumns(kRightStart, kCols - 1, highZ);
        ASSERT_GT(left.width(), 100);
        ASSERT_GT(right.width(), 100);
        ASSERT_LT(left.right(), right.left());
        const QRect corner = markerCorner();
        ASSERT_FALSE(corner.intersects(right.toAlignedRect())) << "the test's cloud must leave the corner free";
        int leftCells = 0, leftColoured = 0, rightCells = 0, rightColoured = 0, strayPixels = 0, markerPixels = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QRgb p = shot.pixel(x, y);
                const QPointF c(x + 0.5, y + 0.5);
                if (left.adjusted(3, 3, -3, -3).contains(c)) {
                    ++leftCells;
                    if (!isBlack(p)) {
                        ++leftColoured;
                        ASSERT_TRUE(leftColour(p)) << "left side at " << x << "," << y << ": " << qRed(p) << " "
                                                   << qGreen(p) << " " << qBlue(p);
                    }
                } else if (right.adjusted(3, 3, -3, -3).contains(c)) {
                    ++rightCells;
                    if (!isBlack(p)) {
                        ++rightColoured;
                        ASSERT_TRUE(rightColour(p)) << "right side at " << x << "," << y << ": " << qRed(p) << " "
                                                    << qGreen(p) << " " << qBlue(p);
                    }
                } else if (corner.contains(x, y)) {
                    if (!isBlack(p)) ++markerPixels;
                } else if (!left.adjusted(-3, -3, 3, 3).contains(c) && !right.adjusted(-3, -3, 3, 3).contains(c)) {
                    if (!isBlack(p)) ++strayPixels;
                }
            }
        }
        EXPECT_GE(leftColoured, leftCells * 9 / 10);
        EXPECT_GE(rightColoured, rightCells * 9 / 10);
        EXPECT_EQ(strayPixels, 0) << "coloured pixels where nothing projects";
        EXPECT_GT(markerPixels, 100) << "the axes marker in the top-right corner";
    }

    CloudView view_;
};

TEST_F(CloudViewTest, PointsOfTwoPlateausAtOppositeEndsOfTheLookUpTable) {
    view_.showPointCloud(plateaus(1.0f, 3.0f, 0.0f, 5.0f), 0.0f, true);
    ASSERT_TRUE(view_.viewer()->contains(kMainCloudId));
    const QImage shot = grab("cloud_view_points");
    // PCL's inverse jet table over the points' own range: the lowest blue,
    // the highest red.
    expectPlateaus(
        shot, 1.0, 3.0, [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60; },
        [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; });
}

TEST_F(CloudViewTest, MeshOfTwoPlateausFromTheStartToTheEndOfTheRamp) {
    view_.showMesh(plateaus(1.0f, 3.0f, 0.9f, 3.0f), 0.0f, true);
    ASSERT_TRUE(view_.viewer()->contains(kMeshId));
    ASSERT_FALSE(view_.viewer()->contains(kMainCloudId));
    const QImage shot = grab("cloud_view_mesh");
    // 1.0 in [0.9, 3.0] is ramp entry 24 (0, 26, 255); 3.0 is entry 511 (255, 1, 0).
    expectPlateaus(
        shot, 1.0, 3.0, [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 40 && qGreen(p) < 70; },
        [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 40 && qBlue(p) < 40; });
}

// A flat plane as a mesh is closed: no background shows between its cells.
// One unmeasured column (a point that every profile misses) leaves a seam
// there and nowhere else: triangles need three measured corners.
TEST_F(CloudViewTest, AFlatMeshIsClosedExceptWhereAColumnIsUnmeasured) {
    constexpr int kGapColumn = 450;
    for (const bool withGap : {false, true}) {
        SCOPED_TRACE(withGap);
        cv::Mat z(kRows, kCols, CV_32FC1, cv::Scalar(2.0f));
        if (withGap) z.col(kGapColumn).setTo(kNull);
        view_.showMesh(kxCloud(z, kPitch, kPitch, 0.0f, 4.0f, kNull), 0.5f, true);
        const QImage shot = grab(withGap ? "cloud_view_flat_mesh_gap" : "cloud_view_flat_mesh");
        const QRectF plane = projectedColumns(0, kCols - 1, 2.0).adjusted(4, 4, -4, -4);
        const QRectF gap = projectedColumns(kGapColumn - 12, kGapColumn + 12, 2.0);
        ASSERT_GT(plane.width(), 200);
        int black = 0, blackOutsideGap = 0;
        for (int y = static_cast<int>(plane.top()); y < plane.bottom(); ++y)
            for (int x = static_cast<int>(plane.left()); x < plane.right(); ++x) {
                if (markerCorner().contains(x, y) || !isBlack(shot.pixel(x, y))) continue;
                ++black;
                if (x + 0.5 < gap.left() || x + 0.5 > gap.right()) ++blackOutsideGap;
            }
        EXPECT_EQ(blackOutsideGap, 0);
        if (withGap) EXPECT_GT(black, static_cast<int>(plane.height())) << "the unmeasured column shows";
        else EXPECT_EQ(black, 0);
    }
}

TEST_F(CloudViewTest, GreyBeforeTheFirstDrawingBlackAfterIt) {
    QImage shot = grab("cloud_view_empty");
    const QRgb middle = shot.pixel(shot.width() / 2, shot.height() / 2);
    EXPECT_EQ(qRed(middle), 150);
    EXPECT_EQ(qGreen(middle), 150);
    EXPECT_EQ(qBlue(middle), 150);
    view_.showPointCloud(kxCloud(), 0.5f, true);
    shot = grab("cloud_view_nothing");
    EXPECT_TRUE(isBlack(shot.pixel(shot.width() / 2, shot.height() / 2)));
}

TEST_F(CloudViewTest, ResetReturnsToTheViewRecordedAfterTheLastDrawing) {
    const kxCloud cloud = plateaus(1.0f, 3.0f, 0.0f, 5.0f);
    view_.showPointCloud(cloud, 0.0f, true);
    const CameraPose framed = view_.recordedCamera();
    EXPECT_TRUE(samePose(framed, view_.currentCamera()));
    const QImage before = grab("cloud_view_before_moving");

    vtkCamera* camera = view_.renderer()->GetActiveCamera();
    auto moveCamera = [&] {
        camera->Azimuth(35);
        camera->Elevation(20);
        camera->Dolly(1.4);
        const double* f = camera->GetFocalPoint();
        camera->SetFocalPoint(f[0] + 2.0, f[1] - 1.0, f[2]);  // a pan
        view_.renderer()->ResetCameraClippingRange();
        view_.renderWindow()->Render();
    };
    moveCamera();
    ASSERT_FALSE(samePose(framed, view_.currentCamera()));
    const QImage moved = grab("cloud_view_moved");
    EXPECT_FALSE(moved == before);

    view_.resetCamera();
    EXPECT_TRUE(samePose(framed, view_.currentCamera()));
    EXPECT_TRUE(grab("cloud_view_reset") == before) << "the same picture again";

    // Drawn again without a camera reset: the moved view is the one recorded.
    moveCamera();
    const CameraPose movedPose = view_.currentCamera();
    view_.showPointCloud(cloud, 0.0f, false);
    EXPECT_TRUE(samePose(movedPose, view_.recordedCamera()));
    camera->Azimuth(-50);
    view_.renderWindow()->Render();
    view_.resetCamera();
    EXPECT_TRUE(samePose(movedPose, view_.currentCamera())) << "not the data's default view";
}

TEST_F(CloudViewTest, AxesMarkerIsAFixedCornerWidget) {
    vtkOrientationMarkerWidget* marker = view_.axesMarker();
    ASSERT_NE(marker, nullptr);
    EXPECT_TRUE(marker->GetEnabled());
    EXPECT_FALSE(marker->GetInteractive());
    const double* viewport = marker->GetViewport();
    EXPECT_EQ(viewport[0], 0.8);
    EXPECT_EQ(viewport[1], 0.8);
    EXPECT_EQ(viewport[2], 1.0);
    EXPECT_EQ(viewport[3], 1.0);
    const double* outline = marker->GetOutlineColor();
    EXPECT_EQ(outline[0], 1.0);
    EXPECT_EQ(outline[1], 0.0);
    EXPECT_EQ(outline[2], 0.0);
}

}  // namespace
