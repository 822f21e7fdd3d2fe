#pragma once
// The status line of the real-time settings window, from the register image
// and the last batch's duration: batch mode (149), trigger method (143),
// line rate from the line period in microseconds (144), batch time.
#include <QString>

#include <optional>

struct RealtimeStatusTexts {
    QString batch;
    QString trigger;
    std::optional<QString> sampling;  // none when register 144 is 0: the label keeps its text
    QString batchTime;
};

RealtimeStatusTexts realtimeStatusTexts(int register149, int register143, int register144, int batchMs);
