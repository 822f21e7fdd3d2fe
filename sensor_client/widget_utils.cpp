#include "sensor_client/widget_utils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>

#include <cstring>

void centerOnWidget(QWidget* widget, QWidget* parent) {
    if (!widget || !parent) return;
    widget->move(parent->x() + (parent->width() - widget->width()) / 2,
                 parent->y() + (parent->height() - widget->height()) / 2);
}

void copyTextToClipboard(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    // Up to the first NUL, as a C string would carry it.
    clipboard->setText(QString::fromUtf8(text.c_str(), static_cast<int>(std::strlen(text.c_str()))));
}
