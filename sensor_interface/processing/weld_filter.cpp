#include "sensor_interface/processing/weld_filter.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include <opencv2/core.hpp>

#include "sensor_interface/log/log_manager.h"

namespace {

// Few values per column keep the estimate on the surface near the region's edge.
constexpr int kValuesPerColumn = 5;
constexpr float kInvalidHeight = -9999000.0f;
constexpr float kInvalidCode = 0.0f;
constexpr double kRowsPerMicrometre = 100.0;
constexpr double kInt32Min = -2147483648.0;
constexpr double kInt32Max = 2147483647.0;

int count_valid(const float* row, int cols, float invalid) {
    int valid = 0;
    for (int c = 0; c < cols; ++c) {
        if (row[c] > invalid) ++valid;
    }
    return valid;
}

// A run of rows walked column by column: first, first + step, ... (length rows).
struct RowWalk {
    int first;
    int step;
    int length;
};

RowWalk head_walk(const WeldRegions& regions) {
    return {regions.headStart, 1, std::max(0, regions.headEnd - regions.headStart)};
}

RowWalk tail_walk(const WeldRegions& regions) {
    return {regions.tailStart, -1, std::max(0, regions.tailStart - regions.tailEnd + 1)};
}

void collect_surface_values(const cv::Mat& heights, const RowWalk& walk, float invalid,
                            std::vector<float>& values) {
    for (int c = 0; c < heights.cols; ++c) {
        int taken = 0;
        for (int k = 0; k < walk.length && taken < kValuesPerColumn; ++k) {
            const float h = heights.at<float>(walk.first + k * walk.step, c);
            if (h > invalid) {
                values.push_back(h);
                ++taken;
            }
        }
    }
}

// Mean of the values between the 5 % and 95 % list positions, in collection
// order; not a number when nothing lies between them.
float trimmed_mean(const std::vector<float>& values) {
    const double n = static_cast<double>(values.size());
    float sum = 0.0f;
    float count = 0.0f;
    for (size_t i = static_cast<size_t>(std::trunc(n * 0.05)); static_cast<double>(i) < n * 0.95;
         ++i) {
        sum += values[i];
        count += 1.0f;
    }
    return count > 0.0f ? sum / count : std::nanf("");
}

void remove_spatter(cv::Mat& heights, cv::Mat* gray, const RowWalk& walk, float threshold,
                    float invalid) {
    if (std::isnan(threshold)) return;
    for (int c = 0; c < heights.cols; ++c) {
        int kept = 0;
        for (int k = 0; k < walk.length && kept < kValuesPerColumn; ++k) {
            const int r = walk.first + k * walk.step;
            float& h = heights.at<float>(r, c);
            if (!(h > invalid)) continue;
            if (h > threshold) {
                h = invalid;
                if (gray) gray->at<uint8_t>(r, c) = 0;
            } else {
                ++kept;
            }
        }
    }
}

}  // namespace

WeldFilterParams WeldFilterParams::fromRegisters(uint32_t r777, uint32_t r778, uint32_t r779,
                                                 uint32_t r785, bool codes) {
    const float scale = codes ? 0.1f : 1.0f;
    WeldFilterParams params;
    params.ishead = static_cast<int32_t>(r779);
    params.th_high = static_cast<float>(static_cast<int32_t>(r785)) / scale;
    params.max_valid_width = static_cast<int32_t>(r777);
    params.invalid = codes ? kInvalidCode : kInvalidHeight;
    params.gray_filter_en = r778 != 0;
    return params;
}

WeldRegions find_weld_regions(const float* heights, int rows, int cols, int maxValidWidth,
                              float invalid) {
    WeldRegions regions;
    regions.headEnd = rows - 1;
    bool headStartFound = false;
    for (int r = 0; r < rows; ++r) {
        const int valid = count_valid(heights + static_cast<size_t>(r) * cols, cols, invalid);
        if (valid > 0 && !headStartFound) {
            regions.headStart = r;
            headStartFound = true;
        }
        if (valid >= maxValidWidth) {
            regions.headEnd = r;
            break;
        }
    }

    regions.tailStart = rows - 1;
    regions.tailEnd = 0;
    bool tailStartFound = false;
    for (int r = rows - 1; r >= 0; --r) {
        const int valid = count_valid(heights + static_cast<size_t>(r) * cols, cols, invalid);
        if (valid >= maxValidWidth) {
            regions.tailEnd = r;
            break;
        }
        if (valid == 0 && !tailStartFound) {
            regions.tailStart = r;
            tailStartFound = true;
        }
    }
    return regions;
}

std::string weld_filter_log_line(int id, int rows, int cols, const WeldFilterParams& params) {
    std::ostringstream line;
    line << "weld filter[" << id << "]: rows " << rows << ", cols " << cols << ", ishead "
         << params.ishead << ", th_high " << params.th_high << ", max_valid_width "
         << params.max_valid_width << ", invalid " << params.invalid << ", gray_filter_en "
         << params.gray_filter_en;
    return line.str();
}

void weld_filter(int id, float* heights, uint8_t* gray, int rows, int cols,
                 const WeldFilterParams& params) {
    if (!heights) return;
    LogManager::instance().log(weld_filter_log_line(id, rows, cols, params), 2);
    if (rows <= 0 || cols <= 0) return;
    const bool doHead = params.ishead == 1 || params.ishead == 2;
    const bool doTail = params.ishead == 0 || params.ishead == 2;
    if (!doHead && !doTail) return;

    cv::Mat heightView(rows, cols, CV_32FC1, heights);
    cv::Mat grayView;
    if (params.gray_filter_en && gray) grayView = cv::Mat(rows, cols, CV_8UC1, gray);
    cv::Mat* grayTarget = grayView.empty() ? nullptr : &grayView;

    const WeldRegions regions =
        find_weld_regions(heights, rows, cols, params.max_valid_width, params.invalid);

    // With both ends cleaned the tail estimate includes the head's values.
    std::vector<float> surface;
    surface.reserve(static_cast<size_t>(cols) * kValuesPerColumn * (doHead && doTail ? 2 : 1));
    if (doHead) {
        const RowWalk walk = head_walk(regions);
        collect_surface_values(heightView, walk, params.invalid, surface);
        remove_spatter(heightView, grayTarget, walk, trimmed_mean(surface) + params.th_high,
                       params.invalid);
    }
    if (doTail) {
        const RowWalk walk = tail_walk(regions);
        collect_surface_values(heightView, walk, params.invalid, surface);
        remove_spatter(heightView, grayTarget, walk, trimmed_mean(surface) + params.th_high,
                       params.invalid);
    }
}

void weld_filter(int id, float* heights, uint8_t* gray, int rows, int cols, int ishead,
                 float th_high, int max_valid_width, float invalid, bool gray_filter_en) {
    WeldFilterParams params;
    params.ishead = ishead;
    params.th_high = th_high;
    params.max_valid_width = max_valid_width;
    params.invalid = invalid;
    params.gray_filter_en = gray_filter_en;
    weld_filter(id, heights, gray, rows, cols, params);
}

void weld_filter_batch_rows(int id, int32_t* rows, uint8_t* gray, int frames, int points, bool codes,
                            const WeldFilterParams* weld) {
    if (!rows || frames <= 0 || points <= 0) return;
    const size_t total = static_cast<size_t>(frames) * static_cast<size_t>(points);
    const double scale = codes ? 1.0 : kRowsPerMicrometre;
    std::vector<float> heights(total);
    for (size_t i = 0; i < total; ++i) heights[i] = static_cast<float>(rows[i] / scale);
    if (weld) weld_filter(id, heights.data(), gray, frames, points, *weld);
    for (size_t i = 0; i < total; ++i) {
        const double value = std::round(static_cast<double>(heights[i]) * scale);
        rows[i] = static_cast<int32_t>(std::clamp(value, kInt32Min, kInt32Max));
    }
}
