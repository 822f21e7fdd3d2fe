#pragma once
// A controller connected to a simulated sensor of its own for each test.
#include "tests/support/simulated_sensor.h"

constexpr uint8_t kWrite = mirevo::test::kWriteOpcode;
constexpr uint8_t kRead = mirevo::test::kReadOpcode;

class CommandChannel : public mirevo::test::ConnectedSensorTest {
protected:
    CommandChannel() : ConnectedSensorTest(21) {}
};
