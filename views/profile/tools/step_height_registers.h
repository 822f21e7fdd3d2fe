#pragma once
// Register access of the 2.5D step-height pages: device 0 through the
// interface's functions by device id, a failure told in the pages' one box.
#include <QString>

#include <cstdint>

class QWidget;

namespace step_height {

// One read from the sensor; false on failure.
bool readRegister(int reg, uint32_t* value);
// One write (also kept in the register image); false on failure.
bool writeRegister(int reg, uint32_t value);
// The register image only; `fallback` when it cannot be read.
uint32_t cachedRegister(int reg, uint32_t fallback);

// Floats travel as the bits of a single-precision value.
uint32_t floatBits(double value);
float floatOf(uint32_t bits);

// The pages' box for a failed register access: "通信失败!" in a question box
// with one OK button titled "提示".
void reportCommunicationFailure(QWidget* parent);

}  // namespace step_height
