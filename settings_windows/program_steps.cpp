#include "settings_windows/program_steps.h"

#include <cstdint>

#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_setting_api.h"

namespace program_steps {
namespace {

constexpr int kDevice = 0;

}  // namespace

int select(int program) {
    const uint8_t number = program >= 0 && program <= 255 ? static_cast<uint8_t>(program) : uint8_t{255};
    return hvq5_select_program(kDevice, &number);
}

int load() { return hvq5_load_program(kDevice); }

int store() { return HVQ5_RewriteTemporarySetting(kDevice); }

int reset() { return hvq5_reset_program(kDevice); }

int resetAll() { return hvq5_system_command_30000(kDevice); }

int runInOrder(std::initializer_list<std::function<int()>> steps) {
    for (const auto& step : steps) {
        const int status = step();
        if (status != 0) return status;
    }
    return 0;
}

}  // namespace program_steps
