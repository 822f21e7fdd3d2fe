#include "settings_windows/change_procedure_copy_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdint>

#include "sensor_client/prompter.h"
#include "settings_windows/form_helpers.h"
#include "settings_windows/program_steps.h"

using forms::make;

void Ui::ChangeProcedureCopyDlg::setupUi(QDialog* dialog) {
    dialog->setObjectName(QStringLiteral("ChangeProcedureCopyDlg"));
    dialog->resize(380, 140);
    dialog->setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(dialog);
    auto* rows = new QGridLayout();
    label = make<QLabel>(dialog, "label");
    comboBox_fromc = make<QComboBox>(dialog, "comboBox_fromc");
    label_2 = make<QLabel>(dialog, "label_2");
    comboBox_toc = make<QComboBox>(dialog, "comboBox_toc");
    rows->addWidget(label, 0, 0);
    rows->addWidget(comboBox_fromc, 0, 1);
    rows->addWidget(label_2, 1, 0);
    rows->addWidget(comboBox_toc, 1, 1);
    rows->setColumnStretch(1, 1);
    layout->addLayout(rows);
    pushButton_ok = make<QPushButton>(dialog, "pushButton_ok");
    pushButton_close = make<QPushButton>(dialog, "pushButton_close");
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(pushButton_ok);
    buttons->addWidget(pushButton_close);
    layout->addLayout(buttons);
    retranslateUi(dialog);
}

void Ui::ChangeProcedureCopyDlg::retranslateUi(QDialog* dialog) {
    dialog->setWindowTitle(::ChangeProcedureCopyDlg::tr("程序设定复制"));
    label->setText(::ChangeProcedureCopyDlg::tr("源程序"));
    label_2->setText(::ChangeProcedureCopyDlg::tr("粘贴到"));
    pushButton_ok->setText(QStringLiteral("OK"));
    pushButton_close->setText(::ChangeProcedureCopyDlg::tr("取消"));
}

ChangeProcedureCopyDlg::ChangeProcedureCopyDlg(QWidget* parent) : QDialog(parent), ui(new Ui::ChangeProcedureCopyDlg) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QMetaObject::connectSlotsByName(this);
}

ChangeProcedureCopyDlg::~ChangeProcedureCopyDlg() { delete ui; }

void ChangeProcedureCopyDlg::setPrograms(int source, const QStringList& names) {
    for (QComboBox* combo : {ui->comboBox_fromc, ui->comboBox_toc}) {
        combo->clear();
        for (int i = 0; i < names.size(); ++i) combo->addItem(QStringLiteral("[No.%1]%2").arg(i).arg(names[i]));
    }
    ui->comboBox_fromc->setCurrentIndex(source);
    if (source == 0) ui->comboBox_toc->setCurrentIndex(1);
}

void ChangeProcedureCopyDlg::copySettings() {
    const int source = ui->comboBox_fromc->currentIndex();
    const int destination = ui->comboBox_toc->currentIndex();
    if (static_cast<uint8_t>(source) == static_cast<uint8_t>(destination)) return;
    const int status =
        program_steps::runInOrder({[source] { return program_steps::select(source); }, program_steps::load,
                                   [destination] { return program_steps::select(destination); }, program_steps::store});
    if (status != 0)
        ui::prompter().critical(this, tr("错误"), tr("复制程序设定失败!"), QMessageBox::Ok, QMessageBox::Ok);
}

void ChangeProcedureCopyDlg::on_pushButton_ok_clicked() {
    copySettings();
    close();
}

void ChangeProcedureCopyDlg::on_pushButton_close_clicked() { close(); }
