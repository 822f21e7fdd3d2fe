// Programs: "程序设定" opens the program dialog over the main window; a
// program is switched to, copied onto another, the copy renamed and then
// reset. The sensor's program commands and program banks and the names in
// "settings.ini" agree at every step.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "sensor_client/app_settings.h"
#include "settings_windows/change_procedure_copy_dlg.h"
#include "settings_windows/change_procedure_dlg.h"
#include "settings_windows/change_procedure_set_name_dlg.h"
#include "settings_windows/modal_runner.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sim_programs.h"

namespace acceptance {
namespace {

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

constexpr uint8_t kProgramOpcode = 174;
constexpr uint32_t kCarried = 162;  // a register every program carries (the exposure time)

// (opcode, address, program byte) of the program commands in the packet log.
using Command = std::tuple<int, uint32_t, int>;
Command select(int program) { return {kSystemCommand, 1, program}; }
const Command kStore{kSystemCommand, 0x10000, -1};
const Command kReset{kSystemCommand, 0x20000, -1};
const Command kLoad{kProgramOpcode, 0x10000, -1};

class Programs : public ProgramAcceptance {
protected:
    void SetUp() override {
        ProgramAcceptance::SetUp();
        if (HasFatalFailure()) return;
        factory_ = sensor().reg(kCarried);
        programs_ = sensor_sim::installPrograms(sensor().head());
        for (int p = 0; p < sensor_sim::SimPrograms::kProgramCount; ++p)
            programs_->setProgramRegister(p, kCarried, 100 + 10 * static_cast<uint32_t>(p));
    }
    void TearDown() override {
        modal::installRunner({});
        ProgramAcceptance::TearDown();
    }

    std::vector<Command> programCommands() {
        std::vector<Command> commands;
        for (const auto& packet : sensor().packetLog()) {
            if (packet.opcode == kSystemCommand && packet.address == 1)
                commands.emplace_back(kSystemCommand, 1, packet.payload.empty() ? -1 : packet.payload[0]);
            else if ((packet.opcode == kSystemCommand && packet.address != 5) ||
                     (packet.opcode == kProgramOpcode && packet.address == 0x10000))
                commands.emplace_back(packet.opcode, packet.address, -1);
        }
        return commands;
    }

    // Opens "程序设定" and runs `act` on the dialog once it shows.
    void inProgramDialog(const std::function<void(ChangeProcedureDlg&)>& act) {
        bool acted = false;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<ChangeProcedureDlg*>(QApplication::activeModalWidget());
            if (!dialog || acted) return;
            acted = true;
            sensor().clearPacketLog();
            act(*dialog);
            if (dialog->isVisible()) dialog->findChild<QPushButton*>(QStringLiteral("pushButton_close"))->click();
        });
        driver.start(20);
        button("pushButton_program")->click();
        EXPECT_TRUE(acted) << "the program dialog did not show";
    }

    QStringList iniNames() {
        QSettings ini(QString::fromStdString(settingsFile().string()), QSettings::IniFormat);
        return ini.value(QStringLiteral("SETTINGPATH/selectList")).toString().split(QLatin1Char(','));
    }

    uint32_t factory_ = 0;
    std::shared_ptr<sensor_sim::SimPrograms> programs_;
};

TEST_F(Programs, SwitchCopyRenameAndResetKeepSensorAndNamesInStep) {
    ScopedPrompter p;
    startAndConnect();
    ASSERT_TRUE(client().connected);

    // ---- switch to program 3
    p->answer(QMessageBox::Ok);
    inProgramDialog([&](ChangeProcedureDlg& dialog) {
        dialog.findChild<QTableView*>(QStringLiteral("tableView"))->selectRow(3);
        dialog.findChild<QPushButton*>(QStringLiteral("pushButton_switch_pro"))->click();
    });
    EXPECT_EQ(programCommands(), (std::vector<Command>{select(3), kLoad}));
    EXPECT_EQ(programs_->active(), 3);
    EXPECT_EQ(sensor().reg(kCarried), 130u);
    EXPECT_EQ(selectedProgram(), 3);
    ASSERT_EQ(p->count(PromptKind::Information), 1);
    EXPECT_EQ(p->prompts().back().text, QStringLiteral("成功切换程序设定至编号 3"));

    // ---- copy program 3 onto program 6, and rename the copy
    QString shownActive;
    int copies = 0, renames = 0;
    modal::installRunner([&](QDialog& child) {
        if (auto* copy = dynamic_cast<ChangeProcedureCopyDlg*>(&child)) {
            ++copies;
            copy->findChild<QComboBox*>(QStringLiteral("comboBox_toc"))->setCurrentIndex(6);
            copy->findChild<QPushButton*>(QStringLiteral("pushButton_ok"))->click();
            return int(QDialog::Accepted);
        }
        if (auto* name = dynamic_cast<ChangeProcedureSetNameDlg*>(&child)) {
            ++renames;
            auto* edit = name->findChild<QLineEdit*>(QStringLiteral("lineEdit_name"));
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("Copy of three"));
            name->findChild<QPushButton*>(QStringLiteral("pushButton_ok"))->click();
            return int(QDialog::Accepted);
        }
        ADD_FAILURE() << "an unexpected dialog";
        return int(QDialog::Rejected);
    });
    std::vector<Command> copyCommands, renameCommands;
    inProgramDialog([&](ChangeProcedureDlg& dialog) {
        shownActive = dialog.findChild<QLineEdit*>(QStringLiteral("lineEdit_No"))->text();
        auto* table = dialog.findChild<QTableView*>(QStringLiteral("tableView"));
        table->selectRow(3);
        dialog.findChild<QPushButton*>(QStringLiteral("pushButton_copy"))->click();
        copyCommands = programCommands();
        sensor().clearPacketLog();
        table->selectRow(6);
        dialog.findChild<QPushButton*>(QStringLiteral("pushButton_set_name"))->click();
        renameCommands = programCommands();
        mirevo::test::saveGrab(dialog, QStringLiteral("acceptance_3_program_dialog"));
    });
    EXPECT_EQ(shownActive, QStringLiteral("No.3"));
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(renames, 1);
    EXPECT_EQ(copyCommands, (std::vector<Command>{select(3), kLoad, select(6), kStore, select(3), kLoad}));
    EXPECT_EQ(programs_->programRegister(6, kCarried), 130u);
    EXPECT_EQ(sensor().reg(kCarried), 130u) << "back on program 3";
    EXPECT_TRUE(renameCommands.empty()) << "a name never reaches the sensor";
    QStringList names = iniNames();
    ASSERT_EQ(names.size(), 16);
    EXPECT_EQ(names[6], QStringLiteral("Copy of three"));
    EXPECT_EQ(names[3], QStringLiteral("SettingNo.3"));

    // ---- reset program 6: factory settings in its bank, the name stays
    p->answer(QMessageBox::Ok);  // "are you sure"
    p->answer(QMessageBox::Ok);  // done
    inProgramDialog([&](ChangeProcedureDlg& dialog) {
        dialog.findChild<QTableView*>(QStringLiteral("tableView"))->selectRow(6);
        dialog.findChild<QPushButton*>(QStringLiteral("pushButton_init_program"))->click();
    });
    EXPECT_EQ(programCommands(), (std::vector<Command>{select(6), kReset, kStore, select(3), kLoad}));
    EXPECT_EQ(programs_->programRegister(6, kCarried), factory_);
    EXPECT_EQ(programs_->programRegister(3, kCarried), 130u);
    EXPECT_EQ(programs_->active(), 3);
    EXPECT_EQ(sensor().reg(kCarried), 130u);
    EXPECT_EQ(iniNames()[6], QStringLiteral("Copy of three"));
    EXPECT_EQ(p->prompts().back().text, QStringLiteral("重置程序设定成功!"));
    EXPECT_EQ(p->count(PromptKind::Critical), 0);
}

}  // namespace
}  // namespace acceptance
