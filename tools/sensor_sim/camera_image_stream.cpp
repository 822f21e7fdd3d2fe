#include "tools/sensor_sim/camera_image_stream.h"

#include <cmath>

#include "tools/sensor_sim/debug_stream_encoder.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

namespace {
constexpr int kColumns = static_cast<int>(DebugStreamEncoder::kColumns);
constexpr uint32_t kRowsInUseRegister = 11;
}  // namespace

std::vector<uint8_t> columnRampImage(int rows) {
    std::vector<uint8_t> image(static_cast<size_t>(rows > 0 ? rows : 0) * kColumns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kColumns; ++c) image[static_cast<size_t>(r) * kColumns + c] = static_cast<uint8_t>(c + r);
    return image;
}

std::vector<uint8_t> cameraImageDebugStream(const std::vector<uint8_t>& image, int rows, const PeakRowScript& peakRow) {
    DebugInfoRecord info;
    info.imageRows = static_cast<uint16_t>(rows);
    info.flags[1] = 1;
    std::vector<uint32_t> values(kColumns, 0);
    for (int c = 0; c < kColumns; ++c) {
        const double row = peakRow ? peakRow(c, rows) : 0.0;
        values[c] = row > 0.0 ? static_cast<uint32_t>(std::lround(row * 65536.0)) : 0u;
    }
    return DebugStreamEncoder().info(info).image(image).profile(values, true).finish();
}

void installCameraImageStream(SimSensor& sensor, int sensorRows, PeakRowScript peakRow) {
    installDebugStream(sensor, [sensorRows, peakRow](SimSensor& s) {
        // Register 11 holds the camera rows in use (the Z-range window); a
        // value of 0 or beyond the camera means the whole camera.
        const uint32_t inUse = s.reg(kRowsInUseRegister);
        const int rows = inUse > 0 && inUse <= static_cast<uint32_t>(sensorRows) ? static_cast<int>(inUse) : sensorRows;
        return cameraImageDebugStream(columnRampImage(rows), rows, peakRow);
    });
}

}  // namespace sensor_sim
