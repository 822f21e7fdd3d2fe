// A whole frame through the processor against the pipeline written out plainly,
// one stage after the other and one point after the other, bit for bit: random
// frames of 16-bit, 32-bit and fixed-point words with invalid points, steps,
// folds and narrow frames, under random settings of every per-frame stage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "sensor_interface/processing/height_conversion.h"
#include "sensor_interface/processing/output_formats.h"
#include "sensor_interface/processing/profile_processor.h"
#include "tests/perf_regress/exactness_support.h"
#include "tests/perf_regress/plain_resampling.h"

namespace {

using perf_regress::reference_resample;
using perf_regress::same_bits;

constexpr int kGuard = 8;
const double kInvalidF = static_cast<double>(0.000001f);

bool invalid_f(double v) { return std::fabs(v - kInvalidHeight) < kInvalidF; }

struct Settings {
    hvq5_settings image;
    zp_laser_reg::laser_params params{};
    CalibrationTable table;
    uint32_t reg(unsigned a) { return image.get_vals(a); }
};

// The plain frame: returns the result count, fills heights/gray (points) and marks (columns).
int plain_frame(Settings& s, int columns, int points, double ppc, int wordMode, const uint32_t* words,
                const std::vector<double>* fixedDistances, const uint8_t* grayIn8, int startColumn, int n,
                int binning, std::vector<double>& heights, std::vector<uint8_t>& gray, std::vector<int32_t>& marks) {
    n = std::min(n, columns - startColumn);
    std::vector<double> x(columns, 0.0), z(columns, 0.0);
    std::vector<uint8_t> grayIn(columns, 0);
    heights.assign(points, kInvalidHeight);
    gray.assign(points, 0);
    marks.assign(columns, 0);
    for (int i = 0; i < n; ++i) grayIn[i] = grayIn8 ? grayIn8[i] : 0;
    // Distances.
    for (int i = 0; i < n; ++i) {
        if (fixedDistances) {
            z[i] = (*fixedDistances)[i];
        } else if (wordMode == 0) {
            const uint16_t w = reinterpret_cast<const uint16_t*>(words)[i];
            z[i] = s.reg(353) == 0 || w == 0 ? -1.0
                                             : s.reg(350) * (1.0 / 256.0) - (double(w) - 32768.0) * (65536.0 / s.reg(353));
        } else {
            const uint32_t w = words[i];
            z[i] = w == 0 ? -1.0 : (double(s.reg(350)) - (double(w) - 2147483648.0)) * (1.0 / 256.0);
        }
    }
    // x positions.
    double k[5];
    std::memcpy(k, reinterpret_cast<const unsigned char*>(&s.params) + 90, sizeof k);
    for (int i = 0; i < n; ++i) {
        const double D = z[i];
        x[i] = std::fabs(D - kInvalidHeight) < 0.000001
                   ? kInvalidHeight
                   : (k[0] * D * D + k[1] * D + k[2]) * double(startColumn + i - columns / 2) + (k[3] * D + k[4]);
    }
    // Heights inside the bounds, every column.
    for (int c = 0; c < columns; ++c) {
        if (z[c] == -1.0) {
            z[c] = kInvalidHeight;
            continue;
        }
        const double h = double(uint32_t(s.params.z_range_reference)) - z[c];
        z[c] = h < s.params.z_range_lower || h > s.params.z_range_upper ? kInvalidHeight : h;
    }
    const int inner = n - 2 * kGuard;
    const int32_t angle = static_cast<int32_t>(s.reg(325));
    const bool rotation = s.reg(324) == 1 && angle >= -4000000 && angle <= 4000000;
    if (inner > 0 && rotation && angle != 0) {
        const double radians = (angle / 100000.0) / 57.29577951308232;
        const double c = std::cos(radians), sn = std::sin(radians);
        for (int i = kGuard; i < kGuard + inner; ++i) {
            if (std::fabs(z[i] - kInvalidHeight) < 0.000001) {
                x[i] = z[i] = kInvalidHeight;
                continue;
            }
            const double x0 = x[i], z0 = z[i];
            x[i] = x0 * c - z0 * sn;
            z[i] = x0 * sn + z0 * c;
        }
    }
    const int maxGap = s.reg(183) <= 255 ? int(s.reg(183)) : 0;
    const int mode = s.reg(185) <= 2 ? int(s.reg(185)) : 0;
    const double slope = s.reg(804) >> 4, step = s.reg(805);
    if (inner > 0) {
        double* X = x.data() + kGuard;
        double* Z = z.data() + kGuard;
        uint8_t* G = grayIn.data() + kGuard;
        int32_t* M = marks.data() + kGuard;
        // Runs of invalid points.
        for (int i = 0; i < inner;) {
            if (!invalid_f(Z[i])) {
                ++i;
                continue;
            }
            int j = i + 1;
            while (j < inner && invalid_f(Z[j])) ++j;
            const int len = j - i;
            if (i > 0 && j < inner)
                for (int p = i; p < j; ++p) X[p] = ((p - i + 1) * X[j] + (j - p) * X[i - 1]) / (len + 1);
            else if (i == 0 && j < inner)
                for (int p = j - 1; p >= 0; --p) X[p] = X[p + 1] - static_cast<double>(0.1f);
            else if (i > 0 && j == inner)
                for (int p = i; p < inner; ++p) X[p] = X[p - 1] + static_cast<double>(0.1f);
            if (i > 0 && j < inner && len <= maxGap) {
                const double zl = Z[i - 1], zr = Z[j];
                auto interpolate = [&] {
                    for (int m = 1; m <= len; ++m) {
                        Z[i + m - 1] = (m * zr + (len + 1 - m) * zl) / (len + 1);
                        G[i + m - 1] = static_cast<uint8_t>(std::min((m * G[j] + (len + 1 - m) * G[i - 1]) / (len + 1), 255));
                    }
                };
                if (std::fabs((zr - zl) / (X[j] - X[i - 1])) < slope || std::fabs(zr - zl) < step) {
                    interpolate();
                } else {
                    if (mode == 1) interpolate();
                    if (mode == 2) {
                        const int src = zr > zl ? j : i - 1;
                        for (int p = i; p < j; ++p) Z[p] = Z[src], G[p] = G[src];
                    }
                    for (int p = i; p < j; ++p) M[p] = 1;
                }
            }
            i = j + 1;
        }
        // Folds.
        const double eps = static_cast<double>(0.00001f);
        int open = -1;
        for (int i = 0; i <= inner - 2; ++i) {
            if (X[i + 1] <= X[i] && open < 0) open = i;
            if (open < 0) continue;
            if (!((X[i + 1] > X[i] && !invalid_f(Z[i])) || i == inner - 2)) continue;
            if (Z[i] < Z[open]) {
                for (int m = open; m < inner - 2; ++m) {
                    X[m + 1] = X[m] + eps;
                    if (!invalid_f(Z[m + 1])) Z[m + 1] = Z[open], G[m + 1] = G[open];
                    if (X[m + 1] < X[m + 2]) break;
                }
            } else {
                for (int m = i; m > 0; --m) {
                    X[m - 1] = X[m] - eps;
                    if (!invalid_f(Z[m - 1])) Z[m - 1] = Z[i], G[m - 1] = G[i];
                    if (m > 1 && X[m - 2] < X[m - 1]) break;
                }
            }
            open = -1;
        }
    }
    // Grid, alignment and resampling.
    HVQ5_2_EXTEND* extend = s.image.get_sdk_extend();
    const std::string model(s.params.model, strnlen(s.params.model, sizeof s.params.model));
    if (model == "ZP5600" || model == "ZP51200") extend->ref_row_a = 320, extend->ref_row_b = 895;
    const int first = static_cast<int>(startColumn * ppc);
    const int count = std::clamp(static_cast<int>(n * ppc), 0, points);
    std::vector<double> grid(points, 0.0);
    const double pitch = s.reg(285) / 100.0;
    for (int i = 0; i < count; ++i) grid[i] = double(first + i - points / 2) * pitch;
    if (n < columns) align_x_grid(grid.data(), count, s.table, startColumn, startColumn + n - 1, extend->ref_row_a,
                                  extend->ref_row_b, k);
    reference_resample(x.data() + kGuard, z.data() + kGuard, grayIn.data() + kGuard, marks.data() + kGuard,
                       std::max(inner, 0), grid.data(), heights.data(), gray.data(), count, slope, step, mode);
    for (int p = 0; p < count; ++p)
        if (std::fabs(heights[p] - kInvalidHeight) < 0.000001) gray[p] = 0;
    // Mirror, negate, base zero, z scale.
    const uint32_t flags = s.reg(291);
    if (flags & 1u)
        for (int j = 0; j < count / 2; ++j) std::swap(heights[j], heights[count - 1 - j]), std::swap(gray[j], gray[count - 1 - j]);
    if (flags & 2u)
        for (int j = 0; j < count; ++j)
            if (heights[j] > kInvalidHeight) heights[j] = -heights[j];
    if (rotation && (s.reg(772) & 1u)) {
        auto bound = [&](unsigned a) { return static_cast<int32_t>(s.reg(a)) / 100.0; };
        double sumA = 0, sumB = 0;
        int nA = 0, nB = 0;
        for (int i = 0; i < count; ++i) {
            if (std::fabs(heights[i] - kInvalidHeight) < 0.000001) continue;
            if (grid[i] >= bound(326) && grid[i] <= bound(327))
                sumA += heights[i], ++nA;
            else if (grid[i] >= bound(328) && grid[i] <= bound(329))
                sumB += heights[i], ++nB;
        }
        if (nA > 0 && nB > 0) {
            const double offset = (sumB / nB + sumA / nA) * 0.5;
            for (double& h : heights)
                if (!(std::fabs(h - kInvalidHeight) < 0.000001)) h -= offset;
        }
    }
    if (s.reg(330) == 1) {
        const uint32_t r = s.reg(331);
        const double factor = (r >= 100 && r <= 200000 ? r : 100000) / 100000.0;
        for (double& h : heights)
            if (!(std::fabs(h - kInvalidHeight) < 0.000001)) h *= factor;
    }
    // Binning and z offsets.
    int result = count;
    if (binning >= 2) {
        result = std::min(s.image.getbinning_w(count), count);
        for (int i = 0; i < result; ++i) {
            long long src = static_cast<long long>(i) * binning;
            if (src >= count) src = count - 1;
            heights[i] = heights[src], gray[i] = gray[src];
        }
    }
    if (extend->enable && extend->z_offset_count >= 0 && extend->z_offset_count <= 4096)
        for (int j = 0; j < std::min<int>(extend->z_offset_count, points); ++j)
            if (heights[j] > -9998999.0 && heights[j] < 9998999.0) heights[j] = heights[j] + extend->z_offset[j] / 100.0;
    return result;
}

struct Geometry {
    int columns, points;
    double ppc;
    int rows;
};

TEST(FramePipelineExactness, ProcessorMatchesThePlainPipelineBitForBit) {
    std::mt19937 rng(1210);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const Geometry geometries[] = {{848, 848, 1.0, 640}, {2048, 3200, 1.5625, 608}};
    std::vector<double> coefficients(kCalibrationCoefficients, 0.0);
    coefficients[kCalibrationCoefficients - 2] = 2.0;
    coefficients[kCalibrationCoefficients - 1] = 0.5;
    const CalibrationTable table(kCalibrationColumns, coefficients);
    // One processor per geometry for every round (its row table is costly to
    // build); each round binds it to settings of its own.
    std::vector<std::unique_ptr<ProfileProcessor>> processors;
    for (const Geometry& geo : geometries) {
        processors.push_back(std::make_unique<ProfileProcessor>(geo.columns, geo.points, geo.ppc));
        ASSERT_TRUE(processors.back()->setCalibration(table));
    }
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Geometry geo = geometries[round % 2];
        ProfileProcessor& processor = *processors[round % 2];
        Settings s;
        const char* models[] = {"ZP3000", "ZP5600", "ZP4000"};
        std::memcpy(s.params.model, models[rng() % 3], 7);
        // A head polynomial whose x depends on the distance: steps make folds.
        const double head[5] = {0.0, 0.004 * unit(rng), 1.0, 0.01 * unit(rng), unit(rng)};
        std::memcpy(reinterpret_cast<unsigned char*>(&s.params) + 90, head, sizeof head);
        s.params.z_range_reference = 1000;
        s.params.z_range_lower = -100;
        s.params.z_range_upper = 100;
        auto set = [&](unsigned a, uint32_t v) { s.image.set_regvals(a, v); };
        set(285, round % 7 == 0 ? 64 : 100);
        set(350, 1000 * 256);
        set(353, 65536);
        set(357, 1000 * 256);
        set(355, 1100u << 8);
        set(356, 900u << 8);
        set(358, geo.columns);
        set(183, rng() % 5);
        set(185, rng() % 4);
        set(804, (rng() % 40) << 4);
        set(805, rng() % 40);
        set(324, rng() % 3 == 0 ? 0 : 1);
        set(325, static_cast<uint32_t>(rng() % 5 == 0 ? 4000001 : static_cast<int>(rng() % 400000) - 200000));
        set(772, rng() % 2);
        set(326, static_cast<uint32_t>(-30000)), set(327, static_cast<uint32_t>(-20000));
        set(328, 20000), set(329, 30000);
        set(291, rng() % 4);
        set(330, rng() % 2);
        set(331, rng() % 4 == 0 ? 50 : 150000);
        set(740, rng() % 3);
        HVQ5_2_EXTEND* extend = s.image.get_sdk_extend();
        extend->enable = rng() % 2;
        extend->z_offset_count = static_cast<int32_t>(rng() % 5000);
        for (int i = 0; i < 4096; ++i) extend->z_offset[i] = static_cast<int32_t>(rng() % 2001) - 1000;
        s.table = table;
        processor.bind(&s.image, &s.params);

        // The frame: a plane, a step, a slope, points without peak and runs of them.
        const bool narrow = round % 3 == 0;
        const int startColumn = narrow ? static_cast<int>(rng() % 300) : 0;
        const int n = narrow ? 100 + static_cast<int>(rng() % 500) : geo.columns;
        const int wordKind = round % 3;  // 16-bit, 32-bit, fixed point
        std::vector<uint32_t> words(n);
        std::vector<double> rows(n);
        std::vector<uint8_t> grayIn(n);
        double level = 20.0 * unit(rng);
        for (int i = 0; i < n; ++i) {
            if (unit(rng) < 0.01) level = 80.0 * unit(rng) - 40.0;
            const double h = level + 0.3 * std::sin(i * 0.05) + (unit(rng) < 0.05 ? 150.0 : 0.0);
            const bool missing = unit(rng) < 0.04 || (i % 211 < 6 && i > 50);
            grayIn[i] = static_cast<uint8_t>(rng());
            if (wordKind == 0)
                reinterpret_cast<uint16_t*>(words.data())[i] = missing ? 0 : static_cast<uint16_t>(32768 + h);
            else if (wordKind == 1)
                words[i] = missing ? 0 : static_cast<uint32_t>(2147483648.0 + h * 256.0);
            rows[i] = missing ? -1.0 : (1000.0 - h - 0.5) / 2.0;
        }
        const int binning = 1 << s.image.get_vals(740);
        std::vector<double> distances;
        int result = 0;
        if (wordKind == 2) {
            const double* d = processor.preprocessFixed(rows.data(), startColumn, n);
            distances.assign(d, d + std::min(n, geo.columns));
            distances.resize(n, -1.0);
            result = processor.processFixed(255, distances.data(), grayIn.data(), startColumn, n, false, false, false, binning);
        } else {
            result = processor.process(wordKind, words.data(), grayIn.data(), startColumn, n, false, false, false, binning);
        }

        Settings plainSettings;
        std::memcpy(&plainSettings.params, &s.params, sizeof s.params);
        for (unsigned a : {285u, 350u, 353u, 357u, 355u, 356u, 358u, 183u, 185u, 804u, 805u, 324u, 325u, 772u,
                           326u, 327u, 328u, 329u, 291u, 330u, 331u, 740u})
            plainSettings.image.set_regvals(a, s.image.get_vals(a));
        HVQ5_2_EXTEND* plainExtend = plainSettings.image.get_sdk_extend();
        plainExtend->enable = extend->enable;
        plainExtend->z_offset_count = extend->z_offset_count;
        std::memcpy(plainExtend->z_offset, extend->z_offset, sizeof extend->z_offset);
        plainSettings.table = s.table;
        std::vector<double> heights;
        std::vector<uint8_t> gray;
        std::vector<int32_t> marks;
        const int plainResult = plain_frame(plainSettings, geo.columns, geo.points, geo.ppc, wordKind, words.data(),
                                            wordKind == 2 ? &distances : nullptr, grayIn.data(), startColumn, n,
                                            binning, heights, gray, marks);
        ASSERT_EQ(result, plainResult);
        ASSERT_TRUE(same_bits(processor.heights(), heights));
        ASSERT_EQ(std::vector<uint8_t>(processor.grayOutRow(), processor.grayOutRow() + geo.points), gray);
        // The marks of the frame's inner points (the others belong to earlier frames).
        const int inner = std::max(std::min(n, geo.columns - startColumn) - 2 * kGuard, 0);
        ASSERT_EQ(std::vector<int32_t>(processor.runMarks() + kGuard, processor.runMarks() + kGuard + inner),
                  std::vector<int32_t>(marks.begin() + kGuard, marks.begin() + kGuard + inner));

        // The batch rows.
        std::vector<int32_t> ints(result), plainInts(result);
        processor.heightsInt(ints.data(), result);
        for (int i = 0; i < result; ++i) {
            const double v = std::trunc(heights[i] * 100.0);
            plainInts[i] = std::isnan(v) || v <= -2147483648.0 ? INT32_MIN : v >= 2147483647.0 ? INT32_MAX : int32_t(v);
        }
        ASSERT_EQ(ints, plainInts);
        std::vector<int16_t> codes(result);
        processor.heights16(codes.data(), result, 0);
        const double factor = s.image.get_vals(353) / 65536.0 / 256.0;
        for (int i = 0; i < result; ++i) {
            uint16_t code = 0;
            if (!(std::fabs(heights[i] - kInvalidHeight) < 0.000001)) {
                const double v = factor * (heights[i] * 256.0 + s.image.get_vals(357) - s.image.get_vals(350)) + 32768.0;
                if (v > 0.0 && v < 65535.0) code = static_cast<uint16_t>(v);
            }
            ASSERT_EQ(static_cast<uint16_t>(codes[i]), code) << i;
        }
    }
}

}  // namespace
