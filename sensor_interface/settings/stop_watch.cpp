#include "sensor_interface/settings/stop_watch.h"

#include "platform/clock.h"

using mirevo::platform::monotonic_ns;

stop_watch::stop_watch() = default;
stop_watch::~stop_watch() = default;
stop_watch::stop_watch(const stop_watch& other) = default;
stop_watch& stop_watch::operator=(const stop_watch& other) = default;

void stop_watch::start() { start_ns_ = monotonic_ns(); }

void stop_watch::stop() {
    stop_ns_ = monotonic_ns();
    elapsed_ += (stop_ns_ - start_ns_) / 1000;
}

void stop_watch::restart() {
    elapsed_ = 0;
    start();
}

double stop_watch::elapsed() const { return static_cast<double>(elapsed_); }
double stop_watch::elapsed_ms() const { return static_cast<double>(elapsed_) / 1000.0; }
double stop_watch::elapsed_second() const { return static_cast<double>(elapsed_) / 1000000.0; }

void stop_watch::begin_ms() {
    stop_ns_ = 0;
    elapsed_ = 0;
    start_ns_ = monotonic_ns();
}

void stop_watch::restart_ms() {
    elapsed_ = 0;
    start_ns_ = monotonic_ns();
}

void stop_watch::stop_ms() {
    stop_ns_ = monotonic_ns();
    elapsed_ += (stop_ns_ - start_ns_) / 1000000;
}
