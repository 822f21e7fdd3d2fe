// Every frame kernel, in its baseline build and (on a processor that has it)
// its AVX2 build, against the plain per-point formula, bit for bit, on random
// rows with invalid values, steps, NaN, infinities and the edges of every
// conversion, at lengths that leave every tail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "sensor_interface/processing/frame_kernels.h"
#include "tests/perf_regress/exactness_support.h"

namespace {

using namespace perf_regress;

constexpr double kNoPeak = -1.0;
constexpr double kTolerance = 0.000001;

std::vector<const FrameKernels*> builds() {
    std::vector<const FrameKernels*> all{&baseline_frame_kernels()};
    if (avx2_frame_kernels()) all.push_back(avx2_frame_kernels());
    return all;
}

bool invalid(double v) { return std::fabs(v - kInvalidHeight) < kTolerance; }

// Doubles as a profile holds them, with the values that test each branch.
std::vector<double> random_heights(std::mt19937_64& rng, int n) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double special[] = {kInvalidHeight, kInvalidHeight + 5e-7, kInvalidHeight - 2e-6, 0.0, -0.0,
                              std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 9998999.0, -9998999.0, 21474836.47,
                              -21474836.49, 1e300, 255.0, 65535.0};
    std::vector<double> v(n);
    double level = 200.0 * unit(rng) - 100.0;
    for (double& h : v) {
        const double kind = unit(rng);
        if (kind < 0.1)
            h = special[rng() % (sizeof special / sizeof special[0])];
        else if (kind < 0.2)
            h = kInvalidHeight;
        else if (kind < 0.25)
            h = level += 80.0 * (unit(rng) - 0.5);  // a step
        else
            h = level + unit(rng) - 0.5;
    }
    return v;
}

std::vector<uint8_t> random_bytes(std::mt19937_64& rng, int n) {
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

bool same(const std::vector<double>& a, const std::vector<double>& b) { return same_bits(a, b); }

template <typename T>
bool same(const std::vector<T>& a, const std::vector<T>& b) {
    return a == b;
}

// Runs check for lengths 0..20 and a few long rows, on every build.
void for_each_case(const std::function<void(const FrameKernels&, std::mt19937_64&, int)>& check) {
    std::mt19937_64 rng(20251210);
    std::vector<int> lengths;
    for (int n = 0; n <= 20; ++n) lengths.push_back(n);
    for (int n : {63, 64, 65, 848, 2048, 3200}) lengths.push_back(n);
    for (const FrameKernels* kernels : builds()) {
        SCOPED_TRACE(kernels->name);
        for (int round = 0; round < 6; ++round)
            for (int n : lengths) {
                SCOPED_TRACE("n " + std::to_string(n));
                check(*kernels, rng, n);
                if (::testing::Test::HasFatalFailure()) return;
            }
    }
}

TEST(FrameKernelsExactness, RawWordsToDistances) {
    for_each_case([](const FrameKernels& k, std::mt19937_64& rng, int n) {
        std::vector<uint16_t> w16(n);
        std::vector<uint32_t> w32(n);
        for (int i = 0; i < n; ++i) {
            w16[i] = rng() % 5 == 0 ? (rng() % 2 ? 0 : 65535) : static_cast<uint16_t>(rng());
            w32[i] = rng() % 5 == 0 ? (rng() % 2 ? 0u : 0xFFFFFFFFu) : static_cast<uint32_t>(rng());
        }
        const double scale = 65536.0 / (1 + rng() % 100000), base = (rng() % 5000000) / 256.0;
        std::vector<double> out(n), expected(n);
        k.raw16ToDistances(w16.data(), out.data(), n, scale, base, kNoPeak);
        for (int i = 0; i < n; ++i)
            expected[i] = w16[i] == 0 ? kNoPeak : base - (static_cast<double>(w16[i]) - 32768.0) * scale;
        ASSERT_TRUE(same(out, expected));
        k.raw32ToDistances(w32.data(), out.data(), n, base * 256.0, kNoPeak);
        for (int i = 0; i < n; ++i)
            expected[i] = w32[i] == 0 ? kNoPeak
                                      : (base * 256.0 - (static_cast<double>(w32[i]) - 2147483648.0)) * (1.0 / 256.0);
        ASSERT_TRUE(same(out, expected));
    });
}

TEST(FrameKernelsExactness, XPositionsHeightsRotationAndPeaks) {
    for_each_case([](const FrameKernels& k, std::mt19937_64& rng, int n) {
        std::uniform_real_distribution<double> unit(-1.0, 1.0);
        const std::vector<double> dist = random_heights(rng, n);
        const double coef[5] = {1e-6 * unit(rng), 1e-3 * unit(rng), 1.0 + unit(rng), 0.01 * unit(rng), unit(rng)};
        const int first = static_cast<int>(rng() % 2048) - 1024;
        std::vector<double> x(n), expected(n);
        k.xPositions(dist.data(), x.data(), n, first, coef, kInvalidHeight);
        for (int i = 0; i < n; ++i) {
            const double D = dist[i];
            expected[i] = invalid(D) ? kInvalidHeight
                                     : (coef[0] * D * D + coef[1] * D + coef[2]) * static_cast<double>(first + i) +
                                           (coef[3] * D + coef[4]);
        }
        ASSERT_TRUE(same(x, expected));

        std::vector<double> z = dist;
        for (int i = 0; i < n; i += 7) z[i] = kNoPeak;
        std::vector<double> clipped = z;
        const double lower = -50.0 + unit(rng), upper = 50.0 + unit(rng), reference = 10.0 * unit(rng);
        k.clipHeights(clipped.data(), n, reference, lower, upper, kNoPeak, kInvalidHeight);
        for (int i = 0; i < n; ++i) {
            const double h = reference - z[i];
            // A height that is no number lies within no bounds: invalid too.
            expected[i] = z[i] == kNoPeak || !(h >= lower && h <= upper) ? kInvalidHeight : h;
        }
        ASSERT_TRUE(same(clipped, expected));

        std::vector<double> rx = x, rz = dist;
        const double c = std::cos(0.01 * unit(rng)), s = std::sin(0.01 * unit(rng));
        k.rotate(rx.data(), rz.data(), n, c, s, kInvalidHeight);
        for (int i = 0; i < n; ++i) {
            const bool off = invalid(dist[i]);
            ASSERT_TRUE(same(std::vector<double>{rx[i], rz[i]},
                             std::vector<double>{off ? kInvalidHeight : x[i] * c - dist[i] * s,
                                                 off ? kInvalidHeight : x[i] * s + dist[i] * c}))
                << i;
        }

        std::vector<uint8_t> words(4 * size_t(n));
        for (auto& b : words) b = static_cast<uint8_t>(rng() % 7 == 0 ? 0 : rng());
        std::vector<double> rows(n);
        const int cameraRows = 640 + static_cast<int>(rng() % 600);
        k.peakRows(words.data(), rows.data(), n, cameraRows, kNoPeak);
        for (int i = 0; i < n; ++i) {
            uint32_t w;
            std::memcpy(&w, words.data() + 4 * i, 4);
            const double row = w * 0.0000152587890625;
            expected[i] = row <= 0.0 || row >= cameraRows ? kNoPeak : row;
        }
        ASSERT_TRUE(same(rows, expected));

        std::vector<double> limited = dist;
        k.limitDistances(limited.data(), n, lower, upper, kNoPeak);
        for (int i = 0; i < n; ++i) expected[i] = dist[i] < lower || dist[i] > upper ? kNoPeak : dist[i];
        ASSERT_TRUE(same(limited, expected));
    });
}

TEST(FrameKernelsExactness, RowTableInterpolation) {
    constexpr int kTableRows = 40, kTableColumns = 70, kStep = 72;
    std::mt19937_64 rng(5);
    std::vector<double> table(size_t(kTableRows) * kStep);
    for (double& v : table) v = static_cast<double>(rng() % 100000) / 7.0;
    for_each_case([&](const FrameKernels& k, std::mt19937_64& r, int n) {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::vector<double> rows(n);
        for (size_t i = 0; i < rows.size(); ++i) {
            const double kind = unit(r);
            // Runs of rows between the same two table rows, as a smooth profile gives.
            const double nearPrevious = i > 0 ? std::floor(rows[i - 1]) + 0.999 * unit(r) : 1.5;
            rows[i] = kind < 0.1    ? -unit(r)
                      : kind < 0.2  ? kTableRows - 1 + unit(r)
                      : kind < 0.25 ? std::nan("")
                      : kind < 0.6  ? nearPrevious
                                    : (kTableRows - 1) * unit(r);
        }
        const int first = static_cast<int>(r() % 90) - 10;
        // No limits, and limits inside the table's values.
        const double lower = r() % 2 ? -INFINITY : 4000.0, upper = r() % 2 ? INFINITY : 10000.0;
        std::vector<double> out(n), expected(n);
        k.interpolateRows(table.data(), kStep, kTableRows, kTableColumns, rows.data(), first, n, out.data(), kNoPeak,
                          lower, upper);
        for (int i = 0; i < n; ++i) {
            const double row = rows[i];
            const int column = first + i;
            expected[i] = kNoPeak;
            if (!(row > 0.0) || column < 0 || column >= kTableColumns || row >= kTableRows - 1) continue;
            const int c = static_cast<int>(row);
            expected[i] = (row - c) * table[size_t(c + 1) * kStep + column] + (c + 1 - row) * table[size_t(c) * kStep + column];
            if (expected[i] < lower || expected[i] > upper) expected[i] = kNoPeak;
        }
        ASSERT_TRUE(same(out, expected));
    });
}

TEST(FrameKernelsExactness, ScansAndSegmentKinds) {
    for_each_case([](const FrameKernels& k, std::mt19937_64& rng, int n) {
        const std::vector<double> z = random_heights(rng, n);
        std::vector<double> x(n);
        double at = 0.0;
        for (double& v : x) v = at += (rng() % 9 == 0 ? -1.0 : 1.0) * static_cast<double>(rng() % 100) / 50.0;
        for (int from = 0; from <= n; from += 1 + n / 5) {
            int expected = n;
            for (int i = from; i < n; ++i)
                if (std::fabs(z[i] - kInvalidHeight) < kTolerance) { expected = i; break; }
            ASSERT_EQ(k.nextInvalid(z.data(), from, n, kInvalidHeight, kTolerance), expected) << from;
            expected = n - 1;
            for (int i = from; i < n - 1; ++i)
                if (x[i + 1] <= x[i]) { expected = i; break; }
            if (n >= 1 && from <= n - 1) {
                ASSERT_EQ(k.nextFold(x.data(), from, n - 1), std::max(expected, from)) << from;
            }
        }
        bool sorted = true;
        for (int i = 0; i + 1 < n; ++i) sorted = sorted && x[i] <= x[i + 1];
        ASSERT_EQ(k.nonDecreasing(x.data(), n), sorted);
        std::vector<double> rising(x);
        std::sort(rising.begin(), rising.end());
        ASSERT_TRUE(k.nonDecreasing(rising.data(), n));

        if (n < 2) return;
        std::vector<int32_t> marks(n);
        for (int32_t& m : marks) m = rng() % 10 == 0 ? 1 : 0;
        const double slope = static_cast<double>(rng() % 50) / 10.0, step = static_cast<double>(rng() % 300) / 10.0;
        const double widest = 6.0 * static_cast<double>(1 + rng() % 20) / 10.0;
        std::vector<uint8_t> kinds(n - 1), expectedKinds(n - 1);
        k.classifySegments(x.data(), z.data(), marks.data(), n, slope, step, widest, kInvalidHeight, kinds.data());
        for (int s = 0; s + 1 < n; ++s) {
            const double dx = x[s + 1] - x[s], dz = z[s + 1] - z[s];
            expectedKinds[s] = marks[s] == 1 || marks[s + 1] == 1 ? kSegmentMarked
                               : invalid(z[s]) || invalid(z[s + 1])
                                   ? kSegmentInvalidEnd
                                   : (std::fabs(dz / dx) >= slope && std::fabs(dz) >= step) || dx > widest ? kSegmentSteep
                                                                                                           : kSegmentInterpolated;
        }
        ASSERT_EQ(kinds, expectedKinds);
    });
}

TEST(FrameKernelsExactness, GridCountsAndInterpolation) {
    for_each_case([](const FrameKernels& k, std::mt19937_64& rng, int n) {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        // A uniform grid, or one that is not quite; limits on, near and off it.
        const int count = 1 + static_cast<int>(rng() % 300);
        const double pitch = 0.1 + unit(rng), origin = -50.0 * unit(rng);
        std::vector<double> grid(count);
        for (int i = 0; i < count; ++i) grid[i] = (i + origin / pitch) * pitch;
        if (rng() % 3 == 0) {
            for (int i = 1; i < count; ++i) grid[i] += 0.3 * pitch * unit(rng);
            std::sort(grid.begin(), grid.end());
        }
        std::vector<double> limits(n);
        for (double& l : limits) {
            const double kind = unit(rng);
            l = kind < 0.3 ? grid[rng() % count] : kind < 0.4 ? std::nextafter(grid[rng() % count], -1e9)
                                               : origin - 5.0 + (count * pitch + 10.0) * unit(rng);
        }
        std::vector<int32_t> counts(n);
        // With what uniformGrid finds, and without: the same counts.
        for (const bool uniform : {k.uniformGrid(grid.data(), count), false}) {
            k.countGridPoints(limits.data(), n, grid.data(), count, uniform, counts.data());
            for (int i = 0; i < n; ++i) {
                int expected = 0;
                while (expected < count && grid[expected] <= limits[i]) ++expected;
                ASSERT_EQ(counts[i], expected) << limits[i];
            }
        }

        // Segment ends per grid point, dx 0 among them.
        const int columns = 2 + static_cast<int>(rng() % 50);
        std::vector<double> x(columns), z = random_heights(rng, columns), gray(columns);
        double at = origin;
        for (int c = 0; c < columns; ++c) {
            x[c] = at += rng() % 6 == 0 ? 0.0 : unit(rng);
            gray[c] = static_cast<double>(rng() % 256);
            if (!std::isfinite(z[c])) z[c] = 1.0;
        }
        std::vector<int32_t> segment(n);
        std::vector<double> points(n);
        for (int i = 0; i < n; ++i) {
            segment[i] = static_cast<int32_t>(rng() % (columns - 1));
            points[i] = x[segment[i]] + (x[segment[i] + 1] - x[segment[i]]) * unit(rng);
        }
        for (bool mask : {false, true}) {
            std::vector<double> heights(n), expected(n);
            std::vector<uint8_t> levels(n), expectedLevels(n);
            k.interpolateGrid(x.data(), z.data(), gray.data(), segment.data(), points.data(), heights.data(),
                              levels.data(), n, mask, kInvalidHeight);
            for (int i = 0; i < n; ++i) {
                const int s = segment[i];
                const double g = points[i], dx = x[s + 1] - x[s];
                if (dx == 0.0) {
                    expected[i] = z[s];
                    expectedLevels[i] = static_cast<uint8_t>(gray[s]);
                } else {
                    expected[i] = ((g - x[s]) * z[s + 1] + (x[s + 1] - g) * z[s]) / dx;
                    expectedLevels[i] = static_cast<uint8_t>(
                        static_cast<int>(((g - x[s]) * gray[s + 1] + (x[s + 1] - g) * gray[s]) / dx));
                }
                if (mask && invalid(expected[i])) expectedLevels[i] = 0;
            }
            ASSERT_TRUE(same(heights, expected));
            ASSERT_EQ(levels, expectedLevels);
        }
        const std::vector<uint8_t> bytes = random_bytes(rng, n);
        std::vector<double> widened(n), expectedWide(bytes.begin(), bytes.end());
        k.widenBytes(bytes.data(), widened.data(), n);
        ASSERT_TRUE(same(widened, expectedWide));
    });
}

// A head whose polynomials put the columns beyond the doubles, or a distance
// that is no number, gives invalid points rather than NaN heights or gray
// levels converted from NaN.
TEST(FrameKernelsExactness, PointsBeyondTheDoublesAreInvalid) {
    for (const FrameKernels* k : builds()) {
        SCOPED_TRACE(k->name);
        const double x[] = {-1.7e308, 1.7e308};
        const double z[] = {1.0, 2.0};
        const double gray[] = {10.0, 20.0};
        // Five points: one block of four lanes and one point after it.
        const int32_t segment[5] = {};
        const double points[5] = {0.0, 1.0, -1.0, 1e307, 0.0};
        double heights[5];
        uint8_t levels[5];
        k->interpolateGrid(x, z, gray, segment, points, heights, levels, 5, false, kInvalidHeight);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(heights[i], kInvalidHeight) << i;
            EXPECT_EQ(levels[i], 0) << i;
        }

        double distances[5] = {std::numeric_limits<double>::quiet_NaN(), 5.0, std::numeric_limits<double>::quiet_NaN(),
                               5.0, std::numeric_limits<double>::quiet_NaN()};
        k->clipHeights(distances, 5, 10.0, -50.0, 50.0, kNoPeak, kInvalidHeight);
        EXPECT_EQ(std::vector<double>(distances, distances + 5),
                  (std::vector<double>{kInvalidHeight, 5.0, kInvalidHeight, 5.0, kInvalidHeight}));
    }
}

TEST(FrameKernelsExactness, GridPointStages) {
    for_each_case([](const FrameKernels& k, std::mt19937_64& rng, int n) {
        const std::vector<double> h = random_heights(rng, n);
        const std::vector<uint8_t> g = random_bytes(rng, n);
        std::vector<double> heights = h, expected = h;
        std::vector<uint8_t> gray = g, expectedGray = g;

        k.maskInvalidGray(heights.data(), gray.data(), n, kInvalidHeight);
        for (int i = 0; i < n; ++i)
            if (invalid(h[i])) expectedGray[i] = 0;
        ASSERT_EQ(gray, expectedGray);

        k.reverse(heights.data(), gray.data(), n);
        for (int j = 0; j < n / 2; ++j) {
            std::swap(expected[j], expected[n - 1 - j]);
            std::swap(expectedGray[j], expectedGray[n - 1 - j]);
        }
        ASSERT_TRUE(same(heights, expected));
        ASSERT_EQ(gray, expectedGray);

        k.negate(heights.data(), n, kInvalidHeight);
        for (double& e : expected)
            if (e > kInvalidHeight) e = -e;
        ASSERT_TRUE(same(heights, expected));

        const double offset = static_cast<double>(rng() % 2000) / 7.0 - 100.0, factor = 0.5 + (rng() % 100) / 50.0;
        for (int mode = 0; mode < 4; ++mode) {
            const bool shift = mode & 1, scale = mode & 2;
            std::vector<double> shifted = h, reference = h;
            k.shiftAndScale(shifted.data(), n, shift, offset, scale, factor);
            for (double& e : reference) {
                if (shift && !invalid(e)) e -= offset;
                if (scale && !invalid(e)) e *= factor;
            }
            ASSERT_TRUE(same(shifted, reference)) << mode;
        }

        std::vector<int32_t> table(n);
        std::vector<double> offsets(n);
        for (int j = 0; j < n; ++j) offsets[j] = (table[j] = static_cast<int32_t>(rng() % 20001) - 10000) / 100.0;
        std::vector<double> withOffsets = h, reference = h;
        k.addZOffsets(withOffsets.data(), n, offsets.data());
        for (int j = 0; j < n; ++j)
            if (reference[j] > -9998999.0 && reference[j] < 9998999.0) reference[j] = reference[j] + table[j] / 100.0;
        ASSERT_TRUE(same(withOffsets, reference));

        for (int factorBits = 1; factorBits <= 4; ++factorBits) {
            const int f = 1 << factorBits, kept = n / f + static_cast<int>(rng() % 3);
            std::vector<double> binned = h, reference2 = h;
            std::vector<uint8_t> binnedGray = g, referenceGray = g;
            const int keptCount = std::min(kept, n);
            k.bin(binned.data(), binnedGray.data(), n, f, keptCount);
            for (int i = 0; i < keptCount; ++i) {
                long long source = static_cast<long long>(i) * f;
                if (source >= n) source = n - 1;
                reference2[i] = reference2[source];
                referenceGray[i] = referenceGray[source];
            }
            ASSERT_TRUE(same(binned, reference2)) << f;
            ASSERT_EQ(binnedGray, referenceGray) << f;
        }

        // Another frame's rows copied in, binned (or not) and offset in one
        // pass: as the copy, bin and addZOffsets one after the other.
        for (int factor : {1, 2, 4}) {
            const int kept = factor >= 2 ? std::min(n / factor + static_cast<int>(rng() % 3), n) : 0;
            const int offsetCount = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % (n + 1));
            std::vector<double> into(n, 1.5), expected = h;
            std::vector<uint8_t> intoGray(n, 7), expectedGray = g;
            k.binFrom(into.data(), intoGray.data(), h.data(), g.data(), n, factor, kept,
                      offsetCount > 0 ? offsets.data() : nullptr, offsetCount);
            if (kept > 0) k.bin(expected.data(), expectedGray.data(), n, factor, kept);
            k.addZOffsets(expected.data(), offsetCount, offsets.data());
            ASSERT_TRUE(same(into, expected)) << factor;
            ASSERT_EQ(intoGray, expectedGray) << factor;
        }

        std::vector<uint64_t> bits((n + 63) / 64 + 1, 0xAAAAAAAAAAAAAAAAull), expectedBits = bits;
        k.validBits(h.data(), n, kInvalidHeight, bits.data());
        for (int w = 0; w < (n + 63) / 64; ++w) {
            expectedBits[w] = 0;
            for (int j = 0; j < 64 && 64 * w + j < n; ++j)
                if (h[64 * w + j] > kInvalidHeight) expectedBits[w] |= uint64_t{1} << j;
        }
        ASSERT_EQ(bits, expectedBits);
    });
}

TEST(FrameKernelsExactness, OutputRows) {
    for_each_case([](const FrameKernels& k, std::mt19937_64& rng, int n) {
        std::vector<double> h = random_heights(rng, n);
        // Heights whose codes land right on the ends of the code ranges.
        for (int i = 0; i < n; i += 5) h[i] = (static_cast<double>(rng() % 65538) - 32768.0) / 10.0;
        std::vector<int32_t> ints(n), expectedInts(n);
        k.toInt100(h.data(), ints.data(), n);
        for (int i = 0; i < n; ++i) {
            const double v = h[i] * 100.0;
            expectedInts[i] = v > -2147483649.0 && v < 2147483648.0 ? static_cast<int32_t>(v)
                              : v >= 2147483648.0                  ? std::numeric_limits<int32_t>::max()
                                                                   : std::numeric_limits<int32_t>::min();
        }
        ASSERT_EQ(ints, expectedInts);

        const double scale = 655360.0, offsetA = 15872000.0, offsetB = 15872000.0;
        const double factor = scale / 65536.0 / 256.0;
        std::vector<uint16_t> codes(n), expectedCodes(n);
        k.toU16(h.data(), codes.data(), n, factor, offsetA, offsetB, kInvalidHeight);
        for (int i = 0; i < n; ++i) {
            expectedCodes[i] = 0;
            if (invalid(h[i])) continue;
            const double v = factor * (h[i] * 256.0 + offsetA - offsetB) + 32768.0;
            if (v > 0.0 && v < 65535.0) expectedCodes[i] = static_cast<uint16_t>(v);
        }
        ASSERT_EQ(codes, expectedCodes);

        const double zOffset = static_cast<double>(rng() % 100) / 10.0;
        std::vector<int32_t> extended(n), expectedExtended(n);
        k.toExtendedCodes(h.data(), extended.data(), n, scale, offsetA, offsetB, kInvalidHeight, zOffset);
        for (int i = 0; i < n; ++i) {
            expectedExtended[i] = 0;
            if (invalid(h[i])) continue;
            const double v = ((h[i] + zOffset) * 256.0 + offsetA - offsetB) * scale / 65536.0 / 256.0 + 32768.0;
            if (v > 0.0 && v < 65536.0) expectedExtended[i] = static_cast<int32_t>(v);
        }
        ASSERT_EQ(extended, expectedExtended);

        uint8_t table[256];
        for (uint8_t& t : table) t = static_cast<uint8_t>(rng());
        std::vector<uint8_t> gray = random_bytes(rng, n), expectedGray = gray;
        k.applyGrayTable(table, gray.data(), n);
        for (uint8_t& e : expectedGray) e = table[e];
        ASSERT_EQ(gray, expectedGray);

        std::vector<double> filled(n + 1, 3.0), expectedFill(n, -2.5);
        expectedFill.push_back(3.0);
        k.fill(filled.data(), n, -2.5);
        ASSERT_TRUE(same(filled, expectedFill));
    });
}

TEST(FrameKernels, ThisMachineUsesItsWidestBuild) {
    const FrameKernels& used = frame_kernels();
    if (avx2_frame_kernels())
        EXPECT_EQ(&used, avx2_frame_kernels());
    else
        EXPECT_EQ(&used, &baseline_frame_kernels());
    std::printf("frame kernels in use: %s\n", used.name);
}

}  // namespace
