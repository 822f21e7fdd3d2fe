// The light control, HDR and halo filter pages against the real client on
// the simulator: what a load writes (LOCK on the light page, nothing on the
// others), the boxes of failed loads, and the write sequences of the edits.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>

#include <set>
#include <vector>

#include "tests/support/qt/qt_test_env.h"
#include "tests/views_camera/imaging_page_fixture.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/hdr_halo_pages.h"
#include "views/camera/light_setting_pages.h"

using mirevo::test::ImagingPageTest;
using mirevo::test::ImagingWindowStandIn;
using mirevo::test::PromptKind;
using mirevo::test::RegisterWrite;
using mirevo::test::ScopedPrompter;

namespace {

std::vector<RegisterWrite> only(const std::vector<RegisterWrite>& writes, std::set<uint32_t> registers) {
    std::vector<RegisterWrite> kept;
    for (const RegisterWrite& w : writes)
        if (registers.count(w.reg)) kept.push_back(w);
    return kept;
}

// ---------------------------------------------------------------- light page

class LightPageTest : public ImagingPageTest {};

TEST_F(LightPageTest, ALoadPutsTheSensorIntoLockAndShowsItsValues) {
    for (uint32_t mode : {0u, 1u, 2u}) {
        SCOPED_TRACE(mode);
        sensor().setReg(290, mode);
        sensor().setReg(162, 321);
        sensor().clearPacketLog();
        FullViewLightSettingWidget page;
        const std::vector<RegisterWrite> writes = registerWrites();
        if (mode == 2) {
            EXPECT_EQ(writes, std::vector<RegisterWrite>{}) << "already in LOCK: no write at all";
        } else {
            // The interface's LOCK sequence, nothing of the page's own.
            ASSERT_FALSE(writes.empty());
            EXPECT_EQ(writes.front(), (RegisterWrite{156, 0}));
            EXPECT_EQ(writes.back(), (RegisterWrite{290, 2}));
            EXPECT_EQ(only(writes, {290}).size(), 1u);
        }
        EXPECT_EQ(sensor().reg(290), 2u);
        EXPECT_FALSE(page.ui->comboBox_laser_power_control->isEnabled());
        EXPECT_EQ(page.ui->comboBox_laser_power_control->currentIndex(), 2);
        EXPECT_EQ(page.ui->spinBox_laser_extime_max->value(), 321);
        uint16_t lockPower = 0;
        ASSERT_EQ(client().cfgLaserPowerLimit(0, 2, &lockPower), 0);
        const int shown = std::clamp<int>(lockPower, 10, 99);
        EXPECT_EQ(page.ui->spinBox_laser_power_max->value(), shown);
        EXPECT_EQ(page.ui->spinBox_laser_power_min->value(), shown);
        EXPECT_EQ(page.ui->label_extime_range->text(), QStringLiteral("(2-100us)"));
        EXPECT_TRUE(page.ui->label_extime_range->isHidden());
        EXPECT_EQ(page.ui->label_laser_power_max->text(), QStringLiteral("设定值"));
        EXPECT_TRUE(page.ui->spinBox_laser_power_min->isHidden());
        EXPECT_FALSE(page.ui->spinBox_laser_power_max->isHidden());
        EXPECT_FALSE(page.ui->spinBox_laser_extime_max->isEnabled()) << "the page only shows values";
        EXPECT_TRUE(page.ui->pushButton_light_setting_cursor->isHidden());
        EXPECT_FALSE(page.ui->spinBox_laser_extime_max->keyboardTracking());
    }
}

TEST_F(LightPageTest, TheVoltageShowsRegister158InVolts) {
    struct Case {
        uint32_t reg158;
        const char* text;
    };
    for (const Case& c : {Case{0, "0 V"}, Case{32768, "2.5 V"}, Case{65536, "5 V"}}) {
        sensor().setReg(158, c.reg158);
        window->lightPage->loadFromDevice();
        EXPECT_EQ(window->lightPage->ui->label_voltage->text(), QString::fromLatin1(c.text));
    }
    window->showRightPage(ImagingWindowStandIn::kLight);
    mirevo::test::saveGrab(*window->lightPage, QStringLiteral("light_page"));
}

TEST_F(LightPageTest, AFailedStepShowsItsBoxesAndLeavesTheLaterControls) {
    struct Case {
        uint32_t reg;  // the register the failing step reads
        int boxes;
        bool exposureShown;
        bool powerShown;
    };
    // Steps: exposure index, control mode, lower limit, exposure time, LOCK power.
    const Case cases[] = {{286, 2, false, false}, {290, 1, false, false}, {174, 2, false, false},
                          {162, 1, false, false}, {158, 2, true, false}};
    sensor().setReg(290, 2);
    sensor().setReg(162, 4321);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reg);
        FullViewLightSettingWidget& page = *window->lightPage;
        {
            const QSignalBlocker b1(page.ui->spinBox_laser_extime_max);
            const QSignalBlocker b2(page.ui->spinBox_laser_power_max);
            page.ui->spinBox_laser_extime_max->setValue(7);
            page.ui->spinBox_laser_power_max->setValue(11);
        }
        ScopedPrompter prompter;
        for (int i = 0; i < c.boxes; ++i) prompter->answer(QMessageBox::Ok);
        failNextAccessTo(c.reg);
        page.loadFromDevice();
        EXPECT_EQ(prompter->count(PromptKind::Question), c.boxes);
        EXPECT_EQ(prompter->count(), c.boxes);
        EXPECT_EQ(page.ui->spinBox_laser_extime_max->value() == 4321, c.exposureShown);
        EXPECT_EQ(page.ui->spinBox_laser_power_max->value() != 11, c.powerShown);
    }
}

TEST_F(LightPageTest, TheCursorPageSendsTheWindowBack) {
    window->showRightPage(ImagingWindowStandIn::kLightCursor);
    window->lightCursorPage->ui->pushButton_light_setting_cursor_save->click();
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kLight);
    window->showRightPage(ImagingWindowStandIn::kLightCursor);
    window->lightCursorPage->ui->pushButton_light_setting_cursor_close->click();
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kLight);
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{}) << "the cursor page writes nothing";
}

// ---------------------------------------------------------------- HDR page

class HdrPageTest : public ImagingPageTest {};

TEST_F(HdrPageTest, ALoadShowsTheSensorAndWritesNothing) {
    sensor().setReg(221, 1);
    sensor().setReg(238, 1);
    sensor().setReg(266, 2);
    sensor().setReg(261, 1);
    sensor().setReg(262, 20000);
    sensor().setReg(263, 300);
    sensor().setReg(474, 1);
    sensor().clearPacketLog();
    HDRSettingWidget page;
    QSignalSpy hdr(&page, &HDRSettingWidget::hdr_en_changed);
    EXPECT_EQ(page.ui->comboBox_cmos_imaging_mode->currentText(), QStringLiteral("2重曝光"));
    EXPECT_EQ(page.ui->spinBox_frame1_exposure->value(), 2) << "clamped";
    EXPECT_EQ(page.ui->spinBox_frame2_exposure->value(), 10000) << "clamped";
    EXPECT_EQ(page.ui->spinBox_frame3_exposure->value(), 300);
    EXPECT_EQ(page.ui->comboBox_hdr_mix_mode->currentIndex(), 1);
    EXPECT_EQ(page.ui->comboBox_gray_frame->count(), 2);
    EXPECT_EQ(page.ui->comboBox_gray_frame->currentText(), QStringLiteral("帧2"));
    EXPECT_TRUE(page.ui->spinBox_frame2_exposure->isEnabled());
    EXPECT_FALSE(page.ui->spinBox_frame3_exposure->isEnabled());
    EXPECT_TRUE(page.ui->comboBox_hdr_mix_mode->isEnabled());
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    EXPECT_EQ(hdr.count(), 0);
    mirevo::test::saveGrab(page, QStringLiteral("hdr_page"));
}

TEST_F(HdrPageTest, ThreeFramesFromStandardWriteGrayFrameModeAndEnableInThisOrder) {
    sensor().setReg(221, 0);
    sensor().setReg(238, 3);
    sensor().setReg(266, 1);
    HDRSettingWidget fresh;
    EXPECT_EQ(fresh.ui->comboBox_cmos_imaging_mode->currentText(), QStringLiteral("标准模式"));
    EXPECT_FALSE(fresh.ui->spinBox_frame1_exposure->isEnabled());
    EXPECT_FALSE(fresh.ui->comboBox_gray_frame->isEnabled());
    QObject::connect(&fresh, &HDRSettingWidget::hdr_en_changed, window->cameraPage,
            &FullViewSettingWidget::slot_enable_cmos_exposure);
    QSignalSpy hdr(&fresh, &HDRSettingWidget::hdr_en_changed);
    sensor().clearPacketLog();
    fresh.ui->comboBox_cmos_imaging_mode->setCurrentIndex(2);
    EXPECT_EQ(only(registerWrites(), {266, 238, 221}),
              (std::vector<RegisterWrite>{{266, 1}, {238, 3}, {221, 1}}));
    ASSERT_EQ(hdr.count(), 1);
    EXPECT_TRUE(hdr.at(0).at(0).toBool());
    EXPECT_FALSE(window->cameraPage->ui->comboBox_cmos_exposure_time->isEnabled());
    EXPECT_TRUE(fresh.ui->spinBox_frame3_exposure->isEnabled());
    EXPECT_EQ(fresh.ui->comboBox_gray_frame->count(), 3);

    sensor().clearPacketLog();
    fresh.ui->comboBox_cmos_imaging_mode->setCurrentIndex(0);
    EXPECT_EQ(only(registerWrites(), {266, 238, 221}), (std::vector<RegisterWrite>{{221, 0}}));
    EXPECT_FALSE(fresh.ui->spinBox_frame1_exposure->isEnabled());
    EXPECT_TRUE(window->cameraPage->ui->comboBox_cmos_exposure_time->isEnabled());
}

TEST_F(HdrPageTest, AStoredGrayFrameBeyondTheFramesIsClampedAndWrittenOnce) {
    sensor().setReg(221, 0);
    sensor().setReg(266, 3);
    HDRSettingWidget page;
    sensor().clearPacketLog();
    page.ui->comboBox_cmos_imaging_mode->setCurrentIndex(1);
    EXPECT_EQ(sensor().writesTo(266), std::vector<uint32_t>{2});
    EXPECT_EQ(page.ui->comboBox_gray_frame->count(), 2);
    EXPECT_EQ(page.ui->comboBox_gray_frame->currentText(), QStringLiteral("帧2"));
    EXPECT_FALSE(page.ui->spinBox_frame3_exposure->isEnabled()) << "the third frame only with three frames";
    EXPECT_EQ(sensor().writesTo(238), std::vector<uint32_t>{2});
}

TEST_F(HdrPageTest, EditsWriteTheirSettings) {
    sensor().setReg(221, 1);
    sensor().setReg(238, 3);
    HDRSettingWidget page;
    sensor().clearPacketLog();
    page.ui->spinBox_frame3_exposure->setValue(333);
    page.ui->comboBox_hdr_mix_mode->setCurrentIndex(1);
    page.ui->comboBox_gray_frame->setCurrentIndex(2);
    EXPECT_EQ(only(registerWrites(), {263, 474, 266}),
              (std::vector<RegisterWrite>{{263, 333}, {474, 1}, {266, 3}}));
}

TEST_F(HdrPageTest, AFailedReadStopsTheLoadWithOneBox) {
    sensor().setReg(221, 1);
    ScopedPrompter prompter;
    prompter->answer(QMessageBox::Ok);
    failNextAccessTo(238);
    HDRSettingWidget page;
    EXPECT_EQ(prompter->count(PromptKind::Question), 1);
    EXPECT_EQ(page.ui->comboBox_cmos_imaging_mode->currentIndex(), 0) << "as built";
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

// ---------------------------------------------------------------- halo page

class HaloPageTest : public ImagingPageTest {
protected:
    HaloFilterWidget& page() { return *window->haloPage; }
    Ui::HaloFilterWidget& ui() { return *page().ui; }
};

TEST_F(HaloPageTest, LoadsShowTheModeAndParametersAndWriteNothing) {
    sensor().setReg(426, 100);
    struct Case {
        uint32_t reg801;
        int index;
        bool parametersEnabled;
    };
    for (const Case& c : {Case{2, 2, false}, Case{15, 4, true}, Case{9, -1, false}, Case{0, 0, false}}) {
        SCOPED_TRACE(c.reg801);
        sensor().setReg(801, c.reg801);
        window->cameraPage->ui->pushButton_halo_filter->click();
        EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kHalo);
        EXPECT_EQ(ui().comboBox_halo->currentIndex(), c.index);
        EXPECT_EQ(ui().spinBox_lower_width->isEnabled(), c.parametersEnabled);
        EXPECT_EQ(ui().spinBox_lower_width->value(), 3);
        EXPECT_EQ(ui().spinBox_upper_width->value(), 20);
        EXPECT_DOUBLE_EQ(ui().doubleSpinBox_width_ratio->value(), 0.39);
    }
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

TEST_F(HaloPageTest, UserDefinedCopiesItsParametersIntoTheRegistersInUse) {
    page().loadFromDevice();
    sensor().clearPacketLog();
    ui().comboBox_halo->setCurrentIndex(4);
    EXPECT_EQ(sensor().writesTo(801), std::vector<uint32_t>{15});
    EXPECT_EQ(only(registerWrites(), {430, 427, 426}), (std::vector<RegisterWrite>{{430, 4}, {427, 30}, {426, 384}}));
    EXPECT_TRUE(ui().spinBox_upper_width->isEnabled());
    EXPECT_EQ(ui().spinBox_lower_width->value(), 4);
    EXPECT_EQ(ui().spinBox_upper_width->value(), 30);
    EXPECT_DOUBLE_EQ(ui().doubleSpinBox_width_ratio->value(), 1.5);
    mirevo::test::saveGrab(page(), QStringLiteral("halo_page"));

    sensor().clearPacketLog();
    ui().doubleSpinBox_width_ratio->setValue(2.25);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{{426, 576}, {758, 576}}));
    sensor().clearPacketLog();
    ui().spinBox_lower_width->setValue(6);
    ui().spinBox_upper_width->setValue(40);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{{430, 6}, {756, 6}, {427, 40}, {757, 40}}));

    sensor().clearPacketLog();
    ui().comboBox_halo->setCurrentIndex(1);
    EXPECT_EQ(sensor().writesTo(801), std::vector<uint32_t>{1});
    EXPECT_TRUE(only(registerWrites(), {430, 427, 426}).empty()) << "a fixed filter copies nothing";
    EXPECT_FALSE(ui().spinBox_upper_width->isEnabled());
}

TEST_F(HaloPageTest, ARatioOfOneAndAHalfIsWritten384InUseThenToTheCopy) {
    sensor().setReg(801, 15);
    page().loadFromDevice();
    ui().doubleSpinBox_width_ratio->setValue(0.5);
    sensor().clearPacketLog();
    ui().doubleSpinBox_width_ratio->setValue(1.5);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{{426, 384}, {758, 384}}));
}

}  // namespace
