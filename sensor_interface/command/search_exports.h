#pragma once
// Exported device search: the table of 20 IPv4 addresses (network byte order)
// found by the search, valid until the next search; null when it failed.
#include <cstdint>

#include "sensor_interface/hvq5_export.h"

extern "C" {
HVQ5_API const uint32_t* HVQ5_SearchOnline(int* count, int timeoutMs);
HVQ5_API const uint32_t* HVQ5_2_SearchOnline(int* count, int timeoutMs);
}
