#pragma once
// A simulated line-laser sensor that answers over real sockets on a loopback
// address. The core plays the command channel (register packets, echoes,
// register store, bulk replies) and offers extension points so that other
// channels and opcodes can be added in their own files:
//   - registerOpcodeHandler: answer an opcode (request packet + reply writer);
//   - addService: run another server (data channel, search) with the sensor;
//   - onRegisterWritten: react to register writes (start/stop measuring...).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/sensor_sim/sensor_model.h"
#include "tools/sensor_sim/sim_faults.h"
#include "tools/sensor_sim/sim_wire.h"

namespace sensor_sim {

class SimSensor;
class CommandServer;

// Where the simulated sensor listens. Every sensor of a test gets its own
// 127.x.y.z address, so the real ports can be used and tests run in parallel.
struct SimOptions {
    std::string address = "127.0.0.1";
    uint16_t commandPort = 7;
    uint16_t dataPort = 9;
    uint16_t searchPort = 20010;
};

// One packet seen by the sensor, with the time it was taken off the wire.
struct LoggedPacket {
    std::chrono::steady_clock::time_point time;
    std::string channel;  // "command", "data", ...
    uint8_t opcode = 0;
    uint32_t address = 0;
    uint32_t value = 0;
    std::vector<uint8_t> payload;
};

// Bytes going back to the interface on the connection that carried a request.
class ReplyWriter {
public:
    virtual ~ReplyWriter() = default;
    // False once the connection is gone (or the reply is being swallowed by a fault).
    virtual bool write(const void* data, size_t size) = 0;
    virtual void closeConnection() = 0;

    bool write(const std::vector<uint8_t>& bytes) { return write(bytes.data(), bytes.size()); }
    bool write(const std::string& text) { return write(text.data(), text.size()); }
    // The 11-byte packet every reply starts with.
    bool echo(uint8_t opcode, uint32_t address, uint32_t value) {
        return write(encodePacket(opcode, address, value));
    }
};

// Answers one request. Runs on the thread of the connection that carried it.
using OpcodeHandler = std::function<void(SimSensor& sensor, const Request& request, ReplyWriter& reply)>;
// How many payload bytes follow the 11-byte packet of a request (none by default).
using PayloadSize = std::function<size_t(const Request& request)>;
using RegisterListener = std::function<void(uint32_t address, uint32_t value)>;

// Another server that lives as long as the sensor runs (data channel, search).
class SimService {
public:
    virtual ~SimService() = default;
    virtual bool start(SimSensor& sensor) = 0;
    virtual void stop() = 0;
};

class SimSensor {
public:
    static constexpr size_t kRegisterCount = 65536;
    static constexpr uint32_t kBulkSizeRegister = 278;

    explicit SimSensor(SimOptions options = {});
    ~SimSensor();
    SimSensor(const SimSensor&) = delete;
    SimSensor& operator=(const SimSensor&) = delete;

    // Binds the command port and starts the added services. False when a port
    // cannot be bound.
    bool start();
    void stop();
    bool running() const;
    const SimOptions& options() const { return options_; }

    // Register store. Addresses wrap into the 65536 registers (low 16 bits).
    uint32_t reg(uint32_t address) const;
    void setReg(uint32_t address, uint32_t value);
    // A read of this register answers with value = bytes.size() and then sends
    // the bytes (register 278 announces bulk payloads this way).
    void setRegisterBulk(uint32_t address, std::vector<uint8_t> bytes);
    // Blocks, tables and identity beyond the registers (answered for the block
    // opcodes from the start).
    SensorModel& model() { return model_; }

    // Called after every register write by opcode 160, on the connection thread.
    void onRegisterWritten(RegisterListener listener);
    // Stores a written register and tells the listeners (for own handlers).
    void writeRegisterFromWire(uint32_t address, uint32_t value);

    // Replaces the answer to an opcode (built in: 160, 161 and the block
    // opcodes of the model; others echo and then send "END\r\n" as a
    // rejected request).
    void registerOpcodeHandler(uint8_t opcode, OpcodeHandler handler, PayloadSize payloadSize = {});
    void addService(std::shared_ptr<SimService> service);

    std::vector<LoggedPacket> packetLog() const;
    void clearPacketLog();
    void logPacket(LoggedPacket packet);

    void injectRegisterFault(uint32_t address, Fault fault);
    void injectOpcodeFault(uint8_t opcode, Fault fault);
    void injectCommandFault(uint8_t opcode, uint32_t address, Fault fault);
    void clearFaults();

    // Command connections accepted since start.
    size_t acceptedConnections() const;

    // --- used by the command server ---
    struct Dispatch {
        OpcodeHandler handler;
        PayloadSize payloadSize;
    };
    Dispatch dispatchFor(uint8_t opcode) const;
    // The fault that applies to this request (consumes one use), if any.
    bool takeFault(const Request& request, Fault* fault);
    void countConnection();

private:
    void installBuiltInHandlers();

    SimOptions options_;
    SensorModel model_;
    mutable std::mutex mutex_;
    std::vector<uint32_t> registers_;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> bulkReplies_;
    std::vector<RegisterListener> listeners_;
    std::vector<Dispatch> handlers_;  // by opcode
    std::vector<std::shared_ptr<SimService>> services_;
    std::vector<LoggedPacket> log_;
    FaultTable faults_;
    size_t connections_ = 0;
    std::unique_ptr<CommandServer> commandServer_;
};

}  // namespace sensor_sim
