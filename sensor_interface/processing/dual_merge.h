#pragma once
// Combines the profiles of two heads that look at the same line, point by point,
// after optionally aligning head B to head A.
#include <cstdint>

// How a point measured by both heads is output (the in-delta and beyond-delta
// choices); any other value leaves the point invalid.
enum DualMergeChoice : int {
    kDualMergeMean = 0,
    kDualMergeHigher = 1,
    kDualMergeLower = 2,
};

// True when z lies within 0.000001 of the invalid value.
bool dual_merge_is_invalid(double z, double invalid);

// Adds bZOffset to the valid heights of zB (when it is not negligible) and shifts
// zB by bXOffset points (positive: toward higher indexes). Indexes that no shifted
// value reaches keep their own heights; the gray bytes of head B are not moved.
void dual_merge_align(double* zB, int count, double invalid, double bZOffset, int bXOffset);

// zA/grayA, zB/grayB and the outputs hold count points each. zB is aligned in
// place when align is set. A point only one head measured is output when
// singleValidOutput is 0; two valid heights closer than heightDelta take
// inDeltaOutput, others beyondDeltaOutput (DualMergeChoice values).
void dual_merge(const double* zA, const uint8_t* grayA, double* zB, const uint8_t* grayB,
                double* zOut, uint8_t* grayOut, int count, double invalid, bool align,
                double bZOffset, int bXOffset, double heightDelta, int singleValidOutput,
                int inDeltaOutput, int beyondDeltaOutput);
