#include "views/height/view3d/batch_cloud.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "sensor_client/linelaser_client.h"
#include "views/height/height_map_denoise.h"

using kx::common::kxCloud;

namespace {

constexpr int kYIntervalEnableRegister = 283;
constexpr int kYIntervalRegister = 284;

float profileDistance(LinelaserClient& client) {
    if (client.cachedRegister(kYIntervalEnableRegister) == 1)
        return static_cast<float>(client.cachedRegister(kYIntervalRegister) / 100000.0);
    return static_cast<float>(client.yPitch());
}

// Rows [0, P) of the batch as floats, P read under the lock: only the rows
// of the current batch, never the older rows the buffers still hold.
cv::Mat copyBatchRows(LinelaserClient& client, int points, float null) {
    std::lock_guard<std::mutex> lock(client.batchMutex);
    const int rows = std::min<long>(client.batchProfileCount.load(), static_cast<long>(client.batchHeights.size()));
    if (rows < 1) return cv::Mat();
    cv::Mat grid(rows, points, CV_32FC1);
    for (int r = 0; r < rows; ++r) {
        const std::vector<double>& source = client.batchHeights[static_cast<size_t>(r)];
        float* row = grid.ptr<float>(r);
        const int n = std::min(points, static_cast<int>(source.size()));
        for (int c = 0; c < n; ++c) row[c] = static_cast<float>(source[static_cast<size_t>(c)]);
        std::fill(row + n, row + points, null);
    }
    return grid;
}

void denoise(cv::Mat& grid, const DenoiseParams& p, float xPitch, float yPitch, float null) {
    const int rows = grid.rows;
    const int cols = grid.cols;
    std::vector<float> xs(static_cast<size_t>(cols));
    for (int j = 0; j < cols; ++j) xs[static_cast<size_t>(j)] = j * xPitch - (cols - 1) * xPitch * 0.5f;
    std::vector<float> ys(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) ys[static_cast<size_t>(i)] = i * yPitch;
    HeightGrid matrix(rows, cols);
    for (int i = 0; i < rows; ++i) {
        const float* row = grid.ptr<float>(i);
        for (int j = 0; j < cols; ++j) matrix(i, j) = row[j];
    }
    HeightMapDenoise(matrix, xs, ys, static_cast<int>(p.window), p.k, p.dz, static_cast<int>(p.removeRadius),
                     static_cast<int>(p.minRun), static_cast<int>(p.maxGap), static_cast<float>(p.slopeThreshold),
                     null);
    for (int i = 0; i < rows; ++i) {
        float* row = grid.ptr<float>(i);
        for (int j = 0; j < cols; ++j) row[j] = matrix(i, j);
    }
}

}  // namespace

bool cloudFromBatch(LinelaserClient& client, const View3dParams& params, kxCloud& cloud) {
    if (client.batchProfileCount.load() < 1) return false;
    const int points = client.profilePointCount();
    if (points < 1) return false;
    const float xPitch = static_cast<float>(client.xPitchMm);
    const float yPitch = profileDistance(client);
    const float null = static_cast<float>(client.zNullValueMM());
    cv::Mat grid = copyBatchRows(client, points, null);
    if (grid.empty()) return false;

    const int multiplier = params.zMultiplier;
    // An empty stored range (both 0 until the range dialog was used) would
    // give every height one colour: the sensor's own range stands in for it.
    const bool emptyRange = !(client.displayRange.viewMax > client.displayRange.viewMin);
    const double low = emptyRange ? client.zLowerMm : client.displayRange.viewMin;
    const double high = emptyRange ? client.zUpperMm : client.displayRange.viewMax;
    const float zLow = static_cast<float>(low) * multiplier;
    const float zHigh = static_cast<float>(high) * multiplier;
    if (params.denoise.enabled) denoise(grid, params.denoise, xPitch, yPitch, null);
    // Null heights are multiplied too: they stay far below the range.
    if (multiplier != 1) grid *= multiplier;
    cloud = kxCloud(grid, xPitch, yPitch, zLow, zHigh, null);
    return true;
}
