#include "app/connect_set_dialog.h"

#include <QCursor>
#include <QEventLoop>
#include <QHeaderView>
#include <QTableWidgetItem>

#include <algorithm>
#include <cstring>

#include "app/connect_state.h"
#include "platform/thread_start.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_client/sleeper.h"
#include "sensor_client/wait_loading_dialog.h"
#include "sensor_client/widget_utils.h"
#include "sensor_interface/command/search_exports.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "ui_connect_set_dialog.h"

using connect_state::Reaction;

ConnectSetDialog::ConnectSetDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::ConnectSetDialog), busy_(new WaitLoadingDialog(this)) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setFixedSize(420, 300);
    QHeaderView* header = ui->tableWidget_tcpconn->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    ui->tableWidget_tcpconn->verticalHeader()->setHidden(true);
    ui->tableWidget_tcpconn->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->tableWidget_tcpconn->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->tableWidget_tcpconn->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnTitles();
    setConnectedButtons(false);
    connect(&timer_, &QTimer::timeout, this, &ConnectSetDialog::slot_OnTimmerTask);
    timer_.start(kPollMs);
}

ConnectSetDialog::~ConnectSetDialog() {
    timer_.stop();
    joinJob();
    delete ui;
}

void ConnectSetDialog::setMode(bool connect) {
    connectMode_ = connect;
    ui->pushButton_open->setVisible(connect);
    ui->pushButton_disconn->setVisible(connect);
    ui->pushButton_upgrade->setVisible(!connect);
    settingsCheckFailures_ = 0;
    headFailures_ = 0;
    applyModeTitle();
}

void ConnectSetDialog::applyModeTitle() { setWindowTitle(connectMode_ ? tr("通信设置") : tr("固件升级")); }

void ConnectSetDialog::setColumnTitles() {
    ui->tableWidget_tcpconn->setHorizontalHeaderLabels({QStringLiteral("IP"), tr("端口")});
}

void ConnectSetDialog::setConnectedButtons(bool connected) {
    ui->pushButton_open->setEnabled(!connected);
    ui->pushButton_open->setCursor(connected ? Qt::ForbiddenCursor : Qt::PointingHandCursor);
    ui->pushButton_disconn->setEnabled(connected);
    ui->pushButton_disconn->setCursor(connected ? Qt::PointingHandCursor : Qt::ForbiddenCursor);
    ui->tableWidget_tcpconn->setEnabled(!connected);
}

void ConnectSetDialog::showBusy() {
    centerOnWidget(busy_, this);
    busy_->show();
}

void ConnectSetDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    on_pushButton_refresh_clicked();
}

void ConnectSetDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setColumnTitles();
    ui->retranslateUi(this);
    // The form's texts carry the title "连接"; the running dialog names its mode.
    applyModeTitle();
    // The connection may have ended while the dialog was hidden (an upgrade
    // closes the client): the buttons show the state it is in now, so that
    // "连接" is not left disabled with nothing connected.
    setConnectedButtons(linelaserClient()->connected);
}

bool ConnectSetDialog::startJob(std::function<void()> job) {
    if (jobRunning_.load()) return false;
    joinJob();
    jobRunning_ = true;
    job_ = mirevo::platform::startThread([this, job = std::move(job)] { job(); });
    return true;
}

void ConnectSetDialog::joinJob() {
    if (job_.joinable()) job_.join();
}

void ConnectSetDialog::on_pushButton_refresh_clicked() {
    ui->pushButton_refresh->setEnabled(false);
    showBusy();
    ui->tableWidget_tcpconn->clearContents();
    const bool started = startJob([this] {
        int count = 0;
        const uint32_t* table = HVQ5_2_SearchOnline(&count, kSearchMs);
        // The interface's table lasts only until the next search: keep a copy.
        std::vector<Address> found;
        for (int i = 0; table && i < count; ++i) {
            Address address;
            std::memcpy(address.data(), &table[i], 4);
            found.push_back(address);
        }
        {
            std::lock_guard<std::mutex> lock(foundMutex_);
            found_ = std::move(found);
        }
        jobRunning_ = false;
        ConnectState.store(connect_state::kSearchDone, std::memory_order_release);
    });
    if (!started) ui->pushButton_refresh->setEnabled(true);
}

bool ConnectSetDialog::selectedRow(QString* address, QString* port) const {
    const QModelIndex index = ui->tableWidget_tcpconn->currentIndex();
    if (!index.isValid()) return false;
    const QTableWidgetItem* addressItem = ui->tableWidget_tcpconn->item(index.row(), 0);
    const QTableWidgetItem* portItem = ui->tableWidget_tcpconn->item(index.row(), 1);
    if (!addressItem || !portItem) return false;
    *address = addressItem->text();
    *port = portItem->text();
    return true;
}

void ConnectSetDialog::on_pushButton_open_clicked() {
    QString address, port;
    if (!selectedRow(&address, &port)) return;
    setSettingsString(settings_keys::kConnectIp, address);
    setSettingsString(settings_keys::kConnectPort, port);
    ConnectState.store(connect_state::kIdle, std::memory_order_release);
    showBusy();
    const bool rebootFirst = headFailures_ != 0;
    startJob([this, address, port, rebootFirst] {
        if (rebootFirst) {
            // The laser head did not answer: restart the controller and give it time.
            HVQ5_RebootController(0);
            ui::sleeper().sleepMs(kRebootWaitMs);
        } else {
            linelaserClient()->close();
        }
        const int result = linelaserClient()->open(address, port.toInt());
        jobRunning_ = false;
        ConnectState.store(connect_state::fromOpenResult(result), std::memory_order_release);
    });
}

void ConnectSetDialog::on_pushButton_disconn_clicked() {
    linelaserClient()->close();
    setConnectedButtons(false);
}

void ConnectSetDialog::on_pushButton_upgrade_clicked() {
    QString address, port;
    if (!selectedRow(&address, &port)) return;
    emit signal_upgrade(address, port);
}

void ConnectSetDialog::slot_OnTimmerTask() {
    const int8_t state = ConnectState.load(std::memory_order_acquire);
    const Reaction reaction = connect_state::reactionTo(state);
    if (reaction == Reaction::None) return;
    ConnectState.store(connect_state::kIdle, std::memory_order_release);
    if (reaction != Reaction::FillList) busy_->hide();
    switch (reaction) {
    case Reaction::FillList:
        fillList();
        break;
    case Reaction::CloseConnected:
        close();
        setConnectedButtons(true);
        break;
    case Reaction::FailureBox:
        showFailureBox(state);
        setConnectedButtons(false);
        break;
    case Reaction::SettingsCheckFailed:
        onSettingsCheckFailed();
        break;
    case Reaction::HeadSilent:
        onHeadSilent();
        break;
    case Reaction::None:
        break;
    }
}

void ConnectSetDialog::fillList() {
    std::vector<Address> found;
    {
        std::lock_guard<std::mutex> lock(foundMutex_);
        found = found_;
    }
    QTableWidget* table = ui->tableWidget_tcpconn;
    table->setRowCount(std::max<int>(1, static_cast<int>(found.size())));
    for (size_t i = 0; i < found.size(); ++i) {
        const Address& a = found[i];
        auto* address = new QTableWidgetItem(QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]));
        // The command port, whatever port the sensor reported.
        auto* port = new QTableWidgetItem(QString::number(kCommandPort));
        address->setTextAlignment(Qt::AlignCenter);
        port->setTextAlignment(Qt::AlignCenter);
        table->setItem(static_cast<int>(i), 0, address);
        table->setItem(static_cast<int>(i), 1, port);
    }
    table->selectRow(0);
    busy_->hide();
    ui->pushButton_refresh->setEnabled(true);
}

void ConnectSetDialog::showFailureBox(int8_t state) {
    QString text;
    switch (state) {
    case connect_state::kConnectFailed: text = tr("连接失败!"); break;
    case connect_state::kAbnormalVersion: text = tr("下位机版本异常，请升级!"); break;
    case connect_state::kIncompatible: text = tr("下位机版本不兼容，请联系客服!"); break;
    default: text = tr("读取版本号超时，请重新连接!"); break;
    }
    ui::prompter().question(this, tr("提示"), text, QMessageBox::Ok);
}

void ConnectSetDialog::onSettingsCheckFailed() {
    ++settingsCheckFailures_;
    if (connect_state::retriesAfterFailure(settingsCheckFailures_)) {
        const int answer = ui::prompter().ask(this, QMessageBox::Question, tr("提示"), tr("设定参数校验失败，是否重试？"),
                                              {tr("是"), tr("否")});
        if (answer == 0) {
            on_pushButton_open_clicked();
            setConnectedButtons(false);
            return;
        }
        settingsCheckFailures_ = 0;
        setConnectedButtons(true);
        close();
        return;
    }
    const int answer = ui::prompter().ask(this, QMessageBox::Warning, tr("提示"),
                                          tr("加载设定参数失败，是否恢复出厂设置？"), {tr("是"), tr("否")});
    if (answer == 0 && !resetToFactorySettings())
        ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok);
    settingsCheckFailures_ = 0;
    setConnectedButtons(true);
    close();
}

bool ConnectSetDialog::resetToFactorySettings() {
    // Both steps take about a second each: off the GUI thread, behind the
    // busy dialog, with the event loop running meanwhile.
    showBusy();
    std::atomic<bool> done{false};
    int status = -1;
    std::thread reset = mirevo::platform::startThread([&] {
        status = hvq5_reset_program(0);
        if (status == 0) status = hvq5_system_command_30000(0);
        done = true;
    });
    QEventLoop loop;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done) loop.quit();
    });
    tick.start(20);
    loop.exec();
    reset.join();
    busy_->hide();
    return status == 0;
}

void ConnectSetDialog::onHeadSilent() {
    ++headFailures_;
    if (connect_state::retriesAfterFailure(headFailures_)) {
        on_pushButton_open_clicked();
        setConnectedButtons(false);
        return;
    }
    ui::prompter().ask(this, QMessageBox::Critical, tr("提示"), tr("连接激光头失败! 请检查线缆连接后重试"), {tr("确定")});
    headFailures_ = 0;
    setConnectedButtons(true);
    close();
}
