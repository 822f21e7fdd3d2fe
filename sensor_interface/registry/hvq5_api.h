#pragma once
// Registry-level exports of the sensor interface (C linkage). Device-addressed
// exports take the device id a sensor was opened under and return a status
// code (sensor_interface/registry/hvq5_rc.h) unless stated otherwise.
#include <cstdint>

#include "sensor_interface/hvq5_export.h"
#include "sensor_interface/registry/hvq5_rc.h"
// Setting, program, extended-value and identity exports.
#include "sensor_interface/registry/hvq5_setting_api.h"
// Opening, closing and measurement control.
#include "sensor_interface/registry/hvq5_measure_api.h"
#include "sensor_interface/registry/hvq5_open_api.h"
// Batch data: command-channel batch reads and the data channel's batch buffers.
#include "sensor_interface/registry/batch_exports_api.h"
// Batch handlers, the high-speed callback and the cloud filter.
#include "sensor_interface/registry/batch_handlers_api.h"
// The device search.
#include "sensor_interface/command/search_exports.h"

extern "C" {

// First call of the process: starts the socket layer; 4091 when an id is
// already open, else starts the run log. Later calls: 0, nothing done.
HVQ5_API int HVQ5_Initialize();
// skipSocket: only the registry and the run log. Otherwise the first-call step
// when it has not run yet, then the run log. Always 0.
HVQ5_API int HVQ5_Initialize_Config(bool skipSocket, int unused);
HVQ5_API int HVQ5_2_Initialize();
// The registry only; 4091 when an id is open.
HVQ5_API int HVQ5_Initialize_NoSock();
// Drops every id; each device ends when no export holds it any more. 0.
HVQ5_API int HVQ5_Finalize();
// Does nothing: 4097 for every id, open or not.
HVQ5_API int HVQ5_InitializeSetting(int id);
// The invalid height in millimetres, -9999.0.
HVQ5_API double HVQ5_GetZNullDataMM();
HVQ5_API uint32_t hvq5_test_add(int unused, uint32_t a, uint32_t b);

}  // extern "C"
