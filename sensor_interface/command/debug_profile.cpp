#include "sensor_interface/command/debug_profile.h"

#include <mutex>

#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/registry/hvq5_rc.h"

namespace {

constexpr uint32_t kDebugModeRegister = 2;
constexpr uint32_t kDebugStreamRegister = 319;
constexpr int kDebugModeWaitMs = 20;
const char kStreamEnd[] = "DEBUG,end\r\n";

}  // namespace

int request_debug_stream(SensorController& controller, std::vector<uint8_t>& stream) {
    stream.clear();
    if (!controller.debugStreamEnabled) return HVQ5_RC_NOT_ALLOWED;
    std::lock_guard<std::mutex> lock(controller.transactionMutex());
    uint32_t value = 1;
    int status = controller.transactWithPayload(static_cast<uint8_t>(CommandOpcode::WriteRegister),
                                                kDebugModeRegister, value, kDebugModeWaitMs, nullptr);
    if (status != HVQ5_RC_OK) return status;
    status = controller.sendOnly(static_cast<uint8_t>(CommandOpcode::ReadRegister), kDebugStreamRegister, 1);
    if (status != HVQ5_RC_OK) return status;
    return controller.receiveUntil(stream, kStreamEnd, controller.timeoutMs, 0);
}
