#pragma once
// Setting check states of radio buttons from code, also "none checked" in an
// exclusive group, and applying a pair's state from the sync-mode table.
#include <QAbstractButton>

#include "settings_windows/core/sync_modes.h"

namespace button_states {

// Checks or unchecks the button even where its group or its siblings would
// keep one button checked.
void forceChecked(QAbstractButton* button, bool checked);

// Visibility and check state of a pair of buttons (see sync_modes::Pair).
void applyPair(QAbstractButton* first, QAbstractButton* second, const sync_modes::Pair& pair);

}  // namespace button_states
