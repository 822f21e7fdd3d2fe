#pragma once
// The simulated sensor's programs: sixteen stored banks beside the running
// registers, and the factory state they can be reset to. Answers the system
// command (opcode 173) and the program command (opcode 174).
//
//   173 address 1, 1 payload byte p  select program p
//   173 address 0x10000              store the running settings into the selected program
//   173 address 0x20000              reset the selected program and the running settings
//                                    to the factory state
//   173 address 0x30000              reset every program to the factory state
//   173 address 5, 5 payload bytes  reset the running settings to the factory state
//   174 address 0x10000              load the selected program (it becomes the active one)
//   174 address 1                    echo, then one byte: the active program
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace sensor_sim {

class SimSensor;
struct Request;
class ReplyWriter;

class SimPrograms {
public:
    static constexpr int kProgramCount = 16;

    // The sensor's registers as they stand become the factory state and the
    // content of every program.
    explicit SimPrograms(const SimSensor& sensor);

    // The running registers become the factory state (programs unchanged).
    void takeFactoryState(const SimSensor& sensor);
    int selected() const;
    int active() const;
    uint32_t programRegister(int program, uint32_t address) const;
    void setProgramRegister(int program, uint32_t address, uint32_t value);

    // The system command (173) at this address is refused from now on
    // (a sensor whose settings reset fails: address 5).
    void refuseSystemCommand(uint32_t address);

    void onSystemCommand(SimSensor& sensor, const Request& request, ReplyWriter& reply);
    void onProgramCommand(SimSensor& sensor, const Request& request, ReplyWriter& reply);

private:
    using Registers = std::vector<uint32_t>;
    static Registers snapshot(const SimSensor& sensor);
    static void apply(SimSensor& sensor, const Registers& registers);

    mutable std::mutex mutex_;
    Registers factory_;
    std::vector<Registers> programs_;
    int selected_ = 0;
    int active_ = 0;
    std::vector<uint32_t> refused_;
};

// Makes the sensor answer opcodes 173 and 174; the returned object lets a test
// look at and preset the programs.
std::shared_ptr<SimPrograms> installPrograms(SimSensor& sensor);

}  // namespace sensor_sim
