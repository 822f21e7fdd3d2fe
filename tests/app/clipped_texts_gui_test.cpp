// The check behind the windows' walk for cut texts: each kind of widget it
// measures, once with room and once without.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/qt/clipped_texts.h"

namespace {

const QString kLong = QStringLiteral("Repaired points for invalid data");

struct ClipCase {
    const char* what;
    std::function<QWidget*(QWidget* window, bool roomy)> make;
};

QWidget* sized(QWidget* w, bool roomy) {
    w->setGeometry(0, 0, roomy ? 380 : 60, 30);
    return w;
}

const ClipCase kCases[] = {
    {"label", [](QWidget* p, bool roomy) { return sized(new QLabel(kLong, p), roomy); }},
    {"push button", [](QWidget* p, bool roomy) { return sized(new QPushButton(kLong, p), roomy); }},
    {"check box", [](QWidget* p, bool roomy) { return sized(new QCheckBox(kLong, p), roomy); }},
    {"radio button", [](QWidget* p, bool roomy) { return sized(new QRadioButton(kLong, p), roomy); }},
    {"combo box item",
     [](QWidget* p, bool roomy) {
         auto* combo = new QComboBox(p);
         combo->addItems({QStringLiteral("1"), kLong});
         return sized(combo, roomy);
     }},
    {"wrapped label",
     [](QWidget* p, bool roomy) {
         auto* label = new QLabel(kLong, p);
         label->setWordWrap(true);
         label->setGeometry(0, 0, roomy ? 380 : 60, 20);
         return label;
     }},
    {"label wider than the scroll area that shows it",
     [](QWidget* p, bool roomy) {
         auto* area = new QScrollArea(p);
         area->setGeometry(0, 0, roomy ? 390 : 100, 60);
         auto* label = new QLabel(kLong);
         label->setFixedSize(380, 30);
         area->setWidget(label);
         return static_cast<QWidget*>(area);
     }},
};

TEST(ClippedTexts, AreFoundInEveryKindOfWidgetAndOnlyWithoutRoom) {
    for (const ClipCase& c : kCases) {
        for (const bool roomy : {true, false}) {
            QWidget window;
            window.resize(400, 100);
            c.make(&window, roomy);
            window.show();
            const QStringList found = mirevo::test::clippedTexts(window);
            if (roomy) EXPECT_TRUE(found.isEmpty()) << c.what << ": " << found.join(" | ").toStdString();
            else EXPECT_EQ(found.size(), 1) << c.what << ": " << found.join(" | ").toStdString();
        }
    }
}

TEST(ClippedTexts, HiddenWidgetsAndMnemonicsDoNotCount) {
    QWidget window;
    window.resize(400, 100);
    auto* hidden = new QLabel(kLong, &window);
    hidden->setGeometry(0, 0, 20, 20);
    hidden->hide();
    auto* button = new QPushButton(QStringLiteral("&&&O&K"), &window);
    const int exact = button->fontMetrics().horizontalAdvance(QStringLiteral("&OK"));
    button->setGeometry(0, 30, exact + 30, 30);
    window.show();
    EXPECT_TRUE(mirevo::test::clippedTexts(window).isEmpty());
}

}  // namespace
