#include "tools/sensor_sim/sim_status.h"

#include "tools/sensor_sim/sim_sensor.h"
#include "tools/sensor_sim/sim_wire.h"

namespace sensor_sim {

namespace {

constexpr uint8_t kReadRegister = 161;

void putLittleEndian(uint8_t* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void SimStatus::setStatus(uint16_t word, uint32_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    word_ = word;
    value_ = value;
}

std::vector<uint8_t> SimStatus::statusReply() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint8_t> reply(kPacketSize, 0);
    reply[0] = kReadRegister;
    putLittleEndian(&reply[1], word_, 2);
    putLittleEndian(&reply[5], value_, 4);
    reply[9] = 0x0D;
    reply[10] = 0x0A;
    return reply;
}

uint32_t SimStatus::nextHeartbeat() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ++heartbeats_;
}

uint32_t SimStatus::heartbeatReads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return heartbeats_;
}

std::shared_ptr<SimStatus> installStatus(SimSensor& sensor) {
    auto status = std::make_shared<SimStatus>();
    const SimSensor::Dispatch previous = sensor.dispatchFor(kReadRegister);
    sensor.registerOpcodeHandler(
        kReadRegister,
        [status, previous](SimSensor& s, const Request& request, ReplyWriter& reply) {
            if (request.address == kStatusAddress) {
                reply.write(status->statusReply());
                return;
            }
            if (request.address == kHeartbeatRegister) {
                const uint32_t count = status->nextHeartbeat();
                s.setReg(kHeartbeatRegister, count);
                reply.echo(request.opcode, request.address, count);
                return;
            }
            if (previous.handler) previous.handler(s, request, reply);
        },
        previous.payloadSize);
    return status;
}

}  // namespace sensor_sim
