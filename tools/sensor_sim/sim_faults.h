#pragma once
// Misbehaviour the simulated sensor can be told to show, per register address
// or per opcode.
#include <cstdint>
#include <map>

#include "tools/sensor_sim/sim_wire.h"

namespace sensor_sim {

enum class FaultKind {
    Silence,           // the request is swallowed: no reply at all
    WrongAddressEcho,  // the echo carries another address, then "END\r\n"
    ShortEcho,         // only the first bytes of the echo, then nothing
    CloseConnection,   // the connection is closed instead of answering
    Delay,             // the normal reply, after delayMs
    SplitReply,        // the normal reply, cut into `pieces` writes with pauses
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    int delayMs = 0;      // Delay: pause before the reply; SplitReply: pause between pieces
    int pieces = 3;       // SplitReply: number of writes per reply write
    int shortBytes = 6;   // ShortEcho: bytes of the echo that are sent
    int times = -1;       // requests affected; -1 = every one until cleared
};

// Register faults apply to opcodes 160 and 161 on that address; opcode faults
// to every request of the opcode; command faults to the requests of one opcode
// with one address (a step of a program sequence, say). A command fault wins
// over a register fault, and both over an opcode fault.
class FaultTable {
public:
    void setRegisterFault(uint32_t address, Fault fault) { byRegister_[address] = fault; }
    void setOpcodeFault(uint8_t opcode, Fault fault) { byOpcode_[opcode] = fault; }
    void setCommandFault(uint8_t opcode, uint32_t address, Fault fault) {
        byCommand_[commandKey(opcode, address)] = fault;
    }
    void clear() {
        byRegister_.clear();
        byOpcode_.clear();
        byCommand_.clear();
    }

    bool take(const Request& request, Fault* out) {
        if (takeFrom(byCommand_, commandKey(request.opcode, request.address), out)) return true;
        if (request.opcode == 160 || request.opcode == 161) {
            if (takeFrom(byRegister_, request.address, out)) return true;
        }
        return takeFrom(byOpcode_, request.opcode, out);
    }

private:
    template <typename Map, typename Key>
    static bool takeFrom(Map& map, Key key, Fault* out) {
        auto it = map.find(key);
        if (it == map.end()) return false;
        *out = it->second;
        if (it->second.times > 0 && --it->second.times == 0) map.erase(it);
        return true;
    }

    static uint64_t commandKey(uint8_t opcode, uint32_t address) {
        return (static_cast<uint64_t>(opcode) << 32) | address;
    }

    std::map<uint32_t, Fault> byRegister_;
    std::map<uint8_t, Fault> byOpcode_;
    std::map<uint64_t, Fault> byCommand_;
};

}  // namespace sensor_sim
