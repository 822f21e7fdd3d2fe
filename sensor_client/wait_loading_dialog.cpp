#include "sensor_client/wait_loading_dialog.h"

#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QIcon>
#include <QLabel>
#include <QMetaObject>
#include <QMovie>
#include <QPainter>

WaitLoadingDialog::WaitLoadingDialog(QWidget* parent) : QDialog(parent) {
    if (objectName().isEmpty()) setObjectName(QStringLiteral("WaitLoadingDialogClass"));
    resize(600, 400);
    setWindowTitle(QCoreApplication::translate("WaitLoadingDialogClass", "WaitLoadingDialog"));
    // A file beside the working folder, not a resource.
    setWindowIcon(QIcon(QStringLiteral("./res/logo.png")));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(250, 250);

    frame_ = new QFrame(this);
    frame_->setGeometry(10, 10, 230, 210);

    movie_ = new QMovie(QStringLiteral(":/res/load.gif"), QByteArray(), this);
    movie_->setScaledSize(QSize(120, 120));
    movieLabel_ = new QLabel(this);
    movieLabel_->setGeometry(55, 25, 120, 120);
    movieLabel_->setScaledContents(true);
    movieLabel_->setMovie(movie_);
    movie_->start();

    tips_ = new QLabel(this);
    tips_->setObjectName(QStringLiteral("tips"));
    tips_->setGeometry(5, 155, 220, 50);
    tips_->setAlignment(Qt::AlignCenter);
    tips_->setStyleSheet(
        QStringLiteral("QLabel#tips{font-family:\"Microsoft YaHei\";font-size: 15px;color: #333333;}"));

    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(32, 101, 165, 255));
    shadow->setBlurRadius(10);
    setGraphicsEffect(shadow);

    QMetaObject::connectSlotsByName(this);
}

void WaitLoadingDialog::cancelBtnClicked() {
    emit cancelWaiting();
    done(-1);
}

void WaitLoadingDialog::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QBrush(Qt::white));
        painter.setPen(Qt::transparent);
        painter.drawRoundedRect(rect().adjusted(9, 9, -9, -9), 8, 8, Qt::AbsoluteSize);
    }
    QDialog::paintEvent(event);
}

void WaitLoadingDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    tips_->setText(tr("请稍候..."));
}
