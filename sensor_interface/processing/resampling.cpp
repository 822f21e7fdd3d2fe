#include "sensor_interface/processing/resampling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/processing_types.h"

namespace {

struct GridSample {
    double height;
    uint8_t gray;
};

// The end of segment s that a grid point g takes when the segment is not
// interpolated: the left end when it lies within one pitch of g, else the right
// end when it does. Ends with an invalid height are never copied, so that a
// valid point always reaches the grid points within a pitch of it.
bool end_within_pitch(const double* x, const double* z, const uint8_t* gray, int s, double g,
                      double pitch, double invalid, GridSample* out) {
    for (const int end : {s, s + 1}) {
        if (std::fabs(g - x[end]) <= pitch && !(std::fabs(z[end] - invalid) < kInvalidTolerance)) {
            *out = {z[end], gray[end]};
            return true;
        }
    }
    return false;
}

// Two doubles divided lane by lane in one instruction: each lane is the same
// correctly rounded quotient as a scalar division, at half the cost.
typedef double DoublePair __attribute__((vector_size(16)));

// The interpolation of one segment, its ends loaded once for the many grid
// points that fall into it: ((g - x0) z1 + (x1 - g) z0) / dx, and the gray
// likewise, truncated. Ends at the same x give the left end.
class SegmentInterpolation {
public:
    SegmentInterpolation() = default;
    SegmentInterpolation(const double* x, const double* z, const uint8_t* gray, int s)
        : x0_(x[s]), x1_(x[s + 1]), z0_(z[s]), z1_(z[s + 1]), g0_(gray[s]), g1_(gray[s + 1]),
          dx_(x1_ - x0_), gray0_(gray[s]) {}

    // Ends too far apart for doubles (x beyond any camera) give no number:
    // invalid, as the grid kernels have it.
    GridSample at(double g, double invalid) const {
        if (dx_ == 0.0) return {z0_, gray0_};
        const double wl = x1_ - g;
        const double wr = g - x0_;
        const DoublePair numerators = {wr * z1_ + wl * z0_, wr * g1_ + wl * g0_};
        const DoublePair divisors = {dx_, dx_};
        const DoublePair q = numerators / divisors;
        if (!std::isfinite(q[0])) return {invalid, 0};
        const uint8_t gray = q[1] >= 0.0 && q[1] < 256.0 ? static_cast<uint8_t>(static_cast<int>(q[1])) : 0;
        return {q[0], gray};
    }

private:
    double x0_ = 0.0, x1_ = 0.0, z0_ = 0.0, z1_ = 0.0, g0_ = 0.0, g1_ = 0.0, dx_ = 0.0;
    uint8_t gray0_ = 0;
};

GridSample interpolate(const double* x, const double* z, const uint8_t* gray, int s, double g, double invalid) {
    return SegmentInterpolation(x, z, gray, s).at(g, invalid);
}

}  // namespace

namespace {

// Working rows of the sorted resampling, grown to the largest frame a thread
// has seen and then reused.
struct ResampleScratch {
    std::vector<uint8_t> kinds;    // per segment
    std::vector<double> gray;      // per column, the gray bytes as doubles
    std::vector<int32_t> bounds;   // per column k: the grid points at or below x[k]
    std::vector<int32_t> segment;  // per grid point
};

// Grid points a segment fills without a test.
constexpr int kWrittenAhead = 4;

ResampleScratch& scratch_of_this_thread() {
    thread_local ResampleScratch scratch;
    return scratch;
}

template <typename T>
T* sized(std::vector<T>& row, int size) {
    if (row.size() < static_cast<size_t>(size)) row.resize(static_cast<size_t>(size));
    return row.data();
}

// A grid point of a segment that is not interpolated: an end within one pitch,
// else invalid for an invalid end, else the mode.
GridSample uncertain_sample(const double* x, const double* z, const uint8_t* gray, int s,
                            double g, double pitch, double invalid, bool invalidEnd, int mode) {
    GridSample sample{invalid, 0};
    if (end_within_pitch(x, z, gray, s, g, pitch, invalid, &sample)) return sample;
    const bool bothValid = !is_invalid_height(z[s], invalid) && !is_invalid_height(z[s + 1], invalid);
    if (invalidEnd) return {invalid, 0};
    if (mode == 1 && bothValid) return interpolate(x, z, gray, s, g, invalid);
    if (mode == 2) return {std::min(z[s], z[s + 1]), std::min(gray[s], gray[s + 1])};
    return {invalid, 0};
}

// Grid points first..last, x (n >= 2 points) and the grid both non-decreasing:
// a grid point's segment is the first one, searching on from the previous
// point's, whose right end is not below it (x[s] <= g then holds as well) -
// the number of columns k >= 1 with x[k] below it. Found from the other side:
// with c(k) the number of grid points at or below x[k] (c(0) taken as 0 and
// c(n - 1) as all), segment k holds the grid points c(k) <= i < c(k + 1).
// Every segment is classified at once and every grid point interpolated; the
// points of the segments that are not interpolated are then redone one by one.
void resample_sorted(const FrameKernels& kernels, const double* x, const double* z,
                     const uint8_t* gray, int32_t* runMarks, int n, const double* grid,
                     double* heights, uint8_t* grayOut, int first, int last, double pitch,
                     double slopeThreshold, double stepThreshold, int mode, double invalid,
                     bool maskInvalid, GridFacts* gridFacts) {
    ResampleScratch& scratch = scratch_of_this_thread();
    const int count = last - first + 1;
    const double* points = grid + first;
    uint8_t* kinds = sized(scratch.kinds, n - 1);
    int32_t* bounds = sized(scratch.bounds, n);
    // Room for the points written ahead of each segment's own.
    int32_t* segment = sized(scratch.segment, count + kWrittenAhead);
    double* grayValues = sized(scratch.gray, n);
    kernels.widenBytes(gray, grayValues, n);
    kernels.classifySegments(x, z, runMarks, n, slopeThreshold, stepThreshold, 6.0 * pitch,
                             invalid, kinds);
    bounds[0] = 0;
    const bool uniform =
        gridFacts ? gridFacts->uniform(grid, first, count) : kernels.uniformGrid(points, count);
    kernels.countGridPoints(x + 1, n - 2, points, count, uniform, bounds + 1);
    bounds[n - 1] = count;
    // Each segment writes its number into kWrittenAhead points from its first
    // one without a test (the next segment overwrites what is not its own) and
    // into any further points in a loop.
    for (int k = 0; k <= n - 2; ++k) {
        const int from = bounds[k], to = bounds[k + 1];
        const int32_t ahead[kWrittenAhead] = {k, k, k, k};
        std::memcpy(segment + from, ahead, sizeof ahead);
        for (int i = from + kWrittenAhead; i < to; ++i) segment[i] = k;
    }
    kernels.interpolateGrid(x, z, grayValues, segment, points, heights + first, grayOut + first,
                            count, maskInvalid, invalid);
    const int segments = n - 1;
    for (int k = 0; k < segments; ++k) {
        // Eight interpolated segments at a time are passed over.
        uint64_t eight;
        if (k + 8 <= segments && (std::memcpy(&eight, kinds + k, sizeof eight), eight == 0)) {
            k += 7;
            continue;
        }
        const uint8_t kind = kinds[k];
        if (kind == kSegmentInterpolated || bounds[k] == bounds[k + 1]) continue;
        if (kind == kSegmentSteep) runMarks[k] = 1;
        for (int i = bounds[k]; i < bounds[k + 1]; ++i) {
            GridSample sample = uncertain_sample(x, z, gray, k, points[i], pitch, invalid,
                                                 kind == kSegmentInvalidEnd, mode);
            if (maskInvalid && is_invalid_height(sample.height, invalid)) sample.gray = 0;
            heights[first + i] = sample.height;
            grayOut[first + i] = sample.gray;
        }
    }
}

void resample(const double* x, const double* z, const uint8_t* gray, int32_t* runMarks, int n,
              const double* grid, double* heights, uint8_t* grayOut, int m, double slopeThreshold,
              double stepThreshold, int mode, int invalid, bool maskInvalid, GridFacts* gridFacts) {
    if (m <= 0) return;
    const double invalidHeight = invalid;
    auto setInvalid = [&](int p) {
        heights[p] = invalidHeight;
        grayOut[p] = 0;
    };
    if (n <= 0) {
        for (int p = 0; p < m; ++p) setInvalid(p);
        return;
    }
    const double pitch = m >= 2 ? grid[1] - grid[0] : 0.0;
    const double widest = 6.0 * pitch;

    int first = 0;
    while (first < m && !(x[0] <= grid[first])) setInvalid(first++);
    int last = m - 1;
    while (last >= first && !(grid[last] <= x[n - 1])) setInvalid(last--);

    const FrameKernels& kernels = frame_kernels();
    // A part of a grid that never decreases does not either.
    auto sortedSpan = [&] {
        return (gridFacts && gridFacts->nonDecreasing(grid, m)) ||
               kernels.nonDecreasing(grid + first, last - first + 1);
    };
    if (n >= 2 && first <= last && kernels.nonDecreasing(x, n) && sortedSpan()) {
        resample_sorted(kernels, x, z, gray, runMarks, n, grid, heights, grayOut, first, last,
                        pitch, slopeThreshold, stepThreshold, mode, invalidHeight, maskInvalid,
                        gridFacts);
        return;
    }

    // Any order of x and grid: each grid point searches on from the previous
    // point's segment for one that holds it.
    auto invalidZ = [&](double v) { return is_invalid_height(v, invalidHeight); };
    // A segment's kind depends only on its two ends and their marks, and the
    // only mark written here is the segment's own left one: classify each
    // segment once, however many grid points fall into it.
    enum class Kind { Interpolated, InvalidEnd, Uncertain };
    auto classify = [&](int s) {
        if (runMarks[s] == 1 || runMarks[s + 1] == 1) return Kind::Uncertain;
        if (invalidZ(z[s]) || invalidZ(z[s + 1])) return Kind::InvalidEnd;
        const double dx = x[s + 1] - x[s];
        const double dz = z[s + 1] - z[s];
        if ((std::fabs(dz) >= stepThreshold && std::fabs(dz / dx) >= slopeThreshold) ||
            dx > widest) {
            runMarks[s] = 1;
            return Kind::Uncertain;
        }
        return Kind::Interpolated;
    };

    int segment = 0;
    int classified = -1;
    Kind kind = Kind::Interpolated;
    SegmentInterpolation span;
    for (int p = first; p <= last; ++p) {
        const double g = grid[p];
        int s = segment;
        while (s <= n - 2 && !(x[s] <= g && g <= x[s + 1])) ++s;
        if (s > n - 2) continue;  // inside no segment: keep what is there
        segment = s;
        if (s != classified) {
            kind = classify(s);
            classified = s;
            if (kind == Kind::Interpolated) span = SegmentInterpolation(x, z, gray, s);
        }
        const GridSample sample =
            kind == Kind::Interpolated
                ? span.at(g, invalidHeight)
                : uncertain_sample(x, z, gray, s, g, pitch, invalidHeight,
                                   kind == Kind::InvalidEnd, mode);
        heights[p] = sample.height;
        grayOut[p] = sample.gray;
    }
    if (maskInvalid) kernels.maskInvalidGray(heights, grayOut, m, invalidHeight);
}

}  // namespace

void resample_to_grid(const double* x, const double* z, const uint8_t* gray, int32_t* runMarks,
                      int n, const double* grid, double* heights, uint8_t* grayOut, int m,
                      double slopeThreshold, double stepThreshold, int mode, int invalid) {
    resample(x, z, gray, runMarks, n, grid, heights, grayOut, m, slopeThreshold, stepThreshold,
             mode, invalid, false, nullptr);
}

void resample_and_mask(const double* x, const double* z, const uint8_t* gray, int32_t* runMarks,
                       int n, const double* grid, double* heights, uint8_t* grayOut, int m,
                       double slopeThreshold, double stepThreshold, int mode, int invalid,
                       GridFacts* gridFacts) {
    resample(x, z, gray, runMarks, n, grid, heights, grayOut, m, slopeThreshold, stepThreshold,
             mode, invalid, true, gridFacts);
}

bool GridFacts::nonDecreasing(const double* grid, int count) {
    if (count != sortedCount_) {
        sorted_ = frame_kernels().nonDecreasing(grid, count);
        sortedCount_ = count;
    }
    return sorted_;
}

bool GridFacts::uniform(const double* grid, int first, int count) {
    if (first != uniformFirst_ || count != uniformCount_) {
        uniform_ = frame_kernels().uniformGrid(grid + first, count);
        uniformFirst_ = first;
        uniformCount_ = count;
    }
    return uniform_;
}

void mask_invalid_gray(const double* heights, uint8_t* gray, int invalid, int start, int end) {
    start = std::max(start, 0);
    if (end > start) frame_kernels().maskInvalidGray(heights + start, gray + start, end - start, invalid);
}

int bin_profile(double* heights, uint8_t* gray, int count, int factor, int binnedCount) {
    if (factor < 2) return count;
    const int kept = std::min(binnedCount, count);
    frame_kernels().bin(heights, gray, count, factor, kept);
    return kept;
}

bool apply_z_offsets(double* heights, int points, const int32_t* table, int tableCount) {
    if (tableCount < 0 || tableCount > kMaxZOffsets) return false;
    const int count = std::max(std::min(tableCount, points), 0);
    double offsets[kMaxZOffsets];
    for (int j = 0; j < count; ++j) offsets[j] = table[j] / 100.0;
    frame_kernels().addZOffsets(heights, count, offsets);
    return true;
}

bool ZOffsets::apply(double* heights, int points, const int32_t* table, int tableCount) {
    if (tableCount < 0 || tableCount > kMaxZOffsets) return false;
    int count = 0;
    if (const double* added = offsets(points, table, tableCount, &count))
        frame_kernels().addZOffsets(heights, count, added);
    return true;
}

const double* ZOffsets::offsets(int points, const int32_t* table, int tableCount, int* count) {
    *count = 0;
    if (tableCount < 0 || tableCount > kMaxZOffsets) return nullptr;
    const size_t used = static_cast<size_t>(std::max(std::min(tableCount, points), 0));
    // An empty table adds nothing (and memcmp must not see its null data).
    if (used == 0) return nullptr;
    if (table_.size() != used || std::memcmp(table_.data(), table, used * sizeof(int32_t)) != 0) {
        table_.assign(table, table + used);
        offsets_.resize(used);
        for (size_t j = 0; j < used; ++j) offsets_[j] = table[j] / 100.0;
    }
    *count = static_cast<int>(used);
    return offsets_.data();
}
