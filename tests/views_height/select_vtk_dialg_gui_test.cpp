// The 3D options dialog in a fresh working folder: what it loads, what OK and
// Reset write, and the choices it hands on.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/qt/qt_test_env.h"
#include "tests/views_height/height_test_env.h"
#include "views/height/select_vtk_dialg.h"

namespace {

using height_test::child;

// The dialog's controls by their object names.
struct Controls {
    explicit Controls(QWidget* d)
        : radioButton_less(child<QRadioButton>(d, "radioButton_less")),
          radioButton_more(child<QRadioButton>(d, "radioButton_more")),
          stackedWidget(child<QStackedWidget>(d, "stackedWidget")),
          doubleSpinBox_less_rate(child<QDoubleSpinBox>(d, "doubleSpinBox_less_rate")),
          doubleSpinBox_less_xyFix(child<QDoubleSpinBox>(d, "doubleSpinBox_less_xyFix")),
          doubleSpinBox_more_xyFix(child<QDoubleSpinBox>(d, "doubleSpinBox_more_xyFix")),
          spinBox_zrate(child<QSpinBox>(d, "spinBox_zrate")),
          checkBox_d3dy_open(child<QCheckBox>(d, "checkBox_d3dy_open")),
          doubleSpinBox_d3dy_win_size(child<QDoubleSpinBox>(d, "doubleSpinBox_d3dy_win_size")),
          doubleSpinBox_3dy_k(child<QDoubleSpinBox>(d, "doubleSpinBox_3dy_k")),
          doubleSpinBox_3dy_dz(child<QDoubleSpinBox>(d, "doubleSpinBox_3dy_dz")),
          doubleSpinBox_3dy_n_outlier(child<QDoubleSpinBox>(d, "doubleSpinBox_3dy_n_outlier")),
          doubleSpinBox_3dy_remove_r(child<QDoubleSpinBox>(d, "doubleSpinBox_3dy_remove_r")),
          doubleSpinBox_3dy_n_interp(child<QDoubleSpinBox>(d, "doubleSpinBox_3dy_n_interp")),
          pushButton_reset(child<QPushButton>(d, "pushButton_reset")),
          pushButton_ok(child<QPushButton>(d, "pushButton_ok")),
          pushButton_cancel(child<QPushButton>(d, "pushButton_cancel")) {}
    QRadioButton* radioButton_less;
    QRadioButton* radioButton_more;
    QStackedWidget* stackedWidget;
    QDoubleSpinBox* doubleSpinBox_less_rate;
    QDoubleSpinBox* doubleSpinBox_less_xyFix;
    QDoubleSpinBox* doubleSpinBox_more_xyFix;
    QSpinBox* spinBox_zrate;
    QCheckBox* checkBox_d3dy_open;
    QDoubleSpinBox* doubleSpinBox_d3dy_win_size;
    QDoubleSpinBox* doubleSpinBox_3dy_k;
    QDoubleSpinBox* doubleSpinBox_3dy_dz;
    QDoubleSpinBox* doubleSpinBox_3dy_n_outlier;
    QDoubleSpinBox* doubleSpinBox_3dy_remove_r;
    QDoubleSpinBox* doubleSpinBox_3dy_n_interp;
    QPushButton* pushButton_reset;
    QPushButton* pushButton_ok;
    QPushButton* pushButton_cancel;
};

class SelectVtkDialog : public height_test::WorkFolderTest {};

TEST(HeightTolerance, ByTheModelText) {
    struct Case {
        const char* model;
        double tolerance;
    } cases[] = {
        {"ZP5020", 0.01}, {"ZP5040", 0.02}, {"ZP5060", 0.05}, {"ZP5080", 0.12}, {"ZP5230D", 0.25},
        {"ZP5400", 1.0},  {"5400", 0.02},   {"ZP5160", 0.02}, {"", 0.02},       {"X5400-5020", 0.01},
    };
    for (const Case& e : cases) EXPECT_DOUBLE_EQ(heightToleranceForModel(e.model), e.tolerance) << e.model;
}

TEST_F(SelectVtkDialog, DefaultsWithoutASettingsFile) {
    linelaserClient()->headModelText = "ZP5060";
    select_vtk_dialg dialog;
    Controls c(&dialog);
    Controls* ui = &c;
    EXPECT_EQ(dialog.windowTitle(), "D3D渲染模式");
    EXPECT_EQ(dialog.size(), QSize(262, 449));
    EXPECT_TRUE(ui->radioButton_less->isChecked());
    EXPECT_EQ(ui->stackedWidget->currentIndex(), 0);
    EXPECT_FALSE(ui->checkBox_d3dy_open->isChecked());
    EXPECT_EQ(ui->doubleSpinBox_d3dy_win_size->value(), 32);
    EXPECT_EQ(ui->doubleSpinBox_3dy_k->value(), 1);
    EXPECT_EQ(ui->doubleSpinBox_3dy_dz->value(), 0.05);
    EXPECT_EQ(ui->doubleSpinBox_3dy_remove_r->value(), 0);
    EXPECT_EQ(ui->doubleSpinBox_3dy_n_outlier->value(), 5);
    EXPECT_EQ(ui->doubleSpinBox_3dy_n_interp->value(), 0);
    EXPECT_EQ(ui->doubleSpinBox_less_xyFix->value(), 0.5);
    EXPECT_EQ(ui->doubleSpinBox_more_xyFix->value(), 0.5);
    EXPECT_EQ(ui->doubleSpinBox_less_rate->value(), 0.01);
    EXPECT_EQ(ui->spinBox_zrate->minimum(), 1);
    EXPECT_EQ(ui->spinBox_zrate->maximum(), 100);
    const DenoiseParams& p = dialog.denoiseParams();
    EXPECT_FALSE(p.enabled);
    EXPECT_EQ(p.window, 32);
    EXPECT_EQ(p.dz, 0.05);
    EXPECT_EQ(p.minRun, 5);
    EXPECT_EQ(p.slopeThreshold, 5.0);
    EXPECT_FALSE(dialog.isAccepted());
    EXPECT_EQ(dialog.mode(), 0);
    EXPECT_EQ(dialog.zMultiplier(), 1.0f);
    EXPECT_EQ(dialog.xyScale(), 0.5f);
    EXPECT_FALSE(settingsFileExists()) << "loading writes nothing";
    mirevo::test::saveGrab(dialog, "select_vtk_dialg");
}

TEST_F(SelectVtkDialog, TheIconComesFromTheWorkingFolder) {
    std::filesystem::create_directories("res/Img/chart2");
    std::filesystem::copy_file(MIREVO_SOURCE_DIR "/res/Img/chart2/3d.png", "res/Img/chart2/3d.png");
    select_vtk_dialg dialog;
    EXPECT_FALSE(dialog.windowIcon().isNull());
}

TEST_F(SelectVtkDialog, LoadsTheStoredValuesButNotTheTolerance) {
    writeSettings("[d3dy]\nopen=1\nd3dy_win_size=40\nd3dy_k=2.5\nd3dy_dz=7\nd3dy_remove_r=3\n"
                  "d3dy_n_outlier=4\nd3dy_n_interp=6\nd3dy_less_xy_fix=0.25\nd3dy_more_xy_fix=0.75\n");
    linelaserClient()->headModelText = "ZP5400";
    select_vtk_dialg dialog;
    Controls c(&dialog);
    Controls* ui = &c;
    EXPECT_TRUE(ui->checkBox_d3dy_open->isChecked());
    EXPECT_EQ(ui->doubleSpinBox_d3dy_win_size->value(), 40);
    EXPECT_EQ(ui->doubleSpinBox_3dy_k->value(), 2.5);
    EXPECT_EQ(ui->doubleSpinBox_3dy_dz->value(), 1.0) << "the model's tolerance, not the stored 7";
    EXPECT_EQ(ui->doubleSpinBox_3dy_remove_r->value(), 3);
    EXPECT_EQ(ui->doubleSpinBox_3dy_n_outlier->value(), 4);
    EXPECT_EQ(ui->doubleSpinBox_3dy_n_interp->value(), 6);
    EXPECT_EQ(ui->doubleSpinBox_less_xyFix->value(), 0.25);
    EXPECT_EQ(ui->doubleSpinBox_more_xyFix->value(), 0.75);
    EXPECT_TRUE(dialog.denoiseParams().enabled);
    EXPECT_EQ(dialog.denoiseParams().removeRadius, 3);
    EXPECT_EQ(dialog.xyScale(), 0.5f) << "the xy scale is taken at OK only";
}

TEST_F(SelectVtkDialog, OkWritesFixedTextsAndHandsTheChoicesOn) {
    linelaserClient()->headModelText = "ZP5020";
    select_vtk_dialg dialog;
    Controls c(&dialog);
    Controls* ui = &c;
    ui->checkBox_d3dy_open->click();
    ui->doubleSpinBox_d3dy_win_size->setValue(40);
    ui->doubleSpinBox_3dy_k->setValue(1.25);
    ui->doubleSpinBox_3dy_dz->setValue(0.03);
    ui->doubleSpinBox_3dy_remove_r->setValue(2);
    ui->doubleSpinBox_3dy_n_outlier->setValue(3);
    ui->doubleSpinBox_3dy_n_interp->setValue(4);
    ui->doubleSpinBox_more_xyFix->setValue(0.8);
    ui->spinBox_zrate->setValue(7);
    ui->radioButton_more->click();
    EXPECT_EQ(ui->stackedWidget->currentIndex(), 1);
    ui->pushButton_ok->click();

    EXPECT_TRUE(dialog.isAccepted());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.mode(), 1);
    EXPECT_FLOAT_EQ(dialog.xyScale(), 0.8f) << "the point-cloud page's scale";
    EXPECT_EQ(dialog.zMultiplier(), 7.0f);
    EXPECT_FLOAT_EQ(dialog.refinementRate(), 0.05f) << "never touched: the initial rate, not the box's 0.01";
    const DenoiseParams& p = dialog.denoiseParams();
    EXPECT_TRUE(p.enabled);
    EXPECT_EQ(p.window, 40);
    EXPECT_EQ(p.k, 1.25);
    EXPECT_EQ(p.dz, 0.03);
    EXPECT_EQ(p.removeRadius, 2);
    EXPECT_EQ(p.minRun, 3);
    EXPECT_EQ(p.maxGap, 4);
    EXPECT_EQ(p.slopeThreshold, 5.0) << "no control for it: it keeps 5.0";

    const QStringList lines = settingsLines();
    for (const char* expected : {"[d3dy]", "open=1", "d3dy_win_size=40.0000000", "d3dy_dz=0.0300000",
                                 "d3dy_k=1.2500000", "d3dy_remove_r=2.0000000", "d3dy_n_outlier=3.0000000",
                                 "d3dy_n_interp=4.0000000", "d3dy_less_xy_fix=0.5000000",
                                 "d3dy_more_xy_fix=0.8000000"})
        EXPECT_TRUE(lines.contains(expected)) << expected << " in " << lines.join(" | ").toStdString();

    // The next dialog shows the model's tolerance again.
    select_vtk_dialg next;
    EXPECT_EQ(Controls(&next).doubleSpinBox_3dy_dz->value(), 0.01);
    EXPECT_TRUE(Controls(&next).checkBox_d3dy_open->isChecked());
    EXPECT_EQ(Controls(&next).doubleSpinBox_d3dy_win_size->value(), 40);
}

TEST_F(SelectVtkDialog, CancelWritesNothing) {
    select_vtk_dialg dialog;
    Controls(&dialog).doubleSpinBox_d3dy_win_size->setValue(40);
    Controls(&dialog).pushButton_cancel->click();
    EXPECT_FALSE(dialog.isAccepted());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(settingsFileExists());
}

TEST_F(SelectVtkDialog, ResetWritesTheDefaultsExceptTheToleranceAndReloads) {
    writeSettings("[d3dy]\nopen=1\nd3dy_win_size=40\nd3dy_k=2.5\nd3dy_dz=7\nd3dy_remove_r=3\n"
                  "d3dy_n_outlier=4\nd3dy_n_interp=6\nd3dy_less_xy_fix=0.25\nd3dy_more_xy_fix=0.75\n");
    linelaserClient()->headModelText = "ZP5080";
    select_vtk_dialg dialog;
    Controls c(&dialog);
    Controls* ui = &c;
    ui->doubleSpinBox_3dy_dz->setValue(3);
    ui->pushButton_reset->click();
    EXPECT_FALSE(ui->checkBox_d3dy_open->isChecked());
    EXPECT_EQ(ui->doubleSpinBox_d3dy_win_size->value(), 32);
    EXPECT_EQ(ui->doubleSpinBox_3dy_k->value(), 1);
    EXPECT_EQ(ui->doubleSpinBox_3dy_dz->value(), 0.12);
    EXPECT_EQ(ui->doubleSpinBox_3dy_remove_r->value(), 0);
    EXPECT_EQ(ui->doubleSpinBox_3dy_n_outlier->value(), 5);
    EXPECT_EQ(ui->doubleSpinBox_3dy_n_interp->value(), 0);
    EXPECT_EQ(ui->doubleSpinBox_less_xyFix->value(), 0.5);
    EXPECT_EQ(ui->doubleSpinBox_more_xyFix->value(), 0.5);
    EXPECT_FALSE(dialog.denoiseParams().enabled);
    EXPECT_EQ(dialog.denoiseParams().dz, 0.12);
    const QStringList lines = settingsLines();
    for (const char* expected : {"open=0", "d3dy_win_size=32.0000000", "d3dy_k=1.0000000", "d3dy_remove_r=0.0000000",
                                 "d3dy_n_outlier=5.0000000", "d3dy_n_interp=0.0000000", "d3dy_less_xy_fix=0.5000000",
                                 "d3dy_more_xy_fix=0.5000000", "d3dy_dz=7"})
        EXPECT_TRUE(lines.contains(expected)) << expected << " in " << lines.join(" | ").toStdString();
}

TEST_F(SelectVtkDialog, RefinementRateZMultiplierAndMode) {
    select_vtk_dialg dialog;
    Controls c(&dialog);
    Controls* ui = &c;
    ui->radioButton_more->click();
    EXPECT_EQ(dialog.mode(), 1);
    ui->radioButton_less->click();
    EXPECT_EQ(dialog.mode(), 0);
    EXPECT_FLOAT_EQ(dialog.refinementRate(), 0.01f) << "clicking the model button takes the box's rate";
    ui->doubleSpinBox_less_rate->setValue(0.07);
    EXPECT_FLOAT_EQ(dialog.refinementRate(), 0.07f);

    ui->spinBox_zrate->setValue(100);
    EXPECT_EQ(dialog.zMultiplier(), 100.0f);
    // Values the box cannot hold reach the slot only from outside: 1..254 count.
    for (int value : {0, 255, -3}) {
        ASSERT_TRUE(QMetaObject::invokeMethod(&dialog, "on_spinBox_zrate_valueChanged", Q_ARG(int, value)));
        EXPECT_EQ(dialog.zMultiplier(), 100.0f) << value;
    }
    ASSERT_TRUE(QMetaObject::invokeMethod(&dialog, "on_spinBox_zrate_valueChanged", Q_ARG(int, 254)));
    EXPECT_EQ(dialog.zMultiplier(), 254.0f);

    ui->radioButton_more->click();
    EXPECT_FALSE(ui->radioButton_less->isChecked()) << "the two form one exclusive group";
}

}  // namespace
