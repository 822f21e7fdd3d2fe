#include "settings_windows/change_procedure_dlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "sensor_client/app_settings.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/change_procedure_copy_dlg.h"
#include "settings_windows/change_procedure_set_name_dlg.h"
#include "settings_windows/form_helpers.h"
#include "settings_windows/modal_runner.h"
#include "settings_windows/program_steps.h"

using forms::make;

namespace {

constexpr int kDevice = 0;

Qt::WindowFlags closeButtonOnly() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

// A name the table shows: two characters or more.
bool shownInTable(const QString& name) { return name.size() >= 2; }

}  // namespace

void Ui::ChangeProcedureDlg::setupUi(QDialog* dialog) {
    dialog->setObjectName(QStringLiteral("ChangeProcedureDlg"));
    dialog->resize(411, 531);
    dialog->setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(dialog);

    groupBox = make<QGroupBox>(dialog, "groupBox");
    auto* activeRow = new QHBoxLayout(groupBox);
    lineEdit_No = make<QLineEdit>(groupBox, "lineEdit_No");
    lineEdit_No->setFixedWidth(80);
    lineEdit_No_Name = make<QLineEdit>(groupBox, "lineEdit_No_Name");
    activeRow->addWidget(lineEdit_No);
    activeRow->addWidget(lineEdit_No_Name, 1);
    layout->addWidget(groupBox);

    groupBox_2 = make<QGroupBox>(dialog, "groupBox_2");
    auto* selection = new QGridLayout(groupBox_2);
    tableView = make<QTableView>(groupBox_2, "tableView");
    pushButton_set_name = make<QPushButton>(groupBox_2, "pushButton_set_name");
    pushButton_copy = make<QPushButton>(groupBox_2, "pushButton_copy");
    pushButton_init_program = make<QPushButton>(groupBox_2, "pushButton_init_program");
    pushButton_init = make<QPushButton>(groupBox_2, "pushButton_init");
    auto* buttons = new QVBoxLayout();
    for (QPushButton* button : {pushButton_set_name, pushButton_copy, pushButton_init_program, pushButton_init})
        buttons->addWidget(button);
    buttons->addStretch(1);
    selection->addWidget(tableView, 0, 0);
    selection->addLayout(buttons, 0, 1);
    layout->addWidget(groupBox_2, 1);

    pushButton_switch_pro = make<QPushButton>(dialog, "pushButton_switch_pro");
    pushButton_close = make<QPushButton>(dialog, "pushButton_close");
    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    bottom->addWidget(pushButton_switch_pro);
    bottom->addWidget(pushButton_close);
    layout->addLayout(bottom);

    retranslateUi(dialog);
}

void Ui::ChangeProcedureDlg::retranslateUi(QDialog* dialog) {
    dialog->setWindowTitle(::ChangeProcedureDlg::tr("变更程序No."));
    groupBox->setTitle(::ChangeProcedureDlg::tr("当前的活动程序"));
    groupBox_2->setTitle(::ChangeProcedureDlg::tr("选择变更的程序"));
    pushButton_set_name->setText(::ChangeProcedureDlg::tr("修改程序名称"));
    pushButton_copy->setText(::ChangeProcedureDlg::tr("复制程序设定"));
    pushButton_init_program->setText(::ChangeProcedureDlg::tr("重置程序设定"));
    pushButton_init->setText(::ChangeProcedureDlg::tr("恢复出厂设置"));
    pushButton_switch_pro->setText(::ChangeProcedureDlg::tr("切换"));
    pushButton_close->setText(::ChangeProcedureDlg::tr("关闭"));
}

ChangeProcedureDlg::ChangeProcedureDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::ChangeProcedureDlg), model_(new QStandardItemModel(0, 2, this)) {
    ui->setupUi(this);
    setWindowFlags(closeButtonOnly());
    ui->lineEdit_No->setEnabled(false);
    ui->lineEdit_No_Name->setEnabled(false);
    loadPrograms();
    QMetaObject::connectSlotsByName(this);
    // The live profile and raw image reads wait while programs change.
    hvq5_set_link_paused(kDevice, 0);
}

ChangeProcedureDlg::~ChangeProcedureDlg() {
    hvq5_set_link_paused(kDevice, 1);
    delete ui;
}

void ChangeProcedureDlg::loadPrograms() {
    model_->clear();
    model_->setColumnCount(2);
    model_->setHorizontalHeaderLabels({tr("No ."), tr("程序名称")});
    names_ = programNames();
    // Every program has its row; a name under two characters leaves it without cells.
    model_->setRowCount(names_.size());
    for (int i = 0; i < names_.size(); ++i) {
        if (!shownInTable(names_[i])) continue;
        model_->setItem(i, 0, new QStandardItem(QString::number(i)));
        model_->setItem(i, 1, new QStandardItem(names_[i]));
    }

    QTableView* table = ui->tableView;
    table->setModel(model_);
    table->setColumnWidth(0, 50);
    table->setColumnWidth(1, 180);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->selectRow(selectedProgram());

    char active = 0;
    if (hvq5_get_program_table(kDevice, &active) == 0) {
        activeProgram_ = static_cast<uint8_t>(active);
    } else {
        activeProgram_ = 0;
        failed(tr("获取当前程序编号失败!"));
    }
    if (activeProgram_ >= names_.size()) activeProgram_ = 0;
    showActiveProgram();
}

int ChangeProcedureDlg::currentRow() const { return ui->tableView->currentIndex().row(); }

QString ChangeProcedureDlg::numberText(int row) const {
    const QStandardItem* item = model_->item(row, 0);
    return item ? item->text() : QString::number(row);
}

QString ChangeProcedureDlg::nameText(int row) const {
    const QStandardItem* item = model_->item(row, 1);
    return item ? item->text() : QString();
}

void ChangeProcedureDlg::showActiveProgram() {
    ui->lineEdit_No->setText(QStringLiteral("No.") + numberText(activeProgram_));
    ui->lineEdit_No_Name->setText(nameText(activeProgram_));
}

void ChangeProcedureDlg::failed(const QString& text) {
    ui::prompter().critical(this, tr("错误"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void ChangeProcedureDlg::returnToProgram(uint8_t program) {
    if (program_steps::runInOrder({[program] { return program_steps::select(program); }, program_steps::load}) != 0)
        failed(tr("设置程序设定失败!"));
}

void ChangeProcedureDlg::on_pushButton_switch_pro_clicked() {
    const int row = currentRow();
    // Kept even when the switch fails.
    setSelectedProgram(row);
    if (program_steps::runInOrder({[row] { return program_steps::select(row); }, program_steps::load}) != 0) {
        failed(tr("切换程序设定失败!"));
        return;
    }
    activeProgram_ = static_cast<uint8_t>(row);
    showActiveProgram();
    ui::prompter().information(this, tr("提示"), tr("成功切换程序设定至编号 %1").arg(row), QMessageBox::Ok,
                               QMessageBox::Ok);
    close();
}

void ChangeProcedureDlg::on_pushButton_init_program_clicked() {
    const int row = currentRow();
    const QMessageBox::StandardButton answer = ui::prompter().question(
        this, tr("程序设定重置"), tr("将重置程序设定[编号 %1], 确定继续吗?").arg(numberText(row)),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer != QMessageBox::Ok) return;
    if (program_steps::runInOrder(
            {[row] { return program_steps::select(row); }, program_steps::reset, program_steps::store}) != 0)
        failed(tr("重置程序设定失败!"));
    else
        ui::prompter().information(this, tr("提示"), tr("重置程序设定成功!"), QMessageBox::Ok, QMessageBox::Ok);
    returnToProgram(activeProgram_);
}

void ChangeProcedureDlg::on_pushButton_init_clicked() {
    const QMessageBox::StandardButton answer =
        ui::prompter().question(this, tr("恢复出厂设置"), tr("将恢复出厂设置, 确定继续吗?"),
                                QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer != QMessageBox::Ok) return;
    if (program_steps::runInOrder({program_steps::reset, program_steps::resetAll}) != 0)
        failed(tr("恢复出厂设置失败!"));
    else
        ui::prompter().information(this, tr("提示"), tr("恢复出厂设置成功!"), QMessageBox::Ok, QMessageBox::Ok);
    // The shown active program stays; a later sequence returns to it.
    returnToProgram(0);
}

void ChangeProcedureDlg::on_pushButton_copy_clicked() {
    ChangeProcedureCopyDlg dialog(this);
    dialog.setPrograms(currentRow(), names_);
    modal::run(dialog);
    returnToProgram(activeProgram_);
}

void ChangeProcedureDlg::on_pushButton_set_name_clicked() {
    const int row = currentRow();
    if (row < 0) return;
    ChangeProcedureSetNameDlg dialog(this);
    dialog.setProgram(numberText(row), nameText(row));
    modal::run(dialog);
}

void ChangeProcedureDlg::on_pushButton_close_clicked() { close(); }

void ChangeProcedureDlg::updateNameByNo(int no, QString sName) {
    if (no < 0 || no >= names_.size()) return;
    if (!model_->item(no, 1)) {
        model_->setItem(no, 0, new QStandardItem(QString::number(no)));
        model_->setItem(no, 1, new QStandardItem());
    }
    model_->item(no, 1)->setText(sName);
    names_[no] = sName;
    setSettingsString(settings_keys::kProgramList, names_.join(QLatin1Char(',')));
}
