// The client's copy path and the whole-batch copy of the batch exports: a
// device of the registry (its command channel on a simulated sensor at
// 127.116.0.250) whose batch buffers hold a batch of 4096-value frames.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace {

constexpr int kId = 0;
constexpr int kWidth = 4096;
constexpr int kFrames = 2000;

// A registered device with a full batch in its buffers, for the whole program.
class FilledDevice {
public:
    FilledDevice() {
        sensor_sim::SimOptions options;
        options.address = "127.116.0.250";
        sim_ = std::make_unique<sensor_sim::SimSensor>(options);
        if (!sim_->start() || !sdkManager().connect(kId, options.address.c_str(), options.commandPort)) return;
        device_ = sdkManager().find(kId);
        SensorController& controller = device_->controller;
        controller.settings().set_regvals(752, kWidth);  // the extended output width
        controller.settings().set_regvals(138, kFrames);
        device_->receiver.attach(kId, &controller);
        const std::vector<int16_t> codes(kWidth, 100);
        const std::vector<int32_t> heights(kWidth, 123456);
        const std::vector<uint8_t> gray(kWidth, 80);
        data_channel::BatchBuffers& buffers = device_->receiver.batchBuffers();
        std::lock_guard<data_channel::BatchBuffers> lock(buffers);
        for (int i = 0; i < kFrames; ++i) {
            buffers.appendRows(codes.data(), heights.data(), gray.data(), kWidth);
            buffers.appendFrameInfo(static_cast<uint32_t>(i), static_cast<uint32_t>(i), 1000u * i);
        }
    }
    bool ready() const { return device_ != nullptr && device_->receiver.outputWidth() == kWidth; }

private:
    std::unique_ptr<sensor_sim::SimSensor> sim_;
    std::shared_ptr<tandrel_zp_clients> device_;
};

FilledDevice& filledDevice() {
    static FilledDevice device;
    return device;
}

// HVQ5_2_TakeBatchData of `frames` frames from the batch's start.
void BM_TakeBatchData(benchmark::State& state) {
    if (!filledDevice().ready()) return state.SkipWithError("no device");
    const uint32_t frames = static_cast<uint32_t>(state.range(0));
    std::vector<int> profiles(static_cast<size_t>(frames) * kWidth);
    std::vector<uint8_t> intensity(static_cast<size_t>(frames) * kWidth);
    std::vector<uint32_t> encoders(frames), aux(frames);
    std::vector<uint64_t> stamps(frames);
    int batchNumber = 0;
    for (auto _ : state) {
        const int got = HVQ5_2_TakeBatchData(kId, nullptr, 0, batchNumber, profiles.data(), intensity.data(),
                                             encoders.data(), aux.data(), nullptr, stamps.data(), frames);
        benchmark::DoNotOptimize(got);
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.SetBytesProcessed(state.iterations() * frames * kWidth * 5);
}
BENCHMARK(BM_TakeBatchData)->Arg(1)->Arg(100)->Arg(kFrames);

// HVQ5_2_GetProfileData of the whole batch, capped by the configured length.
void BM_GetProfileData(benchmark::State& state) {
    if (!filledDevice().ready()) return state.SkipWithError("no device");
    std::vector<int32_t> profiles(static_cast<size_t>(kFrames) * kWidth);
    for (auto _ : state) benchmark::DoNotOptimize(HVQ5_2_GetProfileData(kId, nullptr, profiles.data()));
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.SetBytesProcessed(state.iterations() * kFrames * kWidth * 4);
}
BENCHMARK(BM_GetProfileData);

}  // namespace
