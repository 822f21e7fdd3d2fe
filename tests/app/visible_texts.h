#pragma once
// The texts an operator reads in a window, for the language-switch checks:
// titles, labels, buttons, group and menu titles, placeholders, combo items,
// tabs, table headers and tooltips of every visible widget, and the texts of
// its visible actions and menus, keyed by where they sit.
#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>

#include <map>

namespace mirevo::test {

// CJK ideographs, CJK punctuation and full-width forms.
inline bool hasChinese(const QString& text) {
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
    }
    return false;
}

// Texts by "object path:kind".
using Texts = std::map<QString, QString>;

inline void collectTexts(QObject* object, const QString& path, Texts& texts) {
    auto put = [&](const char* kind, const QString& text) {
        if (!text.isEmpty()) texts[path + QLatin1Char(':') + QLatin1String(kind)] = text;
    };
    if (auto* w = qobject_cast<QWidget*>(object)) {
        if (w->isWindow()) put("windowTitle", w->windowTitle());
        put("toolTip", w->toolTip());
    }
    if (auto* l = qobject_cast<QLabel*>(object)) put("text", l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(object)) put("text", b->text());
    if (auto* g = qobject_cast<QGroupBox*>(object)) put("title", g->title());
    if (auto* m = qobject_cast<QMenu*>(object)) put("title", m->title());
    if (auto* e = qobject_cast<QLineEdit*>(object)) put("placeholder", e->placeholderText());
    if (auto* a = qobject_cast<QAction*>(object)) {
        put("text", a->text());
        put("toolTip", a->toolTip() == a->text().remove(QLatin1Char('&')) ? QString() : a->toolTip());
    }
    if (auto* c = qobject_cast<QComboBox*>(object))
        for (int i = 0; i < c->count(); ++i) put(QStringLiteral("item%1").arg(i).toLatin1().constData(), c->itemText(i));
    if (auto* t = qobject_cast<QTabWidget*>(object))
        for (int i = 0; i < t->count(); ++i) put(QStringLiteral("tab%1").arg(i).toLatin1().constData(), t->tabText(i));
    if (auto* h = qobject_cast<QHeaderView*>(object)) {
        if (QAbstractItemModel* model = h->model())
            for (int i = 0; i < model->columnCount() && h->orientation() == Qt::Horizontal; ++i)
                put(QStringLiteral("header%1").arg(i).toLatin1().constData(),
                    model->headerData(i, Qt::Horizontal).toString());
    }
}

// Every text of the window's visible widgets, its visible actions and menus.
inline Texts visibleTexts(QWidget& window) {
    Texts texts;
    collectTexts(&window, window.objectName(), texts);
    for (QObject* object : window.findChildren<QObject*>()) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget && !qobject_cast<QMenu*>(widget) && !widget->isVisibleTo(&window)) continue;
        if (qobject_cast<QAction*>(object) && !static_cast<QAction*>(object)->isVisible()) continue;
        if (qobject_cast<QMenu*>(object) && !static_cast<QMenu*>(object)->menuAction()->isVisible()) continue;
        QString path = object->objectName();
        for (QObject* up = object->parent(); up && up != &window; up = up->parent())
            path = up->objectName() + QLatin1Char('/') + path;
        path += QLatin1Char('@') + QString::fromLatin1(object->metaObject()->className());
        collectTexts(object, path, texts);
    }
    return texts;
}

// "where = text" of the texts that still hold a Chinese character.
inline QStringList chineseTexts(const Texts& texts) {
    QStringList left;
    for (const auto& [where, text] : texts)
        if (hasChinese(text)) left << where + QStringLiteral(" = ") + text;
    return left;
}

}  // namespace mirevo::test
