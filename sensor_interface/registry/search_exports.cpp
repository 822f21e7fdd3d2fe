#include "sensor_interface/command/search_exports.h"

#include "sensor_interface/command/search.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {
const uint32_t* searchWithoutThrowing(int* count, int timeoutMs) noexcept {
    try {
        return search_online(count, timeoutMs);
    } catch (...) {
        if (count) *count = 0;
        return nullptr;
    }
}
}  // namespace

extern "C" HVQ5_API const uint32_t* HVQ5_SearchOnline(int* count, int timeoutMs) {
    try {
        runFirstCallStep();  // the search may be the process's first call
    } catch (...) {
        if (count) *count = 0;
        return nullptr;
    }
    return searchWithoutThrowing(count, timeoutMs);
}

extern "C" HVQ5_API const uint32_t* HVQ5_2_SearchOnline(int* count, int timeoutMs) {
    return searchWithoutThrowing(count, timeoutMs);
}
