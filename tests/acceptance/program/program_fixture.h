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
#include <QTableWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/myqss.h"
#include "app/startup.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/test_network.h"
#include "tools/sensor_sim/search_responder.h"

namespace acceptance {

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kSystemCommand = 173;

class ProgramAcceptance : public mirevo::test::MainWindowFixture {
protected:
    bool openInSetUp() const override { return false; }

    void SetUp() override {
        std::string error;
        network_ = search_test::TestNetwork::create(&error);
        ASSERT_NE(network_, nullptr) << error;
        MainWindowFixture::SetUp();
        if (HasFatalFailure()) return;
        sensor_sim::SearchResponderOptions options;
        options.heads.push_back({sensor().address(), sensorOptions().preset.model});
        options.networkNamespace = network_->sensorNamespace();
        responder_ = std::make_unique<sensor_sim::SearchResponder>(options);
        ASSERT_TRUE(responder_->start());
        // The program's own style and style sheet, as main() sets them.
        previousStyle_ = QApplication::style()->objectName();
        previousSheet_ = qApp->styleSheet();
        QApplication::setStyle(new myqss(0));
        QString startupError;
        ASSERT_TRUE(checkStartupResources(&startupError)) << startupError.toStdString();
    }

    void TearDown() override {
        MainWindowFixture::TearDown();
        if (responder_) responder_->stop();
        network_.reset();
        qApp->setStyleSheet(previousSheet_);
        QApplication::setStyle(previousStyle_);
    }

    // Acts like a person in the connection dialog: once the search lists the
    // sensor, select its row and press "连接" (once).
    void connectToTheListedSensor() {
        pressedConnect_ = false;
        onDialog([this](ConnectSetDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableWidget_tcpconn"));
            auto* refresh = dialog.findChild<QPushButton*>(QStringLiteral("pushButton_refresh"));
            if (pressedConnect_ || dialog.jobRunning() || !refresh->isEnabled()) return;
            for (int row = 0; row < table->rowCount(); ++row) {
                const QTableWidgetItem* item = table->item(row, 0);
                if (item && item->text() == QString::fromStdString(sensor().address())) {
                    table->selectRow(row);
                    pressedConnect_ = true;
                    dialog.findChild<QPushButton*>(QStringLiteral("pushButton_open"))->click();
                    return;
                }
            }
        });
    }

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
    // A point of a child widget in the window's grab.
    QPoint inWindow(QWidget* widget, QPointF point) { return widget->mapTo(window_.get(), point.toPoint()); }

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

    std::filesystem::path settingsFile() const { return workFolder() / "settings.ini"; }

    std::unique_ptr<search_test::TestNetwork> network_;
    std::unique_ptr<sensor_sim::SearchResponder> responder_;
    QString previousStyle_;
    QString previousSheet_;
    bool pressedConnect_ = false;
};

}  // namespace acceptance
