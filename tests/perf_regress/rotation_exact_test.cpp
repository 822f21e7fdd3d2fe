// The in-place rotation of the processor against the rotation of the points
// gathered into a 2 x n matrix.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "sensor_interface/processing/rotation.h"
#include "tests/perf_regress/exactness_support.h"

namespace {

using namespace perf_regress;

TEST(RotationExactness, InPlaceEqualsTheMatrixFormOnRandomPoints) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    kx_rotate_2d rotator;
    for (int round = 0; round < 200; ++round) {
        const double degrees = round % 5 == 0 ? 0.0 : 80.0 * unit(rng) - 40.0;
        const int n = static_cast<int>(rng() % 300);
        std::vector<double> x(n), z(n);
        for (int i = 0; i < n; ++i) {
            x[i] = 2000.0 * unit(rng) - 1000.0;
            const double kind = unit(rng);
            z[i] = kind < 0.1 ? kInvalidHeight
                   : kind < 0.12 ? kInvalidHeight + 1e-7
                   : kind < 0.14 ? kInvalidHeight + 2e-6
                                 : 400.0 * unit(rng) - 200.0;
        }
        Eigen::Matrix2Xd points(2, n);
        for (int i = 0; i < n; ++i) points(0, i) = x[i], points(1, i) = z[i];
        rotationRectify reference(true, kInvalidHeight);
        reference.setAngle(degrees / kDegreesPerRadian);
        if (degrees != 0.0) reference.apply(points);
        std::vector<double> xRef(n), zRef(n);
        for (int i = 0; i < n; ++i) xRef[i] = points(0, i), zRef[i] = points(1, i);

        rotator.set_angle(kInvalid, degrees);
        rotator.rotate(x.data(), z.data(), n);
        ASSERT_TRUE(same_bits(x, xRef)) << round;
        ASSERT_TRUE(same_bits(z, zRef)) << round;
    }
}

}  // namespace
