#include "sensor_interface/command/programs.h"

#include <mutex>

#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/status_codes.h"

namespace programs {

std::vector<zp_laser_reg::regvals> factoryDefaultWrites(std::vector<zp_laser_reg::regvals> userPairs,
                                                        std::size_t valuesHeld) {
    if (userPairs.size() > valuesHeld) userPairs.resize(valuesHeld);
    return userPairs;
}

}  // namespace programs

namespace {

constexpr uint8_t kSystemOpcode = static_cast<uint8_t>(CommandOpcode::SystemCommand);
constexpr uint8_t kProgramOpcode = static_cast<uint8_t>(CommandOpcode::ProgramCommand);
constexpr uint8_t kWriteOpcode = static_cast<uint8_t>(CommandOpcode::WriteRegister);

constexpr uint32_t kSelectAddress = 1;
constexpr uint32_t kResetSettingsAddress = 5;
constexpr uint32_t kStoreAddress = 0x10000;
constexpr uint32_t kResetProgramAddress = 0x20000;
constexpr uint32_t kSystem3Address = 0x30000;
constexpr uint32_t kActiveProgramAddress = 1;
constexpr uint32_t kLoadAddress = 0x10000;
constexpr uint32_t kProgramWord = 0x400000;

constexpr int kShortWaitMs = 10;
constexpr int kStoreWaitMs = 1000;
constexpr int kDefaultWriteWaitMs = 2;


}  // namespace

int SensorController::selectProgram(int program) {
    if (program < 0 || program >= programs::kProgramCount) return HVQ5_RC_BAD_ARGUMENT;
    const Bytes payload{static_cast<uint8_t>(program)};
    uint32_t value = 0;
    return transactAlone(kSystemOpcode, kSelectAddress, value, kShortWaitMs, &payload);
}

int SensorController::saveSettings() {
    uint32_t value = kProgramWord;
    return transactAlone(kSystemOpcode, kStoreAddress, value, kStoreWaitMs, nullptr);
}

int SensorController::resetProgram() {
    uint32_t value = kProgramWord;
    return transactAlone(kSystemOpcode, kResetProgramAddress, value, kStoreWaitMs, nullptr);
}

int SensorController::systemCommand3() {
    uint32_t value = 0;
    return transactAlone(kSystemOpcode, kSystem3Address, value, kStoreWaitMs, nullptr);
}

int SensorController::resetSettings() {
    const Bytes payload{0xFF, 0x00, 0x10, 0x0D, 0x0A};
    uint32_t value = 0;
    return transactAlone(kSystemOpcode, kResetSettingsAddress, value, kShortWaitMs, &payload);
}

int SensorController::loadProgram() {
    uint32_t value = kProgramWord;
    return transactAlone(kProgramOpcode, kLoadAddress, value, kShortWaitMs, nullptr);
}

int SensorController::readActiveProgram(uint8_t& program) {
    std::lock_guard<std::mutex> lock(transactionMutex_);
    uint32_t value = 0;
    const int status = transact(kProgramOpcode, kActiveProgramAddress, value, kShortWaitMs);
    if (status != HVQ5_RC_OK) return status;
    // The program number follows the echo as one byte.
    Bytes answer;
    if (receiveBulk(&answer, 1, false) != HVQ5_RC_OK || answer.empty()) return HVQ5_RC_MEMORY_NOT_READY;
    program = answer.front();
    return HVQ5_RC_OK;
}

int SensorController::restoreFactorySettings() {
    std::vector<zp_laser_reg::regvals> writes;
    {
        hvq5_settings defaults;
        const int status = readDefaultRegisters(defaults, programs::kFactoryBlock);
        if (status != HVQ5_RC_OK) return status;
        writes = programs::factoryDefaultWrites(defaults.get_user_regvals());
    }
    if (writes.empty()) return HVQ5_RC_SEND_FAILED;

    // One write at a time under the transaction mutex, so that other callers
    // can go on between the steps of this long reset.
    for (const zp_laser_reg::regvals& write : writes) {
        std::lock_guard<std::mutex> lock(transactionMutex_);
        uint32_t value = write.value;
        const int status = transactWithPayload(kWriteOpcode, write.reg, value, kDefaultWriteWaitMs, nullptr);
        if (status != HVQ5_RC_OK) return status;
    }
    for (int program = 0; program < programs::kFactoryPrograms; ++program) {
        int status = selectProgram(program);
        if (status == HVQ5_RC_OK) status = saveSettings();
        if (status != HVQ5_RC_OK) return status;
    }
    selectProgram(0);
    return HVQ5_RC_OK;
}
