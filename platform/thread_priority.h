#pragma once
// Best-effort scheduling priorities for the data-channel threads. A system
// that refuses (no privilege, container limits) leaves the priority as it was;
// callers are not told.
namespace mirevo::platform {

// Raises the whole process to the highest priority it may take.
void raiseProcessPriority();
// Gives the calling thread a real-time priority, the nearest thing to
// "time-critical".
void setCurrentThreadTimeCritical();

}  // namespace mirevo::platform
