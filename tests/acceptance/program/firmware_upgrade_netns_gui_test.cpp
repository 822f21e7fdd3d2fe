// Firmware upgrade of a four-head sensor: "固件升级" opens the connection
// dialog in upgrade mode, the search lists the sensor, "升级" on its row asks
// for the package (encoded by the test's own encoder) and for a yes. Every
// head, one after the other, gets the package's fitting laser-head image and
// controller image in its flash, with the settings resets the new firmware
// needs after each write and then the head's and the controller's reboots.
// A damaged package is refused with the program's box before anything is
// written to any head.
#include <QAction>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/connect_set_dialog.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/app/four_head_sensor.h"
#include "tests/app/upgradable_heads.h"
#include "tests/app/upgrade_test_support.h"
#include "tests/support/qt/scoped_sleeper.h"
#include "tests/support/qt/scripted_prompter.h"

namespace acceptance {
namespace {

using mirevo::test::PromptKind;
using mirevo::test::PromptRecord;
using mirevo::test::ScopedPrompter;
using sensor_sim::FlashTarget;
using upgrade_test::entries;
using upgrade_test::image;

constexpr uint8_t kControllerFlash = 164;
constexpr uint8_t kHeadFlash = 166;
constexpr uint32_t kSettingsReset = 5;
constexpr uint32_t kHeadReboot = 239;
constexpr uint32_t kControllerReboot = 227;

// Head firmware 0x011A, controller 0x0003.4007 (a controller whose head
// information names the model, so the four heads are known).
constexpr uint32_t kHeadVersion = 0x011A;
constexpr uint32_t kControllerVersion = 0x0003;
constexpr uint32_t kControllerWord = 0x4007;

// The package: for each part an image that does not fit this sensor (the
// wrong kind) before the one that does. The new controller firmware needs
// the settings reset after each write.
constexpr size_t kHeadImageSize = 600;
constexpr size_t kControllerImageSize = 900;
const QStringList kPackage = entries({"0:1:0x0120:0x400000:500", "1:2:0x0120:0x400000:600", "2:2:0x07514009:0:700",
                                      "3:1:0x07514009:0:900"});

class FirmwareUpgrade : public ProgramAcceptance {
protected:
    mirevo::test::ClientSensorOptions sensorOptions() const override { return mirevo::test::fourHeadSensorOptions(); }
    std::string sensorAddress() const override { return upgrade_test::withRoomForFourHeads(addressForTest()); }

    void SetUp() override {
        ProgramAcceptance::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(sensor().headCount(), 4);
        // The firmware words first: a settings reset keeps them.
        for (int i = 0; i < 4; ++i) {
            sensor().head(i).setReg(134, kHeadVersion);
            sensor().head(i).setReg(135, kControllerVersion);
            sensor().head(i).setReg(166, kControllerWord);
        }
        heads_ = upgrade_test::installUpgradeServices(sensor());
    }

    void TearDown() override {
        for (auto& head : heads_) head.reboot->waitForControllerReboots(head.reboot->controllerReboots(), 5000);
        ProgramAcceptance::TearDown();
    }

    QString writePackage(const char* name, const QStringList& arguments) {
        const QString path = QString::fromStdString((workFolder() / name).string());
        EXPECT_TRUE(upgrade_test::writePackage(path, arguments));
        return path;
    }

    // "固件升级" from the menu: the dialog in upgrade mode, the listed sensor
    // selected and "升级" pressed; the dialog is closed once the upgrade has
    // ended. Returns when the dialog is gone.
    void upgradeThroughTheMenu() {
        auto pressed = std::make_shared<bool>(false);
        onDialog([this, pressed](ConnectSetDialog& dialog) {
            if (dialog.connectMode()) return;
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableWidget_tcpconn"));
            auto* upgrade = dialog.findChild<QPushButton*>(QStringLiteral("pushButton_upgrade"));
            if (!*pressed) {
                for (int row = 0; row < table->rowCount(); ++row) {
                    const QTableWidgetItem* item = table->item(row, 0);
                    if (!item || item->text() != QString::fromStdString(sensor().address())) continue;
                    table->selectRow(row);
                    table->setCurrentCell(row, 0);
                    grabWindow(QStringLiteral("7_upgrade_dialog_over_window"));
                    mirevo::test::saveGrab(dialog, QStringLiteral("acceptance_7_upgrade_dialog"));
                    *pressed = true;
                    upgrade->click();
                    return;
                }
                return;
            }
            if (!window_->progressActive && !window_->jobs().running()) dialog.reject();
        });
        const int flows = flowsDone_;
        child<QAction>("action_upgrade_firmware")->trigger();  // returns when the dialog has closed
        waitForFlows(flows + 1);
        EXPECT_TRUE(*pressed) << "the search did not list the sensor";
    }

    // What the upgrade did to the heads, in the order it reached them: one
    // "head:step" per flash write (consecutive chunks counted once), settings
    // reset and reboot.
    std::vector<std::string> upgradeSteps() {
        struct Step {
            sensor_sim::LoggedPacket packet;
            int head;
        };
        std::vector<Step> all;
        for (int i = 0; i < 4; ++i)
            for (const auto& packet : sensor().head(i).packetLog()) all.push_back({packet, i});
        std::stable_sort(all.begin(), all.end(),
                         [](const Step& a, const Step& b) { return a.packet.time < b.packet.time; });
        std::vector<std::string> steps;
        for (const Step& step : all) {
            const auto& p = step.packet;
            std::string name;
            if (p.opcode == kHeadFlash) name = "head flash";
            if (p.opcode == kControllerFlash) name = "controller flash";
            if (p.opcode == kSystemCommand && p.address == kSettingsReset) name = "settings reset";
            if (p.opcode == kWriteOpcode && (p.address & 0xFFFF) == kHeadReboot) name = "head reboot";
            if (p.opcode == kWriteOpcode && (p.address & 0xFFFF) == kControllerReboot) name = "controller reboot";
            if (name.empty()) continue;
            name = std::to_string(step.head) + ":" + name;
            if (steps.empty() || steps.back() != name || name.find("flash") == std::string::npos)
                steps.push_back(name);
        }
        return steps;
    }

    // Packets of any head that change something in it: register writes but
    // the live profile's request (register 2), system commands, flash,
    // settings and shape blocks.
    size_t writesToAnyHead() {
        size_t n = 0;
        for (int i = 0; i < 4; ++i)
            for (const auto& p : sensor().head(i).packetLog()) {
                const uint32_t hi = p.address >> 16;
                n += (p.opcode == kWriteOpcode && (p.address & 0xFFFF) != 2) || p.opcode == kSystemCommand ||
                     p.opcode == kControllerFlash || p.opcode == kHeadFlash || (p.opcode == 185 && hi == 2) ||
                     (p.opcode == 178 && hi != 0);
            }
        return n;
    }

    std::vector<upgrade_test::UpgradeHead> heads_;
    mirevo::test::ScopedSleeper sleeper_;
};

TEST_F(FirmwareUpgrade, EveryHeadGetsItsImagesInTurnWithTheResetsAndReboots) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    grabWindow(QStringLiteral("7_connected"));
    for (int i = 0; i < 4; ++i) sensor().head(i).clearPacketLog();

    p->answerFile(writePackage("firmware.zpf", kPackage));
    p->answerIndex(0);  // 是
    upgradeThroughTheMenu();

    const std::vector<PromptRecord> shown = p->prompts();
    ASSERT_EQ(shown.size(), 2u) << "no box but the two of the start";
    EXPECT_EQ(shown[0].kind, PromptKind::OpenFile);
    EXPECT_EQ(shown[0].title, "选择升级包");
    EXPECT_EQ(shown[1].text, "确定要升级固件吗？");
    QProgressDialog* progress = window.settingsProgressDialog();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->windowTitle(), "固件升级");
    EXPECT_EQ(progress->labelText(), "升级已完成");
    EXPECT_EQ(progress->value(), 100);
    EXPECT_TRUE(window.settingsProgressButton()->isVisible());
    mirevo::test::saveGrab(*progress, QStringLiteral("acceptance_7_upgrade_done_progress"));
    grabWindow(QStringLiteral("7_upgrade_done"));

    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("head " + std::to_string(i));
        EXPECT_EQ(heads_[i].flash->read(FlashTarget::Head, 0x400000, kHeadImageSize), image(1, kHeadImageSize));
        EXPECT_EQ(heads_[i].flash->read(FlashTarget::Controller, 0, kControllerImageSize),
                  image(3, kControllerImageSize));
        EXPECT_EQ(heads_[i].flash->read(FlashTarget::Head, 0x400000 + kHeadImageSize, 16),
                  std::vector<uint8_t>(16, 0xFF))
            << "nothing of the longer images that did not fit";
        EXPECT_EQ(heads_[i].reboot->headReboots(), 1);
        EXPECT_EQ(heads_[i].reboot->controllerReboots(), 1);
    }
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i)
        for (const char* step : {"head flash", "settings reset", "controller flash", "settings reset", "head reboot",
                                 "controller reboot"})
            expected.push_back(std::to_string(i) + ":" + step);
    EXPECT_EQ(upgradeSteps(), expected);
    // Between the head's reboot and the controller's the upgrade waits; no
    // head needed a controller reboot to answer.
    const std::vector<int> waits = sleeper_->asked();
    EXPECT_EQ(std::count(waits.begin(), waits.end(), 100), 4);
    EXPECT_EQ(std::count(waits.begin(), waits.end(), 20000), 0);
    EXPECT_EQ(window.headImageVersion, 0x0120u);
    EXPECT_EQ(window.controllerImageVersion, 0x07514009u);

    // Done: the client is closed and the status bar says so; the operator
    // closes the progress and reconnects through the dialog.
    EXPECT_FALSE(client().connected) << "after an upgrade the operator reconnects";
    EXPECT_EQ(label("label_sb_connstr"), "未连接");
    EXPECT_EQ(label("label_sb_fpga_version"), "-");
    window.settingsProgressButton()->click();
    EXPECT_FALSE(progress->isVisible());
    connectToTheListedSensor();
    const int flows = flowsDone_;
    child<QAction>("actiontcpset")->trigger();
    waitForFlows(flows + 1);
    EXPECT_TRUE(pressedConnect_);
    EXPECT_TRUE(client().connected);
    EXPECT_EQ(label("label_sb_connstr"), "已连接 " + QString::fromStdString(sensor().address()));
    EXPECT_EQ(label("label_sb_lmodel"), "5160F");
    EXPECT_EQ(label("label_sb_fpga_version"), "11a.3.4007");
    // The live profile runs again.
    const int frames = client().frameCount.load();
    EXPECT_TRUE(waitUntil([&] { return client().frameCount.load() > frames + 5; }, 20000));
    spin(300);
    grabWindow(QStringLiteral("7_reconnected"));
}

TEST_F(FirmwareUpgrade, ADamagedPackageIsRefusedBeforeAnyWrite) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    const QString good = writePackage("good.zpf", kPackage);
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = goodFile.readAll();
    goodFile.close();
    auto flipped = [&goodBytes](int at) {
        QByteArray bytes = goodBytes;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
        return bytes;
    };
    struct Damage {
        const char* name;
        QStringList encoderArguments;  // or, when empty, these bytes
        QByteArray bytes;
    };
    const std::vector<Damage> damages = {
        {"the last byte cut off", kPackage + QStringList{"--cut", "1"}, {}},
        {"signed with another salt", kPackage + QStringList{"--salt", "XVA"}, {}},
        {"an older format", kPackage + QStringList{"--format", "2"}, {}},
        {"a byte of the fitting head image changed", {}, flipped(256 + 500 + 10)},
        {"a byte of the digest changed", {}, flipped(0)},
        {"the head image's flash address changed", {}, flipped(36 + 13 + 5 + 2)},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        QString path;
        if (!damage.encoderArguments.isEmpty()) {
            path = writePackage("damaged.zpf", damage.encoderArguments);
        } else {
            path = QString::fromStdString((workFolder() / "damaged.zpf").string());
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(file.write(damage.bytes), damage.bytes.size());
        }
        for (int i = 0; i < 4; ++i) sensor().head(i).clearPacketLog();
        p->clear();
        p->answerFile(path);
        p->answerIndex(0);  // 是
        p->answerIndex(0);  // the failure box
        upgradeThroughTheMenu();
        const std::vector<PromptRecord> shown = p->prompts();
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_EQ(shown[2].kind, PromptKind::Ask);
        EXPECT_EQ(shown[2].title, "升級");
        EXPECT_EQ(shown[2].text, "升级包校验失败!");
        EXPECT_FALSE(window.settingsProgressDialog()->isVisible());
        EXPECT_FALSE(window.busyDialog().isVisible());
        EXPECT_FALSE(window.progressActive);
        EXPECT_EQ(label("label_sb_connstr"), "未连接") << "the job closed the client before it read the package";
        EXPECT_EQ(writesToAnyHead(), 0u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(heads_[i].flash->requests(FlashTarget::Head), 0u) << "head " << i;
            EXPECT_EQ(heads_[i].flash->requests(FlashTarget::Controller), 0u) << "head " << i;
            EXPECT_EQ(heads_[i].reboot->headReboots() + heads_[i].reboot->controllerReboots(), 0) << "head " << i;
        }
    }
    grabWindow(QStringLiteral("7_damaged_package_refused"));
}

}  // namespace
}  // namespace acceptance
