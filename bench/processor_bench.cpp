// Time per data-channel frame through ProfileReceiver::processFrame: the whole
// profile pipeline plus the three batch rows, for the 3200- and 6000-point
// models, with the stages every frame runs and with every optional stage on.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <benchmark/benchmark.h>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"

// Every allocation of the program is counted, so that the benchmark can show
// how many a frame costs. The replacement pairs malloc with free, which the
// compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<int64_t> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kColumns = 2048;
// Frames processed before the timing starts: past the temporal repair's first release.
constexpr int kSteadyFrame = 600;

// Batch rows that only count, so that a long run does not grow memory.
class CountingRows : public data_channel::BatchRows {
public:
    void lock() override {}
    void unlock() override {}
    void appendRows(const int16_t*, const int32_t*, const uint8_t* gray, int width) override {
        rows += width > 0 ? gray[0] != 255 : 1;
    }
    void appendFrameInfo(uint32_t, uint32_t, uint64_t) override { ++infos; }
    int64_t rows = 0, infos = 0;
};

enum Stages { kCommon = 0, kEverything = 1 };
enum Path { kWords16 = 0, kFixedPoint = 1 };

class BenchSensor {
public:
    BenchSensor(int points, Stages stages) {
        const ModelGeometry geometry =
            *model_geometry_for_series(points == 3200 ? '4' : '6');
        store_last_geometry(geometry);
        controller.rows = geometry.rows;
        controller.processor = std::make_shared<ProfileProcessor>(
            geometry.columns, geometry.points, geometry.pointsPerColumn);
        configure(points, stages);
        controller.processor->bind(&controller.settings(), &controller.laserParams);
        std::vector<double> coefficients(10, 0.0);
        coefficients[8] = 2.0;  // distance = 2 x camera row
        controller.processor->setCalibration(CalibrationTable(kColumns, coefficients));
        receiver.attach(1, &controller);
        receiver.setBatchRows(rows);
        receiver.setBatchFinished(false);
        if (stages == kEverything) receiver.setGraySwitches({true, true, true});
        std::vector<uint8_t> info(58, 0);
        std::memcpy(info.data(), "info,", 5);
        info[11] = 1;
        info[16] = kColumns & 0xFF, info[17] = kColumns >> 8;
        std::memcpy(info.data() + 52, ",end\r\n", 6);
        receiver.parseInfo(info.data(), info.size());
    }

    // A plane with a step, a slope and a few columns without peak.
    std::vector<uint32_t> frame(Path path) const {
        std::vector<uint32_t> area(ProfileReceiver::kFrameAreaSize / 4, 0);
        auto* bytes = reinterpret_cast<uint8_t*>(area.data());
        for (int c = 0; c < kColumns; ++c) {
            const double height = c % 97 == 0 ? 0.0 : (c < 1024 ? 20.0 : 60.0 + (c - 1024) * 0.01);
            bytes[ProfileReceiver::kFrameIntensityOffset + c] = static_cast<uint8_t>(60 + c % 150);
            uint8_t* value = bytes + ProfileReceiver::kFrameValuesOffset;
            if (path == kWords16) {
                const uint16_t w = height == 0.0 ? 0 : static_cast<uint16_t>(32768 + height);
                std::memcpy(value + 2 * c, &w, 2);
            } else {
                const uint32_t w =
                    height == 0.0 ? 0 : static_cast<uint32_t>((1000.0 - height) / 2.0 * 65536.0);
                std::memcpy(value + 4 * c, &w, 4);
            }
        }
        return area;
    }

    SensorController controller;
    ProfileReceiver receiver;
    std::shared_ptr<CountingRows> rows = std::make_shared<CountingRows>();

private:
    void configure(int points, Stages stages) {
        auto& p = controller.laserParams;
        std::memset(&p, 0, sizeof(p));
        std::memcpy(p.model, points == 3200 ? "ZP4000" : "ZP6000", 7);
        const double xScale[3] = {0.0, 0.0, 1.0};
        std::memcpy(reinterpret_cast<unsigned char*>(&p) + 90, xScale, sizeof(xScale));
        p.z_range_reference = 1000;
        p.z_range_lower = -200;
        p.z_range_upper = 200;
        hvq5_settings& s = controller.settings();
        s.set_regvals(285, points == 3200 ? 64 : 34);  // grid pitch in columns
        s.set_regvals(350, 1000 * 256);
        s.set_regvals(353, 65536);
        s.set_regvals(357, 1000 * 256);
        s.set_regvals(355, 1100u << 8);
        s.set_regvals(356, 800u << 8);
        s.set_regvals(358, kColumns);
        s.set_regvals(183, 3);
        s.set_regvals(804, 20 << 4);
        s.set_regvals(805, 30);
        if (stages == kCommon) return;
        s.set_regvals(324, 1);          // rotation by 1 degree, with base zero
        s.set_regvals(325, 100000);
        s.set_regvals(772, 1);
        s.set_regvals(326, static_cast<uint32_t>(-50000));
        s.set_regvals(327, static_cast<uint32_t>(-40000));
        s.set_regvals(328, 40000);
        s.set_regvals(329, 50000);
        s.set_regvals(330, 1);          // z scale 1.5
        s.set_regvals(331, 150000);
        s.set_regvals(291, 3);          // mirror and negate
        s.set_regvals(740, 1);          // binning by 2
        s.set_regvals(190, 5);          // temporal repair
        s.set_regvals(191, 5);
        s.set_regvals(741, 1);
        s.set_regvals(742, 180);        // gray gamma 1.8
        s.set_regvals(774, 50), s.set_regvals(775, 150), s.set_regvals(776, 200);
        HVQ5_2_EXTEND* extend = s.get_sdk_extend();
        extend->enable = 1;
        extend->z_offset_count = 4096;
        for (int i = 0; i < 4096; ++i) extend->z_offset[i] = i % 7;
    }
};

// Out of line, so that a profiler (callgrind --toggle-collect=*timed_frame*)
// counts the timed frames apart from the warm-up.
__attribute__((noinline)) void timed_frame(ProfileReceiver& receiver, int mode, const uint8_t* frame) {
    receiver.processFrame(mode, frame);
}

void BM_ProcessFrame(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    const auto stages = static_cast<Stages>(state.range(1));
    const auto path = static_cast<Path>(state.range(2));
    BenchSensor sensor(points, stages);
    std::vector<uint32_t> area = sensor.frame(path);
    const auto* frame = reinterpret_cast<const uint8_t*>(area.data());
    const int mode = path == kWords16 ? 0 : ProfileReceiver::kFixedPointMode;
    // Time the steady state of a long batch: the temporal repair's first frame
    // allocates its blocks, and only from its 511th frame on does it hand
    // frames out to the batch rows.
    for (int warmUp = 0; warmUp < kSteadyFrame; ++warmUp) sensor.receiver.processFrame(mode, frame);
    const int64_t allocationsBefore = g_allocations.load();
    for (auto _ : state) timed_frame(sensor.receiver, mode, frame);
    benchmark::DoNotOptimize(sensor.rows->rows);
    state.counters["us_per_frame"] = benchmark::Counter(
        static_cast<double>(state.iterations()) / 1e6,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // Nothing in the frame path should allocate once the first frame is through.
    state.counters["allocations_per_frame"] =
        static_cast<double>(g_allocations.load() - allocationsBefore) /
        static_cast<double>(state.iterations());
}
BENCHMARK(BM_ProcessFrame)
    ->ArgNames({"points", "all_stages", "fixed_point"})
    ->Args({3200, kCommon, kWords16})
    ->Args({3200, kEverything, kWords16})
    ->Args({6000, kCommon, kWords16})
    ->Args({6000, kEverything, kWords16})
    ->Args({3200, kCommon, kFixedPoint})
    ->Args({3200, kEverything, kFixedPoint})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
