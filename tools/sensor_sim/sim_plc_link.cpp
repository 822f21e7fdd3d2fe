#include "tools/sensor_sim/sim_plc_link.h"

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {
namespace {

constexpr uint8_t kReadRegister = 161;

}  // namespace

void SimPlcLink::refuseWithCode(uint32_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    refusal_ = code;
}

void SimPlcLink::accept() {
    std::lock_guard<std::mutex> lock(mutex_);
    refusal_.reset();
}

void SimPlcLink::onRequest(SimSensor& sensor, uint32_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    upAt_.reset();
    sensor.setReg(kStateRegister, 0);
    if (value == 0) return;
    if (refusal_) {
        sensor.setReg(kCodeRegister, *refusal_);
        return;
    }
    sensor.setReg(kCodeRegister, 0);
    upAt_ = std::chrono::steady_clock::now() + delay_;
}

uint32_t SimPlcLink::state(SimSensor& sensor) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (upAt_ && std::chrono::steady_clock::now() >= *upAt_) {
        upAt_.reset();
        sensor.setReg(kStateRegister, 1);
    }
    return sensor.reg(kStateRegister);
}

std::shared_ptr<SimPlcLink> installPlcLink(SimSensor& sensor, std::chrono::milliseconds connectDelay) {
    auto link = std::make_shared<SimPlcLink>(connectDelay);
    std::weak_ptr<SimPlcLink> weak = link;
    sensor.onRegisterWritten([&sensor, weak](uint32_t address, uint32_t value) {
        if ((address & 0xFFFF) != SimPlcLink::kRequestRegister) return;
        if (auto held = weak.lock()) held->onRequest(sensor, value);
    });
    const SimSensor::Dispatch previous = sensor.dispatchFor(kReadRegister);
    sensor.registerOpcodeHandler(
        kReadRegister,
        [link, previous](SimSensor& s, const Request& request, ReplyWriter& reply) {
            if ((request.address & 0xFFFF) == SimPlcLink::kStateRegister) {
                reply.echo(request.opcode, request.address, link->state(s));
                return;
            }
            previous.handler(s, request, reply);
        },
        previous.payloadSize);
    return link;
}

}  // namespace sensor_sim
