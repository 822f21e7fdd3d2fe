#pragma once
// The multi-controller sync modes of the trigger page (register 206) as its
// three rows of radio buttons show them:
//   row 1 on / off, row 2 master / slave,
//   row 3 the slave choices (alternate, sync) or, in the same place, the
//   master choices (sync, alternate).
// 0 off, 1 master alternate, 2 slave alternate, 3 slave sync ("同主"),
// 4 master sync, 5 slave of a synchronised master; any other value shows as off.
#include <optional>

namespace sync_modes {

enum class Visibility { Keep, Show, Hide };

// A pair of radio buttons: shown, hidden or left; which of the two is checked
// (0 none, 1 the first, 2 the second, -1 left as it is).
struct Pair {
    Visibility visibility;
    int checked;
};

struct View {
    bool on;                        // "开启" checked, "关闭" not (and the other way)
    Pair masterSlave;               // first 主机, second 从机
    Pair slaveChoices;              // first 从机交替, second 从机同步
    Pair masterChoices;             // first 主机同步, second 主机交替
    std::optional<bool> slaveMode;  // signal_slave_mode, when emitted
};

View view(int mode);
// What the sensor is told: 1 to 5 as they are, everything else 0.
inline int written(int mode) { return mode >= 1 && mode <= 5 ? mode : 0; }

// The mode a click on each button sets, whether it became checked or not.
constexpr int kOff = 0, kOn = 1, kMaster = 1, kSlave = 2, kSlaveAlternate = 2, kSlaveSync = 3, kMasterSync = 4,
              kMasterAlternate = 5;

}  // namespace sync_modes
