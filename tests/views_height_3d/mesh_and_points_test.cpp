// The points and the adaptive mesh the 3D view draws, built without GL.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include <pcl/conversions.h>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "views/height/view3d/adaptive_mesh_builder.h"
#include "views/height/view3d/height_color_ramp.h"
#include "views/height/view3d/view_points.h"

namespace {

using kx::common::kxCloud;

constexpr float kNull = -9999.0f;
constexpr float kRate = 0.05f;

kxCloud flatCloud(int rows, int cols, float height, float zMin = 0.0f, float zMax = 2.0f) {
    return kxCloud(cv::Mat(rows, cols, CV_32FC1, cv::Scalar(height)), 0.5f, 0.25f, zMin, zMax, kNull);
}

// Coarse triangles of a smooth rows x cols grid: pairs at rows 0, 5, ... up to
// rows - 6 and columns 0, 5, ... below cols - 5.
size_t coarseOnFlat(int rows, int cols) {
    if (rows < 6 || cols < 6) return 0;
    return 2u * static_cast<size_t>((rows - 6) / 5 + 1) * static_cast<size_t>((cols - 6) / 5 + 1);
}

// Fine triangles of a smooth grid: the cells of the last 5 rows and columns.
size_t fineOnFlat(int rows, int cols) {
    const size_t all = static_cast<size_t>(rows - 1) * static_cast<size_t>(cols - 1);
    const size_t inner = static_cast<size_t>(std::max(rows - 5, 0)) * static_cast<size_t>(std::max(cols - 5, 0));
    return 2 * (all - inner);
}

pcl::PointCloud<pcl::PointXYZRGBA> meshPoints(const pcl::PolygonMesh& mesh) {
    pcl::PointCloud<pcl::PointXYZRGBA> points;
    pcl::fromPCLPointCloud2(mesh.cloud, points);
    return points;
}

TEST(AdaptiveMesh, FlatGridsAreCoarseExceptAlongTheFarEdges) {
    struct Case {
        int rows, cols;  // of the meshed grid (the cloud has twice the columns)
    } cases[] = {{30, 40}, {31, 37}, {6, 6}, {12, 23}, {5, 40}, {3, 3}, {2, 2}};
    for (const Case& c : cases) {
        AdaptiveMeshBuilder builder(kRate);
        pcl::PolygonMesh mesh;
        ASSERT_TRUE(builder.build(flatCloud(c.rows, 2 * c.cols, 1.0f), 0.0f, mesh));
        ASSERT_EQ(builder.rows(), c.rows);
        ASSERT_EQ(builder.columns(), c.cols);
        EXPECT_EQ(builder.coarseTriangles(), coarseOnFlat(c.rows, c.cols)) << c.rows << " x " << c.cols;
        EXPECT_EQ(builder.fineTriangles(), fineOnFlat(c.rows, c.cols)) << c.rows << " x " << c.cols;
        EXPECT_EQ(mesh.polygons.size(), builder.coarseTriangles() + builder.fineTriangles());
        EXPECT_EQ(mesh.cloud.width * mesh.cloud.height, static_cast<uint32_t>(c.rows * c.cols));
    }
}

TEST(AdaptiveMesh, CoarseTrianglesJoinCellsFiveApartAndPointsLieOnTheHalvedGrid) {
    AdaptiveMeshBuilder builder(kRate);
    pcl::PolygonMesh mesh;
    ASSERT_TRUE(builder.build(flatCloud(30, 80, 1.0f), 0.0f, mesh));
    const int w = builder.columns();
    ASSERT_EQ(w, 40);
    ASSERT_GE(mesh.polygons.size(), 2u);
    EXPECT_EQ(mesh.polygons[0].vertices, (pcl::Indices{0, 5, 5 * w}));
    EXPECT_EQ(mesh.polygons[1].vertices, (pcl::Indices{5, 5 * w, 5 * w + 5}));
    // Fine triangles follow the coarse ones; the first lies in the last
    // columns of row 0.
    EXPECT_EQ(mesh.polygons[builder.coarseTriangles()].vertices, (pcl::Indices{35, 36, w + 35}));

    const auto points = meshPoints(mesh);
    const pcl::PointXYZRGBA& p = points[static_cast<size_t>(3 * w + 7)];
    EXPECT_FLOAT_EQ(p.x, 7 * 2 * 0.5f) << "columns are twice the pitch apart after the halving";
    EXPECT_FLOAT_EQ(p.y, -3 * 0.25f);
    EXPECT_FLOAT_EQ(p.z, 1.0f);
    // 1.0 in [0, 2] is entry 255 of the ramp.
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(p.g, 255);
    EXPECT_EQ(p.b, 1);
    EXPECT_EQ(p.a, 255);
}

TEST(AdaptiveMesh, AStepIsMeshedFinelyAroundItAndCoarselyFarFromIt) {
    const int rows = 60;
    const int cols = 120;  // of the meshed grid
    cv::Mat z(rows, 2 * cols, CV_32FC1, cv::Scalar(0.5f));
    z.colRange(cols, 2 * cols).setTo(1.5f);  // the step lies at meshed column 60
    AdaptiveMeshBuilder builder(kRate);
    pcl::PolygonMesh mesh;
    ASSERT_TRUE(builder.build(kxCloud(z, 0.5f, 0.25f, 0.0f, 2.0f, kNull), 0.0f, mesh));
    ASSERT_EQ(builder.columns(), cols);

    std::set<int> fineRowsAtStep;
    for (size_t i = 0; i < mesh.polygons.size(); ++i) {
        const int first = mesh.polygons[i].vertices[0];
        const int r = first / cols;
        const int c = first % cols;
        const bool fine = i >= builder.coarseTriangles();
        const bool nearStep = std::abs(c - cols / 2) <= 30;
        if (fine) {
            EXPECT_TRUE(nearStep || r >= rows - 5 || c >= cols - 5) << "fine triangle far from the step at " << r << "," << c;
            if (c == cols / 2 - 1) fineRowsAtStep.insert(r);
        } else {
            // The derivative kernel reaches 3 cells: columns 57 to 62 stand out.
            EXPECT_FALSE(c >= cols / 2 - 3 && c <= cols / 2 + 2) << "coarse triangle anchored at the step: " << r << "," << c;
        }
    }
    EXPECT_EQ(fineRowsAtStep.size(), static_cast<size_t>(rows - 1)) << "every row is meshed finely at the step";
    EXPECT_GT(builder.coarseTriangles(), 0u);
}

TEST(AdaptiveMesh, HeightsAboveTheRangeAreRedAndCellsAtOrBelowItAreLeftOut) {
    cv::Mat z(12, 24, CV_32FC1, cv::Scalar(1.0f));
    z.at<float>(4, 10) = 5.0f;   // above zMax: meshed, red   (meshed cell (4, 5))
    z.at<float>(4, 11) = 5.0f;
    z.at<float>(8, 2) = kNull;   // no measurement           (meshed cell (8, 1))
    z.at<float>(8, 3) = kNull;
    z.at<float>(2, 16) = 0.0f;   // at zMin                  (meshed cell (2, 8))
    z.at<float>(2, 17) = 0.0f;
    AdaptiveMeshBuilder builder(kRate);
    pcl::PolygonMesh mesh;
    ASSERT_TRUE(builder.build(kxCloud(z, 1.0f, 1.0f, 0.0f, 2.0f, kNull), 0.0f, mesh));
    const int w = builder.columns();
    const auto points = meshPoints(mesh);
    const pcl::PointXYZRGBA& high = points[static_cast<size_t>(4 * w + 5)];
    EXPECT_FLOAT_EQ(high.z, 5.0f);
    EXPECT_EQ(high.r, 255);
    EXPECT_EQ(high.g, 1);
    EXPECT_EQ(high.b, 0);
    std::set<int> used;
    for (const pcl::Vertices& t : mesh.polygons) used.insert(t.vertices.begin(), t.vertices.end());
    EXPECT_EQ(used.count(4 * w + 5), 1u) << "a height above the range is meshed";
    EXPECT_EQ(used.count(8 * w + 1), 0u) << "a null height is not";
    EXPECT_EQ(used.count(2 * w + 8), 0u) << "a height at zMin is not";
    EXPECT_EQ(used.count(0), 1u);
}

TEST(AdaptiveMesh, NothingToDrawWithoutHeightsAndNoThrowOnTheSmallestGrids) {
    AdaptiveMeshBuilder builder(kRate);
    pcl::PolygonMesh mesh;
    EXPECT_FALSE(builder.build(kxCloud(), 0.5f, mesh));
    EXPECT_TRUE(mesh.polygons.empty());
    // One column halved, a short batch thinned hard: one meshed column or
    // row, no triangles, no exception.
    ASSERT_TRUE(builder.build(flatCloud(8, 1, 1.0f), 0.0f, mesh));
    EXPECT_EQ(builder.columns(), 1);
    EXPECT_TRUE(mesh.polygons.empty());
    ASSERT_TRUE(builder.build(flatCloud(3, 4096, 1.0f), 0.01f, mesh));
    EXPECT_EQ(builder.rows(), 1);
    EXPECT_TRUE(mesh.polygons.empty());
    EXPECT_EQ(mesh.cloud.width, static_cast<uint32_t>(builder.columns()));
}

TEST(AdaptiveMesh, ThreadsBuildTheSameMeshAsOne) {
    // A grid large enough to be split into bands of rows: a slope, a raised
    // block, scattered and patched dropouts.
    cv::Mat z(700, 1300, CV_32FC1);
    for (int r = 0; r < z.rows; ++r)
        for (int c = 0; c < z.cols; ++c) z.at<float>(r, c) = 0.001f * c + 0.002f * r + ((r * 7 + c * 13) % 17 == 0 ? 0.3f : 0.0f);
    z(cv::Rect(300, 200, 400, 250)) += 1.0f;
    for (int i = 0; i < 400; ++i) z.at<float>((i * 97) % z.rows, (i * 389) % z.cols) = kNull;
    z(cv::Rect(900, 100, 30, 500)).setTo(kNull);
    const kxCloud cloud(z, 0.1f, 0.1f, -1.0f, 4.0f, kNull);

    AdaptiveMeshBuilder one(kRate);
    one.setMaxThreads(1);
    pcl::PolygonMesh single;
    ASSERT_TRUE(one.build(cloud, 0.0f, single));
    AdaptiveMeshBuilder several(kRate);
    several.setMaxThreads(8);
    pcl::PolygonMesh split;
    ASSERT_TRUE(several.build(cloud, 0.0f, split));
    ASSERT_GT(one.coarseTriangles(), 1000u);
    ASSERT_GT(one.fineTriangles(), 1000u);
    EXPECT_EQ(several.coarseTriangles(), one.coarseTriangles());
    EXPECT_EQ(several.fineTriangles(), one.fineTriangles());
    ASSERT_EQ(split.polygons.size(), single.polygons.size());
    for (size_t i = 0; i < single.polygons.size(); ++i)
        ASSERT_EQ(split.polygons[i].vertices, single.polygons[i].vertices) << "triangle " << i;
    EXPECT_EQ(split.cloud.data, single.cloud.data);
}

TEST(AdaptiveMesh, XyScaleThinsTheGridBeforeTheHalving) {
    AdaptiveMeshBuilder builder(kRate);
    pcl::PolygonMesh mesh;
    ASSERT_TRUE(builder.build(flatCloud(40, 80, 1.0f), 0.5f, mesh));
    EXPECT_EQ(builder.rows(), 20);
    EXPECT_EQ(builder.columns(), 20);
    const auto points = meshPoints(mesh);
    EXPECT_FLOAT_EQ(points[1].x, 2 * (0.5f / 0.5f));
    EXPECT_FLOAT_EQ(points[static_cast<size_t>(builder.columns())].y, -(0.25f / 0.5f));
}

TEST(ViewPoints, KeepsHeightsAboveZMinUpToZMaxThatAreNotNull) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        float height;
        bool kept;
    } cases[] = {
        {"null", kNull, false},     {"below zMin", -1.5f, false}, {"at zMin", -1.0f, false},
        {"above zMin", -0.999f, true}, {"inside", 0.5f, true},    {"at zMax", 2.0f, true},
        {"above zMax", 2.001f, false}, {"not a number", nan, false},
    };
    for (const Case& c : cases) {
        cv::Mat z(2, 3, CV_32FC1, cv::Scalar(kNull));
        z.at<float>(1, 2) = c.height;
        const auto points = buildViewPoints(kxCloud(z, 0.5f, 0.25f, -1.0f, 2.0f, kNull), 0.0f);
        ASSERT_EQ(points->size(), c.kept ? 1u : 0u) << c.name;
        if (!c.kept) continue;
        EXPECT_FLOAT_EQ((*points)[0].x, 2 * 0.5f) << c.name;
        EXPECT_FLOAT_EQ((*points)[0].y, -0.25f) << c.name;
        EXPECT_FLOAT_EQ((*points)[0].z, c.height) << c.name;
    }
}

TEST(ViewPoints, RowOrderFullSizeAtScaleZeroAndThinnedOtherwise) {
    cv::Mat z(4, 6, CV_32FC1);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) z.at<float>(r, c) = 0.1f * (r * 6 + c) + 0.05f;
    const kxCloud cloud(z, 1.0f, 2.0f, 0.0f, 10.0f, kNull);
    auto full = buildViewPoints(cloud, 0.0f);
    ASSERT_EQ(full->size(), 24u);
    EXPECT_FLOAT_EQ((*full)[7].x, 1.0f);
    EXPECT_FLOAT_EQ((*full)[7].y, -2.0f);
    EXPECT_FLOAT_EQ((*full)[7].z, 0.75f);
    EXPECT_EQ(buildViewPoints(cloud, 1e-8f)->size(), 24u) << "a scale of about 0 is the full cloud";
    auto half = buildViewPoints(cloud, 0.5f);
    ASSERT_EQ(half->size(), 6u);
    EXPECT_FLOAT_EQ((*half)[4].x, 2.0f) << "the thinned cloud's pitch";
    EXPECT_FLOAT_EQ((*half)[4].y, -4.0f);
    EXPECT_TRUE(buildViewPoints(kxCloud(), 0.5f)->empty());
    EXPECT_EQ(buildViewPoints(cloud, 0.01f)->size(), 1u) << "thinned to one cell, not to nothing";
}

}  // namespace
