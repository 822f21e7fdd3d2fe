#pragma once
// Milliseconds of silence, measured the way every receive loop of the command
// channel does: stop, read, start again; restart when data arrives.
#include "sensor_interface/settings/stop_watch.h"

class SilenceClock {
public:
    SilenceClock() { watch_.begin_ms(); }
    void dataArrived() { watch_.restart_ms(); }
    double elapsedMs() {
        watch_.stop_ms();
        double elapsed = watch_.elapsed();
        watch_.start();
        return elapsed;
    }

private:
    stop_watch watch_;
};
