// Register image reads that the profile processor makes per frame and per point.
#include <benchmark/benchmark.h>

#include <cstring>

#include "sensor_interface/settings/hvq5_settings.h"

namespace {

void BM_GetVals(benchmark::State& state) {
    hvq5_settings image;
    image.set_regvals(740u, 2u);
    unsigned int reg = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(image.get_vals(reg));
        reg = (reg + 97) % 65535;
    }
}
BENCHMARK(BM_GetVals);

void BM_RealMaxHzFamily3(benchmark::State& state) {
    hvq5_settings image;
    zp_laser_reg::laser_params params = image.laser_params();
    params.model[2] = '3';  // family '3' keeps its values in registers: no file access
    image.set_laser_params(params);
    image.set_regvals(11u, 640u);
    image.set_regvals(162u, 100u);
    for (auto _ : state) benchmark::DoNotOptimize(image.get_real_max_hz());
}
BENCHMARK(BM_RealMaxHzFamily3);

void BM_YWindowRows(benchmark::State& state) {
    hvq5_settings image;
    HVQ5_2_EXTEND& block = *image.get_sdk_extend();
    block.enable = 1;
    block.y_roi_first = 10;
    block.y_roi_last = 300;
    for (auto _ : state) benchmark::DoNotOptimize(image.yroi_row(500));
}
BENCHMARK(BM_YWindowRows);

}  // namespace
