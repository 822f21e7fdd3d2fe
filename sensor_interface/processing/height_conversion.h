#pragma once
// Raw sensor words to distances, heights and x positions, and the calibration
// derived tables (row table, x grid and its alignment for narrow frames).
#include <cstdint>
#include <optional>
#include <string>

#include <opencv2/core/mat.hpp>

#include "sensor_interface/processing/processing_types.h"

// 16-bit words: distance = base - (raw - 32768) x scale; a word of 0 is noPeak.
// base is the distance of code 32768 (register 350 / 256), scale the distance
// of one code step (65536 / register 353).
void raw16_to_height(const uint16_t* raw, double* out, int n, double scale, double base,
                     double noPeak);
// 32-bit words: distance = (base - (raw - 2^31)) / 256; a word of 0 is noPeak.
// base is register 350.
void raw32_to_height(const uint32_t* raw, double* out, int n, double base, float noPeak);

// Distance to height (reference - distance) clipped to [lower, upper]; a
// distance of exactly noPeak, or a height outside the bounds, is invalid.
void distances_to_heights(double* z, int n, double reference, double lower, double upper);

// x of point i (camera column firstColumn + i) from its distance D:
// (a D^2 + b D + c) x (column - columns / 2) + (d D + e).
void compute_x_positions(double a, double b, double c, const double* dist, double* x,
                         int firstColumn, int n, double d, double e, int columns,
                         double invalid);

// coef[count - 1] + coef[count - 2] x + ... + coef[0] x^(count - 1).
double poly_eval(const double* coef, int count, double x);

// Entry (r, c) is column c's polynomial at integer row r, for kRowTableRows rows.
// Returns -1 and leaves out untouched for an empty table.
int build_row_lut(const CalibrationTable& table, cv::Mat& out);

// Why a calibration table cannot be a sensor's: a coefficient that is no
// finite number, or a row-table distance that is not, or is not above the
// distance of the row before it.
struct CalibrationFault {
    enum class Kind { CoefficientNotFinite, DistanceNotFinite, NotIncreasing };
    Kind kind;
    int column;  // camera column
    int index;   // the coefficient, or the camera row of the distance
};

// The first fault of a calibration table over the camera's first `columns`
// columns (the others are never read). Every coefficient must be finite. Where
// the table turns peak rows into distances (`peakRows`: the fixed-point heads),
// it is their height look-up table: each column's row-table distance must be
// finite and grow from row to row over the rows a peak can fall between,
// 0 to cameraRows. The distances are those build_row_lut gives.
std::optional<CalibrationFault> find_calibration_fault(const CalibrationTable& table, int columns,
                                                       int cameraRows, bool peakRows);
// "column <c>: coefficient <j> is not finite", "column <c>: distance at row
// <r> is not finite" or "column <c>: distance at row <r> is not above row <r - 1>".
std::string calibration_fault_text(const CalibrationFault& fault);

// Height step of one 16-bit output code: 256 / v (0 when v is 0).
double res16_step(int v);

// True for a table the processor can use: kCalibrationColumns columns of
// kCalibrationCoefficients coefficients each.
bool is_valid_calibration(const CalibrationTable& table);

// grid[i] = (first + i - points / 2) x pitch for i below count (and below points).
void build_x_grid(double* grid, int first, int count, int points, double pitch);

// Camera rows at which narrow frames are aligned to the calibration; only two
// models define them. Returns false (rows untouched) for every other model text.
bool reference_rows_for_model(const std::string& modelText, int* rowA, int* rowB);

// Narrow-frame alignment: shifts grid[0..count-1] so that the x of the frame's
// first and last camera columns at the two reference rows match the grid ends.
// xScale holds the three coefficients of the head's distance-to-x-scale
// polynomial. Frames that give no grid point, or whose columns lie outside the
// calibration table, are left alone.
void align_x_grid(double* grid, int count, const CalibrationTable& table, int firstColumn,
                  int lastColumn, int rowA, int rowB, const double xScale[3]);
