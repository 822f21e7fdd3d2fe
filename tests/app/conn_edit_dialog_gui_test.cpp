// The IP edit dialog against the real client and a simulated sensor: the
// address, mask and gateway read from and written to registers 167, 169 and
// 168 (each applied through register 170), then the controller's reboot.
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <vector>

#include "app/conn_edit_dialog.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/support/simulated_sensor.h"

namespace {

using mirevo::test::PromptKind;

constexpr uint32_t kAddress = 0xC0A8010A;  // 192.168.1.10
constexpr uint32_t kMask = 0xFFFFFF00;     // 255.255.255.0
constexpr uint32_t kGateway = 0xC0A80101;  // 192.168.1.1

class ConnEditDialogTest : public mirevo::test::ClientFixture {
protected:
    void SetUp() override {
        ClientFixture::SetUp();
        sensor().setReg(167, kAddress);
        sensor().setReg(169, kMask);
        sensor().setReg(168, kGateway);
        sensor().clearPacketLog();
    }

    QLineEdit* edit(ConnEditDialog& dialog, const char* name) { return dialog.findChild<QLineEdit*>(name); }

    // Register writes (register, value) in the order the sensor got them.
    std::vector<std::pair<uint32_t, uint32_t>> writes() {
        std::vector<std::pair<uint32_t, uint32_t>> list;
        for (const auto& packet : mirevo::test::packetsWithOpcode(sensor().packetLog(), mirevo::test::kWriteOpcode))
            list.emplace_back(packet.address, packet.value);
        return list;
    }
};

TEST_F(ConnEditDialogTest, ShowsTheSensorsAddressMaskAndGateway) {
    ConnEditDialog dialog;
    EXPECT_EQ(edit(dialog, "lineEdit_ip")->text(), "192.168.1.10");
    EXPECT_EQ(edit(dialog, "lineEdit_mask")->text(), "255.255.255.0");
    EXPECT_EQ(edit(dialog, "lineEdit_gateway")->text(), "192.168.1.1");
    EXPECT_EQ(dialog.windowTitle(), "修改IP");
    EXPECT_EQ(edit(dialog, "lineEdit_ip")->inputMask(), "000.000.000.000");
    EXPECT_TRUE(writes().empty()) << "reading writes nothing";
    dialog.show();
    mirevo::test::saveGrab(dialog, "conn_edit_dialog");
}

TEST_F(ConnEditDialogTest, WritesAllThreeThenRebootsTheController) {
    ConnEditDialog dialog;
    edit(dialog, "lineEdit_ip")->setText("10.1.2.3");
    edit(dialog, "lineEdit_mask")->setText("255.255.0.0");
    edit(dialog, "lineEdit_gateway")->setText("10.1.0.254");
    ASSERT_EQ(edit(dialog, "lineEdit_ip")->text(), "10.1.2.3");
    mirevo::test::ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    dialog.findChild<QPushButton*>("pushButton_edit")->click();

    std::vector<std::pair<uint32_t, uint32_t>> expected;
    for (const auto& [reg, value] : std::vector<std::pair<uint32_t, uint32_t>>{
             {167, 0x0A010203}, {169, 0xFFFF0000}, {168, 0x0A0100FE}}) {
        expected.emplace_back(reg, value);
        expected.emplace_back(170, 1);  // applied by the setting
        expected.emplace_back(170, 1);  // and once more by the accessor's apply item
    }
    expected.emplace_back(227, 1);
    EXPECT_EQ(writes(), expected);
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].title, "提示");
    EXPECT_EQ(prompts->prompts()[0].text, "修改成功，关闭软件后设置好ip重新连接!");
}

TEST_F(ConnEditDialogTest, AnIncompleteAddressWritesNothing) {
    for (const char* text : {"192.168.1.", "192.168..1", "", "300.1.1.1"}) {
        ConnEditDialog dialog;
        edit(dialog, "lineEdit_gateway")->setText(QString::fromLatin1(text));
        sensor().clearPacketLog();
        mirevo::test::ScopedPrompter prompts;
        prompts->answer(QMessageBox::Ok);
        dialog.findChild<QPushButton*>("pushButton_edit")->click();
        EXPECT_TRUE(writes().empty()) << text << " -> " << edit(dialog, "lineEdit_gateway")->text().toStdString();
        ASSERT_EQ(prompts->count(), 1);
        EXPECT_EQ(prompts->prompts()[0].text, "修改失败!");
    }
}

TEST_F(ConnEditDialogTest, AFailedRebootIsNoSuccess) {
    sensor_sim::Fault refused;
    refused.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectRegisterFault(227, refused);
    ConnEditDialog dialog;
    mirevo::test::ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    dialog.findChild<QPushButton*>("pushButton_edit")->click();
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].text, "修改失败!");
}

TEST_F(ConnEditDialogTest, AFailedReadSaysSoAndStops) {
    sensor_sim::Fault refused;
    refused.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectRegisterFault(169, refused);
    mirevo::test::ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    ConnEditDialog dialog;
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].kind, PromptKind::Question);
    EXPECT_EQ(prompts->prompts()[0].text, "读取失败!");
    EXPECT_EQ(edit(dialog, "lineEdit_ip")->text(), "192.168.1.10");
    std::vector<uint32_t> read;
    for (const auto& packet : mirevo::test::packetsWithOpcode(sensor().packetLog(), mirevo::test::kReadOpcode))
        if (packet.address >= 167 && packet.address <= 169) read.push_back(packet.address);
    EXPECT_EQ(read, (std::vector<uint32_t>{167, 169})) << "the gateway is not read after the mask failed";
}

}  // namespace
