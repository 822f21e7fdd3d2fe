#include "settings_windows/button_states.h"

#include <QButtonGroup>

namespace button_states {

void forceChecked(QAbstractButton* button, bool checked) {
    if (button->isChecked() == checked) return;
    QButtonGroup* group = button->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (group) group->setExclusive(false);
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(autoExclusive);
    if (group) group->setExclusive(groupExclusive);
}

void applyPair(QAbstractButton* first, QAbstractButton* second, const sync_modes::Pair& pair) {
    if (pair.visibility != sync_modes::Visibility::Keep) {
        const bool shown = pair.visibility == sync_modes::Visibility::Show;
        first->setVisible(shown);
        second->setVisible(shown);
    }
    if (pair.checked < 0) return;
    // Uncheck before check, so that an exclusive pair never holds two.
    if (pair.checked != 1) forceChecked(first, false);
    if (pair.checked != 2) forceChecked(second, false);
    if (pair.checked == 1) forceChecked(first, true);
    if (pair.checked == 2) forceChecked(second, true);
}

}  // namespace button_states
