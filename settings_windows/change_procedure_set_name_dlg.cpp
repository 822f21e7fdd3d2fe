#include "settings_windows/change_procedure_set_name_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "settings_windows/form_helpers.h"

using forms::make;

void Ui::ChangeProcedureSetNameDlg::setupUi(QDialog* dialog) {
    dialog->setObjectName(QStringLiteral("ChangeProcedureSetNameDlg"));
    dialog->resize(380, 140);
    dialog->setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(dialog);
    auto* rows = new QGridLayout();
    label = make<QLabel>(dialog, "label");
    lineEdit_no = make<QLineEdit>(dialog, "lineEdit_no");
    label_2 = make<QLabel>(dialog, "label_2");
    lineEdit_name = make<QLineEdit>(dialog, "lineEdit_name");
    rows->addWidget(label, 0, 0);
    rows->addWidget(lineEdit_no, 0, 1);
    rows->addWidget(label_2, 1, 0);
    rows->addWidget(lineEdit_name, 1, 1);
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

void Ui::ChangeProcedureSetNameDlg::retranslateUi(QDialog* dialog) {
    dialog->setWindowTitle(::ChangeProcedureSetNameDlg::tr("程序设定名称"));
    label->setText(::ChangeProcedureSetNameDlg::tr("程序"));
    label_2->setText(::ChangeProcedureSetNameDlg::tr("名称"));
    pushButton_ok->setText(QStringLiteral("OK"));
    pushButton_close->setText(::ChangeProcedureSetNameDlg::tr("取消"));
}

ChangeProcedureSetNameDlg::ChangeProcedureSetNameDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::ChangeProcedureSetNameDlg) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->lineEdit_no->setEnabled(false);
    // The names are stored joined by ",": a name cannot hold one.
    ui->lineEdit_name->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^,]*")), ui->lineEdit_name));
    if (parent) connect(this, SIGNAL(UpdateProceNameSignal(int, QString)), parent, SLOT(updateNameByNo(int, QString)));
    QMetaObject::connectSlotsByName(this);
}

ChangeProcedureSetNameDlg::~ChangeProcedureSetNameDlg() { delete ui; }

void ChangeProcedureSetNameDlg::setProgram(const QString& no, const QString& name) {
    no_ = no.toInt();
    ui->lineEdit_no->setText(QStringLiteral("No.%1").arg(no));
    ui->lineEdit_name->setText(name);
}

void ChangeProcedureSetNameDlg::acceptName() {
    emit UpdateProceNameSignal(no_, ui->lineEdit_name->text());
    close();
}

void ChangeProcedureSetNameDlg::on_pushButton_ok_clicked() { acceptName(); }

void ChangeProcedureSetNameDlg::on_pushButton_close_clicked() { close(); }
