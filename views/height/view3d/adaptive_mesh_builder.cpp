#include "views/height/view3d/adaptive_mesh_builder.h"

#include <cstring>

#include <opencv2/imgproc.hpp>
#include <pcl/conversions.h>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "views/height/view3d/cloud_filters.h"
#include "views/height/view3d/height_color_ramp.h"
#include "views/height/view3d/view_points.h"

using kx::common::kxCloud;

namespace {

// The cells whose gradients stand out (m3) and the wider band around them
// that is meshed finely (m9).
struct RefinementMasks {
    cv::Mat m3;
    cv::Mat m9;
};

RefinementMasks refinementMasks(const cv::Mat& heights, float rate) {
    cv::Mat gx;
    cv::Mat gy;
    derivativeFilter(heights, gx, 1, 0);
    derivativeFilter(heights, gy, 0, 1);
    const cv::Mat weights = cv::Mat::ones(heights.size(), CV_32FC1);
    const cv::Mat zeros8 = cv::Mat::zeros(heights.size(), CV_8UC1);
    cv::Mat mx;
    cv::Mat my;
    gradientOutlierMask(gx, weights, zeros8, mx, rate);
    gradientOutlierMask(gy, weights, zeros8, my, rate);
    cv::Mat both;
    cv::add(mx, my, both);  // saturating
    RefinementMasks masks;
    cv::dilate(both, masks.m3, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));
    cv::dilate(masks.m3, masks.m9, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(9, 9)));
    return masks;
}

// One point per cell, row after row, written straight into the mesh's cloud.
void writePoints(const cv::Mat& heights, float xStep, float yStep, float zMin, float zMax, pcl::PCLPointCloud2& out) {
    pcl::toPCLPointCloud2(pcl::PointCloud<pcl::PointXYZRGBA>(), out);  // fields and point step
    const size_t count = heights.total();
    out.width = static_cast<uint32_t>(count);
    out.height = 1;
    out.row_step = out.point_step * out.width;
    out.is_dense = true;
    out.data.resize(static_cast<size_t>(out.row_step));
    const auto& ramp = heightColorRamp();
    uint8_t* dst = out.data.data();
    for (int r = 0; r < heights.rows; ++r) {
        const float* row = heights.ptr<float>(r);
        const float y = -(static_cast<float>(r) * yStep);
        for (int c = 0; c < heights.cols; ++c) {
            pcl::PointXYZRGBA p;
            p.x = static_cast<float>(c) * xStep;
            p.y = y;
            p.z = row[c];
            const RampColor& colour = ramp[static_cast<size_t>(rampIndex(row[c], zMin, zMax))];
            p.r = colour.red;
            p.g = colour.green;
            p.b = colour.blue;
            p.a = 255;
            std::memcpy(dst, &p, sizeof(p));
            dst += out.point_step;
        }
    }
}

void addTriangle(std::vector<pcl::Vertices>& polygons, pcl::index_t a, pcl::index_t b, pcl::index_t c) {
    polygons.emplace_back();
    polygons.back().vertices = {a, b, c};
}

}  // namespace

AdaptiveMeshBuilder::AdaptiveMeshBuilder(float rate) : rate_(rate) {}

bool AdaptiveMeshBuilder::build(const kxCloud& cloud, float xyScale, pcl::PolygonMesh& mesh) {
    mesh = pcl::PolygonMesh();
    rows_ = columns_ = 0;
    coarse_ = fine_ = 0;
    kxCloud thinned;
    if (!thinnedCloud(cloud, xyScale, thinned) || thinned.z.type() != CV_32FC1) return false;

    cv::Mat heights;
    resizeKeepingOneCell(thinned.z, heights, 0.5, 1.0);
    const int rows = heights.rows;
    const int cols = heights.cols;
    rows_ = rows;
    columns_ = cols;
    const RefinementMasks masks = refinementMasks(heights, rate_);

    writePoints(heights, 2 * thinned.xPitch, thinned.yPitch, cloud.zMin, cloud.zMax, mesh.cloud);

    const float validAbove = thinned.zMin;
    auto index = [cols](int r, int c) { return static_cast<pcl::index_t>(r * cols + c); };
    auto valid = [&heights, validAbove](int r, int c) { return heights.at<float>(r, c) > validAbove; };
    std::vector<pcl::Vertices>& polygons = mesh.polygons;
    if (rows > 1 && cols > 1) polygons.reserve(static_cast<size_t>(rows - 1) * static_cast<size_t>(cols - 1));

    constexpr int s = kCoarseStep;
    for (int r = 0; r <= rows - s - 1; r += s) {
        const uint8_t* m3 = masks.m3.ptr<uint8_t>(r);
        for (int c = 0; c < cols - s; c += s) {
            if (m3[c] != 0) continue;
            if (valid(r, c) && valid(r, c + s) && valid(r + s, c)) {
                addTriangle(polygons, index(r, c), index(r, c + s), index(r + s, c));
                ++coarse_;
            }
            if (valid(r, c + s) && valid(r + s, c) && valid(r + s, c + s)) {
                addTriangle(polygons, index(r, c + s), index(r + s, c), index(r + s, c + s));
                ++coarse_;
            }
        }
    }
    for (int r = 0; r < rows - 1; ++r) {
        const uint8_t* m9 = masks.m9.ptr<uint8_t>(r);
        const bool edgeRow = r >= rows - s;
        for (int c = 0; c < cols - 1; ++c) {
            if (m9[c] == 0 && !edgeRow && c < cols - s) continue;
            if (valid(r, c) && valid(r, c + 1) && valid(r + 1, c)) {
                addTriangle(polygons, index(r, c), index(r, c + 1), index(r + 1, c));
                ++fine_;
            }
            if (valid(r, c + 1) && valid(r + 1, c) && valid(r + 1, c + 1)) {
                addTriangle(polygons, index(r, c + 1), index(r + 1, c), index(r + 1, c + 1));
                ++fine_;
            }
        }
    }
    return true;
}
