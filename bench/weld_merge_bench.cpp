// Throughput of the batch weld filter, the per-frame dual-head merge and the
// DEBUG stream parser.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "sensor_interface/command/debug_stream.h"
#include "sensor_interface/processing/dual_merge.h"
#include "sensor_interface/processing/weld_filter.h"
#include "tools/sensor_sim/debug_stream_encoder.h"

namespace {

constexpr float kInvalid = -9999000.0f;

// A seam: narrow bead over the first and last tenth of the rows, spatter in it.
std::vector<float> seam(int rows, int cols) {
    std::vector<float> heights(static_cast<size_t>(rows) * cols, kInvalid);
    const int edge = rows / 10;
    for (int r = 0; r < rows; ++r) {
        const bool narrow = r < edge || r >= rows - edge;
        const int first = narrow ? cols / 2 - 20 : 0;
        const int last = narrow ? cols / 2 + 20 : cols;
        for (int c = first; c < last; ++c) heights[static_cast<size_t>(r) * cols + c] = 100.0f + (c % 7);
        if (narrow && r % 3 == 0) heights[static_cast<size_t>(r) * cols + cols / 2] = 400.0f;
    }
    return heights;
}

void BM_WeldFilter(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const int cols = 3200;
    const std::vector<float> source = seam(rows, cols);
    std::vector<float> heights;
    std::vector<uint8_t> gray(source.size(), 100);
    WeldFilterParams params;
    params.ishead = 2;
    params.th_high = 50.0f;
    params.max_valid_width = cols / 2;
    params.invalid = kInvalid;
    params.gray_filter_en = true;
    for (auto _ : state) {
        state.PauseTiming();
        heights = source;
        state.ResumeTiming();
        weld_filter(0, heights.data(), gray.data(), rows, cols, params);
        benchmark::DoNotOptimize(heights.data());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_WeldFilter)->Arg(1000)->Arg(10000);

void BM_DualMerge(benchmark::State& state) {
    const int n = 6000;
    std::vector<double> zA(n), zB(n), zOut(n);
    std::vector<uint8_t> grayA(n, 10), grayB(n, 20), grayOut(n);
    for (int i = 0; i < n; ++i) {
        zA[i] = i % 11 == 0 ? kInvalid : 100.0 + i % 5;
        zB[i] = i % 13 == 0 ? kInvalid : 100.5 + i % 3;
    }
    for (auto _ : state) {
        dual_merge(zA.data(), grayA.data(), zB.data(), grayB.data(), zOut.data(), grayOut.data(), n,
                   kInvalid, true, 0.0, 3, 1.0, 0, 0, 1);
        benchmark::DoNotOptimize(zOut.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DualMerge);

void BM_DebugImageStream(benchmark::State& state) {
    sensor_sim::DebugInfoRecord info;
    info.imageRows = 1024;
    info.intensityFlag = 1;
    info.flags[1] = 1;
    const std::vector<uint8_t> stream = sensor_sim::DebugStreamEncoder()
                                            .info(info)
                                            .image(std::vector<uint8_t>(1024 * 2048, 5))
                                            .profile(std::vector<uint32_t>(2048, 65536 * 300), true,
                                                     std::vector<uint8_t>(2048, 9))
                                            .finish();
    std::vector<double> rows(2048);
    for (auto _ : state) {
        DebugInfo parsed;
        const DebugImageContent content =
            parse_debug_image_stream(stream.data(), stream.size(), 1024 * 2048, parsed);
        debug_peak_rows(content.profile, 2048, 1024, rows.data());
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_DebugImageStream);

}  // namespace
