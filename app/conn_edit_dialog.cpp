#include "app/conn_edit_dialog.h"

#include <QRegExp>
#include <QRegExpValidator>

#include <array>
#include <optional>

#include "app/net_address_text.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "ui_conn_edit_dialog.h"

namespace {

constexpr int kFields = 3;  // address, mask, gateway
const char kAddressPattern[] =
    "((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)";
const char* const kPlaceholders[kFields] = {"192.168.1.10", "255.255.255.0", "192.168.1.1"};

}  // namespace

ConnEditDialog::ConnEditDialog(QWidget* parent) : QDialog(parent), ui(new Ui::ConnEditDialog) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    resize(315, 230);
    for (int which = 0; which < kFields; ++which) {
        QLineEdit* field = edit(which);
        field->setInputMask(QStringLiteral("000.000.000.000"));
        field->setValidator(new QRegExpValidator(QRegExp(QString::fromLatin1(kAddressPattern)), field));
        field->setText(QString::fromLatin1(kPlaceholders[which]));
    }
    on_pushButton_refresh_clicked();
}

ConnEditDialog::~ConnEditDialog() { delete ui; }

QLineEdit* ConnEditDialog::edit(int which) const {
    return which == 0 ? ui->lineEdit_ip : which == 1 ? ui->lineEdit_mask : ui->lineEdit_gateway;
}

void ConnEditDialog::on_pushButton_refresh_clicked() {
    for (int which = 0; which < kFields; ++which) {
        uint8_t bytes[4] = {};
        if (linelaserClient()->cfgNetAddress(0, which, bytes) != 0) {
            ui::prompter().question(this, tr("提示"), tr("读取失败!"), QMessageBox::Ok);
            return;
        }
        edit(which)->setText(netAddressText(bytes));
    }
}

void ConnEditDialog::on_pushButton_edit_clicked() {
    // Nothing is written unless all three are whole addresses: a half-filled
    // field must not become the sensor's address before a reboot.
    std::array<std::array<uint8_t, 4>, kFields> values;
    for (int which = 0; which < kFields; ++which) {
        const std::optional<std::array<uint8_t, 4>> bytes = parseNetAddressText(edit(which)->text());
        if (!bytes) {
            ui::prompter().question(this, tr("提示"), tr("修改失败!"), QMessageBox::Ok);
            return;
        }
        values[static_cast<size_t>(which)] = *bytes;
    }
    for (int which = 0; which < kFields; ++which) {
        if (linelaserClient()->cfgNetAddress(1, which, values[static_cast<size_t>(which)].data()) != 0) {
            ui::prompter().question(this, tr("提示"), tr("修改失败!"), QMessageBox::Ok);
            return;
        }
    }
    if (linelaserClient()->rebootController() != 0) {
        ui::prompter().question(this, tr("提示"), tr("修改失败!"), QMessageBox::Ok);
        return;
    }
    ui::prompter().question(this, tr("提示"), tr("修改成功，关闭软件后设置好ip重新连接!"), QMessageBox::Ok);
}
