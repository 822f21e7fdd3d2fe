#pragma once
// What the head information step works out from the sensor's answers: the
// measuring range words, the geometry the model text names, the row table of
// the row-binning steps and the load status rule. Pure functions
// (head_info_rules.cpp), so the rules can be checked without a sensor.
// The steps themselves are SensorController::readHeadInfo, loadUserRegisters
// and checkLoadStatus (head_info.cpp).
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/settings/hvq5_settings.h"

// Row counts of the four row-binning steps of the sensor whose head
// information was read last (rows, rows / 2, rows / 4, rows / 8, each rounded
// down to a multiple of 16); all 0 before the first one.
extern std::array<std::atomic<int32_t>, 4> roiRowTable;

namespace head_info {

// Registers holding the measuring range, the x binning, the load status.
constexpr uint32_t kRangeReferenceRegister = 350;
constexpr uint32_t kRangeLowerRegister = 351;
constexpr uint32_t kRangeUpperRegister = 352;
constexpr uint32_t kBinningRegister = 740;
constexpr uint32_t kLoadStatusRegister = 705;

// Stores the measuring range in the last three words of the head information:
// reference = register 350 >> 8; lower = reference - register 351 / 256;
// upper = reference - register 352 / 256 (signed divisions toward zero).
void storeMeasuringRange(zp_laser_reg::laser_params& params, uint32_t reg350, uint32_t reg351,
                         uint32_t reg352);

// The geometry of the head, by the series character of its model text; nothing
// for a model text that names no known series (the head is refused).
std::optional<ModelGeometry> headGeometry(const zp_laser_reg::laser_params& params);

// Fills roiRowTable for a camera of the given rows.
void storeRoiRows(int rows);

// Writes "load status error " and the status to the run log.
void logBadLoadStatus(uint32_t status);

// The sensor has loaded its settings: load status 0 or 3.
inline bool loadStatusGood(uint32_t status) { return status == 0 || status == 3; }

}  // namespace head_info
