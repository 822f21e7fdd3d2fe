#include "views/height/view3d/adaptive_mesh_builder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include <opencv2/imgproc.hpp>
#include <pcl/conversions.h>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "platform/thread_start.h"
#include "views/height/cloud/point_conversion.h"
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

// Runs work(band, firstRow, endRow) over `bands` contiguous bands of rows,
// each on a thread of its own (one band: on this thread), and joins them.
// Large meshes take most of their time filling fresh memory, which several
// threads do much faster than one.
template <class Work>
void forRowBands(int rows, int bands, const Work& work) {
    if (bands <= 1) {
        work(0, 0, rows);
        return;
    }
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(bands));
    for (int b = 0; b < bands; ++b) {
        const int first = static_cast<int>(static_cast<int64_t>(rows) * b / bands);
        const int end = static_cast<int>(static_cast<int64_t>(rows) * (b + 1) / bands);
        threads.push_back(mirevo::platform::startThread([&work, b, first, end] { work(b, first, end); }));
    }
    for (std::thread& t : threads) t.join();
}

int bandsFor(size_t cells, int maxThreads) {
    if (cells < 200000) return 1;
    const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    return maxThreads > 0 ? std::min(maxThreads, cores) : cores;
}

constexpr size_t kColourOffset = offsetof(pcl::PointXYZRGBA, rgba);

// One point per cell, row after row, written straight into the mesh's cloud.
void writePoints(const cv::Mat& heights, float xStep, float yStep, float zMin, float zMax, int bands,
                 pcl::PCLPointCloud2& out) {
    pcl::toPCLPointCloud2(pcl::PointCloud<pcl::PointXYZRGBA>(), out);  // fields and point step
    const size_t count = heights.total();
    out.width = static_cast<uint32_t>(count);
    out.height = 1;
    out.row_step = out.point_step * out.width;
    out.is_dense = true;
    out.data.clear();
    out.data.reserve(static_cast<size_t>(out.row_step));
    kx::common::conversion::adviseHugePages(out.data.data(), out.data.capacity());
    out.data.resize(static_cast<size_t>(out.row_step));
    const auto& ramp = heightColorRamp();
    const size_t step = out.point_step;
    uint8_t* data = out.data.data();
    forRowBands(heights.rows, bands, [&](int, int first, int end) {
        uint8_t* dst = data + static_cast<size_t>(first) * static_cast<size_t>(heights.cols) * step;
        for (int r = first; r < end; ++r) {
            const float* row = heights.ptr<float>(r);
            const float y = -(static_cast<float>(r) * yStep);
            for (int c = 0; c < heights.cols; ++c) {
                // x, y, z (and PCL's 1 beside them), then the colour; the
                // padding of the point type stays zero.
                const float position[4] = {static_cast<float>(c) * xStep, y, row[c], 1.0f};
                const RampColor& colour = ramp[static_cast<size_t>(rampIndex(row[c], zMin, zMax))];
                const uint32_t rgba = 0xff000000u | uint32_t{colour.red} << 16 | uint32_t{colour.green} << 8 | colour.blue;
                std::memcpy(dst, position, sizeof(position));
                std::memcpy(dst + kColourOffset, &rgba, sizeof(rgba));
                dst += step;
            }
        }
    });
}

// The meshed grid and the rules of its triangles.
struct MeshGrid {
    const cv::Mat& heights;
    const RefinementMasks& masks;
    float validAbove;  // heights above it are valid
    int rows;
    int cols;

    bool valid(int r, int c) const { return heights.ptr<float>(r)[c] > validAbove; }
    pcl::index_t index(int r, int c) const { return static_cast<pcl::index_t>(r * cols + c); }

    // Coarse pairs anchored at rows 0, 5, ... (up to rows - 6) of [first, end)
    // and columns 0, 5, ... below cols - 5, where m3 is 0.
    template <class Emit>
    void coarse(int first, int end, const Emit& emit) const {
        constexpr int s = AdaptiveMeshBuilder::kCoarseStep;
        const int last = std::min(end - 1, rows - s - 1);
        for (int r = (first + s - 1) / s * s; r <= last; r += s) {
            const uint8_t* m3 = masks.m3.ptr<uint8_t>(r);
            for (int c = 0; c < cols - s; c += s) {
                if (m3[c] != 0) continue;
                if (valid(r, c) && valid(r, c + s) && valid(r + s, c)) emit(index(r, c), index(r, c + s), index(r + s, c));
                if (valid(r, c + s) && valid(r + s, c) && valid(r + s, c + s))
                    emit(index(r, c + s), index(r + s, c), index(r + s, c + s));
            }
        }
    }

    // Fine pairs of single cells in rows [first, end) below rows - 1, where m9
    // is set or in the last 5 rows and columns.
    template <class Emit>
    void fine(int first, int end, const Emit& emit) const {
        constexpr int s = AdaptiveMeshBuilder::kCoarseStep;
        for (int r = first; r < std::min(end, rows - 1); ++r) {
            const uint8_t* m9 = masks.m9.ptr<uint8_t>(r);
            const bool edgeRow = r >= rows - s;
            for (int c = 0; c < cols - 1; ++c) {
                if (m9[c] == 0 && !edgeRow && c < cols - s) continue;
                if (valid(r, c) && valid(r, c + 1) && valid(r + 1, c)) emit(index(r, c), index(r, c + 1), index(r + 1, c));
                if (valid(r, c + 1) && valid(r + 1, c) && valid(r + 1, c + 1))
                    emit(index(r, c + 1), index(r + 1, c), index(r + 1, c + 1));
            }
        }
    }
};

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

    const int bands = bandsFor(heights.total(), maxThreads_);
    writePoints(heights, 2 * thinned.xPitch, thinned.yPitch, cloud.zMin, cloud.zMax, bands, mesh.cloud);

    // The triangles go coarse first, then fine, each in row order: count
    // them per band of rows, then let every band fill its own slices.
    const MeshGrid grid{heights, masks, thinned.zMin, rows, cols};
    std::vector<size_t> coarseCount(static_cast<size_t>(bands), 0);
    std::vector<size_t> fineCount(static_cast<size_t>(bands), 0);
    forRowBands(rows, bands, [&](int b, int first, int end) {
        size_t n = 0;
        grid.coarse(first, end, [&n](pcl::index_t, pcl::index_t, pcl::index_t) { ++n; });
        coarseCount[static_cast<size_t>(b)] = n;
        n = 0;
        grid.fine(first, end, [&n](pcl::index_t, pcl::index_t, pcl::index_t) { ++n; });
        fineCount[static_cast<size_t>(b)] = n;
    });
    std::vector<size_t> coarseAt(static_cast<size_t>(bands), 0);
    std::vector<size_t> fineAt(static_cast<size_t>(bands), 0);
    for (size_t b = 0; b < static_cast<size_t>(bands); ++b) {
        if (b > 0) coarseAt[b] = coarseAt[b - 1] + coarseCount[b - 1];
        coarse_ += coarseCount[b];
    }
    for (size_t b = 0; b < static_cast<size_t>(bands); ++b) {
        fineAt[b] = b > 0 ? fineAt[b - 1] + fineCount[b - 1] : coarse_;
        fine_ += fineCount[b];
    }

    std::vector<pcl::Vertices>& polygons = mesh.polygons;
    const size_t cells = rows > 1 && cols > 1 ? static_cast<size_t>(rows - 1) * static_cast<size_t>(cols - 1) : 0;
    polygons.reserve(std::max(cells, coarse_ + fine_));
    kx::common::conversion::adviseHugePages(polygons.data(), polygons.capacity() * sizeof(pcl::Vertices));
    polygons.resize(coarse_ + fine_);
    forRowBands(rows, bands, [&](int b, int first, int end) {
        pcl::Vertices* out = polygons.data() + coarseAt[static_cast<size_t>(b)];
        auto put = [&out](pcl::index_t p, pcl::index_t q, pcl::index_t r) { (out++)->vertices = {p, q, r}; };
        grid.coarse(first, end, put);
        out = polygons.data() + fineAt[static_cast<size_t>(b)];
        grid.fine(first, end, put);
    });
    return true;
}
