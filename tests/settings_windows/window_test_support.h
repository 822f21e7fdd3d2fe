#pragma once
// Helpers of the real-time settings window's and the program dialogs' tests:
// child dialogs run by a script instead of a modal loop, and the program
// commands (opcodes 173 and 174) of the simulator's packet log.
#include <QDialog>

#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "settings_windows/modal_runner.h"
#include "tests/support/client_sensor.h"

namespace settings_gui {

// Runs every child dialog opened in its scope through the script (which
// drives the dialog and returns its result) instead of a modal loop.
class ScopedModalRunner {
public:
    explicit ScopedModalRunner(std::function<int(QDialog&)> script) {
        previous_ = modal::installRunner([this, script = std::move(script)](QDialog& dialog) {
            ++runs_;
            return script(dialog);
        });
    }
    ~ScopedModalRunner() { modal::installRunner(std::move(previous_)); }
    ScopedModalRunner(const ScopedModalRunner&) = delete;
    ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;
    int runs() const { return runs_; }

private:
    modal::Runner previous_;
    int runs_ = 0;
};

constexpr uint8_t kSystemOpcode = 173;
constexpr uint8_t kProgramOpcode = 174;

// One program command as the sensor received it; select carries its program.
struct ProgramCommand {
    uint8_t opcode;
    uint32_t address;
    int program = -1;  // select only

    bool operator==(const ProgramCommand& other) const {
        return opcode == other.opcode && address == other.address && program == other.program;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ProgramCommand& c) {
    out << int(c.opcode) << "/0x" << std::hex << c.address << std::dec;
    if (c.program >= 0) out << "(" << c.program << ")";
    return out;
}

inline ProgramCommand selectCommand(int program) { return {kSystemOpcode, 1, program}; }
inline const ProgramCommand kStore{kSystemOpcode, 0x10000};
inline const ProgramCommand kReset{kSystemOpcode, 0x20000};
inline const ProgramCommand kResetAll{kSystemOpcode, 0x30000};
inline const ProgramCommand kLoad{kProgramOpcode, 0x10000};
inline const ProgramCommand kActiveRead{kProgramOpcode, 1};

inline std::vector<ProgramCommand> programCommands(mirevo::test::ClientSensor& sensor) {
    std::vector<ProgramCommand> commands;
    for (const auto& packet : sensor.packetLog()) {
        if (packet.opcode != kSystemOpcode && packet.opcode != kProgramOpcode) continue;
        ProgramCommand command{packet.opcode, packet.address};
        if (packet.opcode == kSystemOpcode && packet.address == 1 && packet.payload.size() == 1)
            command.program = packet.payload[0];
        commands.push_back(command);
    }
    return commands;
}

}  // namespace settings_gui
