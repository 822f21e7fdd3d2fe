#pragma once
// Small helpers for the imaging pages' forms built in code: every control
// gets the object name the slots connect to.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QStringList>

namespace page_form {

template <typename W>
W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QLabel* label(QWidget* parent, const char* name, const QString& text) {
    QLabel* l = named<QLabel>(parent, name);
    l->setText(text);
    return l;
}

inline QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    QPushButton* b = named<QPushButton>(parent, name);
    b->setText(text);
    return b;
}

inline QComboBox* combo(QWidget* parent, const char* name, const QStringList& items) {
    QComboBox* c = named<QComboBox>(parent, name);
    c->addItems(items);
    return c;
}

}  // namespace page_form
