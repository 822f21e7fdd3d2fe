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

namespace {

// The camera image with the scene's laser line drawn in.
std::vector<uint8_t> sceneImage(int imageRows) {
    std::vector<uint8_t> image(static_cast<size_t>(imageRows) * kColumns, kBackground);
    for (int c = 0; c < kColumns; ++c) {
        const int r = static_cast<int>(scenePeakRow(c, imageRows));
        if (r > 0 && r < imageRows) image[static_cast<size_t>(r) * kColumns + c] = kLineBrightness;
    }
    return image;
}

std::vector<uint8_t> sceneIntensity(int imageRows) {
    std::vector<uint8_t> intensity(kColumns, 0);
    for (int c = 0; c < kColumns; ++c)
        if (scenePeakRow(c, imageRows) > 0.0) intensity[c] = kLineBrightness;
    return intensity;
}

// 32-bit image and profile values, intensity bytes with every profile.
DebugInfoRecord sceneInfo(int imageRows) {
    DebugInfoRecord info;
    info.intensityFlag = 1;
    info.imageRows = static_cast<uint16_t>(imageRows);
    info.flags[1] = 1;
    return info;
}

std::vector<uint8_t> encodeScene(int imageRows, const std::vector<uint32_t>& values) {
    return DebugStreamEncoder()
        .info(sceneInfo(imageRows))
        .image(sceneImage(imageRows))
        .profile(values, true, sceneIntensity(imageRows))
        .finish();
}

}  // namespace

std::vector<uint8_t> sceneDebugStream(int imageRows) {
    std::vector<uint32_t> rows(kColumns);
    for (int c = 0; c < kColumns; ++c) rows[c] = static_cast<uint32_t>(std::lround(scenePeakRow(c, imageRows) * 65536.0));
    return encodeScene(imageRows, rows);
}

bool sendsPeakRows(const std::string& model) {
    const char series = model.size() > 2 ? model[2] : '\0';
    return series == '3' || series == '4';
}

bool streamsPeakRows(const SimSensor& sensor, const std::string& model) {
    return sensor.reg(kImageModeRegister) != 0 || sendsPeakRows(model);
}

std::vector<uint8_t> sceneDistanceDebugStream(SimSensor& sensor, int imageRows) {
    constexpr uint32_t kReferenceWord = 0x80000000u;
    const int64_t reference = sensor.reg(350);  // the reference distance x 256
    std::vector<uint32_t> words(kColumns, 0);
    for (int c = 0; c < kColumns; ++c) {
        const double row = scenePeakRow(c, imageRows);
        if (row <= 0.0) continue;
        const int64_t distance = std::llround(sensor.model().distanceAt(c, row) * 256.0);
        words[c] = static_cast<uint32_t>(kReferenceWord + (reference - distance));
    }
    return encodeScene(imageRows, words);
}

std::vector<uint8_t> sceneDebugStreamFor(SimSensor& sensor, const std::string& model, int imageRows) {
    return streamsPeakRows(sensor, model) ? sceneDebugStream(imageRows) : sceneDistanceDebugStream(sensor, imageRows);
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
