// The tilt correction pages without a sensor.
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/qt/qt_test_env.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/tools/incline_chart_form.h"
#include "views/profile/tools/incline_set_form.h"

namespace {

template <class T>
T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

}  // namespace

TEST(InclineSetFormLayout, PagesDisplaysAndRanges) {
    InclineSetForm form;
    EXPECT_EQ(form.objectName(), "page_incline");
    EXPECT_EQ(form.size(), QSize(350, 514));
    EXPECT_EQ(form.font().family(), "微软雅黑");
    auto* stack = child<QStackedWidget>(form, "stackedWidget");
    EXPECT_EQ(stack->currentWidget()->objectName(), "page_k");
    form.setCorrectionPage(1);
    EXPECT_EQ(stack->currentWidget()->objectName(), "page_b");
    EXPECT_EQ(form.correctionPage(), 1);

    for (const char* display :
         {"lineEdit_kval_now", "lineEdit_bval_now", "doubleSpinBox_kleft_1", "doubleSpinBox_kright_1",
          "doubleSpinBox_kleft_2", "doubleSpinBox_kright_2", "doubleSpinBox_bleft_1", "doubleSpinBox_bright_1",
          "doubleSpinBox_bleft_2", "doubleSpinBox_bright_2", "lineEdit_k_cal", "lineEdit_b_cal", "lineEdit_k_valshow",
          "lineEdit_b_valshow"})
        EXPECT_FALSE(child<QWidget>(form, display)->isEnabled()) << display;
    for (const char* input : {"doubleSpinBox_k_cal_after", "doubleSpinBox_b_cal_after", "checkBox_k_base_zero",
                              "pushButton_k_save", "pushButton_b_save", "pushButton_close"})
        EXPECT_TRUE(child<QWidget>(form, input)->isEnabled()) << input;

    auto* kleft1 = child<QDoubleSpinBox>(form, "doubleSpinBox_kleft_1");
    EXPECT_DOUBLE_EQ(kleft1->maximum(), 99.99);
    EXPECT_DOUBLE_EQ(kleft1->minimum(), -100000);
    kleft1->setValue(150.0);
    EXPECT_DOUBLE_EQ(kleft1->value(), 99.99) << "a left bound of area 1 above 99.99 mm shows as 99.99";
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(form, "doubleSpinBox_kright_2")->maximum(), 100000);
    auto* bTarget = child<QDoubleSpinBox>(form, "doubleSpinBox_b_cal_after");
    EXPECT_DOUBLE_EQ(bTarget->value(), 1.0);
    EXPECT_DOUBLE_EQ(bTarget->maximum(), 999.999);
    EXPECT_DOUBLE_EQ(bTarget->singleStep(), 0.001);
    EXPECT_EQ(bTarget->decimals(), 3);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(form, "doubleSpinBox_k_cal_after")->value(), 0.0);

    form.show();
    form.setCorrectionPage(0);
    mirevo::test::saveGrab(form, "incline_set_form_k");
    form.setCorrectionPage(1);
    mirevo::test::saveGrab(form, "incline_set_form_b");
}

TEST(InclineSetFormFactor, UsableFromAThousandthToTwoInclusive) {
    const std::pair<double, bool> cases[] = {
        {0.001, true},  {2.0, true},    {1.0, true},   {0.000999, false}, {2.000001, false},
        {0.0, false},   {-1.0, false},  {std::numeric_limits<double>::infinity(), false},
        {std::numeric_limits<double>::quiet_NaN(), false},
    };
    for (const auto& [factor, usable] : cases) EXPECT_EQ(InclineSetForm::isUsableFactor(factor), usable) << factor;
}

TEST(InclineSetFormFactor, ChangingTheTargetBeforeAnyMeasurementGivesNoUsableFactor) {
    InclineSetForm form;
    form.setCorrectionPage(1);
    auto* target = child<QDoubleSpinBox>(form, "doubleSpinBox_b_cal_after");
    auto* factor = child<QLineEdit>(form, "lineEdit_b_valshow");
    auto* save = child<QPushButton>(form, "pushButton_b_save");
    target->setValue(2.5);  // 2.5 / 0: infinite
    EXPECT_EQ(factor->text(), "inf");
    EXPECT_EQ(factor->styleSheet(), "QLineEdit {color: red;}");
    EXPECT_FALSE(save->isEnabled());
    target->setValue(0.0);  // 0 / 0: not a number
    EXPECT_EQ(factor->text(), "nan");
    EXPECT_EQ(factor->styleSheet(), "QLineEdit {color: red;}");
    EXPECT_FALSE(save->isEnabled());
}

TEST(InclineSetFormButtons, CloseAsksTheHostToClose) {
    InclineSetForm form;
    QSignalSpy env(&form, &InclineSetForm::signal_btn_env);
    child<QPushButton>(form, "pushButton_close")->click();
    ASSERT_EQ(env.count(), 1);
    EXPECT_EQ(env[0][0].value<tevu::enumBtnEnv>(), tevu::btnEnvClose);
    EXPECT_EQ(static_cast<int>(env[0][0].value<tevu::enumBtnEnv>()), 2);
}

TEST(InclineChartFormLayout, ResetButtonAndPlot) {
    InclineChartForm chart;
    EXPECT_EQ(chart.objectName(), "page_left_inclinechart");
    EXPECT_EQ(chart.size(), QSize(706, 572));
    auto* reset = child<QPushButton>(chart, "pushButton_reset");
    EXPECT_EQ(reset->minimumSize(), QSize(30, 30));
    EXPECT_EQ(reset->text(), "r");
    EXPECT_FALSE(reset->icon().isNull());
    EXPECT_EQ(chart.findChild<KxOutlineWidget*>("widget_2"), chart.plot());
    chart.plot()->canvas().pan(50, 50);
    reset->click();
    EXPECT_EQ(chart.plot()->canvas().xRange(), qMakePair(-8.0f, 8.0f));
}

TEST(InclineChartFormAreas, DraggingPassesTheFourBoundsOn) {
    InclineChartForm chart;
    QSignalSpy areas(&chart, &InclineChartForm::signal_abarea_line_mode);
    emit chart.plot()->slopeCorrectionLimitChanged(1, -2.5f, 2, -1.25f, 3, 0.5f, 4, 2.75f);
    ASSERT_EQ(areas.count(), 1);
    const auto record = areas[0][0].value<tevu::laser_correction>();
    EXPECT_EQ(record.mode, 0);
    EXPECT_DOUBLE_EQ(record.area1Begin, -2.5);
    EXPECT_DOUBLE_EQ(record.area1End, -1.25);
    EXPECT_DOUBLE_EQ(record.area2Begin, 0.5);
    EXPECT_DOUBLE_EQ(record.area2End, 2.75);
}
