#include <gtest/gtest.h>

#include <QLabel>

#include "views/profile/ab_area_widgets.h"

namespace {

qcustomplot_alline::ABStruct record(int mode, double a, double b, double za, double zb, bool horizontal) {
    qcustomplot_alline::ABStruct r;
    r.mode = mode;
    r.A = a;
    r.B = b;
    r.zA = za;
    r.zB = zb;
    r.horizontal = horizontal;
    return r;
}

QString text(const QWidget& panel, const char* label) { return panel.findChild<QLabel*>(label)->text(); }

bool rowShown(const QWidget& panel, int row) {
    return !panel.findChild<QWidget*>(QStringLiteral("widget_text_%1").arg(row))->isHidden();
}

}  // namespace

TEST(ABStruct, HoldsItsNineFieldsInOrder) {
    qcustomplot_alline::ABStruct r;
    EXPECT_LT(offsetof(qcustomplot_alline::ABStruct, mode), offsetof(qcustomplot_alline::ABStruct, A));
    EXPECT_LT(offsetof(qcustomplot_alline::ABStruct, zB), offsetof(qcustomplot_alline::ABStruct, horizontal));
    EXPECT_LT(offsetof(qcustomplot_alline::ABStruct, linked), offsetof(qcustomplot_alline::ABStruct, dragState));
    EXPECT_EQ(r.mode, 0);
    EXPECT_FALSE(r.visible);
    EXPECT_EQ(r.dragState, 0);
    EXPECT_TRUE(QMetaType::type("qcustomplot_alline::ABStruct") != QMetaType::UnknownType ||
                qMetaTypeId<qcustomplot_alline::ABStruct>() != 0);
}

TEST(ABAreaWidgets, StartsWithItsFormTextsAndThreeRows) {
    ABAreaWidgets panel;
    EXPECT_EQ(panel.size(), QSize(356, 117));
    EXPECT_EQ(panel.windowTitle(), "ABAreaWidgets");
    EXPECT_EQ(text(panel, "label_t_10"), "光标A(Z)");
    EXPECT_EQ(text(panel, "label_t_11"), "0.0");
    EXPECT_EQ(text(panel, "label_t_30"), "光标A-B");
    EXPECT_EQ(text(panel, "label_t_40"), "光标A-B");
    EXPECT_TRUE(rowShown(panel, 1));
    EXPECT_TRUE(rowShown(panel, 3));
    EXPECT_FALSE(rowShown(panel, 4));
    EXPECT_EQ(panel.findChild<QLabel*>("label_t_10")->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
}

TEST(ABAreaWidgets, ShowsTheThreeLayouts) {
    struct Case {
        const char* name;
        qcustomplot_alline::ABStruct r;
        QStringList texts;  // label_t_10, _11, _20, _21, _30, _31, and row 4 when shown
        bool row4;
    };
    const Case cases[] = {
        {"x positions from the height chart (mode wins over the flag)", record(1, 1.5, 4.25, 9, 9, true),
         {"光标A(X)", "1.500", "光标B(X)", "4.250", "光标B-A", "2.750"}, false},
        {"two heights", record(0, 2.5, -1.125, 0, 0, true),
         {"光标A(Z)", "2.500", "光标B(Z)", "-1.125", "光标A-B", "3.625"}, false},
        {"points under the x cursors", record(0, -4, 4, 0.5, -9999, false),
         {"光标A(X,Z)", "(-4.000, 0.500)", "光标B(X,Z)", "(4.000, -9999.000)", "光标A(X)-B(X)", "-8.000",
          "光标A(Z)-B(Z)", "9999.500"},
         true},
    };
    ABAreaWidgets panel;
    for (const Case& c : cases) {
        panel.slot_recvabdatas(c.r);
        const QStringList shown = {text(panel, "label_t_10"), text(panel, "label_t_11"), text(panel, "label_t_20"),
                                   text(panel, "label_t_21"), text(panel, "label_t_30"), text(panel, "label_t_31")};
        EXPECT_EQ(shown, c.texts.mid(0, 6)) << c.name;
        EXPECT_EQ(rowShown(panel, 4), c.row4) << c.name;
        if (c.row4) {
            EXPECT_EQ(text(panel, "label_t_40"), c.texts[6]) << c.name;
            EXPECT_EQ(text(panel, "label_t_41"), c.texts[7]) << c.name;
        }
    }
}
