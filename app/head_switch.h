#pragma once
// The head switch of a four-head sensor: head n (0 to 3) answers at the
// stored connection address with its last byte increased by n. The job runs
// on a worker thread and touches no widget: it reports through two atomics
// that the main window's tick reads.
#include <QString>

#include <atomic>
#include <optional>

namespace head_switch {

// The open status of a switch that never tried: no stored address, or no
// address for the head.
constexpr int kNoAddress = 2;
constexpr int kHeadCount = 4;

// True for the open statuses that leave the client connected to the new
// head: 0, and 254 and 255 (connected, but settings or head not answering).
bool reopened(int status);

// The address of head `index` of the sensor whose first head answers at
// `firstHead`. Nothing when that is not four numbers 0..255, the index is out
// of 0..3 or the last byte would pass 255: a wrapped byte would reach another
// device on the network.
std::optional<QString> headAddress(const QString& firstHead, int index);

// Reopens the sensor client on head `index` at the stored address and port
// ("settings.ini" [ConnectSetDialog] ip, port) and returns the open status
// (kNoAddress without any traffic when there is no address). On success
// `currentHead` becomes index before `result` publishes the status.
int run(int index, std::atomic<int>& currentHead, std::atomic<int>& result);

}  // namespace head_switch
