#pragma once
// The main window against the real client and a simulated sensor. The window
// opens its connection dialog modally as soon as events run; a driver timer
// acts on the dialog from inside its modal loop (by default it cancels the
// dialog once its search has finished), so no test blocks on it. Tests that
// need the client connected let the fixture open it first: the cancelled
// dialog then leaves the connect flow with a connected client, as a
// connection made in the dialog would.
//
// The dialog searches when it shows and the search broadcasts: these tests
// run in a private network namespace each ("unshare -n", see CMakeLists.txt).
#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "app/connect_set_dialog.h"
#include "app/qt_line_laser_client.h"
#include "sensor_client/app_settings.h"
#include "tests/support/qt/client_fixture.h"

namespace mirevo::test {

class MainWindowFixture : public ClientFixture {
protected:
    void SetUp() override {
        // Loopback starts down in a fresh namespace; the simulator listens on it.
        ASSERT_EQ(std::system("ip link set lo up"), 0);
        ClientFixture::SetUp();
        // The program as installed in China: the window starts in the
        // source language whatever the test machine's locale (a Chinese
        // system locale needs no stored choice).
        if (languageIndex() != 0) setLanguageIndex(0);
        driver_.setInterval(10);
        QObject::connect(&driver_, &QTimer::timeout, [this] { drive(); });
        driver_.start();
    }

    void TearDown() override {
        driver_.stop();
        window_.reset();
        ClientFixture::TearDown();
    }

    // Builds and shows the window (its connection dialog is queued).
    QtLineLaserClient& makeWindow() {
        window_ = std::make_unique<QtLineLaserClient>();
        window_->resize(1040, 800);
        window_->show();
        QObject::connect(window_->connectionDialog(), &QDialog::finished, [this] {
            // Runs after the connect flow that ran the dialog has returned.
            // Owned by the driver, so a dialog that finishes while the
            // window goes in TearDown counts nothing after the fixture is gone.
            QTimer::singleShot(0, &driver_, [this] { ++flowsDone_; });
        });
        return *window_;
    }

    // Builds the window and waits until its first connect flow is through.
    QtLineLaserClient& makeWindowAndConnect() {
        makeWindow();
        waitForFlows(1);
        return *window_;
    }

    void waitForFlows(int count) {
        EXPECT_TRUE(waitUntil([&] { return flowsDone_ >= count; }, 60000)) << "the connect flow did not end";
    }

    // What the driver does while the connection dialog shows; by default it
    // cancels the dialog once the dialog's search has ended.
    void onDialog(std::function<void(ConnectSetDialog&)> action) { dialogAction_ = std::move(action); }
    static void cancelWhenSearched(ConnectSetDialog& dialog) {
        QPushButton* refresh = dialog.findChild<QPushButton*>(QStringLiteral("pushButton_refresh"));
        if (!dialog.jobRunning() && refresh && refresh->isEnabled()) dialog.reject();
    }

    template <class T>
    T* child(const char* name) {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }

    // Spins the event loop for ms.
    void spin(int ms) { waitUntil([] { return false; }, ms); }

    std::unique_ptr<QtLineLaserClient> window_;
    int flowsDone_ = 0;

private:
    void drive() {
        if (!window_) return;
        ConnectSetDialog* dialog = window_->connectionDialog();
        if (dialog && dialog->isVisible() && dialogAction_) dialogAction_(*dialog);
    }

    QTimer driver_;
    std::function<void(ConnectSetDialog&)> dialogAction_ = cancelWhenSearched;
};

}  // namespace mirevo::test
