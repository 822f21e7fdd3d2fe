#pragma once
// Frames of fixed-point sensors carry, per column, the fractional camera row of
// the laser peak (16 fraction bits) instead of a distance; the calibration's
// row table turns rows into distances.
#include <cstdint>

#include <opencv2/core/mat.hpp>

#include "sensor_interface/processing/processing_types.h"

// word / 65536, or kNoPeak unless the row lies strictly inside (0, cameraRows).
// Inline: it runs once per column of every fixed-point frame.
inline double peak_row(uint32_t word, int cameraRows) {
    const double row = word * 0.0000152587890625;
    return row <= 0.0 || row >= cameraRows ? kNoPeak : row;
}

// Distance of each point i (camera column firstColumn + i) at its row r: kNoPeak
// for r <= 0, else linear between the table rows trunc(r) and trunc(r) + 1 of
// that column. A row or column outside the table also gives kNoPeak. Returns 0.
int interpolate_row_lut(const cv::Mat& rowTable, const double* rows, int firstColumn, int n,
                        double* out);

// Distances below lower or above upper become kNoPeak; the limits themselves
// stay valid.
void limit_distances(double* distances, int n, double lower, double upper);

// interpolate_row_lut and then limit_distances, in one pass over the points.
void interpolate_row_lut_limited(const cv::Mat& rowTable, const double* rows, int firstColumn, int n,
                                 double lower, double upper, double* out);
