#pragma once
// What the model text of a head decides at open: the extended model type, the
// value of register 432, and how many heads the sensor has.
#include <cstdint>
#include <string>

struct ModelTableEntry {
    int32_t extendModelType;  // HVQ5_2_EXTEND::model_type
    uint32_t register432;
};

// Looks the whole model text up; texts outside the table get the default entry.
ModelTableEntry lookupModel(const std::string& modelText);

// Heads of a sensor by the last character of its model text: 'D' two, 'F'
// four, anything else (and an empty text) one.
int sensorHeadCount(const std::string& modelText);
