#include "tools/sensor_sim/sim_sensor.h"

#include <algorithm>

#include "tools/sensor_sim/command_server.h"

namespace sensor_sim {
namespace {

constexpr uint8_t kWriteRegister = 160;
constexpr uint8_t kReadRegister = 161;

uint32_t registerIndex(uint32_t address) { return address & 0xFFFF; }

}  // namespace

SimSensor::SimSensor(SimOptions options)
    : options_(std::move(options)), registers_(kRegisterCount, 0), handlers_(256) {
    installBuiltInHandlers();
    installBlockHandlers(*this);
}

SimSensor::~SimSensor() { stop(); }

void SimSensor::installBuiltInHandlers() {
    handlers_[kWriteRegister].handler = [](SimSensor& sensor, const Request& request, ReplyWriter& reply) {
        sensor.writeRegisterFromWire(request.address, request.value);
        reply.echo(request.opcode, request.address, sensor.reg(request.address));
    };
    handlers_[kReadRegister].handler = [](SimSensor& sensor, const Request& request, ReplyWriter& reply) {
        std::vector<uint8_t> bulk;
        bool hasBulk = false;
        {
            std::lock_guard<std::mutex> lock(sensor.mutex_);
            for (const auto& entry : sensor.bulkReplies_) {
                if (entry.first == registerIndex(request.address)) {
                    bulk = entry.second;
                    hasBulk = true;
                }
            }
        }
        if (!hasBulk) {
            reply.echo(request.opcode, request.address, sensor.reg(request.address));
            return;
        }
        reply.echo(request.opcode, request.address, static_cast<uint32_t>(bulk.size()));
        if (!bulk.empty()) reply.write(bulk);
    };
}

bool SimSensor::start() {
    stop();
    commandServer_ = std::make_unique<CommandServer>(*this);
    if (!commandServer_->start(options_.address, options_.commandPort)) {
        commandServer_.reset();
        return false;
    }
    std::vector<std::shared_ptr<SimService>> services;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        services = services_;
    }
    for (auto& service : services) {
        if (!service->start(*this)) {
            stop();
            return false;
        }
    }
    return true;
}

void SimSensor::stop() {
    std::vector<std::shared_ptr<SimService>> services;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        services = services_;
    }
    for (auto& service : services) service->stop();
    if (commandServer_) {
        commandServer_->stop();
        commandServer_.reset();
    }
}

bool SimSensor::running() const { return commandServer_ && commandServer_->running(); }

uint32_t SimSensor::reg(uint32_t address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return registers_[registerIndex(address)];
}

void SimSensor::setReg(uint32_t address, uint32_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    registers_[registerIndex(address)] = value;
}

void SimSensor::setRegisterBulk(uint32_t address, std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t index = registerIndex(address);
    auto it = std::find_if(bulkReplies_.begin(), bulkReplies_.end(),
                           [index](const auto& entry) { return entry.first == index; });
    if (it != bulkReplies_.end())
        it->second = std::move(bytes);
    else
        bulkReplies_.emplace_back(index, std::move(bytes));
}

void SimSensor::onRegisterWritten(RegisterListener listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    listeners_.push_back(std::move(listener));
}

void SimSensor::writeRegisterFromWire(uint32_t address, uint32_t value) {
    std::vector<RegisterListener> listeners;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        registers_[registerIndex(address)] = value;
        listeners = listeners_;
    }
    for (auto& listener : listeners) listener(address, value);
}

void SimSensor::registerOpcodeHandler(uint8_t opcode, OpcodeHandler handler, PayloadSize payloadSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    handlers_[opcode] = Dispatch{std::move(handler), std::move(payloadSize)};
}

void SimSensor::addService(std::shared_ptr<SimService> service) {
    std::lock_guard<std::mutex> lock(mutex_);
    services_.push_back(std::move(service));
}

std::vector<LoggedPacket> SimSensor::packetLog() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

void SimSensor::clearPacketLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

void SimSensor::logPacket(LoggedPacket packet) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(std::move(packet));
}

void SimSensor::injectRegisterFault(uint32_t address, Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.setRegisterFault(address, fault);
}

void SimSensor::injectOpcodeFault(uint8_t opcode, Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.setOpcodeFault(opcode, fault);
}

void SimSensor::injectCommandFault(uint8_t opcode, uint32_t address, Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.setCommandFault(opcode, address, fault);
}

void SimSensor::clearFaults() {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.clear();
}

size_t SimSensor::acceptedConnections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
}

SimSensor::Dispatch SimSensor::dispatchFor(uint8_t opcode) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return handlers_[opcode];
}

bool SimSensor::takeFault(const Request& request, Fault* fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_.take(request, fault);
}

void SimSensor::countConnection() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++connections_;
}

}  // namespace sensor_sim
