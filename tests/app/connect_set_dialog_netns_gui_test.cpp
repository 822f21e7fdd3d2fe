// The connection dialog against the real client and simulated sensors. The
// dialog searches when it first shows, and the search broadcasts: every test
// runs in a private network namespace of its own (its CTest command is
// "unshare -n"), and the sensors answer the search from a second namespace
// behind a veth pair (tests/support/test_network.h), giving the loopback
// address on which the simulator listens in the test's namespace.
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/connect_set_dialog.h"
#include "sensor_client/app_settings.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scoped_sleeper.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/support/simulated_sensor.h"
#include "tests/support/test_network.h"
#include "tools/sensor_sim/search_responder.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_reboot.h"

namespace {

using mirevo::test::PromptKind;

constexpr uint8_t kSystemCommand = 173;

class ConnectDialogTest : public mirevo::test::ClientFixture {
protected:
    bool openInSetUp() const override { return false; }

    void SetUp() override {
        std::string error;
        network_ = search_test::TestNetwork::create(&error);
        ASSERT_NE(network_, nullptr) << error;
        // Loopback starts down in a fresh namespace; the simulator listens on it.
        ASSERT_EQ(std::system("ip link set lo up"), 0);
        ClientFixture::SetUp();
    }

    void TearDown() override {
        dialog_.reset();
        for (auto& responder : responders_) responder->stop();
        ClientFixture::TearDown();
        network_.reset();
    }

    // A sensor (one search reply per address) answering from the sensor namespace.
    void answerSearch(const std::vector<std::string>& addresses) {
        sensor_sim::SearchResponderOptions options;
        for (const std::string& address : addresses) options.heads.push_back({address, "ZP5160"});
        options.networkNamespace = network_->sensorNamespace();
        auto responder = std::make_unique<sensor_sim::SearchResponder>(options);
        ASSERT_TRUE(responder->start());
        responders_.push_back(std::move(responder));
    }

    // Shows the dialog (which searches once) and waits for its list.
    ConnectSetDialog& showDialog(bool connectMode = true) {
        dialog_ = std::make_unique<ConnectSetDialog>();
        dialog_->setMode(connectMode);
        dialog_->show();
        EXPECT_TRUE(waitUntil([&] { return button("pushButton_refresh")->isEnabled() && !dialog_->jobRunning(); },
                              10000));
        return *dialog_;
    }

    QTableWidget* table() { return dialog_->findChild<QTableWidget*>("tableWidget_tcpconn"); }
    QPushButton* button(const char* name) { return dialog_->findChild<QPushButton*>(name); }
    QString cell(int row, int column) {
        const QTableWidgetItem* item = table()->item(row, column);
        return item ? item->text() : QStringLiteral("<none>");
    }

    // Clicks "连接" and waits until the dialog has acted on the outcome.
    void connectAndWait(const std::function<bool()>& done, int timeoutMs = 15000) {
        button("pushButton_open")->click();
        EXPECT_TRUE(waitUntil(done, timeoutMs));
    }

    bool connectedButtons() {
        return !button("pushButton_open")->isEnabled() && button("pushButton_disconn")->isEnabled() &&
               !table()->isEnabled();
    }

    std::unique_ptr<search_test::TestNetwork> network_;
    std::vector<std::unique_ptr<sensor_sim::SearchResponder>> responders_;
    std::unique_ptr<ConnectSetDialog> dialog_;
};

TEST_F(ConnectDialogTest, ListsEverySensorFoundWithTheCommandPort) {
    answerSearch({"127.1.2.3"});
    answerSearch({"10.0.0.7", "192.168.200.1"});
    showDialog();
    ASSERT_EQ(table()->rowCount(), 3);
    QStringList addresses;
    for (int row = 0; row < 3; ++row) {
        addresses << cell(row, 0);
        EXPECT_EQ(cell(row, 1), "7");
        EXPECT_EQ(table()->item(row, 0)->textAlignment(), int(Qt::AlignCenter));
    }
    addresses.sort();
    EXPECT_EQ(addresses, (QStringList{"10.0.0.7", "127.1.2.3", "192.168.200.1"}));
    EXPECT_EQ(table()->currentRow(), 0);
    EXPECT_EQ(table()->horizontalHeaderItem(0)->text(), "IP");
    EXPECT_EQ(table()->horizontalHeaderItem(1)->text(), "端口");
    EXPECT_EQ(dialog_->windowTitle(), "通信设置");
    mirevo::test::saveGrab(*dialog_, "connect_set_dialog");
}

TEST_F(ConnectDialogTest, NothingFoundLeavesOneEmptyRowAndConnectDoesNothing) {
    showDialog();
    ASSERT_EQ(table()->rowCount(), 1);
    EXPECT_EQ(table()->item(0, 0), nullptr);
    sensor().clearPacketLog();
    const int8_t before = dialog_->ConnectState.load();
    button("pushButton_open")->click();
    EXPECT_FALSE(dialog_->jobRunning());
    EXPECT_EQ(dialog_->ConnectState.load(), before);
    EXPECT_TRUE(sensor().packetLog().empty());
    EXPECT_FALSE(client().connected);
}

TEST_F(ConnectDialogTest, ConnectsToTheSelectedSensorAndRemembersIt) {
    answerSearch({sensor().address()});
    showDialog();
    connectAndWait([&] { return !dialog_->isVisible(); });
    EXPECT_TRUE(client().connected);
    EXPECT_TRUE(connectedButtons());
    EXPECT_EQ(settingsString("ConnectSetDialog", "ip", ""), QString::fromStdString(sensor().address()));
    EXPECT_EQ(settingsString("ConnectSetDialog", "port", ""), "7");

    button("pushButton_disconn")->click();
    EXPECT_FALSE(client().connected);
    EXPECT_FALSE(connectedButtons());
    EXPECT_TRUE(button("pushButton_open")->isEnabled());
}

TEST_F(ConnectDialogTest, ShownAgainItsButtonsSayWhetherTheClientIsConnectedNow) {
    answerSearch({sensor().address()});
    showDialog();
    connectAndWait([&] { return !dialog_->isVisible(); });
    ASSERT_TRUE(client().connected);
    dialog_->show();
    EXPECT_TRUE(connectedButtons()) << "still connected";
    dialog_->hide();

    client().close();  // as an upgrade leaves it
    dialog_->show();
    EXPECT_FALSE(connectedButtons());
    EXPECT_TRUE(button("pushButton_open")->isEnabled());
    EXPECT_TRUE(table()->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return button("pushButton_refresh")->isEnabled() && !dialog_->jobRunning(); }));
    table()->selectRow(0);
    connectAndWait([&] { return !dialog_->isVisible(); });
    EXPECT_TRUE(client().connected) << "connected again";
}

TEST_F(ConnectDialogTest, AFailedConnectionShowsItsBox) {
    answerSearch({"127.250.250.250"});  // nothing listens there
    showDialog();
    mirevo::test::ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    connectAndWait([&] { return prompts->count() == 1; });
    const auto shown = prompts->prompts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, PromptKind::Question);
    EXPECT_EQ(shown[0].title, "提示");
    EXPECT_EQ(shown[0].text, "连接失败!");
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_FALSE(connectedButtons());
}

class SettingsCheckTest : public ConnectDialogTest {
protected:
    mirevo::test::ClientSensorOptions sensorOptions() const override {
        mirevo::test::ClientSensorOptions options;
        options.knobs.loadStatus = 1;  // the sensor's settings failed their check: open gives 254
        return options;
    }
};

TEST_F(SettingsCheckTest, TwoRetriesThenTheFactoryReset) {
    sensor_sim::installPrograms(sensor().head());
    answerSearch({sensor().address()});
    showDialog();
    mirevo::test::ScopedPrompter prompts;
    prompts->answerIndex(0);  // 是: retry
    prompts->answerIndex(0);  // 是: retry
    prompts->answerIndex(0);  // 是: factory reset
    connectAndWait([&] { return !dialog_->isVisible(); }, 30000);

    const auto shown = prompts->prompts();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "设定参数校验失败，是否重试？");
    EXPECT_EQ(shown[1].text, "设定参数校验失败，是否重试？");
    EXPECT_EQ(shown[2].text, "加载设定参数失败，是否恢复出厂设置？");
    EXPECT_EQ(shown[2].buttons, (QStringList{"是", "否"}));
    std::vector<uint32_t> resets;
    for (const auto& packet : mirevo::test::packetsWithOpcode(sensor().packetLog(), kSystemCommand))
        resets.push_back(packet.address);
    EXPECT_EQ(resets, (std::vector<uint32_t>{0x20000, 0x30000}));
    EXPECT_TRUE(connectedButtons());
    EXPECT_TRUE(client().connected) << "254 keeps the link";
}

TEST_F(SettingsCheckTest, NoToTheRetryKeepsTheLinkAndCloses) {
    answerSearch({sensor().address()});
    showDialog();
    mirevo::test::ScopedPrompter prompts;
    prompts->answerIndex(1);  // 否
    connectAndWait([&] { return !dialog_->isVisible(); });
    EXPECT_EQ(prompts->count(PromptKind::Ask), 1);
    EXPECT_TRUE(connectedButtons());
    EXPECT_TRUE(mirevo::test::packetsWithOpcode(sensor().packetLog(), kSystemCommand).empty());
}

TEST_F(SettingsCheckTest, AFailedFactoryResetSaysSo) {
    // The sensor refuses the system command: the first step fails.
    sensor_sim::installPrograms(sensor().head());
    sensor_sim::Fault refused;
    refused.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectOpcodeFault(kSystemCommand, refused);
    answerSearch({sensor().address()});
    showDialog();
    mirevo::test::ScopedPrompter prompts;
    for (int i = 0; i < 3; ++i) prompts->answerIndex(0);
    prompts->answer(QMessageBox::Ok);
    connectAndWait([&] { return !dialog_->isVisible(); }, 30000);
    ASSERT_EQ(prompts->count(), 4);
    EXPECT_EQ(prompts->prompts()[3].text, "通信失败!");
    std::vector<uint32_t> resets;
    for (const auto& packet : mirevo::test::packetsWithOpcode(sensor().packetLog(), kSystemCommand))
        resets.push_back(packet.address);
    EXPECT_EQ(resets, std::vector<uint32_t>{0x20000}) << "the second step waits for the first";
}

class SilentHeadTest : public ConnectDialogTest {
protected:
    void startSilentHead(int rebootsUntilItAnswers) {
        reboot_ = sensor_sim::installReboot(sensor().head());
        reboot_->holdRegisterUntilReboot(134, 0xFFFF, rebootsUntilItAnswers);
        answerSearch({sensor().address()});
        showDialog();
    }

    std::shared_ptr<sensor_sim::SimReboot> reboot_;
    mirevo::test::ScopedSleeper sleeper_;
};

TEST_F(SilentHeadTest, TwoSilentRetriesAfterRebootsThenTheBox) {
    startSilentHead(sensor_sim::SimReboot::kForever);
    mirevo::test::ScopedPrompter prompts;
    prompts->answerIndex(0);
    connectAndWait([&] { return !dialog_->isVisible(); }, 30000);

    EXPECT_EQ(reboot_->controllerReboots(), 2);
    EXPECT_EQ(sleeper_->asked(), (std::vector<int>{12000, 12000}));
    const auto shown = prompts->prompts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, PromptKind::Ask);
    EXPECT_EQ(shown[0].title, "提示");
    EXPECT_EQ(shown[0].text, "连接激光头失败! 请检查线缆连接后重试");
    EXPECT_EQ(shown[0].buttons, QStringList{"确定"});
    EXPECT_TRUE(connectedButtons());
}

TEST_F(SilentHeadTest, AHeadThatAnswersAfterTheRebootConnects) {
    startSilentHead(1);
    connectAndWait([&] { return !dialog_->isVisible(); }, 30000);
    EXPECT_EQ(reboot_->controllerReboots(), 1);
    EXPECT_EQ(sleeper_->asked(), std::vector<int>{12000});
    EXPECT_TRUE(client().connected);
    EXPECT_TRUE(connectedButtons());
}

TEST_F(ConnectDialogTest, UpgradeModeOffersTheSelectedSensor) {
    answerSearch({"127.9.8.7"});
    ConnectSetDialog& dialog = showDialog(false);
    EXPECT_EQ(dialog.windowTitle(), "固件升级");
    EXPECT_TRUE(button("pushButton_upgrade")->isVisible());
    EXPECT_FALSE(button("pushButton_open")->isVisible());
    EXPECT_FALSE(button("pushButton_disconn")->isVisible());
    QString address, port;
    QObject::connect(&dialog, &ConnectSetDialog::signal_upgrade, [&](QString a, QString p) {
        address = a;
        port = p;
    });
    button("pushButton_upgrade")->click();
    EXPECT_EQ(address, "127.9.8.7");
    EXPECT_EQ(port, "7");

    dialog.setMode(true);
    EXPECT_EQ(dialog.windowTitle(), "通信设置");
    EXPECT_FALSE(button("pushButton_upgrade")->isVisible());
}

TEST_F(ConnectDialogTest, ADialogGoneWhileItSearchesJoinsItsJob) {
    dialog_ = std::make_unique<ConnectSetDialog>();
    dialog_->show();
    EXPECT_TRUE(dialog_->jobRunning());
    dialog_.reset();  // waits for the search; nothing is left behind
    SUCCEED();
}

}  // namespace
