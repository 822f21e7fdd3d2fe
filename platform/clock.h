#pragma once
// Monotonic time for interval measurements.
#include <cstdint>

namespace mirevo::platform {

// Nanoseconds of the monotonic clock (CLOCK_MONOTONIC).
int64_t monotonic_ns();

// Lets tests drive time by hand: while a source is installed, monotonic_ns()
// returns its value. Pass nullptr to return to the real clock.
using MonotonicSource = int64_t (*)();
void set_monotonic_source_for_testing(MonotonicSource source);

}  // namespace mirevo::platform
