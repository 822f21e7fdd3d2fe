// The fixed-point path's row interpolation against the plain per-value form.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "sensor_interface/processing/fixed_point.h"
#include "tests/perf_regress/exactness_support.h"

namespace {

std::vector<double> reference_rows(const cv::Mat& table, const std::vector<double>& rows,
                                   int firstColumn) {
    std::vector<double> out(rows.size(), -1.0);
    for (size_t i = 0; i < rows.size(); ++i) {
        const double r = rows[i];
        const int column = firstColumn + static_cast<int>(i);
        if (!(r > 0.0) || column < 0 || column >= table.cols || r >= table.rows - 1) continue;
        const int c = static_cast<int>(r);
        out[i] = (r - c) * table.at<double>(c + 1, column) + (c + 1 - r) * table.at<double>(c, column);
    }
    return out;
}

TEST(RowTableExactness, MatchesThePlainFormOnRandomRowsAndTables) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 40; ++round) {
        const int tableRows = 1 + static_cast<int>(rng() % 60);
        const int tableColumns = 1 + static_cast<int>(rng() % 90);
        cv::Mat full(tableRows, tableColumns + 7, CV_64F);
        for (int r = 0; r < full.rows; ++r)
            for (int c = 0; c < full.cols; ++c) full.at<double>(r, c) = 1000.0 * unit(rng) - 500.0;
        // Every other round a view into a wider table, whose rows are not contiguous.
        const cv::Mat table = round % 2 ? full(cv::Rect(3, 0, tableColumns, tableRows))
                                        : full(cv::Rect(0, 0, tableColumns, tableRows)).clone();
        const int first = static_cast<int>(rng() % 40) - 10;
        std::vector<double> rows(1 + rng() % 120);
        for (double& r : rows) {
            const double kind = unit(rng);
            if (kind < 0.05) r = std::numeric_limits<double>::quiet_NaN();
            else if (kind < 0.1) r = -unit(rng);
            else if (kind < 0.15) r = static_cast<int>(rng() % (tableRows + 1));
            else if (kind < 0.2) r = tableRows - 1 - 1e-12;
            else r = unit(rng) * tableRows;
        }
        std::vector<double> out(rows.size());
        interpolate_row_lut(table, rows.data(), first, static_cast<int>(rows.size()), out.data());
        ASSERT_TRUE(perf_regress::same_bits(out, reference_rows(table, rows, first))) << round;
    }
}

}  // namespace
