#include "app/main_window_tick.h"

MainWindowTick::Decision MainWindowTick::next(std::atomic<int>& headSwitchResult, Sources& sources,
                                              bool boxShowing) {
    Decision decision;
    // The job writes the head before the result: acquire makes it visible.
    if (!boxShowing) decision.headSwitchResult = headSwitchResult.exchange(-1, std::memory_order_acq_rel);
    decision.connected = sources.connected();
    if (!decision.connected) return decision;
    const int code = sources.takeFailCode();
    if (code == kEncoderTooFast && countdown_ <= 0 && !boxShowing) {
        countdown_ = kWarningTicks;
        decision.encoderWarning = true;
    }
    --countdown_;
    return decision;
}
