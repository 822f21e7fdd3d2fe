#include "sensor_interface/processing/fixed_point.h"

#include "sensor_interface/processing/processing_types.h"

int interpolate_row_lut(const cv::Mat& rowTable, const double* rows, int firstColumn, int n,
                        double* out) {
    const int tableRows = rowTable.rows;
    const int tableColumns = rowTable.cols;
    if (tableRows == 0) {
        for (int i = 0; i < n; ++i) out[i] = kNoPeak;
        return 0;
    }
    // Addressed from the first row and the row step, not through ptr() per value.
    const double* table = rowTable.ptr<double>(0);
    const size_t rowStep = rowTable.step1();
    for (int i = 0; i < n; ++i) {
        const double r = rows[i];
        const int column = firstColumn + i;
        out[i] = kNoPeak;
        // The comparison also refuses NaN rows.
        if (!(r > 0.0) || column < 0 || column >= tableColumns) continue;
        if (r >= tableRows - 1) continue;
        const int c = static_cast<int>(r);
        const double* below = table + static_cast<size_t>(c) * rowStep + column;
        const double* above = below + rowStep;
        out[i] = (r - c) * *above + (c + 1 - r) * *below;
    }
    return 0;
}

void limit_distances(double* distances, int n, double lower, double upper) {
    for (int i = 0; i < n; ++i)
        if (distances[i] < lower || distances[i] > upper) distances[i] = kNoPeak;
}
