#pragma once
// Lets the simulated sensor answer the DEBUG request: a read (opcode 161) of
// register 319 is answered with a DEBUG stream instead of an echo.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sensor_sim {

class SimSensor;

constexpr uint32_t kDebugStreamRegister = 319;

using DebugStreamSource = std::function<std::vector<uint8_t>(SimSensor& sensor)>;

// Reads of other registers are answered as before.
void installDebugStream(SimSensor& sensor, DebugStreamSource source);

// The stream of the default scene, seen by a camera of imageRows rows (at most
// 1024): a plane at the middle row with a step 40 rows up over columns 1024 to
// 1535 and no peak in columns 100 to 103; 32-bit fixed-point rows, intensity
// bytes and the raw image with the laser line drawn in.
std::vector<uint8_t> sceneDebugStream(int imageRows);

// The peak row of a column in the default scene, 0 for no peak.
double scenePeakRow(int column, int imageRows);

// Series '3' and '4' heads report the fixed-point peak row of every column;
// the other series measure the distance themselves.
bool sendsPeakRows(const std::string& model);

// Register 296: 0 while the head measures profiles, otherwise it shows the
// camera image.
constexpr uint32_t kImageModeRegister = 296;

// Whether the head's DEBUG stream carries fixed-point peak rows: always while
// it shows the camera image (the peaks mark the laser line on the image, so
// they are rows on every series), and on series '3' and '4' while it measures
// too. Otherwise it carries distance words.
bool streamsPeakRows(const SimSensor& sensor, const std::string& model);

// The default scene as the sensor measures it: the same peaks, each column's
// distance from the sensor's calibration at its peak row, sent as 32-bit
// distance words relative to register 350 (a word of 2^31 is the reference
// distance, 0 is no peak), with intensity bytes and the raw image.
std::vector<uint8_t> sceneDistanceDebugStream(SimSensor& sensor, int imageRows);

// The scene stream a head of this model sends in its current mode, seen by a
// camera of imageRows rows.
std::vector<uint8_t> sceneDebugStreamFor(SimSensor& sensor, const std::string& model, int imageRows);

}  // namespace sensor_sim
