#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/processing_types.h"
#include "sensor_interface/processing/rotation.h"

namespace {

constexpr double I = kInvalidHeight;
constexpr int kInvalid = -9999000;

TEST(Rotation, AngleRegisterRange) {
    struct Case {
        uint32_t enable, angle;
        bool on;
    } cases[] = {
        {1, 4000000, true},
        {1, 4000001, false},
        {1, static_cast<uint32_t>(-4000000), true},
        {1, static_cast<uint32_t>(-4000001), false},
        {1, 0, true},
        {0, 100000, false},
        {2, 100000, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rotation_enabled(c.enable, c.angle), c.on) << c.enable << " " << int32_t(c.angle);
}

TEST(Rotation, FortyDegreesAboutTheOrigin) {
    kx_rotate_2d rotator;
    EXPECT_DOUBLE_EQ(rotator.lastAngle(), -100.0);
    rotator.set_angle(kInvalid, 4000000 / 100000.0);
    double x[] = {1.0, 0.0, 5.0}, z[] = {0.0, 2.0, I};
    rotator.rotate(x, z, 3);
    const double c = std::cos(40.0 / kDegreesPerRadian), s = std::sin(40.0 / kDegreesPerRadian);
    EXPECT_NEAR(x[0], c, 1e-12);
    EXPECT_NEAR(z[0], s, 1e-12);
    EXPECT_NEAR(x[1], -2 * s, 1e-12);
    EXPECT_NEAR(z[1], 2 * c, 1e-12);
    EXPECT_DOUBLE_EQ(x[2], I);  // an invalid point stays invalid, x included
    EXPECT_DOUBLE_EQ(z[2], I);
    EXPECT_DOUBLE_EQ(rotator.lastAngle(), 40.0);
}

TEST(Rotation, ZeroAngleLeavesEverythingAlone) {
    kx_rotate_2d rotator;
    rotator.set_angle(kInvalid, 30.0);
    rotator.set_angle(kInvalid, 0.0);
    double x[] = {1.5, 7.0}, z[] = {2.5, I};
    rotator.rotate(x, z, 2);
    EXPECT_DOUBLE_EQ(x[0], 1.5);
    EXPECT_DOUBLE_EQ(z[0], 2.5);
    EXPECT_DOUBLE_EQ(x[1], 7.0);
    EXPECT_DOUBLE_EQ(z[1], I);
}

TEST(Rotation, ReusesItsBufferAcrossFrameWidths) {
    kx_rotate_2d rotator;
    rotator.set_angle(kInvalid, 90.0);
    std::vector<double> x(50, 1.0), z(50, 0.0);
    rotator.rotate(x.data(), z.data(), 50);
    double x2[] = {0.0}, z2[] = {3.0};
    rotator.rotate(x2, z2, 1);
    EXPECT_NEAR(x2[0], -3.0, 1e-12);
    EXPECT_NEAR(z[49], 1.0, 1e-12);
}

TEST(RotationRectify, AppliesToAMatrixOfColumnPairs) {
    rotationRectify rectify(true, I);
    rectify.setAngle(M_PI / 2);
    Eigen::Matrix2Xd points(2, 2);
    points << 1.0, 4.0,
              0.0, I;
    rectify.apply(points);
    EXPECT_NEAR(points(0, 0), 0.0, 1e-12);
    EXPECT_NEAR(points(1, 0), 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(points(0, 1), I);
}

TEST(MirrorAndNegate, MirrorsFirstThenNegates) {
    double h[] = {1.0, I, 3.0, -4.0, 5.0};
    uint8_t g[] = {1, 2, 3, 4, 5};
    mirror_and_negate(h, g, 5, 3);
    const double expected[] = {-5.0, 4.0, -3.0, I, -1.0};
    const uint8_t expectedGray[] = {5, 4, 3, 2, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(h[i], expected[i]) << i;
        EXPECT_EQ(g[i], expectedGray[i]) << i;
    }
}

TEST(BaseZero, ShiftsByTheMeanOfBothWindows) {
    const double grid[] = {0, 1, 2, 3, 4, 5};
    double h[] = {10, 12, I, 50, 20, 22, 99};  // the last point lies beyond the frame
    // A = [0, 1] -> 11, B = [4, 5] -> 21: offset 16
    ASSERT_TRUE(base_zero(h, 7, grid, 6, 0, 1, 4, 5));
    const double expected[] = {-6, -4, I, 34, 4, 6, 83};
    for (int i = 0; i < 7; ++i) EXPECT_DOUBLE_EQ(h[i], expected[i]) << i;
}

TEST(BaseZero, EmptyWindowLeavesTheProfileUnchanged) {
    const double grid[] = {0, 1, 2, 3};
    double h[] = {10, 12, I, I};
    EXPECT_FALSE(base_zero(h, 4, grid, 4, 0, 1, 2, 3));
    EXPECT_DOUBLE_EQ(h[0], 10.0);
    EXPECT_DOUBLE_EQ(h[1], 12.0);
}

TEST(ZScale, RegisterRangeAndInvalidHeights) {
    EXPECT_DOUBLE_EQ(z_scale_factor(50), 1.0);
    EXPECT_DOUBLE_EQ(z_scale_factor(200001), 1.0);
    EXPECT_DOUBLE_EQ(z_scale_factor(100), 0.001);
    EXPECT_DOUBLE_EQ(z_scale_factor(200000), 2.0);
    double h[] = {3.0, I};
    apply_z_scale(h, 2, 2.0);
    EXPECT_DOUBLE_EQ(h[0], 6.0);
    EXPECT_DOUBLE_EQ(h[1], I);
}

TEST(TiltMeasurements, FirstIndexAtOrAbove) {
    const std::vector<double> x{-1.0, 0.5, 2.0, 2.0};
    EXPECT_EQ(kx_rotate_2d::first_index_at_or_above(x, 2.0), 2);
    EXPECT_EQ(kx_rotate_2d::first_index_at_or_above(x, -5.0), 0);
    EXPECT_EQ(kx_rotate_2d::first_index_at_or_above(x, 2.5), -1);
    EXPECT_EQ(kx_rotate_2d::first_index_at_or_above({}, 0.0), -1);
}

TEST(TiltMeasurements, MeanOfValidRange) {
    const std::vector<double> x{0, 1, 2, 3, 4};
    const std::vector<double> z{1, -9999.0, 3, 100, 100};
    double cx = 0, mz = 0;
    ASSERT_TRUE(kx_rotate_2d::mean_valid_range(x, z, 0, 3, &cx, &mz));
    EXPECT_DOUBLE_EQ(mz, 2.0);
    EXPECT_DOUBLE_EQ(cx, 1.5);
    ASSERT_TRUE(kx_rotate_2d::mean_valid_range(x, z, 1, 2, &cx, &mz));
    EXPECT_TRUE(std::isnan(mz));  // nothing valid: no mean
}

TEST(TiltMeasurements, MeanRefusesIndexesOutsideTheVectors) {
    const std::vector<double> x{0, 1, 2};
    const std::vector<double> shortZ{1};
    struct Case {
        int start, end;
        const std::vector<double>* z;
    } cases[] = {{-1, 2, &x}, {0, -1, &x}, {0, 3, &x}, {3, 0, &x}, {0, 2, &shortZ}};
    for (const auto& c : cases) {
        double cx = 42, mz = 42;
        EXPECT_FALSE(kx_rotate_2d::mean_valid_range(x, *c.z, c.start, c.end, &cx, &mz));
        EXPECT_EQ(cx, 42);
        EXPECT_EQ(mz, 42);
    }
}

TEST(TiltMeasurements, AngleBetweenTwoPoints) {
    const double a[] = {1.0, 1.0}, b[] = {2.0, 2.0}, c[] = {0.0, 2.0};
    EXPECT_NEAR(kx_rotate_2d::angle_degrees(a, b), 45.0, 1e-12);
    EXPECT_NEAR(kx_rotate_2d::angle_degrees(a, c), 135.0, 1e-12);
}

}  // namespace
