#include "views/profile/ab_area_widgets.h"

#include "ui_ab_area_widgets.h"

namespace {

QString number(double value) { return QString::number(value, 'f', 3); }

QString pair(double a, double b) { return QStringLiteral("(%1, %2)").arg(number(a), number(b)); }

}  // namespace

ABAreaWidgets::ABAreaWidgets(QWidget* parent) : QWidget(parent), ui(new Ui::ABAreaWidgets) {
    qRegisterMetaType<qcustomplot_alline::ABStruct>("qcustomplot_alline::ABStruct");
    ui->setupUi(this);
    ui->widget_text_1->setVisible(true);
    ui->widget_text_2->setVisible(true);
    ui->widget_text_3->setVisible(true);
    ui->widget_text_4->setVisible(false);
}

ABAreaWidgets::~ABAreaWidgets() { delete ui; }

void ABAreaWidgets::slot_recvabdatas(qcustomplot_alline::ABStruct datas) {
    if (datas.mode == 1) {
        // x positions as the height chart sends them
        ui->widget_text_4->setVisible(false);
        ui->label_t_10->setText(tr("光标A(X)"));
        ui->label_t_11->setText(number(datas.A));
        ui->label_t_20->setText(tr("光标B(X)"));
        ui->label_t_21->setText(number(datas.B));
        ui->label_t_30->setText(tr("光标B-A"));
        ui->label_t_31->setText(number(datas.B - datas.A));
    } else if (datas.horizontal) {
        // two heights; the difference runs the other way from the x layout
        ui->widget_text_4->setVisible(false);
        ui->label_t_10->setText(tr("光标A(Z)"));
        ui->label_t_11->setText(number(datas.A));
        ui->label_t_20->setText(tr("光标B(Z)"));
        ui->label_t_21->setText(number(datas.B));
        ui->label_t_30->setText(tr("光标A-B"));
        ui->label_t_31->setText(number(datas.A - datas.B));
    } else {
        // the profile plot's x cursors with the heights under them
        ui->widget_text_4->setVisible(true);
        ui->label_t_10->setText(tr("光标A(X,Z)"));
        ui->label_t_11->setText(pair(datas.A, datas.zA));
        ui->label_t_20->setText(tr("光标B(X,Z)"));
        ui->label_t_21->setText(pair(datas.B, datas.zB));
        ui->label_t_30->setText(tr("光标A(X)-B(X)"));
        ui->label_t_31->setText(number(datas.A - datas.B));
        ui->label_t_40->setText(tr("光标A(Z)-B(Z)"));
        ui->label_t_41->setText(number(datas.zA - datas.zB));
    }
}
