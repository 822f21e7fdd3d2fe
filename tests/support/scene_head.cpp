#include "tests/support/scene_head.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/processing/profile_processor.h"

namespace mirevo::test {

void openSceneHead(SensorController& controller, char series, int rows, int points, double pointsPerColumn) {
    constexpr int kColumns = 2048;
    std::memcpy(controller.laserParams.model, "ZP?100", 7);
    controller.laserParams.model[2] = series;
    controller.columns = kColumns;
    controller.rows = rows;
    controller.points = points;
    controller.pointsPerColumn = pointsPerColumn;
    const double xScale = pointsPerColumn;
    std::memcpy(controller.laserParams.optics_body + 16, &xScale, sizeof xScale);
    controller.laserParams.z_range_reference = static_cast<int32_t>(kSceneReference);
    controller.laserParams.z_range_lower = -1000000;
    controller.laserParams.z_range_upper = 1000000;
    controller.settings().set_regvals(285, 100);
    controller.settings().set_regvals(355, 0xFFFFFF00u);
    auto processor = std::make_shared<ProfileProcessor>(kColumns, points, pointsPerColumn);
    processor->bind(&controller.settings(), &controller.laserParams);
    CalibrationTable table(kColumns, std::vector<double>(10, 0.0));
    for (auto& column : table) column[8] = kSceneDistancePerRow;
    ASSERT_TRUE(processor->setCalibration(table));
    controller.replaceProcessor(std::move(processor));
}

}  // namespace mirevo::test
