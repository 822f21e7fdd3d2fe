#include "sensor_interface/processing/rotation.h"

#include <algorithm>
#include <cmath>

#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/resampling.h"
#include "sensor_interface/processing/processing_types.h"

rotationRectify::rotationRectify(bool columnPairs, double invalid)
    : columnPairs_(columnPairs), invalid_(invalid) {}

void rotationRectify::setAngle(double radians) {
    const double c = std::cos(radians), s = std::sin(radians);
    if (columnPairs_) {
        storage_[0] = c, storage_[1] = s, storage_[2] = -s, storage_[3] = c;
    } else {
        storage_[0] = c, storage_[1] = -s, storage_[2] = s, storage_[3] = c;
    }
    applied_ << c, -s, s, c;
}

namespace {

// One point about the origin; an invalid point becomes invalid in x and z.
inline void rotate_point(double& x, double& z, double c, double s, double invalid) {
    if (std::fabs(z - invalid) < kInvalidTolerance) {
        x = invalid;
        z = invalid;
        return;
    }
    const double x0 = x, z0 = z;
    x = x0 * c - z0 * s;
    z = x0 * s + z0 * c;
}

}  // namespace

void rotationRectify::apply(Eigen::Ref<Eigen::Matrix2Xd> points) const {
    const double c = applied_(0, 0), s = applied_(1, 0);
    for (Eigen::Index i = 0; i < points.cols(); ++i)
        rotate_point(points(0, i), points(1, i), c, s, invalid_);
}

void rotationRectify::apply(double* x, double* z, int n) const {
    frame_kernels().rotate(x, z, n, applied_(0, 0), applied_(1, 0), invalid_);
}

void kx_rotate_2d::set_angle(int invalid, double degrees) {
    if (!rectify_) rectify_ = std::make_shared<rotationRectify>(true, invalid);
    radians_ = degrees / kDegreesPerRadian;
    if (degrees != lastAngle_ || std::isnan(degrees) || std::isnan(lastAngle_))
        rectify_->setAngle(radians_);
    lastAngle_ = degrees;
}

void kx_rotate_2d::rotate(double* x, double* z, int n) {
    if (radians_ == 0.0 || n <= 0) return;
    // Rotated where they lie: gathering the points into a 2 x n matrix and back
    // would only copy them twice.
    if (rectify_) rectify_->apply(x, z, n);
}

bool kx_rotate_2d::mean_valid_range(const std::vector<double>& x, const std::vector<double>& z,
                                    int start, int end, double* centreX, double* meanZ) {
    const int size = static_cast<int>(x.size());
    if (start < 0 || end < 0 || start >= size || end >= size) return false;
    if (end > static_cast<int>(z.size())) return false;
    // The tilt form marks missing heights with the millimetre invalid value.
    constexpr double kInvalidMillimetres = -9999.0;
    double sum = 0.0;
    int used = 0;
    for (int i = start; i < end; ++i) {
        if (z[i] == kInvalidMillimetres) continue;
        sum += z[i];
        ++used;
    }
    *meanZ = sum / used;  // 0/0 (NaN) when no value is left: callers test for it
    *centreX = x[start] + (x[end] - x[start]) * 0.5;
    return true;
}

int kx_rotate_2d::first_index_at_or_above(const std::vector<double>& x, double value) {
    for (size_t i = 0; i < x.size(); ++i)
        if (value <= x[i]) return static_cast<int>(i);
    return -1;
}

double kx_rotate_2d::angle_degrees(const double* p1, const double* p2) {
    return std::atan2(p2[1] - p1[1], p2[0] - p1[0]) * kDegreesPerRadian;
}

bool rotation_enabled(uint32_t enableRegister, uint32_t angleRegister) {
    const int32_t angle = static_cast<int32_t>(angleRegister);
    return enableRegister == 1 && angle >= -4000000 && angle <= 4000000;
}

void mirror_and_negate(double* heights, uint8_t* gray, int count, uint32_t flags) {
    // Swapping j with count - 1 - j for j below count / 2 reverses the points.
    if (flags & 1u) frame_kernels().reverse(heights, gray, count);
    if (flags & 2u) frame_kernels().negate(heights, count, kInvalidHeight);
}

namespace {

// The indexes [begin, end) of a non-decreasing grid whose x lies in [low, high].
struct IndexRange {
    int begin = 0, end = 0;
    bool holds(int i) const { return i >= begin && i < end; }
};
IndexRange window_of(const double* grid, int count, double low, double high) {
    const double* begin = std::partition_point(grid, grid + count, [low](double x) { return !(x >= low); });
    const double* end = std::partition_point(begin, grid + count, [high](double x) { return x <= high; });
    return {static_cast<int>(begin - grid), static_cast<int>(end - grid)};
}

}  // namespace

bool base_zero_offset(const double* heights, const double* grid, int count, double aLow,
                      double aHigh, double bLow, double bHigh, double* offset, GridFacts* gridFacts) {
    double sumA = 0.0, sumB = 0.0;
    int countA = 0, countB = 0;
    auto add = [&](double h, double& sum, int& used) {
        if (is_invalid_height(h)) return;
        sum += h;
        ++used;
    };
    if (gridFacts ? gridFacts->nonDecreasing(grid, count) : frame_kernels().nonDecreasing(grid, count)) {
        // Each window is a run of the grid: only its points are visited, in the
        // same order as by the walk below.
        const IndexRange a = window_of(grid, count, aLow, aHigh);
        const IndexRange b = window_of(grid, count, bLow, bHigh);
        for (int i = a.begin; i < a.end; ++i) add(heights[i], sumA, countA);
        for (int i = b.begin; i < b.end; ++i)
            if (!a.holds(i)) add(heights[i], sumB, countB);
    } else {
        for (int i = 0; i < count; ++i) {
            const double x = grid[i];
            if (x >= aLow && x <= aHigh)
                add(heights[i], sumA, countA);
            else if (x >= bLow && x <= bHigh)
                add(heights[i], sumB, countB);
        }
    }
    // An empty window has no mean: shifting by NaN would wipe out the profile.
    if (countA == 0 || countB == 0) return false;
    *offset = (sumB / countB + sumA / countA) * 0.5;
    return true;
}

bool base_zero(double* heights, int points, const double* grid, int count, double aLow,
               double aHigh, double bLow, double bHigh) {
    double offset = 0.0;
    if (!base_zero_offset(heights, grid, count, aLow, aHigh, bLow, bHigh, &offset)) return false;
    frame_kernels().shiftAndScale(heights, points, true, offset, false, 1.0);
    return true;
}

double z_scale_factor(uint32_t scaleRegister) {
    const uint32_t scale = (scaleRegister >= 100 && scaleRegister <= 200000) ? scaleRegister : 100000;
    return scale / 100000.0;
}

void apply_z_scale(double* heights, int points, double factor) {
    frame_kernels().shiftAndScale(heights, points, false, 0.0, true, factor);
}
