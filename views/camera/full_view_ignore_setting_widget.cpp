#include "views/camera/full_view_ignore_setting_widget.h"

#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "platform/thread_start.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/log_helper.h"
#include "sensor_client/prompter.h"
#include "sensor_client/wait_loading_dialog.h"
#include "sensor_client/widget_utils.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "views/camera/hex_text.h"
#include "views/camera/page_form.h"

using page_form::button;
using page_form::label;
using page_form::named;

namespace {

const QString kCloseWait = QStringLiteral("CloseWait");
const QString kUpdateTable = QStringLiteral("update_table");
const QString kIgnoreSave = QStringLiteral("ignore_save");
// A device step failed: the dialog still closes and the operator is told.
const QString kDeviceFailed = QStringLiteral("device_failed");

constexpr int kShapeBlockRead = 0;
constexpr int kShapeBlockWrite = 1;
constexpr int kLoadKind = 1;
constexpr int kStoreKind = 3;
constexpr uint16_t kBandLastColumn = 2047;

void debugLog(int line, const QString& text) { LogHelper::log(CLOG_LEVEL::DEBUG, nullptr, nullptr, line, text); }

}  // namespace

void IgnoreCommandQueue::push(const QString& word) {
    std::lock_guard<std::mutex> lock(mutex_);
    words_.push_back(word);
}

bool IgnoreCommandQueue::pop(QString* word) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (words_.empty()) return false;
    *word = words_.front();
    words_.pop_front();
    return true;
}

bool IgnoreCommandQueue::empty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return words_.empty();
}

RoiBounds roiBounds(uint32_t startColumn, uint32_t widthColumns, double pointsPerColumn, int sensorRows,
                    const shape_block::ZWindow& window, const std::vector<IgnoreAreaRecord>& shapes) {
    RoiBounds roi{};
    roi.start = static_cast<int>(std::ceil(startColumn * pointsPerColumn) + 0.5);
    roi.end = static_cast<int>(std::floor(widthColumns * pointsPerColumn) + roi.start - 0.5);
    const int o = window.offset;
    roi.top = 0;
    roi.bottom = sensorRows - 2 * o - 1;
    for (const IgnoreAreaRecord& r : shapes) {
        if (r.flag != shape_block::kRoiBand) continue;
        if (r.y0 == o) roi.top = r.y1 - o;
        if (r.y1 == sensorRows - o - 1) roi.bottom = r.y0 - o;
    }
    return roi;
}

void Ui::FullViewIgnoreSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("FullViewIgnoreSettingWidget"));
    form->resize(350, 540);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    label_47 = label(form, "label_47", QCoreApplication::translate("FullViewIgnoreSettingWidget", "屏蔽区域"));
    QFont bold = label_47->font();
    bold.setBold(true);
    label_47->setFont(bold);
    column->addWidget(label_47);
    tableView_ignore = named<QTableWidget>(form, "tableView_ignore");
    column->addWidget(tableView_ignore, 1);
    pushButton_6 = button(form, "pushButton_6", QCoreApplication::translate("FullViewIgnoreSettingWidget", "清除"));
    column->addWidget(pushButton_6);
    groupBox_23 = named<QGroupBox>(form, "groupBox_23");
    groupBox_23->setTitle(QCoreApplication::translate("FullViewIgnoreSettingWidget", "追加屏蔽区域"));
    groupBox_23->setFlat(true);
    auto* add = new QHBoxLayout(groupBox_23);
    pushButton_add_Polygon = button(groupBox_23, "pushButton_add_Polygon",
                                    QCoreApplication::translate("FullViewIgnoreSettingWidget", "添加"));
    label_49 = label(groupBox_23, "label_49", QCoreApplication::translate("FullViewIgnoreSettingWidget", "矩形"));
    pushButton_add_Polygon_end = button(groupBox_23, "pushButton_add_Polygon_end",
                                        QCoreApplication::translate("FullViewIgnoreSettingWidget", "取消"));
    add->addWidget(pushButton_add_Polygon);
    add->addWidget(label_49);
    add->addWidget(pushButton_add_Polygon_end);
    column->addWidget(groupBox_23);
    label_ignore_log = label(form, "label_ignore_log", QString());
    label_ignore_log->setWordWrap(true);
    column->addWidget(label_ignore_log);
    auto* buttons = new QHBoxLayout();
    pushButton_ignore_monitor_settisetting_save =
        button(form, "pushButton_ignore_monitor_settisetting_save",
               QCoreApplication::translate("FullViewIgnoreSettingWidget", "永久保存"));
    pushButton_ignore_monitor_settisetting_close =
        button(form, "pushButton_ignore_monitor_settisetting_close",
               QCoreApplication::translate("FullViewIgnoreSettingWidget", "还原"));
    pushButton_close =
        button(form, "pushButton_close", QCoreApplication::translate("FullViewIgnoreSettingWidget", "关闭"));
    buttons->addWidget(pushButton_ignore_monitor_settisetting_save);
    buttons->addWidget(pushButton_ignore_monitor_settisetting_close);
    buttons->addWidget(pushButton_close);
    column->addLayout(buttons);
}

FullViewIgnoreSettingWidget::FullViewIgnoreSettingWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::FullViewIgnoreSettingWidget), waitDialog(new WaitLoadingDialog(this)),
      owner_(parent), timer_(new QTimer(this)) {
    ui->setupUi(this);
    ui->pushButton_add_Polygon->setEnabled(true);
    ui->pushButton_add_Polygon_end->setEnabled(false);
    ui->label_ignore_log->setStyleSheet(QStringLiteral("color: red;"));

    QTableWidget* table = ui->tableView_ignore;
    table->setColumnCount(2);
    table->setHorizontalHeaderLabels({tr("类型"), tr("形状")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section{background:rgba(11,140,160,125);}"));
    updateTable();

    QMetaObject::connectSlotsByName(this);
    connect(timer_, &QTimer::timeout, this, &FullViewIgnoreSettingWidget::slot_OnTimmerTask);
    timer_->start(50);

    if (settingsInt(QStringLiteral("FullViewIgnoreSettingWidget"), QStringLiteral("sleep_send"), 0) == 0)
        setSettingsString(QStringLiteral("FullViewIgnoreSettingWidget"), QStringLiteral("sleep_send"),
                          QStringLiteral("10"));
}

FullViewIgnoreSettingWidget::~FullViewIgnoreSettingWidget() {
    joinWorker();
    delete ui;
}

shape_block::ZWindow FullViewIgnoreSettingWidget::window() const {
    return shape_block::zWindow(linelaserClient()->modelGeometry().rows, zRangeIndex_);
}

bool FullViewIgnoreSettingWidget::isCurrentPage() const {
    const auto* stack = owner_ ? owner_->findChild<QStackedWidget*>(QStringLiteral("stackedWidget_right")) : nullptr;
    return stack && stack->currentWidget() == this;
}

bool FullViewIgnoreSettingWidget::roiPageIsCurrent() const {
    const auto* stack = owner_ ? owner_->findChild<QStackedWidget*>(QStringLiteral("stackedWidget_right")) : nullptr;
    return stack && stack->currentWidget() && stack->currentWidget()->inherits("RoiSettingWidget");
}

void FullViewIgnoreSettingWidget::showBusy() {
    centerOnWidget(waitDialog, owner_);
    waitDialog->show();
    linelaserClient()->stopAcquisition();
}

void FullViewIgnoreSettingWidget::startWorker(std::function<void()> work) {
    joinWorker();
    worker_ = mirevo::platform::startThread(std::move(work));
}

void FullViewIgnoreSettingWidget::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

void FullViewIgnoreSettingWidget::removeRecords(uint16_t flag) {
    _zp_shapes.erase(std::remove_if(_zp_shapes.begin(), _zp_shapes.end(),
                                    [flag](const IgnoreAreaRecord& r) { return r.flag == flag; }),
                     _zp_shapes.end());
}

void FullViewIgnoreSettingWidget::readIgnoreAreas(shape_block::IgnoreAreaBlock* block, bool* ok) {
    std::this_thread::sleep_for(std::chrono::milliseconds(readDelayMs_));
    *ok = linelaserClient()->cfgIgnoreAreaBlock(kShapeBlockRead, kLoadKind, block->data(), shape_block::kBlockBytes) == 0;
    commands.push(kUpdateTable);
}

void FullViewIgnoreSettingWidget::initRoiShapes(int zRangeIndex, std::function<void(int, int, int, int)> callback) {
    ui->pushButton_ignore_monitor_settisetting_save->hide();
    zRangeIndex_ = zRangeIndex;
    showBusy();
    _zp_shapes.clear();
    shape_block::IgnoreAreaBlock block{};
    bool ok = false;
    // A permanent save still running finishes before the block is read.
    startWorker([this, &block, &ok] { readIgnoreAreas(&block, &ok); });
    joinWorker();
    if (ok) {
        _zp_shapes = shape_block::decode(block.data(), block.size());
        debugLog(__LINE__, QStringLiteral("recv_ignore_form_server...") +
                               bytesToHexString(block.data(), shape_block::kBlockBytes, false));
    }
    if (!callback) return;
    LinelaserClient* client = linelaserClient();
    const ModelGeometry g = client->modelGeometry();
    const RoiBounds roi = roiBounds(static_cast<uint32_t>(client->cachedRegister(359)),
                                    static_cast<uint32_t>(client->cachedRegister(358)), g.pointsPerColumn, g.rows,
                                    window(), _zp_shapes);
    callback(roi.start, roi.end, roi.top, roi.bottom);
}

bool FullViewIgnoreSettingWidget::sendBlock(const shape_block::IgnoreAreaBlock& block, const QString& doneWord) {
    LinelaserClient* client = linelaserClient();
    int k = -1;
    if (client->cfgZRange(0, &k) != 0 || k < 0 || k > 3) {
        LogHelper::log(CLOG_LEVEL::RERROR, nullptr, nullptr, __LINE__,
                       QStringLiteral("cmd_send_ignoreArea_v2 ... z range unreadable, nothing sent"));
        commands.push(kDeviceFailed);
        return false;
    }
    LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, QStringLiteral("cmd_send_ignoreArea_v2 ... start2"));
    debugLog(__LINE__, bytesToHexString(block.data(), shape_block::kBlockBytes, false));
    shape_block::IgnoreAreaBlock bytes = block;
    // The sensor reports what it took through its block; nothing is shown.
    client->cfgIgnoreAreaBlock(kShapeBlockWrite, kLoadKind, bytes.data(), shape_block::kBlockBytes);
    debugLog(__LINE__, QStringLiteral("delete[] savebuf"));
    commands.push(doneWord);
    return true;
}

void FullViewIgnoreSettingWidget::sendIgnoreAreas() {
    showBusy();
    joinWorker();
    LogHelper::logFormat(CLOG_LEVEL::DEBUG, nullptr, nullptr, __LINE__, "_zp_shapes.size() == %d",
                         static_cast<int>(_zp_shapes.size()));
    for (size_t i = 0; i < _zp_shapes.size() && i < static_cast<size_t>(shape_block::kRecords); ++i)
        LogHelper::logFormat(CLOG_LEVEL::DEBUG, nullptr, nullptr, __LINE__, "_zp_shapes.index == %d, %d, %d",
                             static_cast<int>(i), _zp_shapes[i].type, _zp_shapes[i].x0);
    sendBlock(shape_block::encode(_zp_shapes), kCloseWait);
}

void FullViewIgnoreSettingWidget::saveIgnoreAreasThread() {
    uint8_t unused[shape_block::kBlockBytes] = {};
    if (linelaserClient()->cfgIgnoreAreaBlock(kShapeBlockWrite, kStoreKind, unused, shape_block::kBlockBytes) == 0) {
        commands.push(kIgnoreSave);
        LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, QStringLiteral("cmd_send_ignoreArea_v2 ... end1"));
    } else {
        LogHelper::log(CLOG_LEVEL::RERROR, nullptr, nullptr, __LINE__,
                       QStringLiteral("cmd_send_ignoreArea_v2 ... permanent save failed"));
        commands.push(kDeviceFailed);
    }
}

void FullViewIgnoreSettingWidget::clearAreasThread(shape_block::IgnoreAreaBlock block) {
    if (!sendBlock(block, kCloseWait)) return;
    commands.push(kIgnoreSave);
    LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, QStringLiteral("cmd_send_ignoreArea_v2 ... end1"));
}

void FullViewIgnoreSettingWidget::on_pushButton_ignore_monitor_settisetting_save_clicked() {
    showBusy();
    startWorker([this] { saveIgnoreAreasThread(); });
}

void FullViewIgnoreSettingWidget::on_pushButton_ignore_monitor_settisetting_close_clicked() {
    showBusy();
    // The list changes here, in the GUI thread; the worker gets the block.
    removeRecords(shape_block::kUserArea);
    updateTable();
    const shape_block::IgnoreAreaBlock block = shape_block::encode(_zp_shapes);
    startWorker([this, block] { clearAreasThread(block); });
}

void FullViewIgnoreSettingWidget::on_pushButton_6_clicked() {
    if (_zp_shapes.empty()) return;
    const int row = ui->tableView_ignore->currentRow();
    std::vector<IgnoreAreaRecord> kept;
    int userIndex = 0;
    for (const IgnoreAreaRecord& r : _zp_shapes) {
        if (r.flag == shape_block::kUserArea && userIndex++ == row) continue;
        kept.push_back(r);
    }
    _zp_shapes = kept;
    sendIgnoreAreas();
    updateTable();
}

void FullViewIgnoreSettingWidget::on_pushButton_add_Polygon_clicked() {
    if (_zp_shapes.size() >= static_cast<size_t>(kTableRows)) return;
    ui->pushButton_add_Polygon->setEnabled(false);
    ui->pushButton_add_Polygon_end->setEnabled(true);
    ui->label_ignore_log->setText(tr("请在图中按住鼠标左键拖拽出图形"));
    emit signal_add_Polygon(0, 0, 0, 0);
}

void FullViewIgnoreSettingWidget::endDrawing() {
    emit signal_add_Polygon(-1, -1, -1, -1);
    ui->pushButton_add_Polygon->setEnabled(true);
    ui->pushButton_add_Polygon_end->setEnabled(false);
    ui->label_ignore_log->clear();
}

void FullViewIgnoreSettingWidget::on_pushButton_add_Polygon_end_clicked() { endDrawing(); }

void FullViewIgnoreSettingWidget::on_pushButton_close_clicked() {
    // Leaving the page ends drawing: a later rectangle belongs to no one here.
    endDrawing();
    emit signal_clicked(1);
}

void FullViewIgnoreSettingWidget::on_tableView_ignore_itemClicked(QTableWidgetItem*) {
    if (_zp_shapes.empty()) return;
    const int row = ui->tableView_ignore->currentRow();
    const shape_block::ZWindow w = window();
    int userIndex = 0;
    for (const IgnoreAreaRecord& r : _zp_shapes) {
        if (r.flag != shape_block::kUserArea) continue;
        if (userIndex++ != row) continue;
        const int bottom = std::min(r.y1 - w.offset, w.rows);
        emit signal_add_Polygon(r.x0, r.y0 - w.offset, r.x1 + 1, bottom);
        break;
    }
    endDrawing();
}

void FullViewIgnoreSettingWidget::slot_add_rect_end(int x, int y, int x1, int y1) {
    if (!(x < x1 && y < y1)) return;
    const shape_block::ZWindow w = window();
    const int o = w.offset;
    auto word = [](int v) { return static_cast<uint16_t>(v); };
    if (isCurrentPage()) {
        _zp_shapes.push_back(IgnoreAreaRecord{1, word(x), word(y + o), word(x1), word(y1 + o), 0, 0,
                                              shape_block::kUserArea});
        sendIgnoreAreas();
        updateTable();
        ui->pushButton_add_Polygon->setEnabled(true);
        ui->pushButton_add_Polygon_end->setEnabled(false);
        return;
    }
    // The rows of a region drawn on the ROI page; any other page draws nothing here.
    if (!roiPageIsCurrent()) return;
    const int sensorRows = linelaserClient()->modelGeometry().rows;
    removeRecords(shape_block::kRoiBand);
    if (y > 0)
        _zp_shapes.push_back(IgnoreAreaRecord{1, 0, word(o), kBandLastColumn, word(y + o), 0, 0, shape_block::kRoiBand});
    if (y1 < sensorRows - 1)
        _zp_shapes.push_back(IgnoreAreaRecord{1, 0, word(y1 + o), kBandLastColumn, word(o + w.rows - 1), 0, 0,
                                              shape_block::kRoiBand});
    sendIgnoreAreas();
    ui->pushButton_ignore_monitor_settisetting_save->click();
}

void FullViewIgnoreSettingWidget::slot_display_roi_shapes() {
    LinelaserClient* client = linelaserClient();
    const ModelGeometry g = client->modelGeometry();
    const RoiBounds roi = roiBounds(static_cast<uint32_t>(client->cachedRegister(359)),
                                    static_cast<uint32_t>(client->cachedRegister(358)), g.pointsPerColumn, g.rows,
                                    window(), _zp_shapes);
    auto display = [&](int point) {
        const int column = static_cast<int>(point / g.pointsPerColumn - 8);
        return std::min(g.columns - 17, std::max(column, 0));
    };
    emit signal_add_Polygon(display(roi.start), roi.top, display(roi.end), roi.bottom);
}

void FullViewIgnoreSettingWidget::slot_remove_roi_shapes() {
    HVQ5_2_SET_X_ROI(0, 0, linelaserClient()->modelGeometry().points);
    removeRecords(shape_block::kRoiBand);
    sendIgnoreAreas();
    ui->pushButton_ignore_monitor_settisetting_save->click();
}

void FullViewIgnoreSettingWidget::updateTable() {
    QTableWidget* table = ui->tableView_ignore;
    int users = 0;
    for (const IgnoreAreaRecord& r : _zp_shapes) users += r.flag == shape_block::kUserArea;
    table->setRowCount(std::max(kTableRows, users));
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int c = 0; c < 2; ++c) {
            auto* item = new QTableWidgetItem();
            item->setTextAlignment(Qt::AlignCenter);
            table->setItem(row, c, item);
        }
    }
    int row = 0;
    for (const IgnoreAreaRecord& r : _zp_shapes) {
        if (r.flag != shape_block::kUserArea) continue;
        if (r.type == 1) {
            table->item(row, 0)->setText(tr("矩形"));
            table->item(row, 1)->setText(QStringLiteral("(%1:%2),(%3:%4)").arg(r.x0).arg(r.y0).arg(r.x1).arg(r.y1));
        } else if (r.type == 2) {
            table->item(row, 0)->setText(tr("三角形"));
            table->item(row, 1)->setText(QStringLiteral("(%1:%2),(%3:%4),(%5:%6)")
                                             .arg(r.x0)
                                             .arg(r.y0)
                                             .arg(r.x1)
                                             .arg(r.y1)
                                             .arg(r.x2)
                                             .arg(r.y2));
        }
        ++row;
    }
}

void FullViewIgnoreSettingWidget::slot_OnTimmerTask() {
    QString word;
    if (!commands.pop(&word)) return;
    waitDialog->cancelBtnClicked();
    linelaserClient()->startProfileAcquisition();
    if (word == kCloseWait) {
        if (isCurrentPage()) {
            emit signal_add_Polygon(0, 0, 0, 0);
            emit signal_add_Polygon(-1, -1, -1, -1);
        }
    } else if (word == kUpdateTable) {
        updateTable();
    } else if (word == kIgnoreSave) {
        if (isCurrentPage()) emit signal_clicked(1);
    } else if (word == kDeviceFailed) {
        ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok);
    }
}
