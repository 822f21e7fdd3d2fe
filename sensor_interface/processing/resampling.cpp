#include "sensor_interface/processing/resampling.h"

#include <algorithm>
#include <cmath>

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

    GridSample at(double g) const {
        if (dx_ == 0.0) return {z0_, gray0_};
        const double wl = x1_ - g;
        const double wr = g - x0_;
        const DoublePair numerators = {wr * z1_ + wl * z0_, wr * g1_ + wl * g0_};
        const DoublePair divisors = {dx_, dx_};
        const DoublePair q = numerators / divisors;
        return {q[0], static_cast<uint8_t>(static_cast<int>(q[1]))};
    }

private:
    double x0_ = 0.0, x1_ = 0.0, z0_ = 0.0, z1_ = 0.0, g0_ = 0.0, g1_ = 0.0, dx_ = 0.0;
    uint8_t gray0_ = 0;
};

GridSample interpolate(const double* x, const double* z, const uint8_t* gray, int s, double g) {
    return SegmentInterpolation(x, z, gray, s).at(g);
}

}  // namespace

void resample_to_grid(const double* x, const double* z, const uint8_t* gray, int32_t* runMarks,
                      int n, const double* grid, double* heights, uint8_t* grayOut, int m,
                      double slopeThreshold, double stepThreshold, int mode, int invalid) {
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

    auto invalidZ = [&](double v) { return std::fabs(v - invalidHeight) < kInvalidTolerance; };
    // A segment's kind depends only on its two ends and their marks, and the
    // only mark written here is the segment's own left one: classify each
    // segment once, however many grid points fall into it.
    enum class Kind { Interpolated, InvalidEnd, Uncertain };
    auto classify = [&](int s) {
        if (runMarks[s] == 1 || runMarks[s + 1] == 1) return Kind::Uncertain;
        if (invalidZ(z[s]) || invalidZ(z[s + 1])) return Kind::InvalidEnd;
        const double dx = x[s + 1] - x[s];
        const double dz = z[s + 1] - z[s];
        // The step is tested before the slope: most segments are flat, and
        // their slope division is then skipped (the result is the same).
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

        GridSample sample{invalidHeight, 0};
        if (kind == Kind::Interpolated) {
            sample = span.at(g);
        } else if (!end_within_pitch(x, z, gray, s, g, pitch, invalidHeight, &sample)) {
            const bool bothValid = !invalidZ(z[s]) && !invalidZ(z[s + 1]);
            if (kind == Kind::InvalidEnd)
                sample = {invalidHeight, 0};
            else if (mode == 1 && bothValid)
                sample = interpolate(x, z, gray, s, g);
            else if (mode == 2)
                sample = {std::min(z[s], z[s + 1]), std::min(gray[s], gray[s + 1])};
            else
                sample = {invalidHeight, 0};
        }
        heights[p] = sample.height;
        grayOut[p] = sample.gray;
    }
}

void mask_invalid_gray(const double* heights, uint8_t* gray, int invalid, int start, int end) {
    const double invalidHeight = invalid;
    for (int i = std::max(start, 0); i < end; ++i)
        if (std::fabs(heights[i] - invalidHeight) < kInvalidTolerance) gray[i] = 0;
}

int bin_profile(double* heights, uint8_t* gray, int count, int factor, int binnedCount) {
    if (factor < 2) return count;
    const int kept = std::min(binnedCount, count);
    for (int i = 0; i < kept; ++i) {
        long long source = static_cast<long long>(i) * factor;
        if (source >= count) source = count - 1;
        heights[i] = heights[source];
        gray[i] = gray[source];
    }
    return kept;
}

bool apply_z_offsets(double* heights, int points, const int32_t* table, int tableCount) {
    if (tableCount < 0 || tableCount > kMaxZOffsets) return false;
    const int count = std::min(tableCount, points);
    for (int j = 0; j < count; ++j) {
        const double h = heights[j];
        if (h > -9998999.0 && h < 9998999.0) heights[j] = h + table[j] / 100.0;
    }
    return true;
}
