// The per-batch cloud filter pass and the per-frame work of the dual-head
// merge: queueing a head's frame and merging one pair into the merged rows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "sensor_interface/processing/dual_merge.h"
#include "sensor_interface/registry/batch_handlers.h"
#include "sensor_interface/registry/merge_rows.h"
#include "sensor_interface/registry/merge_slot.h"

namespace {

constexpr int kPoints = 3200;

std::vector<double> profile(double level) {
    std::vector<double> z(kPoints, level);
    for (int i = 0; i < kPoints; i += 97) z[static_cast<size_t>(i)] = kMergeInvalidHeight;
    return z;
}

void BM_CloudFilterRows(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    std::vector<int32_t> rows(static_cast<size_t>(frames) * kPoints, 123457);
    for (size_t i = 0; i < rows.size(); i += 97) rows[i] = -999900000;
    std::vector<float> scratch;
    for (auto _ : state) {
        cloud_filter_rows(0, rows.data(), nullptr, frames, kPoints, CloudRows::Hundredths, nullptr, scratch);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_CloudFilterRows)->Arg(100)->Arg(1000);

// One frame in and out of a head's queue, as the feed and the merge thread do it.
void BM_MergeSlotFrame(benchmark::State& state) {
    MergeSlot slot;
    const std::vector<double> z = profile(10.0);
    const std::vector<uint8_t> gray(kPoints, 100);
    MergeEvent event;
    for (auto _ : state) {
        slot.push(z, gray);
        slot.pop(event);
        slot.recycle(std::move(event));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MergeSlotFrame);

// One pair fitted to the row width, merged and appended as an int32 row.
void BM_MergePair(benchmark::State& state) {
    const std::vector<double> a = profile(10.0), b = profile(10.5);
    const std::vector<uint8_t> gray(kPoints, 100);
    std::vector<double> zA(kPoints), zB(kPoints), zOut(kPoints);
    std::vector<uint8_t> grayA(kPoints), grayB(kPoints), grayOut(kPoints);
    std::vector<int32_t> merged;
    std::vector<uint8_t> intensity;
    merged.reserve(static_cast<size_t>(kPoints) * 1000);
    intensity.reserve(static_cast<size_t>(kPoints) * 1000);
    for (auto _ : state) {
        if (merged.size() >= static_cast<size_t>(kPoints) * 1000) {
            merged.clear();
            intensity.clear();
        }
        fit_merge_frame(a, gray, kPoints, zA.data(), grayA.data());
        fit_merge_frame(b, gray, kPoints, zB.data(), grayB.data());
        dual_merge(zA.data(), grayA.data(), zB.data(), grayB.data(), zOut.data(), grayOut.data(), kPoints,
                   kMergeInvalidHeight, true, 0.5, 2, 1.0, 0, 0, 1);
        append_merged_row(zOut.data(), grayOut.data(), kPoints, merged, intensity);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MergePair);

}  // namespace
