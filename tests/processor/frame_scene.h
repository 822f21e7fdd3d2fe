#pragma once
// A series '3' sensor (848 columns, 848 points) whose scene is easy to predict:
// column c lies at x = c - 424 on a grid of pitch 1, 16-bit codes are heights +
// 32768, 32-bit words heights x 256 + 2^31, fixed-point rows (1000 - height) / 2,
// heights from -100 to 100 are valid. Frames are built as the receiver copies
// them (header, intensity area, value area).
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/data_channel/receiver_log.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"

namespace processor_test {

constexpr int kColumns = 848;
constexpr int kCameraRows = 640;
constexpr double kInvalid = -9999000.0;

// Registers and head values of the scene.
inline void configure_scene(hvq5_settings& settings, zp_laser_reg::laser_params& params) {
    std::memset(&params, 0, sizeof(params));
    std::memcpy(params.model, "ZP3000", 7);
    const double xScale[3] = {0.0, 0.0, 1.0};
    std::memcpy(reinterpret_cast<unsigned char*>(&params) + 90, xScale, sizeof(xScale));
    params.z_range_reference = 1000;
    params.z_range_lower = -100;
    params.z_range_upper = 100;
    settings.set_regvals(285, 100);          // grid pitch 1
    settings.set_regvals(350, 1000 * 256);   // distance of code 32768
    settings.set_regvals(353, 65536);        // one distance unit per code
    settings.set_regvals(357, 1000 * 256);   // 16-bit output codes: height + 32768
    settings.set_regvals(183, 3);            // repair gaps of up to 3 columns
    settings.set_regvals(804, 20 << 4);      // slope threshold 20
    settings.set_regvals(805, 30);           // step threshold 30
    settings.set_regvals(355, 1100u << 8);   // fixed-point distance limits
    settings.set_regvals(356, 900u << 8);
    settings.set_regvals(358, kColumns);     // X-ROI width
}

// Calibration of every column: distance = 2 x row. Being 0 at row 0, it also
// leaves the grid of narrow frames where it is (the alignment needs a distance).
inline CalibrationTable linear_calibration() {
    std::vector<double> coefficients(kCalibrationCoefficients, 0.0);
    coefficients[kCalibrationCoefficients - 2] = 2.0;
    return CalibrationTable(kCalibrationColumns, coefficients);
}

// Plane of height 10 left of column 424, 50 from there on.
inline double scene_height(int column) { return column < 424 ? 10.0 : 50.0; }

enum class Words { Bits16, Bits32, FixedPoint };

inline uint32_t scene_word(Words kind, double height) {
    switch (kind) {
        case Words::Bits16: return static_cast<uint32_t>(32768 + height);
        case Words::Bits32: return static_cast<uint32_t>(2147483648.0 + height * 256.0);
        case Words::FixedPoint: return static_cast<uint32_t>((1000.0 - height) / 2.0 * 65536.0);
    }
    return 0;
}

struct FrameFields {
    uint32_t batch = 7;
    uint32_t frame = 1;
    uint32_t encoder = 1000;
    uint64_t timestamp = 5000;
};

// One frame in the receiver's area layout; 4-byte aligned storage.
class FrameArea {
public:
    FrameArea() : storage_(ProfileReceiver::kFrameAreaSize / 4, 0) {}
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(storage_.data()); }

    void setHeader(const FrameFields& f) {
        uint8_t* h = bytes();
        put_be(h, f.batch, 4);
        put_be(h + 4, f.frame, 4);
        put_be(h + 10, f.encoder, 4);
        put_be(h + 14, f.timestamp, 8);
    }
    void setGray(int column, uint8_t value) {
        bytes()[ProfileReceiver::kFrameIntensityOffset + column] = value;
    }
    void setWord(Words kind, int point, uint32_t word) {
        uint8_t* values = bytes() + ProfileReceiver::kFrameValuesOffset;
        if (kind == Words::Bits16) {
            const uint16_t w16 = static_cast<uint16_t>(word);
            std::memcpy(values + 2 * point, &w16, 2);
        } else {
            std::memcpy(values + 4 * point, &word, 4);
        }
    }
    // The scene's plane and step from camera column first on, n points.
    void fillScene(Words kind, int first, int n) {
        for (int i = 0; i < n; ++i) {
            setWord(kind, i, scene_word(kind, scene_height(first + i)));
            setGray(i, static_cast<uint8_t>(100 + (first + i) % 50));
        }
    }

private:
    static void put_be(uint8_t* at, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
    }
    std::vector<uint32_t> storage_;
};

// An info message announcing n points from column first.
inline std::vector<uint8_t> info_message(int first, int n, bool intensity, bool wide) {
    std::vector<uint8_t> m(58, 0);
    std::memcpy(m.data(), "info,", 5);
    m[5] = 100;                                 // frames per batch
    m[11] = intensity ? 1 : 0;
    m[16] = static_cast<uint8_t>(n), m[17] = static_cast<uint8_t>(n >> 8);
    m[21] = wide ? 1 : 0;
    m[50] = static_cast<uint8_t>(first), m[51] = static_cast<uint8_t>(first >> 8);
    std::memcpy(m.data() + 52, ",end\r\n", 6);
    return m;
}

// The receiver's run-log lines as "level:text".
class LinesLog : public data_channel::ReceiverLog {
public:
    void line(const std::string& message, int level) override {
        lines.push_back(std::to_string(level) + ":" + message);
    }
    void reconnection(const std::string&) override {}
    void dump() override {}
    std::vector<std::string> lines;
};

// The batch rows as the batch buffers would hold them; notes any append made
// without the lock.
class RecordingRows : public data_channel::BatchRows {
public:
    void lock() override { locked_ = true; }
    void unlock() override { locked_ = false; }
    void appendRows(const int16_t* codes, const int32_t* heights, const uint8_t* gray,
                    int width) override {
        unlockedAppends += locked_ ? 0 : 1;
        this->codes.emplace_back(reinterpret_cast<const uint16_t*>(codes),
                                 reinterpret_cast<const uint16_t*>(codes) + width);
        this->heights.emplace_back(heights, heights + width);
        this->gray.emplace_back(gray, gray + width);
    }
    void appendFrameInfo(uint32_t encoder, uint32_t frame, uint64_t timestamp) override {
        unlockedAppends += locked_ ? 0 : 1;
        encoders.push_back(encoder);
        frames.push_back(frame);
        timestamps.push_back(timestamp);
    }

    std::vector<std::vector<uint16_t>> codes;
    std::vector<std::vector<int32_t>> heights;
    std::vector<std::vector<uint8_t>> gray;
    std::vector<uint32_t> encoders, frames;
    std::vector<uint64_t> timestamps;
    int unlockedAppends = 0;

private:
    bool locked_ = false;
};

// A sensor of the scene behind a receiver that is not connected: frames are
// handed to processFrame directly.
class SceneReceiver {
public:
    SceneReceiver()
        : log(std::make_shared<LinesLog>()), receiver(log), rows(std::make_shared<RecordingRows>()) {
        savedPointsPerColumn_ = lastPointsPerColumn.load();
        lastPointsPerColumn = 1.0;
        controller.rows = kCameraRows;
        controller.processor = std::make_shared<ProfileProcessor>(kColumns, kColumns, 1.0);
        configure_scene(controller.settings(), controller.laserParams);
        controller.processor->bind(&controller.settings(), &controller.laserParams);
        controller.processor->setCalibration(linear_calibration());
        receiver.attach(3, &controller);
        receiver.setBatchRows(rows);
        receiver.setBatchFinished(false);
        announce(0, kColumns, Words::Bits16);
    }
    ~SceneReceiver() { lastPointsPerColumn = savedPointsPerColumn_; }

    void announce(int first, int n, Words kind) {
        const std::vector<uint8_t> info = info_message(first, n, true, kind != Words::Bits16);
        receiver.parseInfo(info.data(), info.size());
    }
    static int modeOf(Words kind) {
        return kind == Words::Bits16 ? 0 : kind == Words::Bits32 ? 1 : ProfileReceiver::kFixedPointMode;
    }
    // Sends frames of the scene, numbered from 1.
    void sendScene(Words kind, int frames, int first = 0, int n = kColumns) {
        FrameArea area;
        area.fillScene(kind, first, n);
        for (int i = 0; i < frames; ++i) {
            FrameFields f;
            f.frame = static_cast<uint32_t>(++sent_);
            f.encoder = 1000 + sent_;
            f.timestamp = 5000 + sent_;
            area.setHeader(f);
            receiver.processFrame(modeOf(kind), area.bytes());
        }
    }
    hvq5_settings& settings() { return controller.settings(); }
    ProfileProcessor& processor() { return *controller.processor; }

    SensorController controller;
    std::shared_ptr<LinesLog> log;
    ProfileReceiver receiver;
    std::shared_ptr<RecordingRows> rows;

private:
    double savedPointsPerColumn_ = 0.0;
    int sent_ = 0;
};

}  // namespace processor_test
