#include "sensor_client/qg_groupbox.h"

#include <QLineEdit>

QGGroupbox::QGGroupbox(QWidget* parent) : QGroupBox(parent), focusSink_(new QLineEdit(parent)) {
    focusSink_->setMaximumSize(1, 1);
    focusSink_->setMinimumSize(0, 0);
}

QGGroupbox::~QGGroupbox() { delete focusSink_; }

void QGGroupbox::mousePressEvent(QMouseEvent* event) {
    QGroupBox::mousePressEvent(event);
    emit clicked1();
    focusSink_->setFocus(Qt::OtherFocusReason);
}
