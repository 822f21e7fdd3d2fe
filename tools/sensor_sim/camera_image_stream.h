#pragma once
// DEBUG streams for the raw camera image: an image of the test's choosing
// with the laser line's peak rows, seen through the Z-range window whose row
// count register 11 holds.
#include <cstdint>
#include <functional>
#include <vector>

namespace sensor_sim {

class SimSensor;

// A column ramp: pixel (column c, row r) is (c + r) mod 256, so a picture
// shifted by a column or a row shows at once.
std::vector<uint8_t> columnRampImage(int rows);

// Peak row of a column in a window of `rows` rows; 0 or less is no peak.
using PeakRowScript = std::function<double(int column, int rows)>;

// Info record (32-bit values, `rows` rows), the image (rows x 2048 bytes) and a
// profile record of 32-bit fixed-point peak rows.
std::vector<uint8_t> cameraImageDebugStream(const std::vector<uint8_t>& image, int rows, const PeakRowScript& peakRow);

// Answers the DEBUG request with a column ramp of as many rows as register 11
// holds (the rows in use; 0 or more than sensorRows: sensorRows) and the
// scripted peaks.
void installCameraImageStream(SimSensor& sensor, int sensorRows, PeakRowScript peakRow);

}  // namespace sensor_sim
