#pragma once
// Installing the receivers of finished batches (C linkage unless stated).
// Each takes the id a sensor was opened under and returns 4097 when it is not
// open. Handlers run in the data channel's consumer thread (for a merged
// two-head sensor in the merge thread); what they are given is valid only
// during the call.
#include <cstdint>

#include "sensor_interface/data_channel/batch_records.h"
#include "sensor_interface/hvq5_export.h"

extern "C" {

// Stores the handler that receives every finished batch, after rebuilding the
// handler list from feature bit 8. A two-head sensor opened as two ids (not
// the program's own connection) gets the merge instead: the handler then
// receives the merged batches of both heads (4097 unless exactly two ids are
// open, 1001 when a head's data channel does not restart).
HVQ5_API int HVQ5_2_SetBatchOneTimeDataHandler(int id, HVQ5_2_BatchHandler handler);
// Starts the id's data channel at ip:port and, when it starts, stores the
// high-speed batch callback (user is handed back to it): 0; 4096 when the
// channel does not start (the previous callback stays); 4102 for a null ip.
HVQ5_API int HVQ5_2_HighSpeedDataEthernetCommunicationInitalize(int id, const uint8_t ip[4], int port,
                                                                HVQ5_2_BatchCallback callback, void* unused,
                                                                int user);
// Empties the handler list and, when enable, adds the cloud filter: the
// batch's int32 rows go through single precision, and with value 8 through
// the weld filter too. Returns the status of writing feature bit 8.
HVQ5_API int HVQ5_2_ENABLE_CLOUD_FILTER(int id, int value, bool enable);

}  // extern "C"

// Stores a function object that receives every finished batch, after
// rebuilding the handler list from feature bit 8; never installs the merge.
// C++ linkage: a function object cannot cross a C interface.
HVQ5_API int HVQ5_2_SetBatchOneTimeDataHandler_V2(int id, HVQ5_2_BatchHandlerObject handler);
