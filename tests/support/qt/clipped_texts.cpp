#include "tests/support/qt/clipped_texts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

namespace mirevo::test {

namespace {

// Rounding of fractional advances and antialiased edges.
constexpr int kSlack = 1;

QString pathOf(const QWidget& widget, const QWidget& window) {
    QString path = widget.objectName();
    for (const QObject* up = widget.parent(); up && up != &window; up = up->parent())
        path = up->objectName() + QLatin1Char('/') + path;
    return path + QLatin1Char('@') + QString::fromLatin1(widget.metaObject()->className());
}

// The widest line of a plain text, mnemonic ampersands left out.
int plainWidth(const QFontMetrics& metrics, QString text, bool mnemonics) {
    if (mnemonics) {
        text.replace(QLatin1String("&&"), QLatin1String("\x01")).remove(QLatin1Char('&'));
        text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    }
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// How much of the widget's width its parents cut off (a scroll area's
// viewport, a pane narrower than its page): that part of its room is lost.
int widthCutOff(const QWidget& widget, const QWidget& window) {
    QRect shown = widget.rect();
    const QWidget* child = &widget;
    for (const QWidget* up = widget.parentWidget(); up; up = up->parentWidget()) {
        shown.translate(child->pos());
        shown &= up->rect();
        if (up == &window) break;
        child = up;
    }
    return widget.width() - shown.width();
}

void report(QStringList& out, const QWidget& widget, const QWidget& window, const QString& text, int needs, int has,
            const char* what = "px") {
    out << QStringLiteral("%1: \"%2\" needs %3 %5, has %4 %5")
               .arg(pathOf(widget, window), text)
               .arg(needs)
               .arg(has)
               .arg(QLatin1String(what));
}

void checkLabel(QLabel& label, const QWidget& window, QStringList& out) {
    const QString text = label.text();
    if (text.isEmpty() || (label.pixmap(Qt::ReturnByValue).isNull() == false)) return;
    const int margin = label.margin();
    const QRect room = label.contentsRect().adjusted(margin, margin, -margin - widthCutOff(label, window), -margin);
    const bool rich = label.textFormat() == Qt::RichText ||
                      (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    if (label.wordWrap()) {
        const int needs = label.heightForWidth(label.width() - widthCutOff(label, window));
        if (needs > label.height() + kSlack) report(out, label, window, text, needs, label.height(), "px high");
        return;
    }
    int width = 0;
    int height = 0;
    if (rich) {
        QTextDocument document;
        document.setDefaultFont(label.font());
        document.setDocumentMargin(0);
        document.setHtml(text);
        width = static_cast<int>(document.idealWidth());
        height = static_cast<int>(document.size().height());
    } else {
        const QFontMetrics metrics = label.fontMetrics();
        width = plainWidth(metrics, text, false);
        height = metrics.height() * (text.count(QLatin1Char('\n')) + 1);
    }
    if (width > room.width() + kSlack) report(out, label, window, text, width, room.width());
    else if (height > room.height() + kSlack + 2) report(out, label, window, text, height, room.height(), "px high");
}

int iconRoom(const QAbstractButton& button) {
    return button.icon().isNull() ? 0 : button.iconSize().width() + 4;
}

void checkButton(QAbstractButton& button, const QWidget& window, QStringList& out) {
    const QString text = button.text();
    if (text.isEmpty()) return;
    const int needs = plainWidth(button.fontMetrics(), text, true) + iconRoom(button);
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = text;
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(&button)) contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(&button)) contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<QPushButton*>(&button)) return;  // tool buttons lay out their own way
    const int has = button.style()->subElementRect(contents, &option, &button).width() - widthCutOff(button, window);
    if (needs > has + kSlack) report(out, button, window, text, needs, has);
}

void checkCombo(QComboBox& combo, const QWidget& window, QStringList& out) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.frame = combo.hasFrame();
    const int has =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo).width() -
        widthCutOff(combo, window);
    const QFontMetrics metrics = combo.fontMetrics();
    // Each item shows in the box once it is chosen.
    for (int i = 0; i < combo.count(); ++i) {
        const QString text = combo.itemText(i);
        const int icon = combo.itemIcon(i).isNull() ? 0 : combo.iconSize().width() + 4;
        const int needs = metrics.horizontalAdvance(text) + icon;
        if (needs > has + kSlack) report(out, combo, window, text, needs, has);
    }
}

}  // namespace

QStringList clippedTexts(QWidget& window) {
    QStringList out;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->width() <= 0) continue;
        if (auto* label = qobject_cast<QLabel*>(widget)) checkLabel(*label, window, out);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget)) checkButton(*button, window, out);
        else if (auto* combo = qobject_cast<QComboBox*>(widget)) checkCombo(*combo, window, out);
    }
    return out;
}

}  // namespace mirevo::test
