#include "app/qt_line_laser_client.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTranslator>

#include "app/about_dialogs.h"
#include "app/conn_edit_dialog.h"
#include "app/connect_set_dialog.h"
#include "app/event_wait.h"
#include "app/head_switch.h"
#include "app/settings_file.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/log_helper.h"
#include "sensor_client/prompter.h"
#include "sensor_client/sleeper.h"
#include "sensor_client/widget_utils.h"
#include "settings_windows/change_procedure_dlg.h"
#include "settings_windows/real_time_setting_dlg.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "ui_qt_line_laser_client.h"
#include "views/height/height_view.h"
#include "views/profile/outline_chart_widget.h"

namespace {

// The tick's view of the sensor client.
class ClientTickSources : public MainWindowTick::Sources {
public:
    bool connected() override { return linelaserClient()->connected; }
    int takeFailCode() override { return linelaserClient()->takeFailCode(); }
};

// Counts an open box of the tick for as long as it shows.
class BoxOpen {
public:
    explicit BoxOpen(int& open) : open_(open) { ++open_; }
    ~BoxOpen() { --open_; }

private:
    int& open_;
};

const char* const kProfileTitleCode = "101";
const char* const kHeightTitleCode = "200";
const char* const kProfileIcon = ":/res/res/img2/icon-lunkuotu.png";
const char* const kHeightIcon = ":/res/res/img2/icon-gaodutu.png";

}  // namespace

QtLineLaserClient::QtLineLaserClient(QWidget* parent)
    : QMainWindow(parent),
      packageSalt(QByteArrayLiteral("XVK")),
      settingsSalt(zps::settingsSalt()),
      ui(new Ui::QtLineLaserClientClass),
      connectDialog(new ConnectSetDialog(this)),
      waitDialog(this) {
    ui->setupUi(this);
    translator = new QTranslator(this);
    LogConfig log;
    log.toFile = true;
    log.minLevel = 0;
    LogHelper::init(log);
    initUi();
    connectSignals();
    tickTimer = new QTimer(this);
    tickTimer->setInterval(kTickMs);
    connect(tickTimer, &QTimer::timeout, this, &QtLineLaserClient::slot_OnTimmerTask);
    tickTimer->start();
    setWindowTitle(tr("3D轮廓测量传感器软件"));
    setWindowIcon(QIcon(QStringLiteral(":/res/logo.png")));
    ui->pushButton_view_3d->hide();
    // The connection dialog opens as soon as the event loop runs.
    QMetaObject::invokeMethod(ui->actiontcpset, "triggered", Qt::QueuedConnection);
}

QtLineLaserClient::~QtLineLaserClient() {
    closing_ = true;
    finishJobs();
    tickTimer->stop();
    // The sub-windows go with the window's children, after these members.
    if (profileWindow) profileWindow->setOwnerPointer(nullptr);
    if (heightView) heightView->setOwnerPointer(nullptr);
    delete ui;
}

void QtLineLaserClient::initUi() {
    ui->pushButton_view_math->hide();
    ui->action_settings_cmp->setVisible(false);
    ui->menu_3->menuAction()->setVisible(false);
    ui->horizontalWidget_btm->hide();
    ui->pushButton_end->setEnabled(false);
    ui->pushButton_start->setEnabled(true);
    // The stored language; its switch opens both sub-windows shortly.
    changeLanguage(language_switch::startupLanguage(languageIndex()));
    QTimer::singleShot(kOpenSubWindowsMs, this, [this] {
        openProfileWindow();
        openHeightWindow();
    });
    {
        // The stored row belongs to the program dialog, whose rows reach 15:
        // showing it here (rows 0 to 7) must not store it anew.
        const QSignalBlocker quiet(ui->comboBox_selectno);
        ui->comboBox_selectno->setCurrentIndex(selectedProgram());
    }
    createProgressDialog();
    QString sdk;
    linelaserClient()->sdkVersionText(&sdk);
    ui->label_sb_sdkversion->setText(QStringLiteral("SDK:%1").arg(sdk));
    ui->label_sb_sdkversion->hide();
    ui->label_sb_version->setText(QString::fromLatin1(kProgramVersion));
    headActionGroup = new QActionGroup(this);
    headActionGroup->setExclusive(true);
    for (QAction* head : {ui->action_sensor_head1, ui->action_sensor_head2, ui->action_sensor_head3,
                          ui->action_sensor_head4})
        headActionGroup->addAction(head);
}

void QtLineLaserClient::createProgressDialog() {
    progressDialog = new QProgressDialog(this);
    progressDialog->setWindowModality(Qt::WindowModal);
    progressDialog->setRange(0, 100);
    progressDialog->setAutoReset(false);
    progressDialog->setFixedSize(400, 150);
    progressDialog->setMinimumDuration(0);
    progressButton = new QPushButton(tr("确定"), progressDialog);
    progressDialog->setCancelButton(progressButton);
    // Until a job reports, the dialog stays hidden.
    progressDialog->reset();
    progressDialog->setWindowFlags(progressDialog->windowFlags() & ~Qt::WindowCloseButtonHint);
}

void QtLineLaserClient::connectSignals() {
    LinelaserClient* client = linelaserClient();
    connect(ui->actionchinese, &QAction::triggered, this, &QtLineLaserClient::slot_ChangeChinese);
    connect(ui->actionenglish, &QAction::triggered, this, &QtLineLaserClient::slot_ChangeEnglish);
    connect(ui->actiontcpset, &QAction::triggered, this, &QtLineLaserClient::slot_actiontcpset);
    connect(client, &LinelaserClient::signal_sendclose, this, &QtLineLaserClient::slot_tcpdisconnected);
    connect(client, &LinelaserClient::signal_laser_conn, this, &QtLineLaserClient::slot_laser_conn);
    connect(client, &LinelaserClient::signal_recv_type_datas, this, &QtLineLaserClient::slot_recv_type_datas);
    connect(client, &LinelaserClient::signal_laser_batch_state, this, &QtLineLaserClient::slot_laser_batch_state);
    connect(this, &QtLineLaserClient::signal_prompt_settings, this, &QtLineLaserClient::slot_on_settings_prompt);
    connect(this, &QtLineLaserClient::signal_prompt_upgrade, this, &QtLineLaserClient::slot_on_upgrade_prompt);
    connect(connectDialog, &ConnectSetDialog::signal_upgrade, this, &QtLineLaserClient::slot_start_upgrade);
}

// ---------------------------------------------------------------- the tick

void QtLineLaserClient::slot_OnTimmerTask() {
    ClientTickSources sources;
    const MainWindowTick::Decision decision = tick_.next(headSwitchResult, sources, tickBoxesOpen_ > 0);
    if (decision.headSwitchResult >= 0) showHeadSwitchResult(decision.headSwitchResult);
    if (!decision.connected) return;
    LinelaserClient* client = linelaserClient();
    if (client->cachedRegister(kBatchModeRegister) == 1) {
        ui->label_sb_frame->setText(tr("批处理累计次数：") + QString::number(client->batchNumber.load()));
        ui->label_sb_row->setText(tr("当前批处理行数：") + QString::number(client->batchProfileCount.load()));
    } else {
        ui->label_sb_row->setText(QStringLiteral("frame: %1").arg(client->frameCount.load()));
    }
    if (decision.encoderWarning) showEncoderWarning();
}

void QtLineLaserClient::showHeadSwitchResult(int result) {
    waitDialog.cancelBtnClicked();
    // The reopened client sends only its heartbeat: the head it is on now
    // (also after 254 and 255) gets what a fresh connection gets.
    if (head_switch::reopened(result) && linelaserClient()->connected) startAcquisitionAfterConnect();
    {
        BoxOpen open(tickBoxesOpen_);
        if (result == 0)
            ui::prompter().ask(this, QMessageBox::Information, tr("传感头切换"), tr("传感头切换成功"), {tr("确定")});
        else
            ui::prompter().ask(this, QMessageBox::Critical, tr("传感头切换"), tr("传感头切换失败"), {tr("确定")});
    }
    QAction* heads[] = {ui->action_sensor_head1, ui->action_sensor_head2, ui->action_sensor_head3,
                        ui->action_sensor_head4};
    const int head = currentHead.load(std::memory_order_acquire);
    if (head >= 0 && head < 4) heads[head]->setChecked(true);
}

void QtLineLaserClient::showEncoderWarning() {
    BoxOpen open(tickBoxesOpen_);
    QWidget* parent = settingsWindowWidget() ? settingsWindowWidget() : this;
    ui::prompter().warning(parent, tr("警告"), tr("编码器速度过快"), QMessageBox::Ok);
}

// ---------------------------------------------------------------- connecting

void QtLineLaserClient::slot_actiontcpset() {
    connectDialog->setMode(true);
    connectDialog->exec();
    LinelaserClient* client = linelaserClient();
    if (client->connected) {
        slot_laser_conn();
        if (!startAcquisitionAfterConnect()) return;
    }
    headActionGroup->setVisible(client->connected && ui->label_sb_lmodel->text().endsWith(QLatin1Char('F')));
    updateStatusLabel();
}

bool QtLineLaserClient::startAcquisitionAfterConnect() {
    LinelaserClient* client = linelaserClient();
    bool batch = true, single = false;
    if (client->cfgBatchEnable(0, &batch, &single) != 0) return false;
    client->cfgBatchEnable(1, &batch, &single);
    if (batch)
        client->startBatchAcquisition(false);
    else
        client->startProfileAcquisition();
    return true;
}

void QtLineLaserClient::slot_laser_conn() {
    LinelaserClient* client = linelaserClient();
    QString firmware;
    if (client->firmwareVersionText(&firmware) != 0) {
        ui::prompter().question(this, tr("提示"), tr("获取版本号失败!"), QMessageBox::Ok);
        return;
    }
    ui->label_sb_fpga_version->setText(firmware);
    QString first, second;
    if (client->serialNumbers(&first, &second) != 0) {
        ui::prompter().question(this, tr("提示"), tr("获取版本号失败!"), QMessageBox::Ok);
        return;
    }
    const bool oldSeries = hvq5_is_series3(0) || hvq5_is_series4(0);
    ui->label_sb_sn->setText(oldSeries ? first : QStringLiteral("%1.%2").arg(first, second));
    QString model;
    if (!client->headModel(&model)) {
        ui::prompter().question(this, tr("提示"), tr("获取机型失败!"), QMessageBox::Ok);
        return;
    }
    ui->label_sb_lmodel->setText(model);
    if (heightView) {
        heightView->updateXAxisLabels();
        heightView->updateLineAxis();
    }
    if (profileWindow) profileWindow->resetOutlineView();
}

void QtLineLaserClient::updateStatusLabel() {
    LinelaserClient* client = linelaserClient();
    if (client->connected) {
        ui->label_sb_connstr->setText(tr("已连接 %1").arg(client->ip));
        return;
    }
    ui->label_sb_lmodel->setText(QStringLiteral("-"));
    ui->label_sb_sn->setText(QStringLiteral("-"));
    ui->label_sb_fpga_version->setText(QStringLiteral("-"));
    ui->label_sb_connstr->setText(tr("未连接"));
}

void QtLineLaserClient::slot_tcpdisconnected() {
    if (closing_ || connectDialog->isVisible()) return;
    ui::prompter().warning(this, tr("连接"), tr("Mirevo与控制器断开，请确认连接或通信设定后重试"), QMessageBox::Ok);
    closeSettingsWindow();
    close();
}

// ---------------------------------------------------------------- the client's signals

void QtLineLaserClient::slot_recv_type_datas(int val) {
    if (val != 0 || settingsDialog) return;
    if (profileWindow) profileWindow->slot_ShowOutLine();
}

void QtLineLaserClient::slot_laser_batch_state(int val) {
    setBatchButtons(val == 1);
    if (val != 1) enableSettingsWindowMenus();
}

void QtLineLaserClient::setBatchButtons(bool batchRunning) {
    ui->pushButton_start->setEnabled(!batchRunning);
    ui->pushButton_end->setEnabled(batchRunning);
}

void QtLineLaserClient::slot_trigger_batch(bool val) {
    if (val && heightView) heightView->updateLineAxis();
}

// ---------------------------------------------------------------- progress of the jobs

void QtLineLaserClient::slot_on_settings_prompt(int progress, QString title, QString prompt) {
    if (!progressActive.load()) {
        progressDialog->reset();
        return;
    }
    if (progress < 0) {
        progressActive = false;
        ui::prompter().ask(this, QMessageBox::Critical, prompt, title, {tr("确定")});
        // A failure may come after the dialog showed without its button: take it down.
        progressDialog->reset();
        return;
    }
    if (!prompt.isEmpty()) progressDialog->setWindowTitle(prompt);
    if (!title.isEmpty()) progressDialog->setLabelText(title);
    progressDialog->setValue(progress);
    if (progress >= 100) {
        progressButton->show();
        progressActive = false;
    } else {
        progressButton->hide();
    }
}

void QtLineLaserClient::finishJobs() {
    waitWithEvents([this] { return !jobs_.running(); });
    jobs_.join();
}

// ---------------------------------------------------------------- sub-windows

void QtLineLaserClient::openProfileWindow() {
    if (!profileWindow) {
        profileWindow = new OutlineChartWidget(this);
        profileWindow->setOwnerPointer(&profileWindow);
        connect(profileWindow, &OutlineChartWidget::signal_close, this,
                [this] { subWindows.setProfileWindow(nullptr); }, Qt::DirectConnection);
        QMdiSubWindow* sub = ui->mdiArea->addSubWindow(profileWindow);
        subWindows.setProfileWindow(sub);
        // The code first: showing activates the window, and the manager
        // records that in the code.
        sub->setWindowTitle(QString::fromLatin1(kProfileTitleCode));
        sub->show();
        sub->setWindowIcon(QIcon(QString::fromLatin1(kProfileIcon)));
    }
    placeSubWindow(profileWindow, 0);
}

void QtLineLaserClient::openHeightWindow() {
    if (!heightView) {
        heightView = new HeightView(this);
        heightView->setOwnerPointer(&heightView);
        connect(linelaserClient(), &LinelaserClient::signal_auto_save_batchdata, heightView,
                &HeightView::slot_auto_save_batchdata);
        connect(heightView, &HeightView::signal_close, this, [this] { subWindows.setHeightWindow(nullptr); },
                Qt::DirectConnection);
        QMdiSubWindow* sub = ui->mdiArea->addSubWindow(heightView);
        subWindows.setHeightWindow(sub);
        sub->setWindowTitle(QString::fromLatin1(kHeightTitleCode));
        sub->show();
        // A window built while connected (after a language switch, or
        // reopened by its button) spans the sensor's profile points as the
        // connection set it, not the chart's default width.
        if (linelaserClient()->connected) heightView->updateXAxisLabels();
        heightView->updateLineAxis();
        sub->setWindowIcon(QIcon(QString::fromLatin1(kHeightIcon)));
    }
    placeSubWindow(heightView, ui->mdiArea->width() / 2);
}

void QtLineLaserClient::placeSubWindow(QWidget* view, int x) {
    QWidget* sub = view->parentWidget();
    if (!sub) return;
    const int w = ui->mdiArea->width();
    const int h = ui->mdiArea->height();
    sub->move(x, 0);
    sub->resize(w / 2 - 2, h);
}

void QtLineLaserClient::on_pushButton_view_outline_clicked() { openProfileWindow(); }

void QtLineLaserClient::on_pushButton_view_height_clicked() { openHeightWindow(); }

// ---------------------------------------------------------------- tool buttons

bool QtLineLaserClient::requireConnection() {
    if (linelaserClient()->connected) return true;
    ui::prompter().critical(this, tr("提示"), tr("未连接传感器!"), QMessageBox::Ok);
    return false;
}

void QtLineLaserClient::on_pushButton_start_clicked() {
    if (!requireConnection()) return;
    // A press while the last batch is triggered or awaited starts nothing: the wait runs.
    if (batchWaiting_) return;
    LinelaserClient* client = linelaserClient();
    batchWaiting_ = true;
    const int status = triggerBatch();
    // The flag is cleared only when a new batch number arrives, so a flag
    // left set by the last batch (as the trigger returned) ends the wait at
    // once. A lost sensor, "暂停" or closing the window end it too.
    if (status != 0)
        LogHelper::logFormat(CLOG_LEVEL::RWARNING, nullptr, nullptr, __LINE__, "batch trigger failed: %d", status);
    else if (!completeAtTrigger_)
        waitWithEvents([this, client] { return client->batchComplete || !client->connected || !batchWaiting_ || closing_; });
    batchWaiting_ = false;
    setBatchButtons(false);
    enableSettingsWindowMenus();
}

int QtLineLaserClient::triggerBatch() {
    // Stopping the other acquisitions, the measuring mode and the trigger are
    // round trips to the sensor (seconds when it answers late or the command
    // connection has to be made again): they run on the window's job thread
    // while the window stays live. A job already running (a settings transfer,
    // a head switch) ends first.
    waitWithEvents([this] { return !jobs_.running() || closing_; });
    if (closing_) return kTriggerNotRun;
    triggerStatus_ = kTriggerPending;
    completeAtTrigger_ = false;
    const bool started = jobs_.start([this] {
        LinelaserClient* client = linelaserClient();
        const int status = client->startBatchAcquisition(true);
        const bool complete = client->batchComplete;
        QMetaObject::invokeMethod(
            this,
            [this, status, complete] {
                completeAtTrigger_ = complete;
                triggerStatus_ = status;
            },
            Qt::QueuedConnection);
    });
    if (!started) return kTriggerNotRun;
    // Closing the window waits for the job too, serving this call meanwhile.
    waitWithEvents([this] { return triggerStatus_ != kTriggerPending || (closing_ && !jobs_.running()); });
    return triggerStatus_ == kTriggerPending ? kTriggerNotRun : triggerStatus_;
}

void QtLineLaserClient::on_pushButton_end_clicked() {
    // Nothing goes to the sensor: only the buttons, and the start button's wait ends.
    batchWaiting_ = false;
    setBatchButtons(false);
    enableSettingsWindowMenus();
}

void QtLineLaserClient::on_pushButton_nowset_clicked() {
    if (!requireConnection()) return;
    if (settingsDialog) return;
    if (profileWindow) profileWindow->resetOutlineView();
    runSettingsWindow();
}

void QtLineLaserClient::on_pushButton_program_clicked() {
    if (!requireConnection()) return;
    runProgramDialog();
}

void QtLineLaserClient::on_comboBox_selectno_currentIndexChanged(int index) {
    // -1 is a list without a current row, no choice of the person.
    if (index >= 0) setSelectedProgram(index);
}

// ---------------------------------------------------------------- the real-time settings window

QWidget* QtLineLaserClient::settingsWindowWidget() const { return settingsDialog; }

void QtLineLaserClient::enableSettingsWindowMenus() {
    if (settingsDialog) settingsDialog->setMenuEnabled(true);
}

void QtLineLaserClient::closeSettingsWindow() {
    if (settingsDialog) settingsDialog->close();
}

void QtLineLaserClient::runSettingsWindow() {
    settingsDialog = new RealTimeSettingDlg(this);
    // The window nulls the member when it closes, and deletes itself.
    settingsDialog->setOwnerPointer(&settingsDialog);
    connect(linelaserClient(), &LinelaserClient::signal_recv_type_datas, settingsDialog,
            &RealTimeSettingDlg::slot_recv_type_datas);
    connect(settingsDialog, &RealTimeSettingDlg::signal_trigger_batch_real, this, &QtLineLaserClient::slot_trigger_batch);
    connect(settingsDialog, &RealTimeSettingDlg::signal_changeProce, this,
            &QtLineLaserClient::slot_settings_window_closed, Qt::DirectConnection);
    if (heightView) heightView->setRefreshEnabled(false);
    settingsDialog->exec();
    if (heightView) heightView->setRefreshEnabled(true);
}

void QtLineLaserClient::runProgramDialog() {
    ChangeProcedureDlg dialog(this);
    dialog.exec();
}

void QtLineLaserClient::slot_settings_window_closed(bool save) {
    if (heightView) heightView->updateLineAxis();
    LinelaserClient* client = linelaserClient();
    if (save) {
        client->stopAcquisition();
        if (client->rewriteTemporarySetting() != 0) {
            ui::prompter().question(this, tr("提示"), tr("保存参数失败!"), QMessageBox::Ok);
            return;
        }
    }
    if (client->cachedRegister(kBatchModeRegister) == 0) {
        int on = 1;
        client->cfgIoMode(1, &on);
        client->startProfileAcquisition();
    }
}

// ---------------------------------------------------------------- menus

void QtLineLaserClient::on_action_close_triggered() { close(); }

void QtLineLaserClient::on_actionconnedit_triggered() {
    if (!linelaserClient()->connected) {
        ui::prompter().question(this, tr("提示"), tr("请先连接传感器!"), QMessageBox::Ok);
        return;
    }
    ConnEditDialog dialog(this);
    dialog.exec();
}

void QtLineLaserClient::on_action_reset_triggered() {
    const int answer = ui::prompter().ask(this, QMessageBox::Warning, tr("复位"), tr("确定重启传感器吗？"),
                                          {tr("是"), tr("否")});
    if (answer != 0) return;
    HVQ5_RebootCamera(0);
    ui::sleeper().sleepMs(kRebootPauseMs);
    HVQ5_RebootController(0);
    LinelaserClient* client = linelaserClient();
    client->close();
    // The connection-loss path below ends the program.
    client->slot_tcpdisconnected();
}

void QtLineLaserClient::on_actionaboutkx_triggered() {
    version_dialog dialog(this);
    dialog.exec();
}

void QtLineLaserClient::on_actionaboutqt_triggered() {
    qt_dialog dialog(this);
    dialog.exec();
}

// ---------------------------------------------------------------- events

void QtLineLaserClient::closeEvent(QCloseEvent* event) {
    closing_ = true;
    // No box of the tick may come up over a closed window.
    tickTimer->stop();
    // A job still writing to the sensor (a flash write, a settings transfer)
    // runs to its end; its questions are answered meanwhile.
    finishJobs();
    linelaserClient()->close();
    event->accept();
}

void QtLineLaserClient::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) updateStatusLabel();
}
