#include "sensor_interface/registry/model_table.h"

namespace {

struct ModelRow {
    const char* text;
    ModelTableEntry entry;
};

constexpr ModelRow kModels[] = {
    {"ZP5020", {22, 18}},
    {"ZP5040", {12, 12}},
    {"ZP5060", {10, 9}},
    {"ZP5080", {10, 9}},
    {"ZP5160", {10, 9}},
};
constexpr ModelTableEntry kOtherModels{10, 9};

}  // namespace

ModelTableEntry lookupModel(const std::string& modelText) {
    for (const ModelRow& row : kModels)
        if (modelText == row.text) return row.entry;
    return kOtherModels;
}

int sensorHeadCount(const std::string& modelText) {
    if (modelText.empty()) return 1;
    switch (modelText.back()) {
        case 'D': return 2;
        case 'F': return 4;
        default: return 1;
    }
}
