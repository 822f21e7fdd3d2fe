#pragma once
// Starting, triggering and stopping measurements (C linkage unless stated).
// Each takes the id a sensor was opened under: 4097 when it is not open, and
// 3090 when the sensor does not complete one of the register writes, unless
// stated otherwise. The frames arrive on the data channel.
#include <cstdint>

#include "sensor_interface/hvq5_export.h"

extern "C" {

// A software-started batch: the batch is emptied, the sensor starts streaming.
// 5005 when batch mode is off (nothing sent).
HVQ5_API int HVQ5_StartMeasure(int id);
HVQ5_API int HVQ5_2_StartMeasure(int id);
// An I/O-started batch: waits until the sensor's trigger counter moves
// (timeoutMs <= 0: without limit). 5005 when batch mode is off; 4100 when the
// counter did not move in time, 1001 when it cannot be read.
HVQ5_API int HVQ5_StartIOMeasure(int id, int timeoutMs);
HVQ5_API int HVQ5_2_StartIOTriggerMeasure(int id, int timeoutMs);
// The client's start: start mode 15, wait for the trigger counter, start mode
// 12 again unless keepMode. No batch-mode check; the batch is left alone.
HVQ5_API int hvq5_pri_startiomeasure(int id, int timeoutMs, int keepMode);
HVQ5_API int HVQ5_StopMeasure(int id);
HVQ5_API int HVQ5_2_StopMeasure(int id);
// One software trigger.
HVQ5_API int HVQ5_Trigger(int id);
// Starts one batch.
HVQ5_API int HVQ5_2_TriggerOneBatch(int id);
// Switches batch mode on, sets start mode 15 and, unless noStart, starts the
// batch (that write's own status). The setting's status when it fails.
HVQ5_API int HVQ5_2_StartMeasureWithCallback(int id, int noStart);
// Prepares a rolling batch (batch length 0, start mode 15) without starting
// it; 5005 when batch mode is off, 4099 when a register transaction fails.
HVQ5_API int HVQ5_2_StartIOBatchRollData(int id);
// The same, then starts it (that write's own status).
HVQ5_API int HVQ5_2_StartBatchRollData(int id);
// Frames after which a rolling batch stops (0: none). The second argument is
// not used.
HVQ5_API int HVQ5_2_SetBatchRollProfilePoint(int id, int unused, int count);
// One profile over the command channel, outside batch mode. profile must hold
// as many int32 values as the head has profile points (HVQ5_2_GetModelInfos,
// or 6000 for every model); encoder receives the current encoder value. 0;
// 5001 when batch mode is on; -1 when not open or batch mode cannot be read;
// 4102 for a null pointer; else the profile read's status.
HVQ5_API int HVQ5_2_GetSingleProfile(int id, int32_t* profile, uint32_t* encoder);

}  // extern "C"

// Empties the batch buffers of the id; 0, 4097. C++ linkage: other programs
// link it by its decorated name.
HVQ5_API int HVQ5_2_ClearData(int id);
