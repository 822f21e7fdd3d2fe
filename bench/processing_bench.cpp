// Per-point cost of the profile stages that run on every frame, and the one-off
// cost of the calibration row table.
#include <cmath>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "sensor_interface/processing/height_conversion.h"
#include "sensor_interface/processing/resampling.h"
#include "sensor_interface/processing/temporal_repair.h"

namespace {

constexpr int kColumns = 2048;

// Reported as nanoseconds per point: an inverted rate of points per 1e9.
void per_point(benchmark::State& state, int64_t points) {
    state.counters["ns_per_point"] = benchmark::Counter(
        static_cast<double>(points) * state.iterations() / 1e9,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A plane with a step and a few columns without peak.
std::vector<uint16_t> scene16() {
    std::vector<uint16_t> raw(kColumns);
    for (int c = 0; c < kColumns; ++c)
        raw[c] = static_cast<uint16_t>(c % 97 == 0 ? 0 : (c < 1024 ? 30000 : 34000));
    return raw;
}

// Raw words to distances, x positions and clipped heights of one full frame.
// The sensor's 2048 columns give 3200 or 6000 profile points after resampling;
// the conversion itself runs per column.
void BM_Convert16(benchmark::State& state) {
    const auto raw = scene16();
    std::vector<double> z(kColumns), x(kColumns);
    for (auto _ : state) {
        raw16_to_height(raw.data(), z.data(), kColumns, 256.0, 781.25, kNoPeak);
        compute_x_positions(0.0, 1e-5, 0.02, z.data(), x.data(), 0, kColumns, 0.0, 0.0, kColumns,
                            kInvalidHeight);
        distances_to_heights(z.data(), kColumns, 800.0, -600.0, 600.0);
        benchmark::DoNotOptimize(z.data());
        benchmark::DoNotOptimize(x.data());
    }
    per_point(state, kColumns);
}
BENCHMARK(BM_Convert16);

void BM_Convert32(benchmark::State& state) {
    std::vector<uint32_t> raw(kColumns);
    for (int c = 0; c < kColumns; ++c) raw[c] = c % 97 == 0 ? 0u : 2147483648u + c * 37u;
    std::vector<double> z(kColumns), x(kColumns);
    for (auto _ : state) {
        raw32_to_height(raw.data(), z.data(), kColumns, 200000.0, -1.0f);
        compute_x_positions(0.0, 1e-5, 0.02, z.data(), x.data(), 0, kColumns, 0.0, 0.0, kColumns,
                            kInvalidHeight);
        distances_to_heights(z.data(), kColumns, 800.0, -600.0, 600.0);
        benchmark::DoNotOptimize(z.data());
    }
    per_point(state, kColumns);
}
BENCHMARK(BM_Convert32);

// 2032 inner columns onto a 3200- or 6000-point grid; counted per grid point.
void BM_Resample(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    const int n = kColumns - 16;
    const double pointsPerColumn = static_cast<double>(points) / kColumns;
    std::vector<double> x(n), z(n), grid(points), heights(points);
    std::vector<uint8_t> gray(n, 120), grayOut(points);
    std::vector<int32_t> marks(n, 0);
    for (int i = 0; i < n; ++i) {
        x[i] = (i + 8 - kColumns / 2) * pointsPerColumn * (1.0 + 0.01 * std::sin(i * 0.01));
        z[i] = i % 97 == 0 ? kInvalidHeight : (i < n / 2 ? 100.0 : 400.0) + std::sin(i * 0.05);
    }
    for (int p = 0; p < points; ++p) grid[p] = p - points / 2;
    for (auto _ : state) {
        std::fill(marks.begin(), marks.end(), 0);
        resample_to_grid(x.data(), z.data(), gray.data(), marks.data(), n, grid.data(),
                         heights.data(), grayOut.data(), points, 50.0, 100.0, 1, -9999000);
        benchmark::DoNotOptimize(heights.data());
    }
    per_point(state, points);
}
BENCHMARK(BM_Resample)->Arg(3200)->Arg(6000);

void BM_BuildRowLut(benchmark::State& state) {
    CalibrationTable table(kCalibrationColumns, std::vector<double>(kCalibrationCoefficients));
    for (int c = 0; c < kCalibrationColumns; ++c)
        for (int j = 0; j < kCalibrationCoefficients; ++j) table[c][j] = 1e-20 * (c + 1) / (j + 1);
    cv::Mat out;
    for (auto _ : state) {
        build_row_lut(table, out);
        benchmark::DoNotOptimize(out.data);
    }
}
BENCHMARK(BM_BuildRowLut)->Unit(benchmark::kMillisecond);

// Average cost per frame of the temporal repair, its block repair every 255
// frames included; a stage is built once, outside the measurement.
void BM_TemporalRepairPerFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    processTimeInvalid stage(3, 2, width, -9999000);
    std::vector<double> heights(width);
    std::vector<uint8_t> gray(width, 80);
    int frame = 0;
    for (auto _ : state) {
        for (int p = 0; p < width; ++p)
            heights[p] = (p + frame) % 13 == 0 ? kInvalidHeight : 100.0 + (p & 7);
        double* outHeights = nullptr;
        uint8_t* outGray = nullptr;
        benchmark::DoNotOptimize(
            stage.run(heights.data(), gray.data(), width, &outHeights, &outGray));
        ++frame;
    }
    per_point(state, width);
}
BENCHMARK(BM_TemporalRepairPerFrame)
    ->Arg(3200)
    ->Arg(6000)
    ->Iterations(2550)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
