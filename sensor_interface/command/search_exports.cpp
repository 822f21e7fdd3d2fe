#include "sensor_interface/command/search_exports.h"

#include "sensor_interface/command/search.h"
#include "sensor_interface/log/log_manager.h"

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
        LogManager::instance();  // the search may be the first call: start the run log
    } catch (...) {
    }
    return searchWithoutThrowing(count, timeoutMs);
}

extern "C" HVQ5_API const uint32_t* HVQ5_2_SearchOnline(int* count, int timeoutMs) {
    return searchWithoutThrowing(count, timeoutMs);
}
