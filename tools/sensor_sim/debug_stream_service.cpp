#include "tools/sensor_sim/debug_stream_service.h"

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

namespace {
constexpr uint8_t kReadRegister = 161;
}

void installDebugStream(SimSensor& sensor, DebugStreamSource source) {
    const SimSensor::Dispatch previous = sensor.dispatchFor(kReadRegister);
    sensor.registerOpcodeHandler(
        kReadRegister,
        [previous, source](SimSensor& s, const Request& request, ReplyWriter& reply) {
            if ((request.address & 0xFFFF) == kDebugStreamRegister) {
                reply.write(source(s));
                return;
            }
            if (previous.handler) previous.handler(s, request, reply);
        },
        previous.payloadSize);
}

}  // namespace sensor_sim
