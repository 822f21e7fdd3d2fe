#pragma once
// Building blocks of the pages' forms, which are written in code the way uic
// would write them: every widget gets its object name (slots connect by it and
// tests find widgets by it), every text is set again in retranslateUi.
#include <QBoxLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFont>
#include <QGridLayout>
#include <QLayout>
#include <QSpinBox>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace forms {

// A widget of type T with its object name.
template <typename T>
T* make(QWidget* parent, const char* name) {
    T* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QSpinBox* spinBox(QWidget* parent, const char* name, int minimum, int maximum, int value);
QDoubleSpinBox* doubleSpinBox(QWidget* parent, const char* name, double minimum, double maximum, int decimals,
                              double step, double value);
// A combo box filled with count empty items (retranslateUi sets their texts).
QComboBox* comboBox(QWidget* parent, const char* name, int count);
// Sets the item texts of a combo box filled by comboBox().
void setItemTexts(QComboBox* combo, const QStringList& texts);

// A grid of label / field rows.
QGridLayout* grid(QWidget* parent);
// Narrow margins for a page's own layout: the pages sit in a narrow column.
void tightenPage(QLayout* layout);
// The page font: the system's own on Windows, Noto CJK elsewhere.
QFont pageFont(int pointSize = 9);
// Group box titles are drawn bold, their contents not.
QString boldTitleStyle();

}  // namespace forms
