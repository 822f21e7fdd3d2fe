#include "views/height/height_map_denoise.h"

#include <algorithm>
#include <cmath>

float refinementRate = 0.05f;

namespace {

bool isNull(float h, float nullValue, float tolerance) { return std::fabs(h - nullValue) <= tolerance; }

// One line of the grid (a row or a column) seen through a stride.
struct Line {
    float* data;
    int n;
    int stride;
    float& operator[](int i) const { return data[static_cast<std::ptrdiff_t>(i) * stride]; }
};

struct GapRules {
    int minRun;
    int maxGap;
    float slopeThreshold;
    float nullValue;
    double runEndTolerance;  // a point this close to nullValue ends a run
    bool clearOpenGaps;      // gaps at the start or reaching the end are cleared (x) or kept (y)
};

double coordinate(const std::vector<float>& coords, int i) {
    return i < static_cast<int>(coords.size()) ? coords[static_cast<size_t>(i)] : static_cast<double>(i);
}

// Removes short runs of valid points between gaps and fills the gaps that are
// short enough, scanning the line once.
void cleanGaps(const Line& line, const std::vector<float>& coords, const GapRules& rules) {
    const float nv = rules.nullValue;
    int j = 0;
    while (j < line.n) {
        if (!isNull(line[j], nv, 1e-6f)) {
            ++j;
            continue;
        }
        int a = j - 1;
        if (j <= rules.minRun) {
            // A leading run of at most minRun points is noise.
            for (int t = 0; t < j; ++t) line[t] = nv;
            a = -1;
        }
        // The gap ends at the first valid point that starts a run longer than minRun.
        bool ended = false;
        int b = j + 1;
        int e = line.n;
        while (b < line.n) {
            if (isNull(line[b], nv, 1e-6f)) {
                ++b;
                continue;
            }
            e = b + 1;
            while (e < line.n && std::fabs(line[e] - nv) > rules.runEndTolerance) ++e;
            if (e - b > rules.minRun) {
                ended = true;
                break;
            }
            b = e;  // a short run inside the gap: noise, the gap goes on
        }
        const int gapEnd = ended ? b : line.n;
        if (a == -1 || !ended || b - a > rules.maxGap) {
            if (rules.clearOpenGaps || (a != -1 && ended))
                for (int t = a + 1; t < gapEnd; ++t) line[t] = nv;
        } else {
            const double ha = line[a];
            const double hb = line[b];
            const double slope = std::fabs((hb - ha) / (coordinate(coords, b) - coordinate(coords, a)));
            if (slope < rules.slopeThreshold) {
                for (int t = a + 1; t < b; ++t)
                    line[t] = static_cast<float>(((b - t) * ha + (t - a) * hb) / (b - a));
            } else {
                const float higher = static_cast<float>(std::max(ha, hb));
                for (int t = a + 1; t < b; ++t) line[t] = higher;
            }
        }
        j = ended ? e : line.n;
    }
}

}  // namespace

void nullAwareMovingAverage(std::vector<float>& v, int window, float nullValue) {
    if (window % 2 != 0) ++window;
    const int n = static_cast<int>(v.size());
    // A window below 2 has no points to average.
    if (window < 2 || n < window) return;
    const int half = window / 2;
    const std::vector<float> in = v;  // every mean reads unsmoothed values
    auto at = [&](int i) { return in[static_cast<size_t>(std::clamp(i, 0, n - 1))]; };
    double sum = 0;
    int count = 0;
    auto add = [&](float x, int sign) {
        if (std::fabs(x - nullValue) > 1e-6f) {
            sum += sign * static_cast<double>(x);
            count += sign;
        }
    };
    for (int i = -half; i < half; ++i) add(at(i), +1);
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            add(at(i - half - 1), -1);
            add(at(i + half - 1), +1);
        }
        if (std::fabs(in[static_cast<size_t>(i)] - nullValue) > 1e-6f && count > 0)
            v[static_cast<size_t>(i)] = static_cast<float>(sum / count);
    }
}

void HeightMapDenoise(HeightGrid& grid, const std::vector<float>& xs, const std::vector<float>& ys, int window,
                      double k, double dz, int removeRadius, int minRun, int maxGap, float slopeThreshold,
                      float nullValue) {
    const int rows = static_cast<int>(grid.rows());
    const int cols = static_cast<int>(grid.cols());
    if (rows == 0 || cols == 0) return;

    const int w = std::min(window, rows);
    k = std::max(k, 0.0);
    dz = std::max(dz, 0.0);
    // Negative on grids under 4 rows or columns: then nothing around an outlier is cleared.
    removeRadius = std::min({std::max(removeRadius, 0), rows / 2 - 1, cols / 2 - 1});
    minRun = std::max(minRun, 0);
    maxGap = std::min(std::max(maxGap, 0), std::min(rows, cols));

    // 1. Outliers against the moving average of their column.
    const int smoothingWindow = w % 2 != 0 ? w + 1 : w;
    const bool smoothing = smoothingWindow >= 2 && rows >= smoothingWindow;
    std::vector<float> smoothed(static_cast<size_t>(rows));
    std::vector<float> residual(static_cast<size_t>(rows));
    for (int c = 0; smoothing && c < cols; ++c) {
        float* column = grid.col(c).data();
        smoothed.assign(column, column + rows);
        nullAwareMovingAverage(smoothed, w, nullValue);
        float sum = 0;
        for (int i = 0; i < rows; ++i) {
            const bool valid = !isNull(column[i], nullValue, 1e-6f);
            residual[static_cast<size_t>(i)] = valid ? std::fabs(column[i] - smoothed[static_cast<size_t>(i)]) : 0.0f;
            sum += residual[static_cast<size_t>(i)];
        }
        const float mean = sum / static_cast<float>(rows);
        float squares = 0;
        for (int i = 0; i < rows; ++i) {
            const float d = residual[static_cast<size_t>(i)] - mean;
            squares += d * d;
        }
        const float stddev = std::sqrt(squares / static_cast<float>(rows));
        const float threshold = static_cast<float>(static_cast<double>(stddev) * k + static_cast<double>(mean));
        for (int i = 0; i < rows; ++i) {
            const float e = residual[static_cast<size_t>(i)];
            // A point on its own average is no outlier, whatever the thresholds.
            if (e <= 0.0f || e < threshold || e < dz) continue;
            for (int r = std::max(0, i - removeRadius); r <= std::min(rows - 1, i + removeRadius); ++r)
                column[r] = nullValue;
        }
    }

    // 2. Gaps along x, row by row.
    const GapRules alongX{minRun, maxGap, slopeThreshold, nullValue, 0.1, true};
    for (int r = 0; r < rows; ++r) cleanGaps(Line{grid.data() + r, cols, rows}, xs, alongX);

    // 3. Gaps along y, column by column: gaps at either end of a column stay.
    const GapRules alongY{minRun, maxGap, slopeThreshold, nullValue, 1e-6, false};
    for (int c = 0; c < cols; ++c) cleanGaps(Line{grid.col(c).data(), rows, 1}, ys, alongY);
}
