#pragma once
// The loops of the frame path that run over every column or grid point of every
// frame. They are compiled twice, for the baseline instruction set and for
// AVX2, from one source; both give bit for bit the results of the plain
// per-point formulas (no contraction into fused multiply-adds, no reordered
// sums), so the choice between them is only one of speed.
#include <cstdint>

// Kinds of a resampling segment.
constexpr uint8_t kSegmentInterpolated = 0;
constexpr uint8_t kSegmentInvalidEnd = 1;  // an end with an invalid height
constexpr uint8_t kSegmentMarked = 2;      // a run mark on an end: uncertain
constexpr uint8_t kSegmentSteep = 3;       // steep or wide: uncertain, marks its left end

struct FrameKernels {
    const char* name;

    void (*fill)(double* values, int n, double value);
    // Raw words to distances: 16-bit: base - (word - 32768) x scale; 32-bit:
    // (base - (word - 2^31)) / 256; a word of 0 gives noPeak.
    void (*raw16ToDistances)(const uint16_t* raw, double* out, int n, double scale, double base,
                             double noPeak);
    void (*raw32ToDistances)(const uint32_t* raw, double* out, int n, double base, double noPeak);
    // x[i] = (a D^2 + b D + c) x (firstOffset + i) + (d D + e) of D = dist[i],
    // invalid where D is invalid; firstOffset is the first column minus the
    // centre column.
    void (*xPositions)(const double* dist, double* x, int n, int firstOffset, const double coef[5],
                       double invalid);
    // Distance to height reference - D inside [lower, upper], else invalid; a
    // distance of exactly noPeak is invalid.
    void (*clipHeights)(double* z, int n, double reference, double lower, double upper,
                        double noPeak, double invalid);
    // (x, z) rotated by the matrix (c, -s; s, c); invalid points become invalid in both.
    void (*rotate)(double* x, double* z, int n, double c, double s, double invalid);
    // Fixed-point words (little-endian, 16 fraction bits) to camera rows;
    // noPeak outside (0, cameraRows).
    void (*peakRows)(const uint8_t* words, double* rows, int n, int cameraRows, double noPeak);
    // Distance of point i at row r = rows[i] in table column firstColumn + i:
    // (r - c) table(c + 1) + (c + 1 - r) table(c) with c = trunc(r); noPeak for
    // r <= 0 (or NaN), r at or beyond the table's last row, or a column outside
    // it. The table has tableRows rows of rowStep doubles, tableColumns used.
    // Distances below lower or above upper then become noPeak as well.
    void (*interpolateRows)(const double* table, int rowStep, int tableRows, int tableColumns,
                            const double* rows, int firstColumn, int n, double* out,
                            double noPeak, double lower, double upper);
    // Distances below lower or above upper become noPeak.
    void (*limitDistances)(double* distances, int n, double lower, double upper, double noPeak);

    // Scans: the first index from `from` on (below `end`) with an invalid value
    // (within tolerance), or with v[i + 1] <= v[i]; `end` when there is none.
    int (*nextInvalid)(const double* z, int from, int end, double invalid, double tolerance);
    int (*nextFold)(const double* x, int from, int end);
    // v[i] <= v[i + 1] for every neighbour pair (false on NaN).
    bool (*nonDecreasing)(const double* v, int n);

    // Resampling. The kind of each segment s (0 to n - 2) as the resampling
    // judges it: kSegment... below.
    void (*classifySegments)(const double* x, const double* z, const int32_t* marks, int n,
                             double slopeThreshold, double stepThreshold, double widest,
                             double invalid, uint8_t* kinds);
    // For each of the n limits, the number of the count grid points at or
    // below it (the grid non-decreasing and free of NaN). uniform: what
    // uniformGrid says of the grid (false is always safe, only slower).
    void (*countGridPoints)(const double* limits, int n, const double* grid, int count, bool uniform,
                            int32_t* out);
    // The grid's points lie within a millionth of a pitch of an evenly spaced
    // row (from grid[0], pitch grid[1] - grid[0]), which lets countGridPoints
    // compute most counts instead of searching.
    bool (*uniformGrid)(const double* grid, int count);
    // Grid point i at grid[i] interpolated in segment s = segment[i], for i
    // below count: ((g - x[s]) z[s + 1] + (x[s + 1] - g) z[s]) / dx and the gray
    // (given as doubles) likewise, truncated; the left end where dx is 0. With
    // maskInvalid the gray of an invalid height is 0.
    void (*interpolateGrid)(const double* x, const double* z, const double* gray,
                            const int32_t* segment, const double* grid, double* heights,
                            uint8_t* grayOut, int count, bool maskInvalid, double invalid);
    void (*widenBytes)(const uint8_t* bytes, double* out, int n);

    // Grid-point stages.
    void (*maskInvalidGray)(const double* heights, uint8_t* gray, int n, double invalid);
    void (*reverse)(double* heights, uint8_t* gray, int n);
    // Negates every height above invalid.
    void (*negate)(double* heights, int n, double invalid);
    // Every valid height: minus offset when shift is set, then (valid still)
    // times factor when scale is set.
    void (*shiftAndScale)(double* heights, int n, bool shift, double offset, bool scale,
                          double factor);
    // heights[j] + offsets[j] where -9998999 < heights[j] < 9998999.
    void (*addZOffsets)(double* heights, int n, const double* offsets);
    // heights[i] = heights[min(i x factor, count - 1)], gray likewise, i below kept.
    void (*bin)(double* heights, uint8_t* gray, int count, int factor, int kept);
    // The count points of another frame's rows copied in and binned (kept
    // below count, 0 for none), then addZOffsets of the first offsetCount
    // (offsets may be null): copy, bin and addZOffsets in one pass.
    void (*binFrom)(double* heights, uint8_t* gray, const double* fromHeights, const uint8_t* fromGray,
                    int count, int factor, int kept, const double* offsets, int offsetCount);

    // Bit j of bits[w] tells whether heights[64 w + j] lies above invalid
    // (n points; the unused bits of the last word are 0).
    void (*validBits)(const double* heights, int n, double invalid, uint64_t* bits);

    // Output rows.
    void (*toInt100)(const double* heights, int32_t* out, int n);
    void (*toU16)(const double* heights, uint16_t* out, int n, double factor, double offsetA,
                  double offsetB, double invalid);
    void (*toExtendedCodes)(const double* heights, int32_t* out, int n, double scale,
                            double offsetA, double offsetB, double invalid, double zOffset);
    void (*applyGrayTable)(const uint8_t table[256], uint8_t* gray, int n);
};

// The kernels for this machine: AVX2 where the processor has it.
const FrameKernels& frame_kernels();
// The baseline kernels, and the AVX2 ones (null when this processor lacks AVX2).
const FrameKernels& baseline_frame_kernels();
const FrameKernels* avx2_frame_kernels();
