#include "sensor_interface/processing/fixed_point.h"

#include <limits>

#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/processing_types.h"

int interpolate_row_lut(const cv::Mat& rowTable, const double* rows, int firstColumn, int n,
                        double* out) {
    constexpr double kEndless = std::numeric_limits<double>::infinity();
    interpolate_row_lut_limited(rowTable, rows, firstColumn, n, -kEndless, kEndless, out);
    return 0;
}

void interpolate_row_lut_limited(const cv::Mat& rowTable, const double* rows, int firstColumn, int n,
                                 double lower, double upper, double* out) {
    if (rowTable.rows == 0) {
        for (int i = 0; i < n; ++i) out[i] = kNoPeak;
        return;
    }
    frame_kernels().interpolateRows(rowTable.ptr<double>(0), static_cast<int>(rowTable.step1()),
                                    rowTable.rows, rowTable.cols, rows, firstColumn, n, out, kNoPeak,
                                    lower, upper);
}

void limit_distances(double* distances, int n, double lower, double upper) {
    frame_kernels().limitDistances(distances, n, lower, upper, kNoPeak);
}
