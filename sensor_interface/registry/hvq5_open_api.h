#pragma once
// Opening and closing sensors, and the interface version (C linkage).
#include <cstdint>

#include "sensor_interface/hvq5_export.h"

// Where a sensor's command channel listens, and who is asking.
struct HVQ5_NET_ADDRESS {
    uint8_t ip[4];   // a.b.c.d stores a in ip[0]
    uint16_t port;   // command channel, 7 for the sensor
    char tag[2];     // "QW" marks the program's own connection
};
static_assert(sizeof(HVQ5_NET_ADDRESS) == 8, "the address record is part of the interface");

// Version of the interface as four numbers.
struct HVQ5_VERSION {
    int32_t major;
    int32_t minor;
    int32_t patch;
    int32_t build;
};

extern "C" {

// Connects the command channel, reads the head's identity, head information,
// user registers and calibration table, applies the start-up registers and
// starts the data channel. 0; 4091 when the id is already open (nothing
// sent); 4096 when the sensor or its data channel cannot be reached or the
// head information is not a head's; 4102 for a null address; 4103 for a
// calibration table of the wrong shape; else the status of the failed step.
// A failed open leaves the id free again.
HVQ5_API int HVQ5_EthernetOpen(int id, const HVQ5_NET_ADDRESS* address);
// Opens a sensor at ip (port 7) under id and, for two- and four-head models,
// its further heads under the ids after it (two heads: third octet + 1; four
// heads: fourth octet + 1, + 2, + 3). Heads opened before a failure stay open.
HVQ5_API int HVQ5_2_EthernetOpen(int id, const uint8_t ip[4]);
// Closes the id and, for a multi-head model, the ids of its further heads.
// 4097 when the id, or one of the further ids, is not open.
HVQ5_API int HVQ5_CommunicationClose(int id);
HVQ5_API int HVQ5_2_CommClose(int id);
// {1, 1, 2, 0}
HVQ5_API HVQ5_VERSION HVQ5_GetVersion();
// The same four numbers as bytes, in a process-wide buffer each call rewrites.
HVQ5_API const uint8_t* HVQ5_2_GetVersion();

}  // extern "C"
