// The 2.5D pages without a sensor: forms, cursor columns, result display.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

#include <gtest/gtest.h>

#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/profile/tools/outline25d_advanced_widget.h"
#include "views/profile/tools/outline25d_setting_widget.h"
#include "views/profile/tools/outline25d_setup_widget.h"

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

template <class T>
T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QList<QVariant> cursor(int a, int b, int c, int d, int e) { return {a, b, c, d, e}; }

}  // namespace

TEST(StepHeightMainForm, ControlsRangesAndDefaults) {
    Outline25dSettingWidget page;
    EXPECT_EQ(page.objectName(), "page_outline25d_setting");
    EXPECT_EQ(page.size(), QSize(350, 563));
    EXPECT_EQ(page.font().family(), "微软雅黑");
    auto* median = child<QSpinBox>(page, "spinBox_delta_median");
    EXPECT_EQ(median->value(), 127);
    EXPECT_EQ(median->singleStep(), 2);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_delta_average")->value(), 9);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_area1_start")->maximum(), 2047);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_area2_len")->maximum(), 400);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_area2_len")->minimum(), 1);
    auto* reference = child<QComboBox>(page, "comboBox_correction_ref_area");
    EXPECT_EQ(reference->count(), 3);
    EXPECT_EQ(reference->currentIndex(), -1) << "no item selected";
    EXPECT_EQ(reference->itemText(2), "预校准值");
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(page, "doubleSpinBox_correction_k")->minimum(), -999999999);
    EXPECT_EQ(child<QLabel>(page, "label_area1_start")->text(), "起点(pixel)");
    EXPECT_EQ(child<QPushButton>(page, "pushButton_advanced")->text(), "高級");
    EXPECT_TRUE(page.isCursorEnabled());
    EXPECT_EQ(page.boundaryMode, 0);
    page.show();
    mirevo::test::saveGrab(page, "step_height_main_page");
}

TEST(StepHeightMainForm, ButtonsAskForTheirPages) {
    Outline25dSettingWidget page;
    QSignalSpy clicked(&page, &Outline25dSettingWidget::signal_clicked);
    child<QPushButton>(page, "pushButton_output_setting")->click();
    child<QPushButton>(page, "pushButton_advanced")->click();
    EXPECT_TRUE(page.isCursorEnabled());
    child<QPushButton>(page, "pushButton_setup")->click();
    EXPECT_FALSE(page.isCursorEnabled()) << "the setup page owns the camera cursors";
    ASSERT_EQ(clicked.count(), 3);
    EXPECT_EQ(clicked[0][0].toInt(), 14);
    EXPECT_EQ(clicked[1][0].toInt(), 18);
    EXPECT_EQ(clicked[2][0].toInt(), 17);
}

TEST(StepHeightMainCursors, ColumnsAreShiftedByEightAndClamped) {
    struct Case {
        const char* name;
        int mode;
        int s1, l1, s2, l2;                   // spin boxes
        QList<int> result;                    // boundary, offset1, offset2, len1, len2 (empty: none)
        QList<QVariant> expected;
    };
    const Case cases[] = {
        {"manual areas before any result", 0, 100, 50, 300, 20, {}, cursor(92, 142, 292, 312, 0)},
        {"a start at column 3 gives 0", 0, 3, 10, 2000, 100, {}, cursor(0, 5, 1992, 2031, 0)},
        {"manual areas with a result's boundary", 0, 100, 50, 300, 20, {500, 0, 0, 0, 0}, cursor(92, 142, 292, 312, 492)},
        {"automatic search: the result's areas", 1, 100, 50, 300, 20, {600, 610, 700, 30, 40},
         cursor(602, 632, 692, 732, 592)},
        {"automatic search without a boundary", 2, 100, 50, 300, 20, {-1, 610, 700, 30, 40}, cursor(-1, -1, -1, -1, -1)},
        {"boundary beyond the last column", 0, 100, 50, 300, 20, {4000, 0, 0, 0, 0}, cursor(92, 142, 292, 312, 2031)},
    };
    for (const Case& c : cases) {
        Outline25dSettingWidget page;
        ScopedPrompter prompts;
        prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);  // no sensor: the writes fail
        child<QSpinBox>(page, "spinBox_area1_start")->setValue(c.s1);
        child<QSpinBox>(page, "spinBox_area1_len")->setValue(c.l1);
        child<QSpinBox>(page, "spinBox_area2_start")->setValue(c.s2);
        child<QSpinBox>(page, "spinBox_area2_len")->setValue(c.l2);
        page.boundaryMode = c.mode;
        page.setCursorEnabled(false);
        if (!c.result.isEmpty())
            page.update_data("", "", c.result[0], c.result[1], c.result[2], c.result[3], c.result[4]);
        QSignalSpy cursors(&page, &Outline25dSettingWidget::signal_set_cursor_x);
        page.updateCursor();
        ASSERT_EQ(cursors.count(), 1) << c.name;
        EXPECT_EQ(cursors[0], c.expected) << c.name;
    }
}

TEST(StepHeightMainResults, ShowNameAndValueAndRefreshTheCursorsWhenAllowed) {
    Outline25dSettingWidget page;
    QSignalSpy cursors(&page, &Outline25dSettingWidget::signal_set_cursor_x);
    page.update_data("段差", " 1.500, 2", 600, 0, 0, 0, 0);
    EXPECT_EQ(child<QLabel>(page, "label_output")->text(), "段差");
    EXPECT_EQ(child<QLabel>(page, "label_output_value")->text(), " 1.500, 2");
    EXPECT_EQ(cursors.count(), 1);
    page.update_data("", " 2.000", 600, 0, 0, 0, 0);  // an empty name keeps the caption
    EXPECT_EQ(child<QLabel>(page, "label_output")->text(), "段差");
    EXPECT_EQ(child<QLabel>(page, "label_output_value")->text(), " 2.000");
    page.setCursorEnabled(false);
    page.update_data("x", "1", 600, 0, 0, 0, 0);
    EXPECT_EQ(cursors.count(), 2);
}

TEST(StepHeightMainWorkMode, DoesNothingWithoutAnOpenDevice) {
    Outline25dSettingWidget page;
    QSignalSpy mode(&page, &Outline25dSettingWidget::signal_work_mode);
    child<QCheckBox>(page, "checkBox_25d_en")->setChecked(true);
    EXPECT_EQ(mode.count(), 0);
    EXPECT_TRUE(child<QCheckBox>(page, "checkBox_25d_en")->isChecked());
    EXPECT_TRUE(child<QGroupBox>(page, "groupBox_measure_params")->isEnabled());
}

TEST(StepHeightAdvancedForm, ControlsRangesAndDefaults) {
    Outline25dAdvancedWidget page;
    EXPECT_EQ(page.objectName(), "page_outline25d_advanced");
    EXPECT_EQ(page.size(), QSize(350, 533));
    EXPECT_TRUE(child<QGroupBox>(page, "groupBox_boundary")->font().bold());
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_trigger_period")->value(), 1000000);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_trigger_period")->minimum(), 1000);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_batch_times")->minimum(), 10);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_delta_sep")->value(), 9);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(page, "doubleSpinBox_mvalue_lower")->value(), -999999999);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(page, "doubleSpinBox_mvalue_upper")->value(), 999999999);
    for (const char* name : {"comboBox_delta_cal_way", "comboBox_auto_boundary", "comboBox_auto_boundary_base"})
        EXPECT_EQ(child<QComboBox>(page, name)->currentIndex(), -1) << name;
    EXPECT_EQ(child<QComboBox>(page, "comboBox_auto_boundary")->itemText(2), "自动找边界v2");
    QSignalSpy clicked(&page, &Outline25dAdvancedWidget::signal_clicked);
    child<QPushButton>(page, "pushButton_close")->click();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 13);
    page.show();
    mirevo::test::saveGrab(page, "step_height_advanced_page");
}

TEST(StepHeightSetupForm, ControlsAndAnUnreadableWorkMode) {
    Outline25dSetupWidget page;
    EXPECT_EQ(page.objectName(), "page_outline25d_setup");
    EXPECT_FALSE(child<QDoubleSpinBox>(page, "doubleSpinBox_linearity")->isEnabled());
    EXPECT_TRUE(child<QDoubleSpinBox>(page, "doubleSpinBox_degree")->isEnabled());
    EXPECT_FALSE(page.reloadTimer().isActive());

    // No sensor: the work mode counts as on, and the first read fails.
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    QSignalSpy cursors(&page, &Outline25dSetupWidget::signal_set_cursor_x);
    page.loadFromDevice();
    EXPECT_FALSE(child<QGroupBox>(page, "groupBox_correction_cal")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>(page, "groupBox_area_selection")->isEnabled()) << "changed only after a read";
    EXPECT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_EQ(prompts->prompts()[0].text, "通信失败!");
    EXPECT_EQ(cursors.count(), 0);

    QSignalSpy clicked(&page, &Outline25dSetupWidget::signal_clicked);
    child<QPushButton>(page, "pushButton_close")->click();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 13);
    page.show();
    mirevo::test::saveGrab(page, "step_height_setup_page");
}
