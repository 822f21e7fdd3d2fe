#include "tools/sensor_sim/debug_stream_service.h"

#include <cmath>

#include "tools/sensor_sim/debug_stream_encoder.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

namespace {
constexpr uint8_t kReadRegister = 161;
constexpr int kColumns = 2048;
constexpr uint8_t kLineBrightness = 220;
constexpr uint8_t kBackground = 12;
}  // namespace

double scenePeakRow(int column, int imageRows) {
    if (column >= 100 && column <= 103) return 0.0;
    const double plane = imageRows / 2 + 0.25;
    return (column >= 1024 && column < 1536) ? plane - 40.0 : plane;
}

std::vector<uint8_t> sceneDebugStream(int imageRows) {
    DebugInfoRecord info;
    info.intensityFlag = 1;
    info.imageRows = static_cast<uint16_t>(imageRows);
    info.flags[1] = 1;

    std::vector<uint8_t> image(static_cast<size_t>(imageRows) * kColumns, kBackground);
    std::vector<uint32_t> rows(kColumns);
    std::vector<uint8_t> intensity(kColumns, 0);
    for (int c = 0; c < kColumns; ++c) {
        const double row = scenePeakRow(c, imageRows);
        rows[c] = static_cast<uint32_t>(std::lround(row * 65536.0));
        if (row <= 0.0) continue;
        intensity[c] = kLineBrightness;
        const int r = static_cast<int>(row);
        if (r < imageRows) image[static_cast<size_t>(r) * kColumns + c] = kLineBrightness;
    }
    return DebugStreamEncoder().info(info).image(image).profile(rows, true, intensity).finish();
}

void installDebugStream(SimSensor& sensor, DebugStreamSource source) {
    const SimSensor::Dispatch previous = sensor.dispatchFor(kReadRegister);
    sensor.registerOpcodeHandler(
        kReadRegister,
        [previous, source](SimSensor& s, const Request& request, ReplyWriter& reply) {
            if ((request.address & 0xFFFF) == kDebugStreamRegister) {
                reply.write(source(s));
                return;
            }
            if (previous.handler) previous.handler(s, request, reply);
        },
        previous.payloadSize);
}

}  // namespace sensor_sim
