#pragma once
// Values shared by every profile processing stage.
#include <cmath>
#include <vector>

// A point without a usable height, in micrometres.
constexpr double kInvalidHeight = -9999000.0;
// Distance given to a column whose camera saw no laser peak.
constexpr double kNoPeak = -1.0;
// How close to kInvalidHeight a value must lie to count as invalid. The gap and
// fold repairs compare with the single-precision bound, the other stages with
// the double one; the difference only matters for values nobody produces.
constexpr double kInvalidTolerance = 0.000001;
constexpr double kInvalidToleranceF = static_cast<double>(0.000001f);

// One polynomial per camera column, highest power first.
using CalibrationTable = std::vector<std::vector<double>>;
constexpr int kCalibrationColumns = 2048;
constexpr int kCalibrationCoefficients = 10;
// The row table covers this many camera rows whatever the model.
constexpr int kRowTableRows = 1216;

inline bool is_invalid_height(double h, double invalid = kInvalidHeight,
                              double tolerance = kInvalidTolerance) {
    return std::fabs(h - invalid) < tolerance;
}
