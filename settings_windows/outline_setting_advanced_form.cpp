#include "settings_windows/outline_setting_advanced_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "settings_windows/form_helpers.h"

namespace Ui {

using forms::make;

void OutLineSettingAdvanced::setupUi(QWidget* page) {
    if (page->objectName().isEmpty()) page->setObjectName(QStringLiteral("OutLineSettingAdvanced"));
    page->resize(350, 538);
    page->setFont(forms::pageFont());
    auto* pageLayout = new QVBoxLayout(page);
    tabWidget = make<QTabWidget>(page, "tabWidget");
    pageLayout->addWidget(tabWidget);

    // Tab 0: data processing.
    tab = make<QWidget>(tabWidget, "tab");
    auto* tabLayout = new QVBoxLayout(tab);

    groupBox_4 = make<QGroupBox>(tab, "groupBox_4");
    QGridLayout* xGrid = forms::grid(groupBox_4);
    label = make<QLabel>(groupBox_4, "label");
    comboBox_outline_filter_xaverage = make<QComboBox>(groupBox_4, "comboBox_outline_filter_xaverage");
    comboBox_outline_filter_xaverage->addItems({"1", "4", "8", "16", "32", "64", "128", "256"});
    label_2 = make<QLabel>(groupBox_4, "label_2");
    comboBox_outline_filter_xmedian = make<QComboBox>(groupBox_4, "comboBox_outline_filter_xmedian");
    comboBox_outline_filter_xmedian->addItems({"off", "3", "5", "7", "9"});
    xGrid->addWidget(label, 0, 0);
    xGrid->addWidget(comboBox_outline_filter_xaverage, 0, 1);
    xGrid->addWidget(label_2, 1, 0);
    xGrid->addWidget(comboBox_outline_filter_xmedian, 1, 1);
    xGrid->setColumnStretch(1, 1);
    tabLayout->addWidget(groupBox_4);

    groupBox_5 = make<QGroupBox>(tab, "groupBox_5");
    QGridLayout* yGrid = forms::grid(groupBox_5);
    label_3 = make<QLabel>(groupBox_5, "label_3");
    comboBox_outline_filter_yaverage = make<QComboBox>(groupBox_5, "comboBox_outline_filter_yaverage");
    comboBox_outline_filter_yaverage->addItems({"1", "3", "5", "7", "9"});
    label_4 = make<QLabel>(groupBox_5, "label_4");
    comboBox_outline_filter_ymedian = make<QComboBox>(groupBox_5, "comboBox_outline_filter_ymedian");
    comboBox_outline_filter_ymedian->addItems({"off", "3", "5", "7", "9"});
    yGrid->addWidget(label_3, 0, 0);
    yGrid->addWidget(comboBox_outline_filter_yaverage, 0, 1);
    yGrid->addWidget(label_4, 1, 0);
    yGrid->addWidget(comboBox_outline_filter_ymedian, 1, 1);
    yGrid->setColumnStretch(1, 1);
    tabLayout->addWidget(groupBox_5);

    groupBox_6 = make<QGroupBox>(tab, "groupBox_6");
    QGridLayout* invalidGrid = forms::grid(groupBox_6);
    label_5 = make<QLabel>(groupBox_6, "label_5");
    spinBox_outline_invalid_process = forms::spinBox(groupBox_6, "spinBox_outline_invalid_process", 0, 99, 0);
    label_6 = make<QLabel>(groupBox_6, "label_6");
    spinBox_outline_invalid_recover = forms::spinBox(groupBox_6, "spinBox_outline_invalid_recover", 0, 99, 0);
    invalidGrid->addWidget(label_5, 0, 0);
    invalidGrid->addWidget(spinBox_outline_invalid_process, 0, 1);
    invalidGrid->addWidget(label_6, 1, 0);
    invalidGrid->addWidget(spinBox_outline_invalid_recover, 1, 1);
    invalidGrid->setColumnStretch(1, 1);
    tabLayout->addWidget(groupBox_6);

    auto* cloudRow = new QHBoxLayout();
    label_cloud_filter = make<QLabel>(tab, "label_cloud_filter");
    pushButton_cloud_filter = make<QPushButton>(tab, "pushButton_cloud_filter");
    pushButton_cloud_filter->setMaximumSize(80, 25);
    cloudRow->addWidget(label_cloud_filter, 1);
    cloudRow->addWidget(pushButton_cloud_filter);
    tabLayout->addLayout(cloudRow);

    groupBox_7 = make<QGroupBox>(tab, "groupBox_7");
    groupBox_7->setFlat(true);
    QGridLayout* deadGrid = forms::grid(groupBox_7);
    radioButton_process_invalid_0 = make<QRadioButton>(groupBox_7, "radioButton_process_invalid_0");
    radioButton_process_invalid_1 = make<QRadioButton>(groupBox_7, "radioButton_process_invalid_1");
    radioButton_process_invalid_2 = make<QRadioButton>(groupBox_7, "radioButton_process_invalid_2");
    label_15 = make<QLabel>(groupBox_7, "label_15");
    pushButton_deadzone_advance = make<QPushButton>(groupBox_7, "pushButton_deadzone_advance");
    // Two choices a row: three side by side do not fit the pane in English.
    deadGrid->addWidget(radioButton_process_invalid_0, 0, 0);
    deadGrid->addWidget(radioButton_process_invalid_1, 0, 1);
    deadGrid->addWidget(radioButton_process_invalid_2, 1, 0);
    auto* advanceRow = new QHBoxLayout();
    advanceRow->addWidget(label_15, 1);
    advanceRow->addWidget(pushButton_deadzone_advance);
    deadGrid->addLayout(advanceRow, 1, 1);
    tabLayout->addWidget(groupBox_7);

    QGridLayout* formatGrid = new QGridLayout();
    label_data_type = make<QLabel>(tab, "label_data_type");
    comboBox_polyFormat = make<QComboBox>(tab, "comboBox_polyFormat");
    comboBox_polyFormat->addItems({"uint16", "uint32"});
    comboBox_polyFormat->setCurrentIndex(0);
    label_xptich = make<QLabel>(tab, "label_xptich");
    doubleSpinBox_xptich = forms::doubleSpinBox(tab, "doubleSpinBox_xptich", 0, 99999, 2, 0.01, 0);
    formatGrid->addWidget(label_data_type, 0, 0);
    formatGrid->addWidget(comboBox_polyFormat, 0, 1);
    formatGrid->addWidget(label_xptich, 1, 0);
    formatGrid->addWidget(doubleSpinBox_xptich, 1, 1);
    formatGrid->setColumnStretch(1, 1);
    tabLayout->addLayout(formatGrid);
    tabLayout->addStretch(1);
    tabWidget->addTab(tab, QString());

    // Tab 1: profile correction.
    tab_2 = make<QWidget>(tabWidget, "tab_2");
    auto* tab2Layout = new QVBoxLayout(tab_2);
    groupBox_2 = make<QGroupBox>(tab_2, "groupBox_2");
    groupBox_2->setFlat(true);
    QGridLayout* correctionGrid = forms::grid(groupBox_2);
    checkBox_k_en = make<QCheckBox>(groupBox_2, "checkBox_k_en");
    lineEdit_k_val = make<QLineEdit>(groupBox_2, "lineEdit_k_val");
    lineEdit_k_val->setEnabled(false);
    label_k_unit = make<QLabel>(groupBox_2, "label_k_unit");
    pushButton_k = make<QPushButton>(groupBox_2, "pushButton_k");
    checkBox_b_en = make<QCheckBox>(groupBox_2, "checkBox_b_en");
    lineEdit_b_val = make<QLineEdit>(groupBox_2, "lineEdit_b_val");
    lineEdit_b_val->setEnabled(false);
    label_b_unit = make<QLabel>(groupBox_2, "label_b_unit");
    pushButton_b = make<QPushButton>(groupBox_2, "pushButton_b");
    correctionGrid->addWidget(checkBox_k_en, 0, 0, 1, 3);
    correctionGrid->addWidget(lineEdit_k_val, 1, 0);
    correctionGrid->addWidget(label_k_unit, 1, 1);
    correctionGrid->addWidget(pushButton_k, 1, 2);
    correctionGrid->addWidget(checkBox_b_en, 2, 0, 1, 3);
    correctionGrid->addWidget(lineEdit_b_val, 3, 0);
    correctionGrid->addWidget(label_b_unit, 3, 1);
    correctionGrid->addWidget(pushButton_b, 3, 2);
    correctionGrid->setColumnStretch(0, 1);
    tab2Layout->addWidget(groupBox_2);

    groupBox_8 = make<QGroupBox>(tab_2, "groupBox_8");
    groupBox_8->setFlat(true);
    auto* flipRow = new QHBoxLayout(groupBox_8);
    checkBox_reversal_2 = make<QCheckBox>(groupBox_8, "checkBox_reversal_2");
    checkBox_reversal1_2 = make<QCheckBox>(groupBox_8, "checkBox_reversal1_2");
    flipRow->addWidget(checkBox_reversal_2);
    flipRow->addWidget(checkBox_reversal1_2);
    tab2Layout->addWidget(groupBox_8);
    tab2Layout->addStretch(1);
    tabWidget->addTab(tab_2, QString());
    tabWidget->setCurrentIndex(0);

    retranslateUi(page);
}

void OutLineSettingAdvanced::retranslateUi(QWidget* page) {
    page->setWindowTitle(QStringLiteral("Form"));
    groupBox_4->setTitle(tr("过滤器处理(X轴)"));
    label->setText(tr("平均"));
    label_2->setText(tr("中位数"));
    groupBox_5->setTitle(tr("过滤器处理(时间轴)"));
    label_3->setText(tr("平均"));
    label_4->setText(tr("中位数"));
    groupBox_6->setTitle(tr("无效数据处理(时间轴)"));
    label_5->setText(tr("处理次数"));
    label_6->setText(tr("恢复次数"));
    label_cloud_filter->setText(tr("点云过滤"));
    pushButton_cloud_filter->setText(tr("设定"));
    groupBox_7->setTitle(tr("死角数据处理"));
    radioButton_process_invalid_0->setText(tr("设为无效值"));
    radioButton_process_invalid_1->setText(tr("直线补间"));
    radioButton_process_invalid_2->setText(tr("垂直补间"));
    pushButton_deadzone_advance->setText(tr("高级"));
    label_data_type->setText(tr("传输类型"));
    label_xptich->setText(tr("X轴间距(um)"));
    tabWidget->setTabText(0, tr("传感头公共"));
    groupBox_2->setTitle(tr("设置补正"));
    checkBox_k_en->setText(tr("设置倾斜补正"));
    label_k_unit->setText(QStringLiteral("deg"));
    pushButton_k->setText(tr("设定"));
    checkBox_b_en->setText(tr("设置高度补正"));
    label_b_unit->setText(tr("倍"));
    pushButton_b->setText(tr("设定"));
    groupBox_8->setTitle(tr("轮廓反转"));
    checkBox_reversal_2->setText(tr("左右反转"));
    checkBox_reversal1_2->setText(tr("上下反转"));
    tabWidget->setTabText(1, tr("传感头详细 "));
}

}  // namespace Ui
