#pragma once
// Accumulating interval timer on the monotonic clock.
#include <cstdint>

#include "sensor_interface/hvq5_export.h"

class HVQ5_API stop_watch {
public:
    stop_watch();
    ~stop_watch();
    stop_watch(const stop_watch& other);
    stop_watch& operator=(const stop_watch& other);

    // Microsecond form.
    void start();
    void stop();     // adds the whole microseconds since the last start
    void restart();  // clears the total, then starts
    double elapsed() const;
    double elapsed_ms() const;
    double elapsed_second() const;

    // Millisecond form: the total counts whole milliseconds and elapsed()
    // returns milliseconds.
    void begin_ms();    // clears everything, then starts
    void restart_ms();  // clears the total, then starts
    void stop_ms();     // adds the whole milliseconds since the last start

private:
    int64_t start_ns_ = 0;
    int64_t stop_ns_ = 0;
    int64_t elapsed_ = 0;
};
