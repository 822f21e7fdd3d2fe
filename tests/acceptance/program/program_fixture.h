#pragma once
// The whole program as a person uses it: the real main window, offscreen, in
// a private network namespace of the test's own ("unshare -n" runs each test,
// see CMakeLists.txt), the simulated sensor listening on the test's loopback
// address and answering the search from the far end of a veth pair. Boxes and
// file dialogs are answered by the scripted prompter; what reached the sensor
// is read from the simulator's packet log and registers; grabs of the window
// are saved in the build folder (screenshots/acceptance_*.png).
#include <QApplication>
#include <QLabel>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/app/searched_window_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "views/height/d3d_set_dialog.h"

namespace acceptance {

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kSystemCommand = 173;

class ProgramAcceptance : public mirevo::test::SearchedWindowFixture {
protected:
    // Starts the program and connects through the dialog's search.
    QtLineLaserClient& startAndConnect() {
        connectToTheListedSensor();
        QtLineLaserClient& window = makeWindowAndConnect();
        EXPECT_TRUE(pressedConnect_) << "the search did not list the simulated sensor";
        EXPECT_TRUE(client().connected);
        // A window system activates the window a person works in; offscreen the test does.
        QApplication::setActiveWindow(&window);
        return window;
    }

    QString label(const char* name) { return child<QLabel>(name)->text(); }
    QImage grabWindow(const QString& name) { return mirevo::test::saveGrab(*window_, "acceptance_" + name); }

    // Register writes in the packet log, as (address, value), in order.
    std::vector<std::pair<uint32_t, uint32_t>> registerWrites() {
        std::vector<std::pair<uint32_t, uint32_t>> writes;
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == kWriteOpcode) writes.emplace_back(packet.address & 0xFFFF, packet.value);
        return writes;
    }
    std::set<uint32_t> writtenRegisters() {
        std::set<uint32_t> addresses;
        for (const auto& [address, value] : registerWrites()) addresses.insert(address);
        return addresses;
    }
    bool permanentStoreSent() {
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == kSystemCommand && packet.address == 0x10000 && packet.value == 0x400000) return true;
        return false;
    }

    // Acts on the next modal dialog of type T once `open` (the click that
    // shows it) has it in its own loop; true when the dialog came. The timer
    // is the call's own, so it never fires into a later test.
    template <class T, class Act>
    bool actOnModal(const std::function<void()>& open, Act act) {
        bool done = false;
        QTimer driver;
        driver.setInterval(10);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dialog || done) return;
            done = true;
            driver.stop();
            act(*dialog);
        });
        driver.start();
        open();
        driver.stop();
        return done;
    }

    // The height map's fixed range set through its "高度设定" dialog.
    bool setHeightRange(QWidget& heightView, double minimum, double maximum) {
        return actOnModal<D3dSetDialog>(
            [&] { heightView.findChild<QPushButton*>(QStringLiteral("pushButton_height_set"))->click(); },
            [&](D3dSetDialog& dialog) {
                dialog.findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox_min"))->setValue(minimum);
                dialog.findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox_max"))->setValue(maximum);
                dialog.findChild<QPushButton*>(QStringLiteral("pushButton_ok"))->click();
            });
    }

    std::filesystem::path settingsFile() const { return workFolder() / "settings.ini"; }

};

}  // namespace acceptance
