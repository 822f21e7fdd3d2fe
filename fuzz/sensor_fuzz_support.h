#pragma once
// What the fuzz targets over the sensor interface share: a sensor as it comes
// from the factory (the registers the profile pipeline reads, a calibration
// whose distance grows with the peak row, a controller opened on such a head),
// so that an input changes only what it is meant to, and a reader of the
// input's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/processing_types.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/settings/hvq5_settings.h"

namespace fuzz {

// The registers the pipeline reads, as the sensor simulator's default head has
// them: reference distance 50000, heights -30000 to 30000, 16-bit codes of one
// distance unit, x pitch 12.8, rotation off, fixed-point distances 1000 to 90000.
inline void setFactoryRegisters(hvq5_settings& image) {
    image.set_regvals(350, 50000u << 8);
    image.set_regvals(351, 80000u << 8);
    image.set_regvals(352, 20000u << 8);
    image.set_regvals(353, 65536);
    image.set_regvals(285, 1280);
    image.set_regvals(325, 4000001);
    image.set_regvals(355, 90000u << 8);
    image.set_regvals(356, 1000u << 8);
}

// Distance 40 r + 20000 at camera row r in every column.
inline CalibrationTable soundCalibration() {
    CalibrationTable table(kCalibrationColumns, std::vector<double>(kCalibrationCoefficients, 0.0));
    for (auto& column : table) {
        column[8] = 40.0;
        column[9] = 20000.0;
    }
    return table;
}

// A controller as opening a factory head "ZP<series>160" leaves it: the
// model's geometry, the factory registers and the processor the open makes,
// with a sound calibration.
inline std::unique_ptr<SensorController> factoryController(char series) {
    auto controller = std::make_unique<SensorController>();
    const char model[] = {'Z', 'P', series, '1', '6', '0', '\0'};
    std::copy(model, model + sizeof model, controller->laserParams.model);
    const ModelGeometry geometry = *model_geometry_for_series(series);
    controller->columns = geometry.columns;
    controller->rows = geometry.rows;
    controller->points = geometry.points;
    controller->pointsPerColumn = geometry.pointsPerColumn;
    setFactoryRegisters(controller->settings());
    auto processor = std::make_shared<ProfileProcessor>(geometry.columns, geometry.points, geometry.pointsPerColumn);
    processor->bind(&controller->settings(), &controller->laserParams);
    FUZZ_CHECK(processor->setCalibration(soundCalibration()));
    controller->replaceProcessor(std::move(processor));
    return controller;
}

// The input read front to back; past its end every byte is 0.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    size_t left() const { return size_ - at_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t be16() {
        const uint16_t high = byte();
        return static_cast<uint16_t>((high << 8) | byte());
    }
    uint32_t be32() {
        const uint32_t high = be16();
        return (high << 16) | be16();
    }
    // The next `length` bytes (fewer at the end), as a copy of their own so
    // that a read past them is caught.
    std::vector<uint8_t> take(size_t length) {
        if (length > left()) length = left();
        std::vector<uint8_t> bytes(data_ + at_, data_ + at_ + length);
        at_ += length;
        return bytes;
    }
    const uint8_t* here() const { return data_ + at_; }
    void skip(size_t length) { at_ += length < left() ? length : left(); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace fuzz
