#pragma once
// Random frames for the comparisons of a stage with its plain reference, and
// bit-for-bit comparison of double arrays.
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace perf_regress {

constexpr int kInvalid = -9999000;
constexpr double kInvalidHeight = -9999000.0;

struct Columns {
    std::vector<double> x, z;
    std::vector<uint8_t> gray;
    std::vector<int32_t> marks;
};

// Mostly rising x with jitter, occasional folds (x going back), equal
// neighbours and wide gaps; heights with steps, slopes and invalid runs.
inline Columns random_columns(std::mt19937& rng, int n) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Columns c;
    double x = -0.5 * n * (0.6 + unit(rng));
    double z = 50.0 * unit(rng);
    for (int i = 0; i < n; ++i) {
        const double kind = unit(rng);
        if (kind < 0.03) x -= 2.0 * unit(rng);          // fold
        else if (kind < 0.05) { /* same x */ }
        else if (kind < 0.07) x += 10.0 * unit(rng);    // wide gap
        else x += 0.3 + 0.9 * unit(rng);
        const double step = unit(rng);
        if (step < 0.05) z += 40.0 * (unit(rng) - 0.5);
        else z += 0.5 * (unit(rng) - 0.5);
        const bool invalid = unit(rng) < 0.08;
        c.x.push_back(x);
        c.z.push_back(invalid ? kInvalidHeight : z);
        c.gray.push_back(static_cast<uint8_t>(rng() & 0xFF));
        c.marks.push_back(unit(rng) < 0.05 ? 1 : 0);
    }
    return c;
}

inline bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

}  // namespace perf_regress
