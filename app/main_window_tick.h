#pragma once
// What the main window's 200 ms tick decides, without widgets: whether a
// head-switch result waits to be shown, whether the status line is refreshed
// (only while connected), and whether the encoder-speed warning is due.
//
// The warning comes on the first tick that reports the code and then at most
// every kWarningTicks ticks while the code persists. A tick that runs inside
// the modal loop of a box of an earlier tick shows no box of its own (boxes
// would otherwise nest every tick until the stack runs out) and leaves the
// head-switch result waiting.
#include <atomic>

class MainWindowTick {
public:
    static constexpr int kEncoderTooFast = 6001;
    static constexpr int kWarningTicks = 10;

    // Where a tick reads the sensor's state.
    class Sources {
    public:
        virtual ~Sources() = default;
        virtual bool connected() = 0;
        // Reads and clears the sensor's failure code.
        virtual int takeFailCode() = 0;
    };

    struct Decision {
        int headSwitchResult = -1;    // >= 0: show the outcome of that head switch
        bool connected = false;       // the status line is refreshed (and the code read) only then
        bool encoderWarning = false;  // show the encoder-speed warning
    };

    // headSwitchResult is taken (and reset to -1) in one step, so a result is
    // shown once. boxShowing: a box of an earlier tick is still open.
    Decision next(std::atomic<int>& headSwitchResult, Sources& sources, bool boxShowing);

    int warningCountdown() const { return countdown_; }

private:
    int countdown_ = 0;
};
