#include "sensor_interface/processing/fixed_point.h"

#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/processing_types.h"

int interpolate_row_lut(const cv::Mat& rowTable, const double* rows, int firstColumn, int n,
                        double* out) {
    if (rowTable.rows == 0) {
        for (int i = 0; i < n; ++i) out[i] = kNoPeak;
        return 0;
    }
    frame_kernels().interpolateRows(rowTable.ptr<double>(0), static_cast<int>(rowTable.step1()),
                                    rowTable.rows, rowTable.cols, rows, firstColumn, n, out, kNoPeak);
    return 0;
}

void limit_distances(double* distances, int n, double lower, double upper) {
    frame_kernels().limitDistances(distances, n, lower, upper, kNoPeak);
}
