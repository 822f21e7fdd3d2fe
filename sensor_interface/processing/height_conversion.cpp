#include "sensor_interface/processing/height_conversion.h"

#include <algorithm>
#include <cmath>

#include "sensor_interface/processing/frame_kernels.h"

void raw16_to_height(const uint16_t* raw, double* out, int n, double scale, double base,
                     double noPeak) {
    frame_kernels().raw16ToDistances(raw, out, n, scale, base, noPeak);
}

void raw32_to_height(const uint32_t* raw, double* out, int n, double base, float noPeak) {
    frame_kernels().raw32ToDistances(raw, out, n, base, static_cast<double>(noPeak));
}

void distances_to_heights(double* z, int n, double reference, double lower, double upper) {
    frame_kernels().clipHeights(z, n, reference, lower, upper, kNoPeak, kInvalidHeight);
}

void compute_x_positions(double a, double b, double c, const double* dist, double* x,
                         int firstColumn, int n, double d, double e, int columns,
                         double invalid) {
    const double coef[5] = {a, b, c, d, e};
    frame_kernels().xPositions(dist, x, n, firstColumn - columns / 2, coef, invalid);
}

double poly_eval(const double* coef, int count, double x) {
    double sum = 0.0;
    double power = 1.0;
    for (int k = count - 1; k >= 0; --k) {
        sum += coef[k] * power;
        power *= x;
    }
    return sum;
}

namespace {

// The powers of one row are shared by every column: computed once per row with
// the same double power the per-entry formula uses.
void row_powers(int r, std::vector<double>& powers) {
    for (size_t p = 0; p < powers.size(); ++p)
        powers[p] = std::pow(static_cast<double>(r), static_cast<double>(p));
}

// A column's polynomial at the row whose powers are given.
double row_value(const std::vector<double>& coef, const std::vector<double>& powers) {
    const size_t k = coef.size();
    double sum = 0.0;
    for (size_t j = 0; j < k; ++j) sum += coef[j] * powers[k - 1 - j];
    return sum;
}

size_t most_coefficients(const CalibrationTable& table) {
    size_t most = 0;
    for (const auto& coef : table) most = std::max(most, coef.size());
    return most;
}

}  // namespace

int build_row_lut(const CalibrationTable& table, cv::Mat& out) {
    if (table.empty()) return -1;
    const int columns = static_cast<int>(table.size());
    cv::Mat result(kRowTableRows, columns, CV_64F);
    std::vector<double> powers(most_coefficients(table));
    for (int r = 0; r < kRowTableRows; ++r) {
        row_powers(r, powers);
        double* row = result.ptr<double>(r);
        for (int c = 0; c < columns; ++c) row[c] = row_value(table[c], powers);
    }
    out = result;
    return 0;
}

std::optional<CalibrationFault> find_calibration_fault(const CalibrationTable& table, int columns,
                                                       int cameraRows, bool peakRows) {
    columns = std::clamp(columns, 0, static_cast<int>(table.size()));
    for (int c = 0; c < columns; ++c) {
        const auto& coef = table[c];
        for (size_t j = 0; j < coef.size(); ++j)
            if (!std::isfinite(coef[j]))
                return CalibrationFault{CalibrationFault::Kind::CoefficientNotFinite, c, static_cast<int>(j)};
    }
    if (!peakRows || columns == 0) return std::nullopt;
    const int lastRow = std::clamp(cameraRows, 0, kRowTableRows - 1);
    std::vector<double> powers(most_coefficients(table));
    std::vector<double> previous(static_cast<size_t>(columns));
    for (int r = 0; r <= lastRow; ++r) {
        row_powers(r, powers);
        for (int c = 0; c < columns; ++c) {
            const double distance = row_value(table[c], powers);
            if (!std::isfinite(distance)) return CalibrationFault{CalibrationFault::Kind::DistanceNotFinite, c, r};
            if (r > 0 && distance <= previous[c]) return CalibrationFault{CalibrationFault::Kind::NotIncreasing, c, r};
            previous[c] = distance;
        }
    }
    return std::nullopt;
}

std::string calibration_fault_text(const CalibrationFault& fault) {
    const std::string column = "column " + std::to_string(fault.column) + ": ";
    const std::string row = "distance at row " + std::to_string(fault.index);
    switch (fault.kind) {
    case CalibrationFault::Kind::CoefficientNotFinite:
        return column + "coefficient " + std::to_string(fault.index) + " is not finite";
    case CalibrationFault::Kind::DistanceNotFinite: return column + row + " is not finite";
    case CalibrationFault::Kind::NotIncreasing: break;
    }
    return column + row + " is not above row " + std::to_string(fault.index - 1);
}

double res16_step(int v) { return v == 0 ? 0.0 : 256.0 / v; }

bool is_valid_calibration(const CalibrationTable& table) {
    if (static_cast<int>(table.size()) != kCalibrationColumns) return false;
    return std::all_of(table.begin(), table.end(), [](const std::vector<double>& coef) {
        return static_cast<int>(coef.size()) == kCalibrationCoefficients;
    });
}

void build_x_grid(double* grid, int first, int count, int points, double pitch) {
    const int centre = points / 2;
    const int end = std::min(count, points);
    for (int i = 0; i < end; ++i) grid[i] = static_cast<double>(first + i - centre) * pitch;
}

bool reference_rows_for_model(const std::string& modelText, int* rowA, int* rowB) {
    if (modelText != "ZP5600" && modelText != "ZP51200") return false;
    *rowA = 320;
    *rowB = 895;
    return true;
}

void align_x_grid(double* grid, int count, const CalibrationTable& table, int firstColumn,
                  int lastColumn, int rowA, int rowB, const double xScale[3]) {
    const int columns = static_cast<int>(table.size());
    if (count <= 0 || firstColumn < 0 || lastColumn < firstColumn || lastColumn >= columns)
        return;
    const auto& coefFirst = table[firstColumn];
    const auto& coefLast = table[lastColumn];
    if (static_cast<int>(coefFirst.size()) < kCalibrationCoefficients ||
        static_cast<int>(coefLast.size()) < kCalibrationCoefficients)
        return;

    // The calibration's centre column is fixed, whatever the model's width.
    constexpr int kCentreColumn = 1024;
    bool anyZero = false;
    auto endOffsets = [&](int row) {
        const double pFirst = poly_eval(coefFirst.data(), kCalibrationCoefficients, row);
        const double pLast = poly_eval(coefLast.data(), kCalibrationCoefficients, row);
        anyZero = anyZero || pFirst == 0.0 || pLast == 0.0;
        const double xFirst = poly_eval(xScale, 3, pFirst) * (firstColumn - kCentreColumn);
        const double xLast = poly_eval(xScale, 3, pLast) * (lastColumn - kCentreColumn);
        return ((xFirst - grid[0]) + (xLast - grid[count - 1])) * 0.5;
    };
    const double offsetB = endOffsets(rowB);
    const double offsetA = endOffsets(rowA);
    if (anyZero) return;
    const double shift = (offsetB + offsetA) * 0.5;
    for (int i = 0; i < count; ++i) grid[i] += shift;
}
