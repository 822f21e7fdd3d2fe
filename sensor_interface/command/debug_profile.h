#pragma once
// The live profile and the raw camera image, read as one DEBUG stream over the
// command channel (outside batches). The readers are the controller's
// readDebugImage and readDebugProfile (defined in debug_profile.cpp).
#include <cstddef>
#include <cstdint>
#include <vector>

class SensorController;

// Asks the sensor for one DEBUG stream: register 2 = 1, then a read of
// register 319 that the sensor answers with the stream itself (no echo). Holds
// the controller's transaction mutex throughout. 5001 while the stream is
// disabled (nothing is sent); request failures are returned unchanged.
int request_debug_stream(SensorController& controller, std::vector<uint8_t>& stream);

