#pragma once
// The live profile and the raw camera image, read as one DEBUG stream over the
// command channel (outside batches).
#include <cstddef>
#include <cstdint>
#include <vector>

class SensorController;

// Asks the sensor for one DEBUG stream: register 2 = 1, then a read of
// register 319 that the sensor answers with the stream itself (no echo). Holds
// the controller's transaction mutex throughout. 5001 while the stream is
// disabled (nothing is sent); request failures are returned unchanged.
int request_debug_stream(SensorController& controller, std::vector<uint8_t>& stream);

// The raw camera image into image (capacity bytes), its row count into *rows,
// and for the first n points (at most 2048, at most the processor's columns)
// the repaired peak row x 100 into peaks. 0; 5001 stream disabled; 4097 no
// processor; 4103 malformed stream or more than 1024 rows; 4108 image larger
// than capacity; request failures. Nothing is written unless the result is 0.
int read_debug_image(SensorController& controller, uint8_t* image, size_t capacity, int32_t* peaks,
                     int n, int32_t* rows);

// The live profile: the processor's points heights (x100 units of the batch
// rows) into profile, -999900000 outside the sensor's X window (registers 359
// start and 358 width, in columns), and the 2048 intensity bytes when the
// stream carries them. 0 (also when the stream holds no profile: nothing is
// written then); 5001; 4097 no processor; 4102 capacity below the points;
// 4103 malformed stream; request failures.
int read_debug_profile(SensorController& controller, int32_t* profile, uint8_t* intensity,
                       int capacity);
