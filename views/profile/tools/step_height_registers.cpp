#include "views/profile/tools/step_height_registers.h"

#include <QCoreApplication>

#include <cstring>

#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"

namespace step_height {

namespace {
constexpr int kDevice = 0;
}

bool readRegister(int reg, uint32_t* value) { return hvq5_read_register(kDevice, reg, value) == 0; }

bool writeRegister(int reg, uint32_t value) {
    return hvq5_write_register(kDevice, reg, static_cast<int>(value)) == 0;
}

uint32_t cachedRegister(int reg, uint32_t fallback) {
    uint32_t value = 0;
    return hvq5_get_cached_register(kDevice, reg, &value) == 0 ? value : fallback;
}

uint32_t floatBits(double value) {
    const float single = static_cast<float>(value);
    uint32_t bits = 0;
    std::memcpy(&bits, &single, sizeof bits);
    return bits;
}

float floatOf(uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void reportCommunicationFailure(QWidget* parent) {
    ui::prompter().question(parent, QCoreApplication::translate("Outline25d", "提示"),
                            QCoreApplication::translate("Outline25d", "通信失败!"), QMessageBox::Ok);
}

}  // namespace step_height
