#include "sensor_interface/settings/register_decimal.h"

#include <cmath>
#include <limits>

namespace mirevo::settings {
namespace {

template <typename Real>
int32_t scaled_decimal(Real typed, double scale, DecimalCut cut) {
    if (cut == DecimalCut::ProductTruncated) {
        const double product = static_cast<double>(typed) * scale;
        if (std::isnan(product)) return 0;
        if (product <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
        if (product >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
        return static_cast<int32_t>(product);
    }
    // In extended precision the product adds next to nothing to the error the
    // decimal took on as a Real: at most half an epsilon of its size. Twice
    // that still lies far below the digits anyone types.
    const long double product = static_cast<long double>(typed) * static_cast<long double>(scale);
    if (std::isnan(product)) return 0;
    const long double slack = std::fabs(product) * static_cast<long double>(std::numeric_limits<Real>::epsilon());
    long double decimal = product;
    const long double whole = std::round(product);
    const long double half = std::round(product * 2) / 2;
    if (std::fabs(product - whole) <= slack)
        decimal = whole;
    else if (cut == DecimalCut::Nearest && std::fabs(product - half) <= slack)
        decimal = half;  // a half stays a half, to be rounded away from zero
    const long double kept = cut == DecimalCut::TowardZero ? std::trunc(decimal) : std::round(decimal);
    if (kept <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (kept >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(kept);
}

}  // namespace

int32_t register_from_decimal(double typed, double scale, DecimalCut cut) {
    return scaled_decimal(typed, scale, cut);
}

int32_t register_from_decimal(float typed, double scale, DecimalCut cut) {
    return scaled_decimal(typed, scale, cut);
}

}  // namespace mirevo::settings
