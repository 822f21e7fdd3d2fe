#pragma once
// The connection dialog's state byte: its jobs (search, connect) write it
// last, the dialog's 200 ms poll reads it and acts. The mapping from the
// client's open results and the poll's reaction live here, in one place.
#include <cstdint>

namespace connect_state {

enum State : int8_t {
    kNothing = -128,             // nothing to report yet
    kIdle = 0,                   // a job started, or the poll has acted
    kConnected = 1,              // open returned 0
    kConnectFailed = 2,          // open returned 2
    kAbnormalVersion = 3,        // open returned 3: the firmware refused the connection
    kVersionTimeout = 4,         // open returned any other code
    kIncompatible = 5,           // open returned 5
    kSearchDone = 6,             // the search job finished
    kSettingsCheckFailed = -2,   // open returned 254: connected, settings failed their check
    kHeadSilent = -1,            // open returned 255: connected, the laser head did not answer
};

// The state a connect job reports for a result of LinelaserClient::open.
State fromOpenResult(int result);

enum class Reaction {
    None,                 // nothing to do (also for states no job writes)
    FillList,             // list the sensors found
    CloseConnected,       // close the dialog, buttons connected
    FailureBox,           // the failure's box, buttons unconnected
    SettingsCheckFailed,  // ask to retry; the third time offer the factory reset
    HeadSilent,           // retry silently after a reboot; the third time a box
};

// What the poll does for a state it read.
Reaction reactionTo(int8_t state);

// The retries of the two failures that keep the link: the n-th failure in a
// row (from 1) either retries or gives up with the last resort.
constexpr int kAttemptsBeforeLastResort = 3;
inline bool retriesAfterFailure(int failuresInARow) { return failuresInARow < kAttemptsBeforeLastResort; }

}  // namespace connect_state
