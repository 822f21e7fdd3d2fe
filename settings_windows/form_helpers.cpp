#include "settings_windows/form_helpers.h"

namespace forms {

QSpinBox* spinBox(QWidget* parent, const char* name, int minimum, int maximum, int value) {
    QSpinBox* box = make<QSpinBox>(parent, name);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

QDoubleSpinBox* doubleSpinBox(QWidget* parent, const char* name, double minimum, double maximum, int decimals,
                              double step, double value) {
    QDoubleSpinBox* box = make<QDoubleSpinBox>(parent, name);
    box->setDecimals(decimals);
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

QComboBox* comboBox(QWidget* parent, const char* name, int count) {
    QComboBox* combo = make<QComboBox>(parent, name);
    for (int i = 0; i < count; ++i) combo->addItem(QString());
    return combo;
}

void setItemTexts(QComboBox* combo, const QStringList& texts) {
    for (int i = 0; i < texts.size() && i < combo->count(); ++i) combo->setItemText(i, texts[i]);
}

QGridLayout* grid(QWidget* parent) {
    auto* layout = new QGridLayout(parent);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(3);
    return layout;
}

void tightenPage(QLayout* layout) {
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
}

QFont pageFont(int pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(pointSize);
    return font;
}

QString boldTitleStyle() { return QStringLiteral("QGroupBox { font-weight: bold; }"); }

}  // namespace forms
