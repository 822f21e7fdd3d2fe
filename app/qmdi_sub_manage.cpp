#include "app/qmdi_sub_manage.h"

#include <QDebug>

#include "app/mdi_title_code.h"

void QMdiSubManage::setProfileWindow(QMdiSubWindow* window) {
    profileWindow_ = window;
    follow(window, "windowStateChanged...");
}

void QMdiSubManage::setHeightWindow(QMdiSubWindow* window) {
    heightWindow_ = window;
    follow(window, "windowStateChanged 2...");
}

void QMdiSubManage::follow(QMdiSubWindow* window, const char* debugText) {
    if (!window) return;
    QPointer<QMdiSubWindow> followed(window);
    connect(
        window, &QMdiSubWindow::windowStateChanged, this,
        [this, followed, debugText](Qt::WindowStates oldState, Qt::WindowStates newState) {
            qDebug() << debugText << newState;
            if (followed) onStateChanged(followed, oldState, newState);
        },
        Qt::DirectConnection);
}

void QMdiSubManage::onStateChanged(QMdiSubWindow* window, Qt::WindowStates oldState,
                                   Qt::WindowStates newState) {
    if (!window) return;
    const QString title = window->windowTitle();
    qDebug() << "enter..." << title;
    if (!MdiTitleCode::isCode(title)) return;
    const QString code = MdiTitleCode::afterStateChange(title, oldState, newState);
    if (newState & Qt::WindowMinimized)
        qDebug() << "min..." << code;
    else if (newState & Qt::WindowMaximized)
        qDebug() << "max..." << code;
    else
        qDebug() << "normal..." << code;
    if (newState & Qt::WindowActive) {
        clearActive(profileWindow_);
        clearActive(heightWindow_);
        qDebug() << "WindowActive..." << code;
    }
    window->setWindowTitle(code);
}

void QMdiSubManage::clearActive(QMdiSubWindow* window) {
    if (!window) return;
    const QString title = window->windowTitle();
    if (MdiTitleCode::isCode(title)) window->setWindowTitle(MdiTitleCode::inactive(title));
}
