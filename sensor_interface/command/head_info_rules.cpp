// What the head-information step makes of the sensor's answers, apart from
// the exchanges that bring them (head_info.cpp): they run without a sensor.
#include <string>

#include "sensor_interface/command/head_info.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/settings/setting_dispatcher_rules.h"

std::array<std::atomic<int32_t>, 4> roiRowTable{};

namespace head_info {

void storeMeasuringRange(zp_laser_reg::laser_params& params, uint32_t reg350, uint32_t reg351,
                         uint32_t reg352) {
    const int32_t reference = static_cast<int32_t>(reg350 >> 8);
    params.z_range_reference = reference;
    params.z_range_lower = reference - static_cast<int32_t>(reg351) / 256;
    params.z_range_upper = reference - static_cast<int32_t>(reg352) / 256;
}

std::optional<ModelGeometry> headGeometry(const zp_laser_reg::laser_params& params) {
    return model_geometry_for_series(reinterpret_cast<const char*>(&params)[zp_laser_reg::series_offset]);
}

void storeRoiRows(int rows) {
    const std::array<int, 4> table = setting_rules::zRangeRowTable(rows);
    for (std::size_t i = 0; i < table.size(); ++i) roiRowTable[i].store(table[i]);
}

void logBadLoadStatus(uint32_t status) {
    LogManager::instance().log("load status error " + std::to_string(status), 0);
}

}  // namespace head_info
