#pragma once
// The imaging registers of a healthy head, each inside the range of the
// control that shows it, so that a page loaded from a fresh simulator shows
// what the sensor holds without clamping it (and so without a reason to write).
#include <cstdint>

namespace sensor_sim {

class SimSensor;

// cameraRows: the rows of the model's camera; register 11 holds the rows in
// use, the whole camera at first.
void presetImagingRegisters(SimSensor& sensor, int cameraRows);

}  // namespace sensor_sim
