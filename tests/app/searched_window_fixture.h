#pragma once
// The main window as a person starts it: the simulated sensor answers the
// connection dialog's search from the far end of a veth pair of the test's
// own network namespace (the test program runs under "unshare -n"), the
// program's style and style sheet are on, and the person selects the listed
// sensor and presses "连接".
#include <QApplication>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/myqss.h"
#include "app/startup.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/test_network.h"
#include "tools/sensor_sim/search_responder.h"

namespace mirevo::test {

class SearchedWindowFixture : public MainWindowFixture {
protected:
    bool openInSetUp() const override { return false; }

    void SetUp() override {
        std::string error;
        network_ = search_test::TestNetwork::create(&error);
        ASSERT_NE(network_, nullptr) << error;
        MainWindowFixture::SetUp();
        if (HasFatalFailure()) return;
        // The sensor answers the search with the address it listens on.
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
    // sensor, select its row and press "连接" (once); afterwards `then` acts
    // on the dialog while it shows.
    void connectToTheListedSensor(std::function<void(ConnectSetDialog&)> then = {}) {
        pressedConnect_ = false;
        onDialog([this, then](ConnectSetDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableWidget_tcpconn"));
            auto* refresh = dialog.findChild<QPushButton*>(QStringLiteral("pushButton_refresh"));
            if (pressedConnect_ && then) then(dialog);
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

    // A point of a child widget in the window's grab.
    QPoint inWindow(QWidget* widget, QPointF point) { return widget->mapTo(window_.get(), point.toPoint()); }

    std::unique_ptr<search_test::TestNetwork> network_;
    std::unique_ptr<sensor_sim::SearchResponder> responder_;
    QString previousStyle_;
    QString previousSheet_;
    bool pressedConnect_ = false;
};

}  // namespace mirevo::test
