// The program dialogs against the real client on the simulator: the names of
// "settings.ini", the active program, and the device steps of switch, reset,
// factory reset and copy as the sensor received them (opcodes 173 and 174).
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "sensor_client/app_settings.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/change_procedure_copy_dlg.h"
#include "settings_windows/change_procedure_dlg.h"
#include "settings_windows/change_procedure_set_name_dlg.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/settings_windows/window_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sim_programs.h"

using namespace settings_gui;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

constexpr uint32_t kSetting = 300;  // a register the programs carry

QString defaultNames() {
    QStringList names;
    for (int i = 0; i < 16; ++i) names << QStringLiteral("SettingNo.%1").arg(i);
    return names.join(QLatin1Char(','));
}

sensor_sim::Fault rejectOnce() {
    sensor_sim::Fault fault;
    fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
    fault.times = 1;
    return fault;
}

class ProgramDialogs : public mirevo::test::ClientFixture {
protected:
    void SetUp() override {
        ClientFixture::SetUp();
        if (HasFatalFailure()) return;
        factoryValue = sensor().reg(kSetting);
        programs = sensor_sim::installPrograms(sensor().head());
        for (int program = 0; program < sensor_sim::SimPrograms::kProgramCount; ++program)
            programs->setProgramRegister(program, kSetting, 1000 + program);
    }

    // The sensor works with this program when the dialog opens.
    void makeActive(int program) {
        const uint8_t number = static_cast<uint8_t>(program);
        ASSERT_EQ(hvq5_select_program(0, &number), 0);
        ASSERT_EQ(hvq5_load_program(0), 0);
        sensor().clearPacketLog();
    }

    static void setNames(const QString& list) { setSettingsString(settings_keys::kProgramList, list); }

    static void selectRow(ChangeProcedureDlg& dialog, int row) { dialog.ui->tableView->selectRow(row); }

    std::shared_ptr<sensor_sim::SimPrograms> programs;
    uint32_t factoryValue = 0;
};

// ---------------------------------------------------------------- opening

TEST_F(ProgramDialogs, FreshSettingsShowTheSixteenDefaultNamesAndStoreThem) {
    ScopedPrompter prompts;
    makeActive(0);
    {
        ChangeProcedureDlg dialog;
        EXPECT_EQ(settingsString(settings_keys::kProgramList), defaultNames());
        QStandardItemModel* model = dialog.model();
        ASSERT_EQ(model->rowCount(), 16);
        ASSERT_EQ(model->columnCount(), 2);
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("No ."));
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("程序名称"));
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(model->item(i, 0)->text(), QString::number(i));
            EXPECT_EQ(model->item(i, 1)->text(), QStringLiteral("SettingNo.%1").arg(i));
        }
        EXPECT_EQ(dialog.ui->lineEdit_No->text(), QStringLiteral("No.0"));
        EXPECT_EQ(dialog.ui->lineEdit_No_Name->text(), QStringLiteral("SettingNo.0"));
        EXPECT_FALSE(dialog.ui->lineEdit_No->isEnabled());
        EXPECT_EQ(dialog.ui->tableView->currentIndex().row(), 0);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("变更程序No."));
        EXPECT_EQ(dialog.size(), QSize(411, 531));
        EXPECT_EQ(hvq5_get_link_paused(0), 0) << "live reads pause while the dialog exists";
        EXPECT_EQ(programCommands(sensor()), std::vector<ProgramCommand>{kActiveRead});
        dialog.show();
        mirevo::test::saveGrab(dialog, "program_dialog");
    }
    EXPECT_EQ(hvq5_get_link_paused(0), 1);
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(ProgramDialogs, AListShorterThanTenCharactersIsReplacedByTheDefaults) {
    ScopedPrompter prompts;
    setNames(QStringLiteral("a,bb,ccc"));
    ChangeProcedureDlg dialog;
    EXPECT_EQ(dialog.names().size(), 16);
    EXPECT_EQ(settingsString(settings_keys::kProgramList), defaultNames());
}

TEST_F(ProgramDialogs, ShortNamesLeaveTheirRowsWithoutCellsAndTheActiveOneShowsItsNumber) {
    ScopedPrompter prompts;
    setNames(QStringLiteral("Alpha,B,,Delta,Echo"));
    makeActive(1);
    ChangeProcedureDlg dialog;
    QStandardItemModel* model = dialog.model();
    ASSERT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->item(1, 0), nullptr);
    EXPECT_EQ(model->item(2, 1), nullptr);
    EXPECT_EQ(model->item(3, 1)->text(), QStringLiteral("Delta"));
    EXPECT_EQ(dialog.activeProgram(), 1);
    EXPECT_EQ(dialog.ui->lineEdit_No->text(), QStringLiteral("No.1"));
    EXPECT_EQ(dialog.ui->lineEdit_No_Name->text(), QString());
}

TEST_F(ProgramDialogs, AnActiveProgramBeyondTheNamesIsShownAsProgramZero) {
    ScopedPrompter prompts;
    setNames(QStringLiteral("Alpha,Bravo,Charlie"));
    makeActive(5);
    ChangeProcedureDlg dialog;
    EXPECT_EQ(dialog.activeProgram(), 0);
    EXPECT_EQ(dialog.ui->lineEdit_No->text(), QStringLiteral("No.0"));
    EXPECT_EQ(dialog.ui->lineEdit_No_Name->text(), QStringLiteral("Alpha"));
}

TEST_F(ProgramDialogs, AFailedReadOfTheActiveProgramIsReportedAndLeavesProgramZero) {
    ScopedPrompter prompts;
    makeActive(3);
    sensor().head().injectCommandFault(kProgramOpcode, 1, rejectOnce());
    prompts->answer(QMessageBox::Ok);
    ChangeProcedureDlg dialog;
    ASSERT_EQ(prompts->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompts->prompts()[0].title, QStringLiteral("错误"));
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("获取当前程序编号失败!"));
    EXPECT_EQ(dialog.activeProgram(), 0);
    EXPECT_EQ(dialog.ui->lineEdit_No->text(), QStringLiteral("No.0"));
}

// ---------------------------------------------------------------- switching

TEST_F(ProgramDialogs, SwitchingSelectsAndLoadsTheRowThenCloses) {
    ScopedPrompter prompts;
    makeActive(0);
    ChangeProcedureDlg dialog;
    dialog.show();
    selectRow(dialog, 3);
    sensor().clearPacketLog();
    prompts->answer(QMessageBox::Ok);
    dialog.ui->pushButton_switch_pro->click();

    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{selectCommand(3), kLoad}));
    EXPECT_EQ(programs->active(), 3);
    EXPECT_EQ(sensor().reg(kSetting), 1003u);
    EXPECT_EQ(selectedProgram(), 3);
    ASSERT_EQ(prompts->count(PromptKind::Information), 1);
    EXPECT_EQ(prompts->prompts()[0].title, QStringLiteral("提示"));
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("成功切换程序设定至编号 3"));
    EXPECT_EQ(dialog.activeProgram(), 3);
    EXPECT_EQ(dialog.ui->lineEdit_No->text(), QStringLiteral("No.3"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ProgramDialogs, ASwitchAboveFifteenIsRefusedWithoutTrafficAndTheRowIsKept) {
    ScopedPrompter prompts;
    setNames(defaultNames() + QStringLiteral(",Extra"));
    makeActive(2);
    ChangeProcedureDlg dialog;
    dialog.show();
    selectRow(dialog, 16);
    sensor().clearPacketLog();
    prompts->answer(QMessageBox::Ok);
    dialog.ui->pushButton_switch_pro->click();

    EXPECT_TRUE(programCommands(sensor()).empty());
    ASSERT_EQ(prompts->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("切换程序设定失败!"));
    EXPECT_EQ(selectedProgram(), 16);
    EXPECT_EQ(dialog.activeProgram(), 2);
    EXPECT_TRUE(dialog.isVisible());
}

// ---------------------------------------------------------------- resetting one program

struct ResetCase {
    const char* name;
    std::optional<ProgramCommand> failing;
    std::vector<ProgramCommand> sent;
    PromptKind report;
    const char* text;
};

void PrintTo(const ResetCase& c, std::ostream* out) { *out << c.name; }

class ProgramReset : public ProgramDialogs, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ProgramReset, StopsAtTheFirstFailureAndReturnsToTheActiveProgram) {
    const ResetCase& c = GetParam();
    ScopedPrompter prompts;
    makeActive(2);
    ChangeProcedureDlg dialog;
    selectRow(dialog, 5);
    sensor().clearPacketLog();
    if (c.failing) sensor().head().injectCommandFault(c.failing->opcode, c.failing->address, rejectOnce());
    prompts->answer(QMessageBox::Ok);  // the question
    prompts->answer(QMessageBox::Ok);  // the report
    dialog.ui->pushButton_init_program->click();

    EXPECT_EQ(programCommands(sensor()), c.sent);
    const auto asked = prompts->prompts();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].kind, PromptKind::Question);
    EXPECT_EQ(asked[0].title, QStringLiteral("程序设定重置"));
    EXPECT_EQ(asked[0].text, QStringLiteral("将重置程序设定[编号 5], 确定继续吗?"));
    EXPECT_EQ(asked[1].kind, c.report);
    EXPECT_EQ(asked[1].text, QString::fromUtf8(c.text));
    EXPECT_EQ(sensor().reg(kSetting), 1002u) << "the working settings are the active program's again";
    EXPECT_EQ(programs->programRegister(2, kSetting), 1002u);
    if (!c.failing) EXPECT_EQ(programs->programRegister(5, kSetting), factoryValue);
    EXPECT_EQ(dialog.activeProgram(), 2);
}

const ProgramCommand kSelect5 = selectCommand(5);
const ProgramCommand kSelect2 = selectCommand(2);

INSTANTIATE_TEST_SUITE_P(
    Steps, ProgramReset,
    ::testing::Values(
        ResetCase{"Succeeds",
                  std::nullopt,
                  {kSelect5, kReset, kStore, kSelect2, kLoad},
                  PromptKind::Information,
                  "重置程序设定成功!"},
        ResetCase{"SelectFails", kSelect5, {kSelect5, kSelect2, kLoad}, PromptKind::Critical, "重置程序设定失败!"},
        ResetCase{"ResetFails", kReset, {kSelect5, kReset, kSelect2, kLoad}, PromptKind::Critical, "重置程序设定失败!"},
        ResetCase{"StoreFails",
                  kStore,
                  {kSelect5, kReset, kStore, kSelect2, kLoad},
                  PromptKind::Critical,
                  "重置程序设定失败!"}),
    [](const ::testing::TestParamInfo<ResetCase>& info) { return std::string(info.param.name); });

TEST_F(ProgramDialogs, AFailedReturnToTheActiveProgramIsReportedToo) {
    ScopedPrompter prompts;
    makeActive(2);
    ChangeProcedureDlg dialog;
    selectRow(dialog, 5);
    sensor().clearPacketLog();
    sensor().head().injectCommandFault(kProgramOpcode, 0x10000, rejectOnce());
    for (int i = 0; i < 3; ++i) prompts->answer(QMessageBox::Ok);
    dialog.ui->pushButton_init_program->click();
    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{kSelect5, kReset, kStore, kSelect2, kLoad}));
    const auto asked = prompts->prompts();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[1].text, QStringLiteral("重置程序设定成功!"));
    EXPECT_EQ(asked[2].kind, PromptKind::Critical);
    EXPECT_EQ(asked[2].text, QStringLiteral("设置程序设定失败!"));
}

TEST_F(ProgramDialogs, ACancelledResetSendsNothing) {
    ScopedPrompter prompts;
    makeActive(2);
    ChangeProcedureDlg dialog;
    selectRow(dialog, 5);
    sensor().clearPacketLog();
    prompts->answer(QMessageBox::Cancel);
    dialog.ui->pushButton_init_program->click();
    EXPECT_TRUE(programCommands(sensor()).empty());
    EXPECT_EQ(prompts->count(), 1);
}

// ---------------------------------------------------------------- factory reset

TEST_F(ProgramDialogs, FactoryResetRunsInOrderAndTheShownProgramStaysTheOneToReturnTo) {
    ScopedPrompter prompts;
    ScopedModalRunner cancelCopy([](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("pushButton_close"))->click();
        return int(QDialog::Rejected);
    });
    makeActive(2);
    ChangeProcedureDlg dialog;
    selectRow(dialog, 7);
    sensor().clearPacketLog();
    prompts->answer(QMessageBox::Ok);
    prompts->answer(QMessageBox::Ok);
    dialog.ui->pushButton_init->click();

    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{kReset, kResetAll, selectCommand(0), kLoad}));
    const auto asked = prompts->prompts();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, QStringLiteral("恢复出厂设置"));
    EXPECT_EQ(asked[0].text, QStringLiteral("将恢复出厂设置, 确定继续吗?"));
    EXPECT_EQ(asked[1].text, QStringLiteral("恢复出厂设置成功!"));
    for (int program = 0; program < sensor_sim::SimPrograms::kProgramCount; ++program)
        EXPECT_EQ(programs->programRegister(program, kSetting), factoryValue) << program;
    EXPECT_EQ(dialog.activeProgram(), 2);
    EXPECT_EQ(dialog.ui->lineEdit_No->text(), QStringLiteral("No.2"));
    EXPECT_EQ(selectedProgram(), 0) << "the select key is not touched";

    // A later sequence returns to the program shown, not to program 0.
    sensor().clearPacketLog();
    dialog.ui->pushButton_copy->click();
    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{selectCommand(2), kLoad}));
}

TEST_F(ProgramDialogs, AFailedFactoryResetStopsAndStillSelectsAndLoadsProgramZero) {
    ScopedPrompter prompts;
    makeActive(2);
    ChangeProcedureDlg dialog;
    sensor().clearPacketLog();
    sensor().head().injectCommandFault(kSystemOpcode, 0x20000, rejectOnce());
    prompts->answer(QMessageBox::Ok);
    prompts->answer(QMessageBox::Ok);
    dialog.ui->pushButton_init->click();
    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{kReset, selectCommand(0), kLoad}));
    ASSERT_EQ(prompts->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompts->prompts()[1].text, QStringLiteral("恢复出厂设置失败!"));
}

// ---------------------------------------------------------------- copying

struct CopyScript {
    int destination = -1;  // -1: the preset one
    bool ok = true;
};

class ProgramCopy : public ProgramDialogs {
protected:
    // Runs the copy dialog from row `row` with the script; returns what the
    // copy dialog offered.
    void copyFrom(ChangeProcedureDlg& dialog, int row, CopyScript script) {
        selectRow(dialog, row);
        ScopedModalRunner runner([&](QDialog& child) {
            auto* copy = dynamic_cast<ChangeProcedureCopyDlg*>(&child);
            EXPECT_NE(copy, nullptr);
            if (!copy) return int(QDialog::Rejected);
            offeredSource = copy->ui->comboBox_fromc->currentIndex();
            offeredDestination = copy->ui->comboBox_toc->currentIndex();
            for (int i = 0; i < copy->ui->comboBox_toc->count(); ++i) items << copy->ui->comboBox_toc->itemText(i);
            if (script.destination >= 0) copy->ui->comboBox_toc->setCurrentIndex(script.destination);
            if (grab) {
                copy->show();
                mirevo::test::saveGrab(*copy, grab);
            }
            (script.ok ? copy->ui->pushButton_ok : copy->ui->pushButton_close)->click();
            return int(script.ok ? QDialog::Accepted : QDialog::Rejected);
        });
        sensor().clearPacketLog();
        dialog.ui->pushButton_copy->click();
        EXPECT_EQ(runner.runs(), 1);
    }

    int offeredSource = -1;
    int offeredDestination = -1;
    QStringList items;
    const char* grab = nullptr;  // the copy dialog's picture, when named
};

TEST_F(ProgramCopy, CopiesSourceOntoDestinationThenReturnsToTheActiveProgram) {
    ScopedPrompter prompts;
    makeActive(1);
    ChangeProcedureDlg dialog;
    grab = "program_copy_dialog";
    copyFrom(dialog, 2, CopyScript{6, true});
    EXPECT_EQ(offeredSource, 2);
    EXPECT_EQ(offeredDestination, 0);
    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{selectCommand(2), kLoad, selectCommand(6), kStore,
                                                                      selectCommand(1), kLoad}));
    EXPECT_EQ(programs->programRegister(6, kSetting), 1002u);
    EXPECT_EQ(sensor().reg(kSetting), 1001u);
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(ProgramCopy, FromRowZeroTheDestinationIsProgramOneAndShortNamesAreListed) {
    ScopedPrompter prompts;
    setNames(QStringLiteral("Alpha,B,Charlie,Delta"));
    makeActive(0);
    ChangeProcedureDlg dialog;
    copyFrom(dialog, 0, CopyScript{-1, false});
    EXPECT_EQ(offeredSource, 0);
    EXPECT_EQ(offeredDestination, 1);
    EXPECT_EQ(items, (QStringList{QStringLiteral("[No.0]Alpha"), QStringLiteral("[No.1]B"),
                                  QStringLiteral("[No.2]Charlie"), QStringLiteral("[No.3]Delta")}));
}

TEST_F(ProgramCopy, OntoItselfOrCancelledOnlyTheReturnIsSent) {
    ScopedPrompter prompts;
    makeActive(4);
    ChangeProcedureDlg dialog;
    copyFrom(dialog, 3, CopyScript{3, true});
    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{selectCommand(4), kLoad}));
    copyFrom(dialog, 3, CopyScript{7, false});
    EXPECT_EQ(programCommands(sensor()), (std::vector<ProgramCommand>{selectCommand(4), kLoad}));
    EXPECT_EQ(prompts->count(), 0);
    EXPECT_EQ(programs->programRegister(7, kSetting), 1007u);
}

TEST_F(ProgramCopy, AFailedStepIsReportedAndTheCopyStops) {
    ScopedPrompter prompts;
    makeActive(4);
    ChangeProcedureDlg dialog;
    sensor().head().injectCommandFault(kProgramOpcode, 0x10000, rejectOnce());
    prompts->answer(QMessageBox::Ok);
    copyFrom(dialog, 3, CopyScript{8, true});
    EXPECT_EQ(programCommands(sensor()),
              (std::vector<ProgramCommand>{selectCommand(3), kLoad, selectCommand(4), kLoad}));
    ASSERT_EQ(prompts->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("复制程序设定失败!"));
    EXPECT_EQ(programs->programRegister(8, kSetting), 1008u);
}

// ---------------------------------------------------------------- renaming

class ProgramRename : public ProgramDialogs {
protected:
    // Opens the rename dialog on row `row`, types the name and presses OK.
    void rename(ChangeProcedureDlg& dialog, int row, const QString& typed) {
        selectRow(dialog, row);
        ScopedModalRunner runner([&](QDialog& child) {
            auto* edit = dynamic_cast<ChangeProcedureSetNameDlg*>(&child);
            EXPECT_NE(edit, nullptr);
            if (!edit) return int(QDialog::Rejected);
            shownNumber = edit->ui->lineEdit_no->text();
            shownName = edit->ui->lineEdit_name->text();
            edit->ui->lineEdit_name->clear();
            QTest::keyClicks(edit->ui->lineEdit_name, typed);
            if (grab) {
                edit->show();
                mirevo::test::saveGrab(*edit, grab);
            }
            edit->ui->pushButton_ok->click();
            return int(QDialog::Accepted);
        });
        sensor().clearPacketLog();
        dialog.ui->pushButton_set_name->click();
        EXPECT_EQ(runner.runs(), 1);
        EXPECT_TRUE(programCommands(sensor()).empty()) << "a name never reaches the sensor";
        EXPECT_TRUE(writtenRegisters(sensor()).empty());
    }

    QString shownNumber;
    QString shownName;
    const char* grab = nullptr;  // the rename dialog's picture, when named
};

TEST_F(ProgramRename, TheNameGoesIntoTheTableAndTheWholeListWithoutTheComma) {
    ScopedPrompter prompts;
    makeActive(4);
    ChangeProcedureDlg dialog;
    grab = "program_rename_dialog";
    rename(dialog, 4, QStringLiteral("Line,A"));
    EXPECT_EQ(shownNumber, QStringLiteral("No.4"));
    EXPECT_EQ(shownName, QStringLiteral("SettingNo.4"));
    EXPECT_EQ(dialog.model()->item(4, 1)->text(), QStringLiteral("LineA"));
    EXPECT_EQ(dialog.names()[4], QStringLiteral("LineA"));
    QString expected = defaultNames();
    expected.replace(QStringLiteral("SettingNo.4,"), QStringLiteral("LineA,"));
    EXPECT_EQ(settingsString(settings_keys::kProgramList), expected);
    EXPECT_EQ(dialog.ui->lineEdit_No_Name->text(), QStringLiteral("SettingNo.4"))
        << "the active group is not refreshed";
}

TEST_F(ProgramRename, AnEmptyNameIsKeptAndItsRowIsEmptyTheNextTime) {
    ScopedPrompter prompts;
    makeActive(0);
    {
        ChangeProcedureDlg dialog;
        rename(dialog, 9, QString());
        EXPECT_EQ(dialog.names()[9], QString());
    }
    ChangeProcedureDlg reopened;
    EXPECT_EQ(reopened.names().size(), 16);
    EXPECT_EQ(reopened.model()->item(9, 1), nullptr);
}

TEST_F(ProgramRename, ARowWithoutCellsIsRenamedByItsRowNumber) {
    ScopedPrompter prompts;
    setNames(QStringLiteral("Alpha,B,Charlie,Delta"));
    makeActive(0);
    ChangeProcedureDlg dialog;
    rename(dialog, 1, QStringLiteral("Bravo"));
    EXPECT_EQ(shownNumber, QStringLiteral("No.1"));
    EXPECT_EQ(shownName, QString());
    ASSERT_NE(dialog.model()->item(1, 1), nullptr);
    EXPECT_EQ(dialog.model()->item(1, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog.model()->item(1, 1)->text(), QStringLiteral("Bravo"));
    EXPECT_EQ(settingsString(settings_keys::kProgramList), QStringLiteral("Alpha,Bravo,Charlie,Delta"));
}

TEST(ProgramNameEdit, RefusesACommaAndAcceptsAnEmptyName) {
    ChangeProcedureSetNameDlg dialog;
    const QValidator* validator = dialog.ui->lineEdit_name->validator();
    ASSERT_NE(validator, nullptr);
    QString text = QStringLiteral("a,b");
    int position = 0;
    EXPECT_EQ(validator->validate(text, position), QValidator::Invalid);
    text.clear();
    EXPECT_EQ(validator->validate(text, position), QValidator::Acceptable);
    dialog.setProgram(QStringLiteral("12"), QStringLiteral("Name"));
    EXPECT_EQ(dialog.program(), 12);
    EXPECT_EQ(dialog.ui->lineEdit_no->text(), QStringLiteral("No.12"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("程序设定名称"));
}

}  // namespace
