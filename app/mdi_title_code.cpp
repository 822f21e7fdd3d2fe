#include "app/mdi_title_code.h"

namespace MdiTitleCode {

QString afterStateChange(const QString& title, Qt::WindowStates oldState, Qt::WindowStates newState) {
    if (!isCode(title)) return title;
    QString code = title;
    const bool nowMinimised = newState & Qt::WindowMinimized;
    const bool nowMaximised = newState & Qt::WindowMaximized;
    const bool nowActive = newState & Qt::WindowActive;
    if (nowMinimised)
        code[kState] = '1';
    else if (nowMaximised)
        code[kState] = '2';

    // Brought back to the front: the buttons of a normal window again (also
    // for a window still maximised when it comes back from maximised).
    if ((oldState & Qt::WindowMinimized) && nowActive) {
        if (!nowMaximised) code[kState] = '0';
    } else if ((oldState & Qt::WindowMaximized) && nowActive && !nowMinimised) {
        code[kState] = '0';
    }
    code[kActive] = nowActive ? '1' : '0';
    return code;
}

QString inactive(const QString& title) {
    if (!isCode(title)) return title;
    QString code = title;
    code[kActive] = '0';
    return code;
}

}  // namespace MdiTitleCode
