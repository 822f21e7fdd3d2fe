// The height range dialog over a batch placed in the real client's buffers:
// limits, values, the histogram, the automatic adjustment, handle drags,
// Restore, and the two export settings it stores at once.
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "tests/support/qt/qt_test_env.h"
#include "tests/views_height/height_test_env.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/d3dheight_set.h"

namespace {

using height_test::child;
constexpr double N = -9999.0;

class D3dSetDialogTest : public height_test::WorkFolderTest {
protected:
    D3dSetDialogTest() {
        linelaserClient()->zLowerMm = -6.0;
        linelaserClient()->zUpperMm = 6.0;
    }
    ~D3dSetDialogTest() override {
        linelaserClient()->zLowerMm = -6.0;
        linelaserClient()->zUpperMm = 6.0;
    }
    static double value(QWidget& dialog, const char* name) { return child<QDoubleSpinBox>(&dialog, name)->value(); }
    static d3dheight_set* bar(QWidget& dialog) { return child<d3dheight_set>(&dialog, "widget_hset"); }

    // A batch of rows whose heights cluster at `upper` (first half of the
    // points) and `lower` (second half), every row alike.
    static std::vector<std::vector<double>> twoClusters(int rows, int points, double upper, double lower) {
        std::vector<double> row(static_cast<size_t>(points));
        for (int i = 0; i < points; ++i) row[static_cast<size_t>(i)] = i < points / 2 ? upper : lower;
        return std::vector<std::vector<double>>(static_cast<size_t>(rows), row);
    }
};

TEST_F(D3dSetDialogTest, FormAndStoredExportSettings) {
    writeSettings("[HeightDisplay]\nheight_precision=0.25\nauto_save_batchdata=1\n");
    D3dSetDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "高度图像显示设定");
    EXPECT_FALSE(child<QDoubleSpinBox>(&dialog, "doubleSpinBox_range_max")->isEnabled());
    EXPECT_FALSE(child<QDoubleSpinBox>(&dialog, "doubleSpinBox_range_min")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>(&dialog, "groupBox_2")->isHidden());
    EXPECT_TRUE(child<QRadioButton>(&dialog, "radioButton_auto_up")->isChecked());
    EXPECT_TRUE(dialog.upperFirst());
    EXPECT_EQ(value(dialog, "doubleSpinBox_tif_precision"), 0.25);
    EXPECT_TRUE(child<QCheckBox>(&dialog, "checkBox_export_auto")->isChecked());
    EXPECT_EQ(child<QPushButton>(&dialog, "pushButton_cancal")->text(), "还原");
    const QStringList before = settingsLines();
    EXPECT_TRUE(before.contains("height_precision=0.25")) << "loading stores nothing back";

    child<QDoubleSpinBox>(&dialog, "doubleSpinBox_tif_precision")->setValue(0.123);
    child<QCheckBox>(&dialog, "checkBox_export_auto")->click();
    const QStringList after = settingsLines();
    EXPECT_TRUE(after.contains("height_precision=0.123")) << after.join(" | ").toStdString();
    EXPECT_TRUE(after.contains("auto_save_batchdata=0")) << after.join(" | ").toStdString();

    child<QRadioButton>(&dialog, "radioButton_auto_down")->click();
    EXPECT_FALSE(dialog.upperFirst());
    EXPECT_FALSE(child<QRadioButton>(&dialog, "radioButton_auto_up")->isChecked());
}

TEST_F(D3dSetDialogTest, NoSettingsFileIsWrittenByOpening) {
    D3dSetDialog dialog;
    EXPECT_EQ(value(dialog, "doubleSpinBox_tif_precision"), 0.1);
    EXPECT_FALSE(child<QCheckBox>(&dialog, "checkBox_export_auto")->isChecked());
    EXPECT_FALSE(settingsFileExists());
}

TEST_F(D3dSetDialogTest, LimitsCountTheBatchAndValuesPlaceTheHandles) {
    std::vector<std::vector<double>> rows = twoClusters(4, 10, 3.0, 0.0);
    rows[0][0] = N;     // invalid: below zLower
    rows[0][1] = -6.5;  // below zLower
    rows[3] = std::vector<double>(10, -3.0);  // the last received row is not counted
    setBatch(rows);
    D3dSetDialog dialog;
    dialog.setLimits(-6, 6);
    EXPECT_EQ(value(dialog, "doubleSpinBox_range_min"), -6);
    EXPECT_EQ(value(dialog, "doubleSpinBox_range_max"), 6);
    const std::vector<int>& counts = bar(dialog)->counts();
    ASSERT_EQ(counts.size(), 210u);
    EXPECT_EQ(counts[52], 13);   // 3.0 mm: 3 rows x 5 points, two of them left out
    EXPECT_EQ(counts[105], 15);  // 0.0 mm
    EXPECT_EQ(counts[157], 0);   // -3.0 mm only in the last row

    dialog.setValues(-3, 4.5);
    EXPECT_EQ(value(dialog, "doubleSpinBox_min"), -3);
    EXPECT_EQ(value(dialog, "doubleSpinBox_max"), 4.5);
    EXPECT_EQ(bar(dialog)->lowerHandleY(), 167);
    EXPECT_EQ(bar(dialog)->upperHandleY(), 36);

    // Typing into the value boxes changes the values read back, not the handles.
    child<QDoubleSpinBox>(&dialog, "doubleSpinBox_max")->setValue(1.5);
    EXPECT_EQ(bar(dialog)->upperHandleY(), 36);
    double lower = 0, upper = 0;
    dialog.values(&lower, &upper);
    EXPECT_EQ(lower, -3);
    EXPECT_EQ(upper, 1.5);
    mirevo::test::saveGrab(dialog, "d3d_set_dialog");
}

TEST_F(D3dSetDialogTest, OneRowOrEqualLimitsGiveNoHistogram) {
    setBatch({std::vector<double>(10, 1.0)});
    D3dSetDialog one;
    one.setLimits(-6, 6);
    for (int c : bar(one)->counts()) ASSERT_EQ(c, 0);

    setBatch(twoClusters(4, 10, 3.0, 0.0));
    D3dSetDialog flat;
    flat.setLimits(2, 2);
    for (int l : bar(flat)->barLengths()) ASSERT_EQ(l, 0);
    flat.setValues(2, 2);
    EXPECT_EQ(bar(flat)->upperHandleY(), d3dheight_set::kTop);
    EXPECT_EQ(bar(flat)->lowerHandleY(), d3dheight_set::kTop + d3dheight_set::kBarHeight);
}

TEST_F(D3dSetDialogTest, RestoreGivesTheFullSensorRange) {
    D3dSetDialog dialog;
    dialog.setLimits(-30, 220);
    dialog.setValues(1, 2);
    child<QPushButton>(&dialog, "pushButton_cancal")->click();
    double lower = 0, upper = 0;
    dialog.values(&lower, &upper);
    EXPECT_EQ(lower, -30);
    EXPECT_EQ(upper, 220);
}

TEST_F(D3dSetDialogTest, AutomaticAdjustmentByPriority) {
    // Heights at 3.0 mm (row 52 of the bar) and -3.0 mm (row 157).
    setBatch(twoClusters(6, 20, 3.0, -3.0));
    struct Case {
        const char* button;
        int upperY, lowerY;
    } cases[] = {
        {"radioButton_auto_up", 10 + 51, 10 + 53},
        {"radioButton_auto_down", 10 + 156, 10 + 158},
    };
    for (const Case& c : cases) {
        D3dSetDialog dialog;
        dialog.setLimits(-6, 6);
        dialog.setValues(-6, 6);
        child<QRadioButton>(&dialog, c.button)->click();
        child<QPushButton>(&dialog, "pushButton_height_auto")->click();
        EXPECT_EQ(bar(dialog)->upperHandleY(), c.upperY) << c.button;
        EXPECT_EQ(bar(dialog)->lowerHandleY(), c.lowerY) << c.button;
        // The boxes show the reported range.
        EXPECT_NEAR(value(dialog, "doubleSpinBox_max"), bar(dialog)->valueAt(c.upperY), 0.0005) << c.button;
        EXPECT_NEAR(value(dialog, "doubleSpinBox_min"), bar(dialog)->valueAt(c.lowerY), 0.0005) << c.button;
    }
}

TEST_F(D3dSetDialogTest, DraggingAHandleFillsTheValueBox) {
    D3dSetDialog dialog;
    dialog.setLimits(-6, 6);
    dialog.setValues(-6, 6);
    d3dheight_set* b = bar(dialog);
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, b->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(b, &event);
    };
    send(QEvent::MouseButtonPress, {80, 10}, Qt::LeftButton);
    send(QEvent::MouseMove, {80, 115}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {80, 115}, Qt::NoButton);
    EXPECT_NEAR(value(dialog, "doubleSpinBox_max"), 0.0, 0.0005);
    EXPECT_EQ(value(dialog, "doubleSpinBox_min"), -6);
}

}  // namespace
