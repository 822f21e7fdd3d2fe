#include "sensor_interface/processing/dual_merge.h"

#include <algorithm>
#include <cmath>

namespace {

// The tolerance is the single-precision constant the sensor tools use, widened.
constexpr double kInvalidTolerance = static_cast<double>(0.000001f);
constexpr double kNegligibleOffset = 0.000001;

struct MergedPoint {
    double z;
    uint8_t gray;
};

// Equal heights take head B for both the higher and the lower choice.
MergedPoint choose(int choice, double a, uint8_t grayA, double b, uint8_t grayB,
                   double invalid) {
    switch (choice) {
        case kDualMergeMean:
            return {(a + b) * 0.5, static_cast<uint8_t>((grayA + grayB) >> 1)};
        case kDualMergeHigher:
            return a > b ? MergedPoint{a, grayA} : MergedPoint{b, grayB};
        case kDualMergeLower:
            return a < b ? MergedPoint{a, grayA} : MergedPoint{b, grayB};
        default:
            return {invalid, 0};
    }
}

void shift_points(double* z, int count, double invalid, int offset) {
    const int64_t distance = std::abs(static_cast<int64_t>(offset));
    if (offset == 0 || distance >= count) return;
    const int moved = count - static_cast<int>(distance);
    // Moving within the one array in the right direction reads every source
    // before it is overwritten, so no copy is needed.
    if (offset > 0) {
        std::copy_backward(z, z + moved, z + count);
    } else {
        std::copy(z + distance, z + count, z);
    }
    const int first = offset > 0 ? offset : 0;
    for (int i = first; i < first + moved; ++i) {
        if (dual_merge_is_invalid(z[i], invalid)) z[i] = invalid;
    }
}

}  // namespace

bool dual_merge_is_invalid(double z, double invalid) {
    return std::abs(z - invalid) < kInvalidTolerance;
}

void dual_merge_align(double* zB, int count, double invalid, double bZOffset, int bXOffset) {
    if (std::abs(bZOffset) > kNegligibleOffset) {
        for (int i = 0; i < count; ++i) {
            if (!dual_merge_is_invalid(zB[i], invalid)) zB[i] += bZOffset;
        }
    }
    shift_points(zB, count, invalid, bXOffset);
}

void dual_merge(const double* zA, const uint8_t* grayA, double* zB, const uint8_t* grayB,
                double* zOut, uint8_t* grayOut, int count, double invalid, bool align,
                double bZOffset, int bXOffset, double heightDelta, int singleValidOutput,
                int inDeltaOutput, int beyondDeltaOutput) {
    if (count <= 0) return;
    if (align) dual_merge_align(zB, count, invalid, bZOffset, bXOffset);
    const bool outputSingles = singleValidOutput == 0;
    for (int i = 0; i < count; ++i) {
        const double a = zA[i];
        const double b = zB[i];
        const bool aValid = !dual_merge_is_invalid(a, invalid);
        const bool bValid = !dual_merge_is_invalid(b, invalid);
        MergedPoint point{invalid, 0};
        if (aValid && bValid) {
            const int choice = std::abs(a - b) < heightDelta ? inDeltaOutput : beyondDeltaOutput;
            point = choose(choice, a, grayA[i], b, grayB[i], invalid);
        } else if (bValid && outputSingles) {
            point = {b, grayB[i]};
        } else if (aValid && outputSingles) {
            point = {a, grayA[i]};
        }
        zOut[i] = point.z;
        grayOut[i] = point.gray;
    }
}
