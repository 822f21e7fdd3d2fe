#include "tools/sensor_sim/live_scene.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "tools/sensor_sim/debug_stream_encoder.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {
namespace {

constexpr int kColumns = 2048;
constexpr uint8_t kLine = 220;
constexpr uint8_t kBackground = 12;
constexpr uint32_t kReferenceWord = 0x80000000u;
constexpr uint32_t kRowsInUseRegister = 11;

}  // namespace

LiveScene::LiveScene(std::string model, int cameraRows) : model_(std::move(model)), cameraRows_(cameraRows) {}

void LiveScene::install(SimSensor& sensor) {
    installDebugStream(sensor, [this](SimSensor& s) { return stream(s); });
}

void LiveScene::setGenerationStep(int32_t step) { step_ = step; }
void LiveScene::setPaceMs(int ms) { paceMs_ = ms; }

void LiveScene::setPeakRows(std::vector<double> rows) {
    std::lock_guard<std::mutex> lock(mutex_);
    peakRows_ = std::move(rows);
}

int LiveScene::imageRows(const SimSensor& sensor) const {
    const uint32_t inUse = sensor.reg(kRowsInUseRegister);
    return inUse > 0 && inUse <= static_cast<uint32_t>(cameraRows_) ? static_cast<int>(inUse) : cameraRows_;
}

std::vector<uint8_t> LiveScene::stream(SimSensor& sensor) {
    const uint32_t generation = requests_++;
    if (const int pace = paceMs_.load(); pace > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pace));
    const int rows = imageRows(sensor);
    std::vector<double> peaks(kColumns);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int c = 0; c < kColumns; ++c)
            peaks[c] = c < static_cast<int>(peakRows_.size()) ? peakRows_[c] : scenePeakRow(c, rows);
    }

    std::vector<uint8_t> image(static_cast<size_t>(rows) * kColumns, kBackground);
    std::vector<uint8_t> intensity(kColumns, 0);
    for (int c = 0; c < kColumns; ++c) {
        const int r = static_cast<int>(peaks[c]);
        if (r > 0 && r < rows) image[static_cast<size_t>(r) * kColumns + c] = kLine;
        if (peaks[c] > 0.0) intensity[c] = kLine;
    }

    std::vector<uint32_t> values(kColumns, 0);
    if (streamsPeakRows(sensor, model_)) {
        for (int c = 0; c < kColumns; ++c) values[c] = static_cast<uint32_t>(std::lround(peaks[c] * 65536.0));
    } else {
        const int64_t reference = sensor.reg(350);
        const int64_t shift = static_cast<int64_t>(step_.load()) * generation;
        for (int c = 0; c < kColumns; ++c) {
            if (peaks[c] <= 0.0) continue;
            const int64_t distance = std::llround(sensor.model().distanceAt(c, peaks[c]) * 256.0) + shift;
            values[c] = static_cast<uint32_t>(kReferenceWord + (reference - distance));
        }
    }
    DebugInfoRecord info;
    info.intensityFlag = 1;
    info.imageRows = static_cast<uint16_t>(rows);
    info.flags[1] = 1;
    return DebugStreamEncoder().info(info).image(image).profile(values, true, intensity).finish();
}

}  // namespace sensor_sim
