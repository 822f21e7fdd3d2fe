#include <gtest/gtest.h>

#include "views/profile/named_colors.h"
#include "views/profile/shapes.h"

namespace {

tevu::Line verticalLine(float x, float y1, float y2) {
    tevu::Line line;
    line.orientation = "vertical";
    line.x1 = line.x2 = x;
    line.y1 = y1;
    line.y2 = y2;
    line.xmin = 0;
    line.xmax = 10;
    line.ymin = 0;
    line.ymax = 10;
    return line;
}

tevu::Line horizontalLine(float y, float x1, float x2) {
    tevu::Line line = verticalLine(0, 0, 0);
    line.orientation = "horizontal";
    line.x1 = x1;
    line.x2 = x2;
    line.y1 = line.y2 = y;
    return line;
}

const QStringList kAreaHandles = {"center", "left", "right"};
const QStringList kAllHandles = {"left", "right", "top", "bottom", "center"};

tevu::Rectangle rectangle(const QStringList& handles) {
    return tevu::Rectangle(-10, 10, -5, 5, -2, -1, 2, 1, "red", handles);
}

}  // namespace

TEST(NamedColorMap, HoldsTheNinePlotColoursOpaque) {
    const std::pair<const char*, QColor> expected[] = {
        {"red", QColor(255, 0, 0)},       {"green", QColor(0, 255, 0)},   {"blue", QColor(0, 0, 255)},
        {"black", QColor(0, 0, 0)},       {"white", QColor(255, 255, 255)}, {"yellow", QColor(255, 255, 0)},
        {"cyan", QColor(0, 255, 255)},    {"magenta", QColor(255, 0, 255)}, {"purple", QColor(128, 0, 128)},
    };
    for (const auto& [name, colour] : expected) {
        EXPECT_EQ(namedColorMap.value(name), colour) << name;
        EXPECT_EQ(namedColorMap.value(name).alpha(), 255) << name;
    }
    EXPECT_EQ(namedColorMap.size(), 9);
}

TEST(NamedColorMap, UnknownNameIsAddedWithAnInvalidColour) {
    const QColor looked = namedColorMap["orange"];
    EXPECT_FALSE(looked.isValid());
    EXPECT_TRUE(namedColorMap.contains("orange"));
    namedColorMap.remove("orange");
}

TEST(LineHitTest, StrictTolerancesAroundEndsAndAcross) {
    struct Case {
        tevu::Line line;
        float x, y;
        const char* expected;
    };
    const Case cases[] = {
        {verticalLine(5, 0, 10), 5.0f, 0.5f, "begin"},
        {verticalLine(5, 0, 10), 5.5f, 10.2f, "end"},
        {verticalLine(5, 0, 10), 5.5f, 5.0f, "center"},
        {verticalLine(5, 0, 10), 6.0f, 5.0f, ""},   // exactly the line tolerance away
        {verticalLine(5, 0, 10), 6.0f, 0.0f, ""},   // exactly the end tolerance away in x
        {verticalLine(5, 0, 10), 5.0f, -1.0f, "center"},  // not the begin, but across the line
        {verticalLine(5, 0, 10), 4.1f, 20.0f, "center"},  // a vertical cursor spans the whole plot
        {horizontalLine(2, 0, 10), 5.0f, 2.9f, "center"},
        {horizontalLine(2, 0, 10), 5.0f, 3.0f, ""},
        {horizontalLine(2, 0, 10), 10.5f, 2.5f, "end"},
    };
    for (const Case& c : cases) {
        tevu::Line line = c.line;
        EXPECT_EQ(line.hitTest(c.x, c.y, 1, 1, 1, 1), QString(c.expected))
            << line.orientation.toStdString() << " at " << c.x << "," << c.y;
    }
}

TEST(LineMove, CursorMovesOnlyAcrossItsDirectionAndEachEndClampsAlone) {
    tevu::Line vertical = verticalLine(5, 0, 10);
    vertical.moveBy(2, 3, "center");
    EXPECT_FLOAT_EQ(vertical.x1, 7);
    EXPECT_FLOAT_EQ(vertical.x2, 7);
    EXPECT_FLOAT_EQ(vertical.y1, 0);
    EXPECT_FLOAT_EQ(vertical.y2, 10);

    vertical.moveBy(100, 0, "begin");  // against the bound: stays on it
    EXPECT_FLOAT_EQ(vertical.x1, 10);
    EXPECT_FLOAT_EQ(vertical.x2, 10);

    tevu::Line horizontal = horizontalLine(2, 0, 10);
    horizontal.moveBy(4, -5, "end");
    EXPECT_FLOAT_EQ(horizontal.x1, 0);
    EXPECT_FLOAT_EQ(horizontal.x2, 10);
    EXPECT_FLOAT_EQ(horizontal.y1, 0);  // clamped to ymin
    EXPECT_FLOAT_EQ(horizontal.y2, 0);

    // Without a handle both directions move and each coordinate clamps alone.
    tevu::Line free = verticalLine(2, 0, 10);
    free.moveBy(1, 5, "");
    EXPECT_FLOAT_EQ(free.x1, 3);
    EXPECT_FLOAT_EQ(free.y1, 5);
    EXPECT_FLOAT_EQ(free.y2, 10);
}

TEST(ClampBound, UpperBoundFirstSoTheLowerWinsWhenCrossed) {
    EXPECT_FLOAT_EQ(tevu::clampBound(5, 0, 10), 5);
    EXPECT_FLOAT_EQ(tevu::clampBound(-1, 0, 10), 0);
    EXPECT_FLOAT_EQ(tevu::clampBound(11, 0, 10), 10);
    EXPECT_FLOAT_EQ(tevu::clampBound(3, 8, 2), 8);
}

TEST(RectangleConstruction, ClampsLeftAndRightKeepsTopAndBottomAndPlacesCorners) {
    tevu::Rectangle rect(-1, 1, -5, 5, -3, -8, 3, 9, "purple", kAreaHandles);
    EXPECT_EQ(rect.color, QColor(128, 0, 128));
    EXPECT_FALSE(rect.selected);
    EXPECT_FLOAT_EQ(rect.left, -1);
    EXPECT_FLOAT_EQ(rect.right, 1);
    EXPECT_FLOAT_EQ(rect.top, -8);
    EXPECT_FLOAT_EQ(rect.bottom, 9);
    const float expected[4][2] = {{-1, -8}, {1, -8}, {1, 9}, {-1, 9}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(rect.corners[i].x1, expected[i][0]);
        EXPECT_FLOAT_EQ(rect.corners[i].x2, expected[i][0]);
        EXPECT_FLOAT_EQ(rect.corners[i].y1, expected[i][1]);
        EXPECT_FLOAT_EQ(rect.corners[i].y2, expected[i][1]);
    }
}

TEST(RectangleHitTest, CornersBeforeEdgesBeforeInside) {
    struct Case {
        float x, y;
        const char* expected;
    };
    const Case cases[] = {
        {-2, -1, "left_top"},     {2, -1, "right_top"},   {2, 1, "right_bottom"}, {-2, 1, "left_bottom"},
        {-2.1f, -0.9f, "left_top"},  // also near the left edge: the corner wins
        {-2.2f, 0, "left"},       {2.3f, 0, "right"},
        {-1.8f, 0, "left"},       // inside, but near the left edge: the edge wins
        {0, -1.2f, "top"},        {0, 1.2f, "bottom"},    {0, 0, "center"},
        {-2.5f, 0, ""},           // exactly the edge tolerance away
        {0, 3, ""},               {5, 0, ""},
    };
    tevu::Rectangle rect = rectangle(kAllHandles);
    for (const Case& c : cases)
        EXPECT_EQ(rect.hitTest(c.x, c.y, 0.5f, 0.5f, 0.5f, 0.5f), QString(c.expected)) << c.x << "," << c.y;
}

TEST(RectangleMove, EdgesStopAtTheOppositeEdgeAndTheWholeStopsFlush) {
    struct Case {
        const char* name;
        QStringList handles;
        float dx, dy;
        const char* handle;
        float left, top, right, bottom;
    };
    const Case cases[] = {
        {"left across right", kAreaHandles, 10, 0, "left", 2, -1, 2, 1},
        {"right across left", kAreaHandles, -10, 0, "right", -2, -1, -2, 1},
        {"left within", kAreaHandles, -1, 0, "left", -3, -1, 2, 1},
        {"center to the right bound", kAreaHandles, 100, 0, "center", 6, -1, 10, 1},
        {"center to the left bound", kAreaHandles, -100, 0, "center", -10, -1, -6, 1},
        {"center to the lower bound", kAreaHandles, 0, 100, "center", -2, 3, 2, 5},
        {"left_top on an area moves only the left edge", kAreaHandles, 1, 1, "left_top", -1, -1, 2, 1},
        {"top on an area moves nothing", kAreaHandles, 0, 1, "top", -2, -1, 2, 1},
        {"top across bottom", kAllHandles, 0, 10, "top", -2, 1, 2, 1},
        {"bottom across top", kAllHandles, 0, -10, "bottom", -2, -1, 2, -1},
        {"right_bottom with every handle", kAllHandles, 1, 1, "right_bottom", -2, -1, 3, 2},
    };
    for (const Case& c : cases) {
        tevu::Rectangle rect = rectangle(c.handles);
        rect.moveBy(c.dx, c.dy, c.handle);
        EXPECT_FLOAT_EQ(rect.left, c.left) << c.name;
        EXPECT_FLOAT_EQ(rect.top, c.top) << c.name;
        EXPECT_FLOAT_EQ(rect.right, c.right) << c.name;
        EXPECT_FLOAT_EQ(rect.bottom, c.bottom) << c.name;
        EXPECT_FLOAT_EQ(rect.corners[2].x1, c.right) << c.name;
        EXPECT_FLOAT_EQ(rect.corners[2].y1, c.bottom) << c.name;
    }
}
