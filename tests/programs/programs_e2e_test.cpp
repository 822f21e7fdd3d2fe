// Programs and resets against the simulated sensor.
#include "sensor_interface/command/programs.h"

#include <gtest/gtest.h>

#include <map>

#include "sensor_interface/registry/hvq5_rc.h"
#include "tests/programs/simulated_sensor.h"

namespace {

using namespace programs_test;
using sensor_sim::Fault;
using sensor_sim::FaultKind;

class Programs : public SimulatedSensor {
protected:
    Programs() : SimulatedSensor(104) {}
};

TEST_F(Programs, SelectingAProgramAboveFifteenSendsNothing) {
    EXPECT_EQ(controller.selectProgram(16), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.selectProgram(-1), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(Programs, CommandsTravelWithTheirAddressesValuesAndPayloads) {
    EXPECT_EQ(controller.selectProgram(3), HVQ5_RC_OK);
    EXPECT_EQ(controller.resetSettings(), HVQ5_RC_OK);
    EXPECT_EQ(controller.loadProgram(), HVQ5_RC_OK);

    const auto log = packets();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].opcode, kSystemOpcode);
    EXPECT_EQ(log[0].address, 1u);
    EXPECT_EQ(log[0].value, 0u);
    EXPECT_EQ(log[0].payload, std::vector<uint8_t>{3});
    EXPECT_EQ(log[1].opcode, kSystemOpcode);
    EXPECT_EQ(log[1].address, 5u);
    EXPECT_EQ(log[1].payload, (std::vector<uint8_t>{0xFF, 0x00, 0x10, 0x0D, 0x0A}));
    EXPECT_EQ(log[2].opcode, kProgramOpcode);
    EXPECT_EQ(log[2].address, 0x10000u);
    EXPECT_EQ(log[2].value, 0x400000u);
    EXPECT_TRUE(log[2].payload.empty());
}

// Store a setting into program 4, change it, load the program back.
TEST_F(Programs, StoredProgramComesBackWhenLoaded) {
    ASSERT_EQ(controller.writeRegister(300, 41), HVQ5_RC_OK);
    ASSERT_EQ(controller.selectProgram(4), HVQ5_RC_OK);
    ASSERT_EQ(controller.saveSettings(), HVQ5_RC_OK);
    EXPECT_EQ(programs->programRegister(4, 300), 41u);

    ASSERT_EQ(controller.writeRegister(300, 99), HVQ5_RC_OK);
    ASSERT_EQ(controller.loadProgram(), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(300), 41u);

    uint8_t active = 0xEE;
    EXPECT_EQ(controller.readActiveProgram(active), HVQ5_RC_OK);
    EXPECT_EQ(active, 4);

    const auto log = packets({kWriteOpcode});
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].address, 0x10000u);  // store
    EXPECT_EQ(log[1].value, 0x400000u);
    EXPECT_EQ(log[3].opcode, kProgramOpcode);  // active program
    EXPECT_EQ(log[3].address, 1u);
}

TEST_F(Programs, FactoryRestoreOfTheSettingsWindows) {
    programs->setProgramRegister(2, 300, 55);
    ASSERT_EQ(controller.selectProgram(2), HVQ5_RC_OK);
    ASSERT_EQ(controller.writeRegister(300, 12), HVQ5_RC_OK);
    EXPECT_EQ(controller.resetProgram(), HVQ5_RC_OK);
    EXPECT_EQ(controller.systemCommand3(), HVQ5_RC_OK);
    EXPECT_EQ(programs->programRegister(2, 300), 0u);
    EXPECT_EQ(sim->reg(300), 0u);

    const auto log = packets({kWriteOpcode});
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].address, 0x20000u);
    EXPECT_EQ(log[1].value, 0x400000u);
    EXPECT_EQ(log[2].address, 0x30000u);
    EXPECT_EQ(log[2].value, 0u);
}

// The program dialog's reset: select, 0x20000, store. The reset takes the
// running settings back to the factory state too, so the store keeps the
// reset program at factory values; other programs stay.
TEST_F(Programs, ResetProgramThenStoreLeavesTheProgramAtFactoryValues) {
    programs->setProgramRegister(3, 300, 55);
    programs->setProgramRegister(4, 300, 66);
    ASSERT_EQ(controller.writeRegister(300, 12), HVQ5_RC_OK);
    ASSERT_EQ(controller.selectProgram(3), HVQ5_RC_OK);
    ASSERT_EQ(controller.resetProgram(), HVQ5_RC_OK);
    EXPECT_EQ(sim->reg(300), 0u) << "the running settings are reset as well";
    ASSERT_EQ(controller.saveSettings(), HVQ5_RC_OK);
    EXPECT_EQ(programs->programRegister(3, 300), 0u);
    EXPECT_EQ(programs->programRegister(4, 300), 66u);
}

TEST_F(Programs, SystemCommand30000ResetsEveryProgram) {
    for (int program = 0; program < sensor_sim::SimPrograms::kProgramCount; ++program)
        programs->setProgramRegister(program, 300, 100 + program);
    ASSERT_EQ(controller.writeRegister(300, 12), HVQ5_RC_OK);
    ASSERT_EQ(controller.systemCommand3(), HVQ5_RC_OK);
    for (int program = 0; program < sensor_sim::SimPrograms::kProgramCount; ++program)
        EXPECT_EQ(programs->programRegister(program, 300), 0u) << program;
    EXPECT_EQ(sim->reg(300), 12u) << "the running settings stay until a program is loaded";
}

TEST_F(Programs, ActiveProgramWithoutItsByteIsReported) {
    sim->registerOpcodeHandler(kProgramOpcode, [](sensor_sim::SimSensor&, const sensor_sim::Request& request,
                                                  sensor_sim::ReplyWriter& reply) {
        reply.echo(request.opcode, request.address, 0);  // and no byte behind it
    });
    controller.timeoutMs = 300;
    ASSERT_TRUE(controller.reconnect());  // the socket takes the shorter time-out
    uint8_t active = 0xEE;
    EXPECT_EQ(controller.readActiveProgram(active), HVQ5_RC_MEMORY_NOT_READY);
    EXPECT_EQ(active, 0xEE);
}

// ------------------------------------------------------------ factory reset

class FactoryReset : public Programs {
protected:
    void SetUp() override {
        Programs::SetUp();
        defaults.resize(programs::kFactoryValues);
        for (std::size_t i = 0; i < defaults.size(); ++i) defaults[i] = static_cast<int32_t>(15000 + 3 * i);
        sim->model().setParameterBlock(programs::kFactoryBlock, defaults);
        // Values the reset must leave alone.
        sim->setReg(742, 0x3F800000);  // gray gamma 1.0
        sim->setReg(773, 2);           // run mode
        programs->setProgramRegister(15, 353, 4242);
    }

    // The value the reset writes to each user register in table order: the
    // block's values, a repeated register carrying its last value.
    std::vector<std::pair<uint32_t, uint32_t>> expectedWrites() const {
        std::map<uint32_t, uint32_t> last;
        for (std::size_t i = 0; i < defaults.size(); ++i)
            last[zp_laser_reg::user_reg_table[i]] = static_cast<uint32_t>(defaults[i]);
        std::vector<std::pair<uint32_t, uint32_t>> writes;
        for (std::size_t i = 0; i < defaults.size(); ++i)
            writes.emplace_back(zp_laser_reg::user_reg_table[i], last[zp_laser_reg::user_reg_table[i]]);
        return writes;
    }

    std::vector<int32_t> defaults;
};

TEST_F(FactoryReset, WritesTheDefaultsStoresProgramsZeroToFourteenAndSelectsZero) {
    ASSERT_EQ(controller.selectProgram(9), HVQ5_RC_OK);
    sim->clearPacketLog();

    ASSERT_EQ(controller.restoreFactorySettings(), HVQ5_RC_OK);

    const auto log = packets({172});  // the two halves of the default block
    const auto writes = expectedWrites();
    ASSERT_EQ(log.size(), writes.size() + 2 * 15 + 1);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(log[i].opcode, kWriteOpcode) << i;
        EXPECT_EQ(log[i].address, writes[i].first) << i;
        EXPECT_EQ(log[i].value, writes[i].second) << i;
    }
    for (int program = 0; program < 15; ++program) {
        const auto& select = log[writes.size() + 2 * program];
        const auto& store = log[writes.size() + 2 * program + 1];
        EXPECT_EQ(select.opcode, kSystemOpcode);
        EXPECT_EQ(select.address, 1u);
        EXPECT_EQ(select.payload, std::vector<uint8_t>{static_cast<uint8_t>(program)});
        EXPECT_EQ(store.opcode, kSystemOpcode);
        EXPECT_EQ(store.address, 0x10000u);
        EXPECT_EQ(store.value, 0x400000u);
        EXPECT_EQ(programs->programRegister(program, 353), writes[7].second) << program;
    }
    EXPECT_EQ(log.back().address, 1u);
    EXPECT_EQ(log.back().payload, std::vector<uint8_t>{0});
    EXPECT_EQ(programs->selected(), 0);

    EXPECT_EQ(programs->programRegister(15, 353), 4242u) << "program 15 is kept";
    EXPECT_EQ(sim->reg(742), 0x3F800000u) << "gray gamma has no default in the block";
    EXPECT_EQ(sim->reg(773), 2u) << "run mode has no default in the block";
}

TEST_F(FactoryReset, StopsAtTheFirstFailedWrite) {
    const uint32_t failing = zp_laser_reg::user_reg_table[20];
    sim->injectRegisterFault(failing, Fault{FaultKind::WrongAddressEcho, 0, 1, 6, 1});

    EXPECT_EQ(controller.restoreFactorySettings(), HVQ5_RC_BAD_REPLY);

    const auto log = packets({172});
    ASSERT_EQ(log.size(), 21u);
    EXPECT_EQ(log.back().address, failing);
    EXPECT_EQ(programs->selected(), 0);
}

TEST_F(FactoryReset, StopsAtTheFirstFailedProgramStep) {
    // The third system command is the select of program 1.
    int systemCommands = 0;
    sim->registerOpcodeHandler(
        kSystemOpcode,
        [&systemCommands, programs = programs](sensor_sim::SimSensor& s, const sensor_sim::Request& request,
                                                sensor_sim::ReplyWriter& reply) {
            if (++systemCommands == 3) {
                reply.echo(request.opcode, request.address + 1, 0);
                return;
            }
            programs->onSystemCommand(s, request, reply);
        },
        [](const sensor_sim::Request& request) -> size_t { return request.address < 0x10000 ? request.address : 0; });

    EXPECT_EQ(controller.restoreFactorySettings(), HVQ5_RC_BAD_REPLY);

    const auto log = packets({172, kWriteOpcode});
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2].payload, std::vector<uint8_t>{1});
    EXPECT_EQ(programs->programRegister(0, 353), expectedWrites()[7].second);
    EXPECT_EQ(programs->programRegister(1, 353), 0u);
}

TEST_F(FactoryReset, FailedDefaultBlockWritesNothing) {
    sim->injectOpcodeFault(172, Fault{FaultKind::WrongAddressEcho, 0, 1, 6, 1});
    EXPECT_NE(controller.restoreFactorySettings(), HVQ5_RC_OK);
    EXPECT_TRUE(packets({172}).empty());
}

}  // namespace
