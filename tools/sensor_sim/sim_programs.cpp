#include "tools/sensor_sim/sim_programs.h"

#include <algorithm>

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {
namespace {

constexpr uint8_t kSystemCommand = 173;
constexpr uint8_t kProgramCommand = 174;
constexpr uint32_t kSelect = 1;
constexpr uint32_t kResetSettings = 5;
constexpr uint32_t kStore = 0x10000;
constexpr uint32_t kResetProgram = 0x20000;
constexpr uint32_t kResetAllPrograms = 0x30000;
constexpr uint32_t kActiveProgram = 1;
constexpr uint32_t kLoad = 0x10000;
const char kRejected[] = "END\r\n";

// Registers that report the sensor's state rather than its settings: a
// program neither stores nor restores them.
bool isLiveRegister(uint32_t address) {
    switch (address) {
    case 277:  // batch memory
    case 278:  // bulk size
    case 294:  // trigger counter
    case 319:  // DEBUG stream
        return true;
    default:
        return false;
    }
}

void reject(const Request& request, ReplyWriter& reply) {
    reply.echo(request.opcode, request.address, request.value);
    reply.write(kRejected, sizeof kRejected - 1);
}

}  // namespace

SimPrograms::SimPrograms(const SimSensor& sensor)
    : factory_(snapshot(sensor)), programs_(kProgramCount, factory_) {}

SimPrograms::Registers SimPrograms::snapshot(const SimSensor& sensor) {
    Registers registers(SimSensor::kRegisterCount);
    for (uint32_t address = 0; address < registers.size(); ++address) registers[address] = sensor.reg(address);
    return registers;
}

void SimPrograms::apply(SimSensor& sensor, const Registers& registers) {
    for (uint32_t address = 0; address < registers.size(); ++address) {
        if (!isLiveRegister(address)) sensor.setReg(address, registers[address]);
    }
}

void SimPrograms::takeFactoryState(const SimSensor& sensor) {
    Registers registers = snapshot(sensor);
    std::lock_guard<std::mutex> lock(mutex_);
    factory_ = std::move(registers);
}

int SimPrograms::selected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selected_;
}

int SimPrograms::active() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return active_;
}

uint32_t SimPrograms::programRegister(int program, uint32_t address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return programs_.at(static_cast<size_t>(program))[address & 0xFFFF];
}

void SimPrograms::setProgramRegister(int program, uint32_t address, uint32_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    programs_.at(static_cast<size_t>(program))[address & 0xFFFF] = value;
}

void SimPrograms::refuseSystemCommand(uint32_t address) {
    std::lock_guard<std::mutex> lock(mutex_);
    refused_.push_back(address);
}

void SimPrograms::onSystemCommand(SimSensor& sensor, const Request& request, ReplyWriter& reply) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::find(refused_.begin(), refused_.end(), request.address) != refused_.end()) {
            // Refused as a failing sensor refuses: the echo names another address.
            reply.echo(request.opcode, request.address + 1, request.value);
            reply.write(kRejected, sizeof kRejected - 1);
            return;
        }
    }
    switch (request.address) {
    case kSelect: {
        if (request.payload.size() != 1 || request.payload[0] >= kProgramCount) return reject(request, reply);
        std::lock_guard<std::mutex> lock(mutex_);
        selected_ = request.payload[0];
        break;
    }
    case kStore: {
        Registers running = snapshot(sensor);
        std::lock_guard<std::mutex> lock(mutex_);
        programs_[static_cast<size_t>(selected_)] = std::move(running);
        break;
    }
    case kResetProgram: {
        Registers factory;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            programs_[static_cast<size_t>(selected_)] = factory_;
            factory = factory_;
        }
        apply(sensor, factory);
        break;
    }
    case kResetAllPrograms: {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Registers& program : programs_) program = factory_;
        break;
    }
    case kResetSettings: {
        Registers factory;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            factory = factory_;
        }
        apply(sensor, factory);
        break;
    }
    default:
        return reject(request, reply);
    }
    reply.echo(request.opcode, request.address, request.value);
}

void SimPrograms::onProgramCommand(SimSensor& sensor, const Request& request, ReplyWriter& reply) {
    if (request.address == kActiveProgram) {
        reply.echo(request.opcode, request.address, request.value);
        const uint8_t program = static_cast<uint8_t>(active());
        reply.write(&program, 1);
        return;
    }
    if (request.address != kLoad) return reject(request, reply);
    Registers program;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        program = programs_[static_cast<size_t>(selected_)];
        active_ = selected_;
    }
    apply(sensor, program);
    reply.echo(request.opcode, request.address, request.value);
}

std::shared_ptr<SimPrograms> installPrograms(SimSensor& sensor) {
    auto programs = std::make_shared<SimPrograms>(sensor);
    // Addresses below 0x10000 carry their payload length (select: 1, reset: 5).
    sensor.registerOpcodeHandler(
        kSystemCommand,
        [programs](SimSensor& s, const Request& request, ReplyWriter& reply) {
            programs->onSystemCommand(s, request, reply);
        },
        [](const Request& request) -> size_t { return request.address < 0x10000 ? request.address : 0; });
    sensor.registerOpcodeHandler(kProgramCommand,
                                 [programs](SimSensor& s, const Request& request, ReplyWriter& reply) {
                                     programs->onProgramCommand(s, request, reply);
                                 });
    return programs;
}

}  // namespace sensor_sim
