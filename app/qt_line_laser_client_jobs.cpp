// The main window's settings-file actions (export, import, comparison) and
// the firmware upgrade: the GUI-thread half of the jobs in settings_jobs.h and
// firmware_upgrade.h.
#include <QFileInfo>
#include <QMetaObject>
#include <QProgressDialog>
#include <QPushButton>

#include "app/connect_set_dialog.h"
#include "app/firmware_upgrade.h"
#include "app/qt_line_laser_client.h"
#include "app/settings_file.h"
#include "app/settings_jobs.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_client/widget_utils.h"

namespace {
const char* const kStartFolder = ".";
}

bool QtLineLaserClient::startProgressJob(std::function<void()> job) {
    if (progressActive.load()) return false;
    // A job that has sent its last report may still be returning.
    finishJobs();
    progressActive = true;
    if (jobs_.start(std::move(job))) return true;
    progressActive = false;
    return false;
}

void QtLineLaserClient::showSettingsProgress(const QString& title, const QString& label) {
    progressDialog->reset();
    progressDialog->setWindowTitle(title);
    progressDialog->setLabelText(label);
    progressButton->hide();
    progressDialog->setValue(0);
    progressDialog->show();
}

// ---------------------------------------------------------------- settings files

void QtLineLaserClient::on_action_export_settings_triggered() {
    if (!requireConnection() || progressActive.load()) return;
    const QString path =
        ui::prompter().getSaveFileName(this, tr("导出"), QString::fromLatin1(kStartFolder), tr("设定文件(*.zps)"));
    if (path.isEmpty()) return;
    SettingsJobContext context;
    context.blocks = &settingsBlocks;
    context.progressActive = &progressActive;
    context.report = [this](int progress, const QString& label, const QString& title) {
        emit signal_prompt_settings(progress, label, title);
    };
    if (startProgressJob([path, context] { exportSettingsWorker(path, context); }))
        showSettingsProgress(tr("导出"), tr("参数设定导出中"));
}

void QtLineLaserClient::on_action_import_settings_triggered() {
    const QString path =
        ui::prompter().getOpenFileName(this, tr("导入"), QString::fromLatin1(kStartFolder), tr("设定文件(*.zps)"));
    if (path.isEmpty()) return;
    if (!requireConnection() || progressActive.load()) return;
    // A refused file leaves the blocks as they were and the sensor untouched.
    if (!zps::readFile(path, &settingsBlocks)) {
        ui::prompter().critical(this, tr("错误"), tr("设定文件校验失败!"), QMessageBox::Ok);
        return;
    }
    SettingsJobContext context;
    context.blocks = &settingsBlocks;
    context.progressActive = &progressActive;
    context.report = [this](int progress, const QString& label, const QString& title) {
        emit signal_prompt_settings(progress, label, title);
    };
    if (startProgressJob([context] { importSettingsWorker(context); }))
        showSettingsProgress(tr("导入"), tr("参数设定导入中"));
}

void QtLineLaserClient::on_action_settings_cmp_triggered() {
    // The folder of the last file chosen, for as long as the program runs.
    static QString folder = QString::fromLatin1(kStartFolder);
    const QString filter = tr("设定文件(*.zps)");
    const QString first = ui::prompter().getOpenFileName(this, tr("参数比较 - 设定文件1"), folder, filter);
    if (first.isEmpty()) return;
    folder = QFileInfo(first).absolutePath();
    const QString second = ui::prompter().getOpenFileName(this, tr("参数比较 - 设定文件2"), folder, filter);
    if (second.isEmpty()) return;
    folder = QFileInfo(second).absolutePath();
    if (progressActive.load()) return;  // a job holds the blocks

    QString report;
    switch (zps::compareFiles(first, second, &settingsBlocks, &report)) {
    case zps::CompareResult::FileRefused:
        ui::prompter().critical(this, tr("错误"), tr("设定文件校验失败!"), QMessageBox::Ok);
        return;
    case zps::CompareResult::ReportNotOpened:
        return;
    case zps::CompareResult::Written:
        ui::prompter().information(this, tr("参数比较"), tr("参数比较结果已保存到 %1").arg(report), QMessageBox::Ok);
        return;
    }
}

// ---------------------------------------------------------------- firmware upgrade

void QtLineLaserClient::on_action_upgrade_firmware_triggered() {
    connectDialog->setMode(false);
    connectDialog->exec();
}

void QtLineLaserClient::slot_start_upgrade(QString ip, QString port) {
    if (progressActive.load()) {
        ui::prompter().critical(this, tr("升级"), tr("升级正在进行中!"), QMessageBox::Ok);
        return;
    }
    const QString path =
        ui::prompter().getOpenFileName(this, tr("选择升级包"), QString::fromLatin1(kStartFolder), tr("升级包(*.zpf)"));
    if (path.isEmpty()) return;
    if (ui::prompter().ask(this, QMessageBox::Question, tr("升级"), tr("确定要升级固件吗？"), {tr("是"), tr("否")}) != 0)
        return;
    progressDialog->reset();
    progressButton->hide();
    emit signal_prompt_upgrade(upgrade_prompt::kBusy, tr("waiting"));

    UpgradeJobContext context;
    context.progressActive = &progressActive;
    context.prompt = [this](int type, const QVariant& prompt) { emit signal_prompt_upgrade(type, prompt); };
    context.ask = [this](int type, const QVariant& prompt) {
        bool answer = false;
        QMetaObject::invokeMethod(
            this, [this, type, prompt] { return slot_on_upgrade_prompt(type, prompt); },
            Qt::BlockingQueuedConnection, &answer);
        return answer;
    };
    context.keepChoice = [this](const zpf::UpgradeChoice& choice) {
        headImage = choice.headImage;
        headImageVersion = choice.headImageVersion;
        headImageAddress = choice.headImageAddress;
        controllerImage = choice.controllerImage;
        controllerImageVersion = choice.controllerImageVersion;
    };
    context.headImageAddress = headImageAddress;
    if (!startProgressJob([path, ip, port, context] { firmwareUpgradeWorker(path, ip, port, context); }))
        waitDialog.cancelBtnClicked();
}

bool QtLineLaserClient::slot_on_upgrade_prompt(int type, QVariant prompt) {
    if (type == upgrade_prompt::kBusy) {
        centerOnWidget(&waitDialog, this);
        waitDialog.show();
        return false;
    }
    if (waitDialog.isVisible()) waitDialog.cancelBtnClicked();
    if (!progressActive.load()) {
        progressDialog->reset();
        return false;
    }
    if (type == upgrade_prompt::kQuestion)
        return ui::prompter().ask(this, QMessageBox::Question, tr("升级"), prompt.toString(), {tr("是"), tr("否")}) == 1;
    if (type == upgrade_prompt::kFailure || type < 0) {
        ui::prompter().ask(this, QMessageBox::Critical, tr("升級"), prompt.toString(), {tr("确定")});
        progressActive = false;
        progressDialog->reset();
        // The job may have closed the client on its way: the status bar says what holds now.
        updateStatusLabel();
        return false;
    }
    progressButton->hide();
    progressDialog->setWindowTitle(tr("固件升级"));
    progressButton->setText(tr("确定"));
    const int value = prompt.toInt();
    if (type == upgrade_prompt::kHead) {
        progressDialog->setLabelText(tr("激光头固件升级中，请勿断电或重启"));
    } else if (value > 99) {
        progressDialog->setLabelText(tr("升级已完成"));
        progressButton->show();
        progressActive = false;
        // The upgrade leaves the client closed (the operator reconnects to
        // the new firmware): no stale "connected" and old firmware words.
        updateStatusLabel();
    } else {
        const bool integrated = (type & 0xE000) == 0x6000;
        progressDialog->setLabelText(tr("%1固件升级中，请勿断电或重启").arg(integrated ? tr("传感器") : tr("控制器")));
    }
    progressDialog->setValue(value);
    return true;
}
