// The firmware upgrade from the main window against the real client and
// simulated sensors with flash, reboots and the system command: started from
// the connection dialog in upgrade mode (its search answered from a network
// namespace of the test's own), the questions answered through the window's
// blocking prompt slot, the progress, busy and failure boxes, and the
// prompt slot's table. Waits go through a recording sleeper.
#include <QAction>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/firmware_upgrade.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/upgradable_heads.h"
#include "tests/app/upgrade_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scoped_sleeper.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/support/simulated_sensor.h"
#include "tests/support/test_network.h"
#include "tools/sensor_sim/search_responder.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_reboot.h"

namespace {

using mirevo::test::PromptKind;
using mirevo::test::PromptRecord;
using mirevo::test::ScopedPrompter;
using sensor_sim::FlashTarget;
using upgrade_test::entries;
using upgrade_test::image;

constexpr uint8_t kHeadFlashOpcode = 166;
constexpr uint8_t kControllerFlashOpcode = 164;

class UpgradeWindowTest : public mirevo::test::MainWindowFixture {
protected:
    void SetUp() override {
        std::string error;
        network_ = search_test::TestNetwork::create(&error);
        ASSERT_NE(network_, nullptr) << error;
        MainWindowFixture::SetUp();
        for (const upgrade_test::UpgradeHead& head : upgrade_test::installUpgradeServices(sensor())) {
            flash_.push_back(head.flash);
            reboot_.push_back(head.reboot);
        }
        for (int i = 0; i < sensor().headCount(); ++i) {
            sensor_sim::SimSensor& head = sensor().head(i);
            head.setReg(134, 0x011A);
            head.setReg(135, 0x0003);
            head.setReg(166, sensor().headCount() == 4 ? 0x4007 : 0x0007);
        }
    }

    void TearDown() override {
        window_.reset();
        if (responder_) responder_->stop();
        MainWindowFixture::TearDown();
        network_.reset();
    }

    // The sensor's first head answers the search.
    void answerSearch() {
        sensor_sim::SearchResponderOptions options;
        options.heads.push_back({sensor().address(), sensor().options().preset.model});
        options.networkNamespace = network_->sensorNamespace();
        responder_ = std::make_unique<sensor_sim::SearchResponder>(options);
        ASSERT_TRUE(responder_->start());
    }

    QString package(const QStringList& arguments) {
        const QString path = QString::fromStdString((workFolder() / "firmware.zpf").string());
        EXPECT_TRUE(upgrade_test::writePackage(path, arguments));
        return path;
    }

    bool waitForUpgrade() {
        return waitUntil([&] { return !window_->progressActive && !window_->jobs().running(); }, 120000);
    }

    // In upgrade mode the driver picks the listed sensor and presses "升级"
    // once, then closes the dialog when the upgrade has ended.
    void upgradeFromTheDialog() {
        bool pressed = false;
        onDialog([this, pressed](ConnectSetDialog& dialog) mutable {
            if (dialog.connectMode()) return cancelWhenSearched(dialog);
            auto* table = dialog.findChild<QTableWidget*>("tableWidget_tcpconn");
            if (!pressed) {
                if (!table->item(0, 0)) return;
                table->setCurrentCell(0, 0);
                pressed = true;
                dialog.findChild<QPushButton*>("pushButton_upgrade")->click();
                return;
            }
            if (!window_->progressActive && !window_->jobs().running()) dialog.reject();
        });
    }

    std::vector<std::shared_ptr<sensor_sim::SimFlash>> flash_;
    std::vector<std::shared_ptr<sensor_sim::SimReboot>> reboot_;
    mirevo::test::ScopedSleeper sleeper_;

private:
    std::unique_ptr<search_test::TestNetwork> network_;
    std::unique_ptr<sensor_sim::SearchResponder> responder_;
};

TEST_F(UpgradeWindowTest, OneHeadFromTheUpgradeDialogToTheEnd) {
    answerSearch();
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    ASSERT_TRUE(client().connected);
    upgradeFromTheDialog();
    p->answerFile(package(entries({"0:2:0x011b:0x400000:800", "1:2:0x00030008:0:1200"})));
    p->answerIndex(0);  // 是
    window.findChild<QAction*>("action_upgrade_firmware")->trigger();
    waitForFlows(2);
    ASSERT_TRUE(waitForUpgrade());

    const auto shown = p->prompts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, PromptKind::OpenFile);
    EXPECT_EQ(shown[0].title, "选择升级包");
    EXPECT_EQ(shown[0].text, ".");
    EXPECT_EQ(shown[0].buttons, QStringList{"升级包(*.zpf)"});
    EXPECT_EQ(shown[1].kind, PromptKind::Ask);
    EXPECT_EQ(shown[1].title, "升级");
    EXPECT_EQ(shown[1].text, "确定要升级固件吗？");
    EXPECT_EQ(shown[1].buttons, (QStringList{"是", "否"}));

    QProgressDialog* progress = window.settingsProgressDialog();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->windowTitle(), "固件升级");
    EXPECT_EQ(progress->labelText(), "升级已完成");
    EXPECT_EQ(progress->value(), 100);
    EXPECT_TRUE(window.settingsProgressButton()->isVisible());
    EXPECT_FALSE(window.busyDialog().isVisible());
    mirevo::test::saveGrab(*progress, "upgrade_done");

    EXPECT_EQ(flash_[0]->read(FlashTarget::Head, 0x400000, 800), image(0, 800));
    EXPECT_EQ(flash_[0]->read(FlashTarget::Controller, 0, 1200), image(1, 1200));
    EXPECT_EQ(reboot_[0]->headReboots(), 1);
    EXPECT_EQ(reboot_[0]->controllerReboots(), 1);
    EXPECT_EQ(window.headImageVersion, 0x011Bu);
    EXPECT_EQ(window.controllerImageVersion, 0x00030008u);
    EXPECT_EQ(window.headImage.size(), 800);
    EXPECT_FALSE(client().connected) << "the operator reconnects after an upgrade";
    EXPECT_EQ(window.findChild<QLabel*>("label_sb_connstr")->text(), "未连接") << "the status bar says so";
    EXPECT_EQ(window.findChild<QLabel*>("label_sb_fpga_version")->text(), "-") << "no firmware words of before";
}

TEST_F(UpgradeWindowTest, SameVersionsAreAskedThroughTheWindowAndSkipped) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    p->answerFile(package(entries({"0:2:0x011a:0x400000:300", "1:2:0x00030007:0:300"})));
    p->answerIndex(0);  // 是: upgrade
    p->answerIndex(0);  // 是: skip the head
    p->answerIndex(0);  // 是: skip the controller
    emit window.connectionDialog()->signal_upgrade(QString::fromStdString(sensor().address()), "7");
    ASSERT_TRUE(waitForUpgrade());
    const auto shown = p->prompts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2].title, "升级");
    EXPECT_EQ(shown[2].text, "激光头固件版本号相同，是否跳过？");
    EXPECT_EQ(shown[2].buttons, (QStringList{"是", "否"}));
    EXPECT_EQ(shown[3].text, "控制器固件版本号相同，是否跳过？");
    EXPECT_EQ(flash_[0]->requests(FlashTarget::Head) + flash_[0]->requests(FlashTarget::Controller), 0u);
    EXPECT_EQ(reboot_[0]->controllerReboots() + reboot_[0]->headReboots(), 0);
    EXPECT_EQ(window.settingsProgressDialog()->labelText(), "升级已完成");
}

TEST_F(UpgradeWindowTest, AFlashFailingMidWriteShowsItsBoxAndRebootsNothing) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    flash_[0]->failFromChunk(FlashTarget::Head, 2);
    p->answerFile(package(entries({"0:2:0x011b:0x400000:800", "1:1:0x07510008:0:800"})));
    p->answerIndex(0);
    p->answerIndex(0);  // the failure box
    emit window.connectionDialog()->signal_upgrade(QString::fromStdString(sensor().address()), "7");
    ASSERT_TRUE(waitForUpgrade());
    const PromptRecord box = p->prompts().back();
    EXPECT_EQ(box.kind, PromptKind::Ask);
    EXPECT_EQ(box.title, "升級");
    EXPECT_EQ(box.text, "激光头固件升級失败! 请勿断电或重启，然后尝试再次升级");
    EXPECT_EQ(box.buttons, QStringList{"确定"});
    EXPECT_FALSE(window.settingsProgressDialog()->isVisible());
    EXPECT_FALSE(window.busyDialog().isVisible());
    EXPECT_EQ(reboot_[0]->controllerReboots() + reboot_[0]->headReboots(), 0);
    EXPECT_EQ(flash_[0]->requests(FlashTarget::Controller), 0u);
    for (const auto& packet : sensor().packetLog())
        EXPECT_FALSE(packet.opcode == 173 && packet.address == 5) << "no settings reset after a failed write";
}

TEST_F(UpgradeWindowTest, NothingStartsWhileAJobRunsOrWhenTheOperatorDeclines) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    const QString address = QString::fromStdString(sensor().address());
    window.progressActive = true;
    p->answer(QMessageBox::Ok);
    emit window.connectionDialog()->signal_upgrade(address, "7");
    EXPECT_EQ(p->prompts().back().kind, PromptKind::Critical);
    EXPECT_EQ(p->prompts().back().title, "升级");
    EXPECT_EQ(p->prompts().back().text, "升级正在进行中!");
    window.progressActive = false;

    p->answerFile(QString());  // no package chosen
    emit window.connectionDialog()->signal_upgrade(address, "7");
    p->answerFile(package(entries({"0:2:0x011b:0x400000:300"})));
    p->answerIndex(1);  // 否
    emit window.connectionDialog()->signal_upgrade(address, "7");
    EXPECT_EQ(p->count(), 4);
    EXPECT_FALSE(window.jobs().running());
    EXPECT_FALSE(window.progressActive);
    EXPECT_TRUE(client().connected) << "nothing touched the sensor";
}

class FourHeadUpgradeWindowTest : public UpgradeWindowTest {
protected:
    mirevo::test::ClientSensorOptions sensorOptions() const override {
        mirevo::test::ClientSensorOptions options;
        options.preset.model = "ZP5160F";
        return options;
    }
    std::string sensorAddress() const override { return upgrade_test::withRoomForFourHeads(addressForTest()); }
};

TEST_F(FourHeadUpgradeWindowTest, EveryHeadIsFlashedInTurn) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    for (int i = 0; i < 4; ++i) sensor().head(i).setReg(134, 0x0110 + i);  // a head version of its own each
    p->answerFile(package(entries({"0:2:0x0120:0x400000:600", "1:2:0x00034009:0:600"})));
    p->answerIndex(0);
    emit window.connectionDialog()->signal_upgrade(QString::fromStdString(sensor().address()), "7");
    ASSERT_TRUE(waitForUpgrade());
    EXPECT_EQ(p->count(), 2) << "no box but the two questions of the start";
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("head " + std::to_string(i));
        EXPECT_EQ(flash_[i]->read(FlashTarget::Head, 0x400000, 600), image(0, 600));
        EXPECT_EQ(flash_[i]->read(FlashTarget::Controller, 0, 600), image(1, 600));
        EXPECT_EQ(reboot_[i]->controllerReboots(), 1);
    }
    EXPECT_EQ(window.settingsProgressDialog()->labelText(), "升级已完成");
}

// ---------------------------------------------------------------- the prompt slot

class UpgradePromptSlotTest : public mirevo::test::MainWindowFixture {
protected:
    bool openInSetUp() const override { return false; }
};

TEST_F(UpgradePromptSlotTest, EachTypeDoesWhatItSays) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    QProgressDialog* progress = window.settingsProgressDialog();
    QPushButton* button = window.settingsProgressButton();

    EXPECT_FALSE(window.slot_on_upgrade_prompt(0, "waiting"));
    EXPECT_TRUE(window.busyDialog().isVisible());
    // Nothing runs: the busy dialog goes, the progress dialog is reset.
    EXPECT_FALSE(window.slot_on_upgrade_prompt(1, 50));
    EXPECT_FALSE(window.busyDialog().isVisible());
    EXPECT_FALSE(progress->isVisible());

    window.progressActive = true;
    EXPECT_TRUE(window.slot_on_upgrade_prompt(1, 40));
    EXPECT_EQ(progress->windowTitle(), "固件升级");
    EXPECT_EQ(progress->labelText(), "激光头固件升级中，请勿断电或重启");
    EXPECT_EQ(progress->value(), 40);
    EXPECT_FALSE(button->isVisible());
    EXPECT_TRUE(window.slot_on_upgrade_prompt(0x0007, 60));
    EXPECT_EQ(progress->labelText(), "控制器固件升级中，请勿断电或重启");
    EXPECT_TRUE(window.slot_on_upgrade_prompt(0x6007, 70));
    EXPECT_EQ(progress->labelText(), "传感器固件升级中，请勿断电或重启");
    mirevo::test::saveGrab(*progress, "upgrade_progress");

    p->answerIndex(1);  // 否: write
    EXPECT_TRUE(window.slot_on_upgrade_prompt(-2, "激光头固件版本号相同，是否跳过？"));
    p->answerIndex(0);  // 是: skip
    EXPECT_FALSE(window.slot_on_upgrade_prompt(-2, "激光头固件版本号相同，是否跳过？"));
    EXPECT_EQ(p->prompts().back().kind, PromptKind::Ask);
    EXPECT_EQ(p->prompts().back().title, "升级");

    EXPECT_TRUE(window.slot_on_upgrade_prompt(2, 100));
    EXPECT_EQ(progress->labelText(), "升级已完成");
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->text(), "确定");
    EXPECT_FALSE(window.progressActive);

    window.progressActive = true;
    window.slot_on_upgrade_prompt(0, "waiting");
    p->answerIndex(0);
    EXPECT_FALSE(window.slot_on_upgrade_prompt(-1, "连接传感器失败!"));
    EXPECT_EQ(p->prompts().back().title, "升級");
    EXPECT_EQ(p->prompts().back().text, "连接传感器失败!");
    EXPECT_FALSE(window.progressActive);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_FALSE(window.busyDialog().isVisible());
    // A question after the end is not put: it skips.
    EXPECT_FALSE(window.slot_on_upgrade_prompt(-2, "控制器固件版本号相同，是否跳过？"));
    EXPECT_EQ(p->count(PromptKind::Ask), 3);
}

}  // namespace
