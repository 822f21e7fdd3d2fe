#pragma once
// Geometric corrections of a profile: tilt rotation, mirror and sign flip, base
// zero and z scale, and the small measurements the tilt correction uses to find
// its angle.
#include <cstdint>
#include <memory>
#include <vector>

#include <Eigen/Core>

class GridFacts;

// Rotation of (x, z) column pairs about the origin; invalid points stay invalid.
class rotationRectify {
public:
    rotationRectify(bool columnPairs, double invalid);

    void setAngle(double radians);
    // Column i of points is (x_i, z_i).
    void apply(Eigen::Ref<Eigen::Matrix2Xd> points) const;
    // The same rotation of n points held in two arrays, in place.
    void apply(double* x, double* z, int n) const;

private:
    double storage_[4] = {1, 0, 0, 1};  // the matrix in storage order
    bool columnPairs_;
    double invalid_;
    Eigen::Matrix2d applied_ = Eigen::Matrix2d::Identity();
};

class kx_rotate_2d {
public:
    static constexpr double kNoAngle = -100.0;

    void set_angle(int invalid, double degrees);
    // Rotates n points in place (nothing for an angle of 0).
    void rotate(double* x, double* z, int n);

    double lastAngle() const { return lastAngle_; }

    // Mean of z[start..end-1] leaving out -9999.0 (NaN when none is left) and the
    // x half way between x[start] and x[end]. False, outputs untouched, when an
    // index lies outside the vectors.
    static bool mean_valid_range(const std::vector<double>& x, const std::vector<double>& z,
                                 int start, int end, double* centreX, double* meanZ);
    // First index i with value <= x[i], or -1.
    static int first_index_at_or_above(const std::vector<double>& x, double value);
    // Angle of the line p1 -> p2 in degrees; each point is (x, z).
    static double angle_degrees(const double* p1, const double* p2);

private:
    double lastAngle_ = kNoAngle;
    double radians_ = 0.0;
    std::shared_ptr<rotationRectify> rectify_;
};

constexpr double kDegreesPerRadian = 57.29577951308232;

// Rotation only for register 324 = 1 and an angle (register 325, degrees x100000)
// within +-40 degrees; the base zero follows the same switch.
bool rotation_enabled(uint32_t enableRegister, uint32_t angleRegister);

// Register 291: bit 1 mirrors the I points (heights and gray), bit 2 then
// negates every valid height.
void mirror_and_negate(double* heights, uint8_t* gray, int count, uint32_t flags);

// Shifts every valid height of heights[0..points-1] so that the valid heights of
// window A and window B (grid x within the inclusive bounds, first count grid
// points) average to 0. Returns false, nothing changed, when a window holds no
// valid height.
bool base_zero(double* heights, int points, const double* grid, int count, double aLow,
               double aHigh, double bLow, double bHigh);
// The shift base_zero subtracts; false when a window holds no valid height.
// gridFacts (may be null): those of the grid's first count points.
bool base_zero_offset(const double* heights, const double* grid, int count, double aLow,
                      double aHigh, double bLow, double bHigh, double* offset,
                      GridFacts* gridFacts = nullptr);

// Register 331 (scale x100000) when within 100..200000, else 1.
double z_scale_factor(uint32_t scaleRegister);
void apply_z_scale(double* heights, int points, double factor);
