#pragma once
// Waits in the GUI thread for something a worker or the sensor brings about,
// with the event loop running meanwhile (boxes, queued signals and blocking
// queued calls of the workers keep being served).
#include <functional>

// Returns once done() holds (checked every pollMs), or when the application
// quits.
void waitWithEvents(const std::function<bool()>& done, int pollMs = 10);
