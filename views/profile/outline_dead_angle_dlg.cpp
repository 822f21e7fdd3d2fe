#include "views/profile/outline_dead_angle_dlg.h"

#include <QPixmap>

#include "ui_outline_dead_angle_dlg.h"

OutLineDeadAngleDlg::OutLineDeadAngleDlg(QWidget* parent) : QDialog(parent), ui(new Ui::OutLineDeadAngleDlg) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    // A picture beside the program's working folder; without it the label
    // stays empty.
    QPixmap picture;
    if (picture.load(QStringLiteral("res/Img/test/deadangle1.png"))) ui->label_deadangle_img->setPixmap(picture);
    connect(ui->pushButton_ok, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->pushButton_close, &QPushButton::clicked, this, &QDialog::close);
}

OutLineDeadAngleDlg::~OutLineDeadAngleDlg() { delete ui; }
