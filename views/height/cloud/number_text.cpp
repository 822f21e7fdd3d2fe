#include "views/height/cloud/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace kx::common::text {
namespace {

using Wide = unsigned __int128;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// 10^0 to 10^31: what a float's significand (below 2^24) times a power of ten
// may use and still fit 128 bits.
constexpr int kMaxPower = 31;

struct PowersOfTen {
    Wide value[kMaxPower + 1];
    constexpr PowersOfTen() : value() {
        value[0] = 1;
        for (int k = 1; k <= kMaxPower; ++k) value[k] = value[k - 1] * 10;
    }
};
constexpr PowersOfTen kPowers;

constexpr uint64_t kEightDigits = 100000000;

// 10^k as doubles for the float range, to guess the decimal exponent.
constexpr int kMinTen = -46;
constexpr int kMaxTen = 39;
struct TensAsDoubles {
    double value[kMaxTen - kMinTen + 1];
    TensAsDoubles() {
        for (int k = kMinTen; k <= kMaxTen; ++k) value[k - kMinTen] = std::pow(10.0, k);
    }
};
const TensAsDoubles kTens;

// round(m * 2^e * 10^(7 - k)), ties to even, exactly; false where the
// 128-bit arithmetic cannot hold it (magnitudes below about 1e-24).
bool roundedDigits(uint32_t m, int e, int k, uint64_t& digits) {
    const int p = 7 - k;
    if (p >= 0) {
        if (p > kMaxPower) return false;
        const Wide scaled = Wide{m} * kPowers.value[p];
        if (e >= 0) {  // an integer already, and below 10^9
            digits = static_cast<uint64_t>(scaled << e);
            return true;
        }
        const int shift = -e;
        if (p <= 11 && shift < 64) {  // the usual magnitudes, in 64 bits (m * 10^11 < 2^64)
            const uint64_t narrow = static_cast<uint64_t>(scaled);
            uint64_t quotient = narrow >> shift;
            const uint64_t remainder = narrow - (quotient << shift);
            const uint64_t half = uint64_t{1} << (shift - 1);
            if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
            digits = quotient;
            return true;
        }
        if (shift >= 128) return false;
        Wide quotient = scaled >> shift;
        const Wide remainder = scaled - (quotient << shift);
        const Wide half = Wide{1} << (shift - 1);
        if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
        digits = static_cast<uint64_t>(quotient);
        return true;
    }
    // k >= 8: the value is at least 10^7, so e > 0 and m * 2^e fits 128 bits
    // (a float stays below 2^128).
    const int q = -p;
    if (q > kMaxPower || e < 0) return false;
    const Wide scaled = Wide{m} << e;
    const Wide divisor = kPowers.value[q];
    Wide quotient = scaled / divisor;
    const Wide twiceRemainder = (scaled - quotient * divisor) * 2;
    if (twiceRemainder > divisor || (twiceRemainder == divisor && (quotient & 1) != 0)) ++quotient;
    digits = static_cast<uint64_t>(quotient);
    return true;
}

// The 8 digits of n < 10^8 as ASCII bytes in one word, the first digit in the
// lowest byte (so a single store writes them all): each 4-digit half is split
// into two 2-digit lanes and each of those into two 1-digit lanes, by
// multiplications that divide exactly in this range.
uint64_t eightDigitBytes(uint32_t n) {
    const uint64_t halves = (n / 10000) | (static_cast<uint64_t>(n % 10000) << 32);
    const uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FULL;
    const uint64_t pairs = ((halves - 100 * hundreds) << 16) | hundreds;
    const uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
    const uint64_t digits = ((pairs - 10 * tens) << 8) | tens;
    return digits | 0x3030303030303030ULL;
}

// printf's %g layout of 8 digits (10^7 <= digits < 10^8) at decimal exponent
// k. `out` has room for kMaxNumberText bytes: whole words are stored and the
// end is moved back over what does not belong.
char* layOut(uint32_t digits, int k, char* out) {
    const uint64_t text = eightDigitBytes(digits);
    const int trailingZeros = __builtin_clzll(text - 0x3030303030303030ULL) / 8;
    const int kept = 8 - trailingZeros;
    if (k >= 0 && k < 8) {
        const int whole = k + 1;
        std::memcpy(out, &text, 8);
        if (kept <= whole) return out + whole;
        out[whole] = '.';
        const uint64_t fraction = text >> (8 * whole);
        std::memcpy(out + whole + 1, &fraction, 8);
        return out + kept + 1;
    }
    if (k < 0 && k >= -4) {
        std::memcpy(out, "0.000", 5);
        out += 1 - k;
        std::memcpy(out, &text, 8);
        return out + kept;
    }
    *out++ = static_cast<char>(text & 0xFF);
    if (kept > 1) {
        *out = '.';
        const uint64_t rest = text >> 8;
        std::memcpy(out + 1, &rest, 8);
        out += kept;
    }
    *out++ = 'e';
    *out++ = k < 0 ? '-' : '+';
    int exponent = k < 0 ? -k : k;
    if (exponent >= 100) {
        *out++ = static_cast<char>('0' + exponent / 100);
        exponent %= 100;
    }
    std::memcpy(out, kDigitPairs + 2 * exponent, 2);
    return out + 2;
}

}  // namespace

char* printFloat8(float value, char* out) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t biased = (bits >> 23) & 0xFF;
    const uint32_t fraction = bits & 0x7FFFFF;
    char* start = out;
    if (bits >> 31) *out++ = '-';
    if (biased == 0xFF) {
        std::memcpy(out, fraction != 0 ? "nan" : "inf", 3);
        return out + 3;
    }
    if (biased == 0 && fraction == 0) {
        *out++ = '0';
        return out;
    }
    // value = m * 2^e. The decimal exponent k is floor(b * log10 2) with
    // b = floor(log2 |value|), or one more; a rounding that carries into a
    // ninth digit moves it up too.
    const uint32_t m = biased != 0 ? (fraction | 0x800000) : fraction;
    const int e = (biased != 0 ? static_cast<int>(biased) : 1) - 150;
    const int b = e + 31 - __builtin_clz(m);
    int k = (b * 78913) >> 18;
    if (k + 1 <= kMaxTen && std::fabs(static_cast<double>(value)) >= kTens.value[k + 1 - kMinTen]) ++k;
    uint64_t digits = 0;
    bool exact = roundedDigits(m, e, k, digits);
    if (exact && digits >= kEightDigits) exact = roundedDigits(m, e, ++k, digits);
    if (exact && digits < kEightDigits / 10) exact = roundedDigits(m, e, --k, digits);
    if (!exact) {
        // Tiny magnitudes: rare enough for the general routine.
        return std::to_chars(start, start + kMaxNumberText, static_cast<double>(value), std::chars_format::general, 8)
            .ptr;
    }
    return layOut(static_cast<uint32_t>(digits), k, out);
}

char* printUnsigned(uint32_t value, char* out) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) *out++ = digits[--count];
    return out;
}

}  // namespace kx::common::text
