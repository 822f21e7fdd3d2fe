#pragma once
// A head set up the way the open sequence leaves it, for the simulator's DEBUG
// scene: model text, geometry, and a processor bound to the register image and
// head information with a calibration in which the distance is 256 x camera
// row and x = pointsPerColumn x (column - 1024) on a grid of pitch 1
// (register 285 = 100); heights = 100000 - distance within wide bounds.
class SensorController;

namespace mirevo::test {

constexpr double kSceneReference = 100000.0;
constexpr double kSceneDistancePerRow = 256.0;

// Fails the calling test (non-fatally for the caller: wrap it in
// ASSERT_NO_FATAL_FAILURE) when the processor refuses the calibration.
void openSceneHead(SensorController& controller, char series, int rows, int points, double pointsPerColumn);

}  // namespace mirevo::test
