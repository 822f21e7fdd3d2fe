#include "views/height/grey_scale.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

uint8_t clampLevel(double g) {
    if (!(g > 0)) return 0;  // also NaN
    if (g >= 255) return 255;
    return static_cast<uint8_t>(static_cast<int>(g));
}

#if defined(__SSE2__)

// The same arithmetic as greyLevel, two heights per operation. Each step is
// the scalar step (IEEE division, product and sum in the same order), and
// "truncate, then clamp to 0..255" is "0 below 1, else the smaller of the
// value and 255, truncated": the same level for every input, NaN included.
class PairLevels {
public:
    explicit PairLevels(const GreyScale& s)
        : fixed_(s.fixedRange),
          divisor_(_mm_set1_pd(s.fixedRange ? s.fixedMax - s.fixedMin : s.zUpper)),
          factor_(_mm_set1_pd(s.fixedRange ? 236.0 : 118.0)),
          offset_(_mm_set1_pd(s.fixedRange ? 0.0 : 138.0)),
          fixedMin_(_mm_set1_pd(s.fixedMin)),
          zLower_(_mm_set1_pd(s.zLower)),
          zUpper_(_mm_set1_pd(s.zUpper)) {}

    __m128i operator()(const double* at) const {
        const __m128d d = _mm_loadu_pd(at);
        __m128d v;
        if (fixed_)
            v = _mm_mul_pd(_mm_div_pd(_mm_sub_pd(d, fixedMin_), divisor_), factor_);
        else
            v = _mm_add_pd(_mm_mul_pd(_mm_div_pd(d, divisor_), factor_), offset_);
        v = _mm_and_pd(_mm_cmpge_pd(v, _mm_set1_pd(1.0)), _mm_min_pd(v, _mm_set1_pd(255.0)));
        if (fixed_) {
            // zLower decides before zUpper, as in greyLevel.
            v = select(_mm_cmpgt_pd(d, zUpper_), _mm_set1_pd(220.0), v);
            v = select(_mm_cmple_pd(d, zLower_), _mm_set1_pd(30.0), v);
        }
        return _mm_cvttpd_epi32(v);
    }

private:
    static __m128d select(__m128d mask, __m128d yes, __m128d no) {
        return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
    }

    bool fixed_;
    __m128d divisor_, factor_, offset_, fixedMin_, zLower_, zUpper_;
};

#endif

}  // namespace

uint8_t greyLevel(double d, const GreyScale& s) {
    if (s.fixedRange) {
        if (d <= s.zLower) return 30;
        if (d > s.zUpper) return 220;
        // A range without width takes its limit.
        if (s.fixedMax == s.fixedMin) return d <= s.fixedMin ? 0 : 255;
        return clampLevel(std::trunc((d - s.fixedMin) / (s.fixedMax - s.fixedMin) * 236));
    }
    if (s.zUpper == 0) return d > 0 ? 255 : (d < 0 ? 0 : 138);
    return clampLevel(std::trunc(d / s.zUpper * 118 + 138));
}

void greyLevels(const double* heights, int n, uint8_t* out, const GreyScale& s) {
    int j = 0;
#if defined(__SSE2__)
    // The scales without width keep to the scalar rules.
    const bool degenerate = s.fixedRange ? s.fixedMax == s.fixedMin : s.zUpper == 0;
    if (!degenerate) {
        const PairLevels levels(s);
        for (; j + 8 <= n; j += 8) {
            const __m128i low = _mm_unpacklo_epi64(levels(heights + j), levels(heights + j + 2));
            const __m128i high = _mm_unpacklo_epi64(levels(heights + j + 4), levels(heights + j + 6));
            const __m128i words = _mm_packs_epi32(low, high);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), _mm_packus_epi16(words, words));
        }
    }
#endif
    for (; j < n; ++j) out[j] = greyLevel(heights[j], s);
}
