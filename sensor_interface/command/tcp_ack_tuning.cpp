#include "sensor_interface/command/sensor_controller.h"

// There is no per-interface acknowledgement tuning to apply on Linux: the
// command socket runs with TCP_NODELAY instead. Nothing tuned, so the connect
// goes on without announcing it.
bool SensorController::tuneTcpAck(const std::string&) { return false; }
