// The int32 heights x100 against the plain trunc-and-clamp conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "sensor_interface/processing/output_formats.h"

namespace {

int32_t reference_int100(double h) {
    const double v = std::trunc(h * 100.0);
    if (std::isnan(v)) return std::numeric_limits<int32_t>::min();
    if (v <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (v >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

TEST(HeightsInt100Exactness, MatchesTruncAndClampOnRandomAndBoundaryHeights) {
    std::vector<double> h = {0.0, -0.0, 1.239, -1.239, 0.004, -0.004, 0.01, -0.01, -9999000.0,
                             21474836.47, 21474836.48, 21474836.4799, -21474836.48,
                             -21474836.49, -21474836.4899, 1e300, -1e300,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::denorm_min()};
    // Values whose x100 lies right at and next to each int32 end.
    for (double end : {-2147483649.0, -2147483648.0, -2147483647.0, 2147483647.0, 2147483648.0}) {
        double v = end / 100.0;
        for (int k = 0; k < 40; ++k) v = std::nextafter(v, -1e300);
        for (int k = 0; k < 80; ++k) h.push_back(v = std::nextafter(v, 1e300));
    }
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> wide(-3e7, 3e7), narrow(-1000.0, 1000.0);
    for (int i = 0; i < 200000; ++i) h.push_back(i % 2 ? wide(rng) : narrow(rng));
    for (int i = 0; i < 20000; ++i) {
        double bits;
        const uint64_t word = rng();
        std::memcpy(&bits, &word, sizeof bits);
        h.push_back(bits);
    }

    std::vector<int32_t> out(h.size());
    heights_to_int100(h.data(), out.data(), static_cast<int>(h.size()));
    for (size_t i = 0; i < h.size(); ++i)
        ASSERT_EQ(out[i], reference_int100(h[i])) << "height " << h[i];
}

}  // namespace
