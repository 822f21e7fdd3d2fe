#include "sensor_interface/processing/invalid_runs.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/processing_types.h"

namespace {

std::atomic<int> g_grayNoiseBound{0};

// Single-precision constants of the sensor's own arithmetic, widened.
constexpr double kEdgeStep = static_cast<double>(0.1f);
constexpr double kFoldStep = static_cast<double>(0.00001f);

void fill_run_x(double* x, int i, int j, int count) {
    const int k = j - i;
    if (i > 0 && j < count) {
        for (int p = i; p < j; ++p)
            x[p] = ((p - i + 1) * x[j] + (j - p) * x[i - 1]) / (k + 1);
    } else if (i == 0 && j < count) {
        for (int p = j - 1; p >= 0; --p) x[p] = x[p + 1] - kEdgeStep;
    } else if (i > 0 && j == count) {
        for (int p = i; p < count; ++p) x[p] = x[p - 1] + kEdgeStep;
    }
}

void interpolate_run(double* z, double* rows, uint8_t* gray, int i, int j,
                     const GrayNoise& noise) {
    const int k = j - i;
    const double zl = z[i - 1], zr = z[j];
    for (int m = 1; m <= k; ++m) {
        const int p = i + m - 1;
        z[p] = (m * zr + (k + 1 - m) * zl) / (k + 1);
        if (rows) rows[p] = (m * rows[j] + (k + 1 - m) * rows[i - 1]) / (k + 1);
        gray[p] = noise.apply((m * gray[j] + (k + 1 - m) * gray[i - 1]) / (k + 1));
    }
}

void fill_run_with_higher_end(double* z, double* rows, uint8_t* gray, int i, int j,
                              const GrayNoise& noise) {
    const int source = z[j] > z[i - 1] ? j : i - 1;
    for (int p = i; p < j; ++p) {
        z[p] = z[source];
        if (rows) rows[p] = rows[source];
        gray[p] = noise.apply(gray[source]);
    }
}

void mark_run(int32_t* marks, int i, int j) { std::fill(marks + i, marks + j, 1); }

}  // namespace

uint8_t GrayNoise::apply(int gray) const {
    if (bound <= 0) return static_cast<uint8_t>(std::min(gray, 255));
    const long long draw = source ? source() : std::rand();
    const long long noisy = gray + draw % (static_cast<long long>(bound) + 1);
    return static_cast<uint8_t>(std::min<long long>(noisy, 255));
}

int gray_noise_bound() { return g_grayNoiseBound.load(std::memory_order_relaxed); }

void set_gray_noise_bound(int bound) { g_grayNoiseBound.store(bound, std::memory_order_relaxed); }

void repair_invalid_runs(double* x, double* z, double* rows, uint8_t* gray, int32_t* marks,
                         int count, int maxGap, double slopeThreshold, double stepThreshold,
                         int mode, double invalid, const GrayNoise& noise) {
    if (count <= 0) return;
    std::fill(marks, marks + count, 0);
    auto isInvalid = [&](double v) { return std::fabs(v - invalid) < kInvalidToleranceF; };

    const FrameKernels& kernels = frame_kernels();
    int i = 0;
    while (i < count) {
        i = kernels.nextInvalid(z, i, count, invalid, kInvalidToleranceF);
        if (i >= count) break;
        int j = i + 1;
        while (j < count && isInvalid(z[j])) ++j;
        const int k = j - i;
        fill_run_x(x, i, j, count);

        if (i > 0 && j < count && k <= maxGap) {
            const double zl = z[i - 1], zr = z[j];
            // A zero x distance gives an infinite or undefined slope: the
            // comparison is then false and the step alone decides.
            const double slope = std::fabs((zr - zl) / (x[j] - x[i - 1]));
            if (slope < slopeThreshold || std::fabs(zr - zl) < stepThreshold) {
                interpolate_run(z, rows, gray, i, j, noise);
            } else {
                if (mode == 1) interpolate_run(z, rows, gray, i, j, noise);
                if (mode == 2) fill_run_with_higher_end(z, rows, gray, i, j, noise);
                mark_run(marks, i, j);
            }
        }
        i = j + 1;
    }
}

void repair_folds(double* x, double* z, uint8_t* gray, int count, double invalid,
                  double extraStep) {
    const double eps = kFoldStep + extraStep;
    auto isValid = [&](double v) { return !(std::fabs(v - invalid) < kInvalidToleranceF); };
    const FrameKernels& kernels = frame_kernels();
    int foldStart = -1;
    for (int i = 0; i <= count - 2; ++i) {
        if (foldStart < 0) {
            // No fold open: straight on to the next point where x stops increasing.
            i = kernels.nextFold(x, i, count - 1);
            if (i > count - 2) break;
            foldStart = i;
        }
        if (!((x[i + 1] > x[i] && isValid(z[i])) || i == count - 2)) continue;

        const int s = foldStart;
        if (z[i] < z[s]) {
            // The start is the higher end: lay the points out forward from it.
            for (int m = s; m < count - 2; ++m) {
                x[m + 1] = x[m] + eps;
                if (isValid(z[m + 1])) {
                    z[m + 1] = z[s];
                    gray[m + 1] = gray[s];
                }
                if (x[m + 1] < x[m + 2]) break;
            }
        } else {
            // The close is the higher end: lay the points out backward from it.
            for (int m = i; m > 0; --m) {
                x[m - 1] = x[m] - eps;
                if (isValid(z[m - 1])) {
                    z[m - 1] = z[i];
                    gray[m - 1] = gray[i];
                }
                if (m > 1 && x[m - 2] < x[m - 1]) break;
            }
        }
        foldStart = -1;
    }
}
