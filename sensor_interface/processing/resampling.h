#pragma once
// Per-column points at irregular x onto the uniform x grid, and the grid-point
// stages that follow (gray masking, binning, per-point z offsets).
#include <cstdint>
#include <vector>

// Resamples the n points (x, z, gray) onto the m grid positions. Grid points
// outside [x[0], x[n - 1]] become invalid with gray 0; points inside no segment
// keep what heights/grayOut held. A segment with an invalid end, and an
// uncertain one (touching a run mark, too steep: |dz/dx| >= slopeThreshold and
// |dz| >= stepThreshold, or wider than six grid pitches), gives a grid point its
// left end when that is valid and within one grid pitch, else its right end when
// that is valid and within one pitch (the left end wins even where the right
// end is nearer, which places a steep step). Otherwise an
// invalid end gives invalid, and an uncertain segment follows mode (1
// interpolate between two valid ends, 2 the lower end, other invalid). A steep
// or wide segment marks its left point so that later grid points in it agree.
// What the resampling and the base zero learn of a frame's x grid by a pass
// over it, kept for the frames that follow on the same grid. Its owner calls
// forget() whenever it writes the grid.
class GridFacts {
public:
    void forget() {
        sortedCount_ = -1;
        uniformFirst_ = -1;
    }
    // grid[0..count) never decreases (and holds no NaN).
    bool nonDecreasing(const double* grid, int count);
    // The frame_kernels' uniformGrid of grid[first..first + count).
    bool uniform(const double* grid, int first, int count);

private:
    int sortedCount_ = -1;
    bool sorted_ = false;
    int uniformFirst_ = -1, uniformCount_ = 0;
    bool uniform_ = false;
};

void resample_to_grid(const double* x, const double* z, const uint8_t* gray, int32_t* runMarks,
                      int n, const double* grid, double* heights, uint8_t* grayOut, int m,
                      double slopeThreshold, double stepThreshold, int mode, int invalid);

// resample_to_grid followed by mask_invalid_gray over the m grid points, in one
// pass where it can.
// gridFacts (may be null): those of the grid's first m points.
void resample_and_mask(const double* x, const double* z, const uint8_t* gray, int32_t* runMarks,
                       int n, const double* grid, double* heights, uint8_t* grayOut, int m,
                       double slopeThreshold, double stepThreshold, int mode, int invalid,
                       GridFacts* gridFacts = nullptr);

// gray[i] = 0 wherever heights[i] is invalid, for i in [start, end).
void mask_invalid_gray(const double* heights, uint8_t* gray, int invalid, int start, int end);

// Keeps grid points 0, factor, 2 x factor, ... as the first binnedCount points.
// Returns the kept count (binnedCount, at most count), or count when factor is
// below 2.
int bin_profile(double* heights, uint8_t* gray, int count, int factor, int binnedCount);

// The z-offset table holds at most this many entries.
constexpr int kMaxZOffsets = 4096;

// Adds table[j] / 100 to every height j (below tableCount and points) that lies
// strictly inside +-9998999. A count above kMaxZOffsets or below 0 is refused
// (false, nothing changed).
bool apply_z_offsets(double* heights, int points, const int32_t* table, int tableCount);

// apply_z_offsets for frame after frame: the offsets in height units are kept
// from one frame to the next while the table stays the same.
class ZOffsets {
public:
    bool apply(double* heights, int points, const int32_t* table, int tableCount);
    // The offsets apply() would add to the first *count heights (null, count
    // 0: none; a refused table gives none either).
    const double* offsets(int points, const int32_t* table, int tableCount, int* count);

private:
    std::vector<int32_t> table_;   // the table the offsets were made from
    std::vector<double> offsets_;  // table_[j] / 100
};
