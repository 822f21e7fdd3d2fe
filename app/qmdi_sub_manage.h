#pragma once
// Keeps the title codes (mdi_title_code.h) of the main window's profile and
// height-map sub-windows up to date whenever one of them changes its state,
// so that the title-bar style draws each with the right buttons and colours.
#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>

class QMdiSubManage : public QObject {
    Q_OBJECT
public:
    QMdiSubManage() = default;

    // Stores the window (null clears) and follows its state changes.
    void setProfileWindow(QMdiSubWindow* window);
    void setHeightWindow(QMdiSubWindow* window);

    QMdiSubWindow* profileWindow() const { return profileWindow_; }
    QMdiSubWindow* heightWindow() const { return heightWindow_; }

    // Rewrites the window's title code for the change from oldState to newState.
    void onStateChanged(QMdiSubWindow* window, Qt::WindowStates oldState, Qt::WindowStates newState);
    // Marks the window's title code inactive.
    void clearActive(QMdiSubWindow* window);

private:
    void follow(QMdiSubWindow* window, const char* debugText);

    QPointer<QMdiSubWindow> profileWindow_;
    QPointer<QMdiSubWindow> heightWindow_;
};
