#pragma once
// Cleaning of a batch's height grid before it is drawn in 3D: outliers against
// a moving average per column, then short runs between gaps removed and short
// gaps filled, along both grid directions. Pure functions, no Qt.
#include <Eigen/Core>

#include <vector>

// Rows are profiles, columns the points of a profile.
using HeightGrid = Eigen::MatrixXf;

// Moving average over v in place that skips null values (|v - nullValue| <=
// 1e-6) and leaves them null. An odd window is raised by one; the window
// [i - window/2, i + window/2 - 1] reads v[0] before the start and v[n-1]
// after the end. Nothing changes when v is shorter than the window or the
// window is below 2.
void nullAwareMovingAverage(std::vector<float>& v, int window, float nullValue);

// Cleans grid in place. xs holds one x coordinate per column, ys one y
// coordinate per row (used for the slopes of the gap filling).
void HeightMapDenoise(HeightGrid& grid, const std::vector<float>& xs, const std::vector<float>& ys, int window,
                      double k, double dz, int removeRadius, int minRun, int maxGap, float slopeThreshold,
                      float nullValue);
