// The gray image settings page against the real client on the simulator: a
// load writes nothing but the pinned slope, a failed read leaves its control
// as it was without a message, the version gates on real firmware words, and
// the register words of the edits.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>

#include <vector>

#include "sensor_interface/registry/hvq5_setting_api.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/views_camera/imaging_page_fixture.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/image_setting_widget.h"

using mirevo::test::ImagingPageTest;
using mirevo::test::ImagingWindowStandIn;
using mirevo::test::RegisterWrite;
using mirevo::test::ScopedPrompter;

namespace {

// A head of the newer series whose firmware passes every gate: register 134
// with low byte 136, register 166 with low 12 bits 844.
class GrayImagePageTest : public ImagingPageTest {
protected:
    const char* model() const override { return "ZP5160"; }
    void adjustOptions(mirevo::test::ClientSensorOptions& options) const override {
        options.preset.firmware134 = firmware134;
        options.preset.firmware166 = firmware166;
    }
    ImageSettingWidget& page() { return *window->grayImagePage; }
    Ui::ImageSettingWidget& ui() { return *page().ui; }

    void presetDistinctValues() {
        sensor().setReg(450, 0xFF010000u);
        sensor().setReg(451, 0);
        sensor().setReg(436, 7);
        sensor().setReg(741, 1);
        sensor().setReg(441, 5);
        sensor().setReg(740, 1);
        sensor().setReg(442, 9);
        sensor().setReg(433, 1);
        sensor().setReg(774, 12);
        sensor().setReg(776, 200);
        sensor().setReg(775, static_cast<uint32_t>(-50));
    }

    uint32_t firmware134 = 0x0188;
    uint32_t firmware166 = 0x7000 | 844;
};

TEST_F(GrayImagePageTest, ALoadShowsTheSensorAndWritesNothing) {
    presetDistinctValues();
    window->cameraPage->ui->pushButton_image->click();
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kGrayImage);
    EXPECT_TRUE(ui().checkBox_windx->isChecked());
    EXPECT_EQ(ui().spinBox_grayShiftBit->value(), 7);
    EXPECT_TRUE(ui().checkBox_gamma->isChecked());
    EXPECT_TRUE(ui().spinBox_gamma->isEnabled());
    EXPECT_DOUBLE_EQ(ui().spinBox_gamma->value(), 1.0) << "cached register 742";
    EXPECT_EQ(ui().spinBox_gray_effect->value(), 5);
    EXPECT_TRUE(ui().checkBox_binning->isChecked());
    EXPECT_EQ(ui().comboBox_gray_win_width->currentText(), QStringLiteral("9"));
    EXPECT_TRUE(ui().checkBox_drop_edge->isEnabled());
    EXPECT_TRUE(ui().checkBox_drop_edge->isChecked());
    EXPECT_TRUE(ui().groupBox_gray_map->isEnabled());
    EXPECT_EQ(ui().spinBox_gray_map_min->value(), 12);
    EXPECT_EQ(ui().spinBox_gray_map_max->value(), 200);
    EXPECT_DOUBLE_EQ(ui().spinBox_gray_map_ratio->value(), -0.5);
    EXPECT_FALSE(ui().comboBox_gray_win_width->isHidden()) << "gate 1";
    EXPECT_TRUE(ui().spinBox_grayShiftBit->isHidden());
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    mirevo::test::saveGrab(page(), QStringLiteral("gray_image_page"));
}

TEST_F(GrayImagePageTest, ASlopeBeyondTheBoxIsShownAtItsEndAndWrittenBack) {
    sensor().setReg(775, 150);
    page().loadFromDevice();
    EXPECT_DOUBLE_EQ(ui().spinBox_gray_map_ratio->value(), 1.0);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{{775, 100}})) << "the only write of a load";
}

TEST_F(GrayImagePageTest, AFailedReadLeavesItsControlWithoutAMessage) {
    presetDistinctValues();
    ui().spinBox_gray_effect->blockSignals(true);
    ui().spinBox_gray_effect->setValue(3);
    ui().spinBox_gray_effect->blockSignals(false);
    ScopedPrompter prompter;
    failNextAccessTo(441);
    page().loadFromDevice();
    EXPECT_EQ(ui().spinBox_gray_effect->value(), 3) << "as it was, not 0";
    EXPECT_TRUE(ui().checkBox_binning->isChecked()) << "the load goes on";
    EXPECT_EQ(prompter->count(), 0);
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

TEST_F(GrayImagePageTest, EditsWriteTheirRegisterWords) {
    page().loadFromDevice();
    sensor().clearPacketLog();
    ui().spinBox_grayShiftBit->setValue(3);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{{434, 0}, {436, 3}, {437, 85}}));

    sensor().clearPacketLog();
    ui().spinBox_gray_map_ratio->setValue(-0.5);
    ui().spinBox_gray_map_ratio->setValue(0.29);
    EXPECT_EQ(sensor().writesTo(775), (std::vector<uint32_t>{static_cast<uint32_t>(-50), 29}));

    sensor().clearPacketLog();
    ui().checkBox_windx->click();
    ui().checkBox_windx->click();
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{
                                    {450, 0xFF010000u}, {451, 0}, {450, 0x683E0E00u}, {451, 0x00000E3Eu}}));

    sensor().clearPacketLog();
    ui().checkBox_gamma->setChecked(true);
    ui().checkBox_binning->setChecked(true);
    ui().spinBox_gray_effect->setValue(6);
    ui().comboBox_gray_win_width->setCurrentIndex(3);
    ui().spinBox_gray_map_min->setValue(20);
    ui().spinBox_gray_map_max->setValue(220);
    ui().checkBox_drop_edge->setChecked(true);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{
                                    {741, 2}, {740, 1}, {441, 6}, {442, 7}, {774, 20}, {776, 220}, {433, 1}}));
    EXPECT_TRUE(ui().spinBox_gamma->isEnabled());

    sensor().clearPacketLog();
    ui().spinBox_gamma->setValue(1.5);
    EXPECT_EQ(sensor().writesTo(742), std::vector<uint32_t>{150});
    ui().pushButton_close->click();
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kCameraSettings);
}

TEST_F(GrayImagePageTest, FeatureBitsOfThisHeadLiveInRegister772) {
    page().loadFromDevice();
    EXPECT_FALSE(ui().checkBox_gray_correct->isChecked());
    EXPECT_FALSE(ui().groupBox_gray_map->isChecked());
    ui().checkBox_gray_correct->setChecked(true);
    ui().groupBox_gray_map->setChecked(true);
    EXPECT_EQ(sensor().reg(772) & 6u, 6u);
    ui().checkBox_gray_correct->setChecked(false);
    EXPECT_EQ(sensor().reg(772) & 6u, 4u);
    ui().checkBox_gray_correct->setChecked(true);
    ui().groupBox_gray_map->setChecked(false);
    page().loadFromDevice();
    EXPECT_TRUE(ui().checkBox_gray_correct->isChecked());
    EXPECT_FALSE(ui().groupBox_gray_map->isChecked());
}

// Register 166 with low 12 bits 843 (the upper bits do not count): no gray map.
class GrayImageBeforeTheGrayMapTest : public GrayImagePageTest {
protected:
    GrayImageBeforeTheGrayMapTest() {
        firmware134 = 0xAB00 | 130;
        firmware166 = 0xF000 | 843;
    }
};

TEST_F(GrayImageBeforeTheGrayMapTest, GatesFollowTheFirmwareWords) {
    presetDistinctValues();
    page().loadFromDevice();
    EXPECT_FALSE(ui().comboBox_gray_win_width->isHidden()) << "low byte 130 passes gate 1";
    EXPECT_FALSE(ui().checkBox_drop_edge->isEnabled()) << "but not gate 2";
    EXPECT_FALSE(ui().groupBox_gray_map->isEnabled());
    EXPECT_EQ(ui().spinBox_gray_map_min->value(), 0) << "not read";
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

// Register 166 with low 12 bits 841: the feature bits live in the per-device
// settings file, not in register 772.
class GrayImageFeatureFileTest : public GrayImagePageTest {
protected:
    GrayImageFeatureFileTest() { firmware166 = 841; }
};

TEST_F(GrayImageFeatureFileTest, FeatureBitsGoToTheSettingsFile) {
    page().loadFromDevice();
    ui().checkBox_gray_correct->setChecked(true);
    EXPECT_EQ(sensor().writesTo(772), std::vector<uint32_t>{});
    bool on = false;
    ASSERT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(0, 2, &on), 0);
    EXPECT_TRUE(on) << "kept in the per-device file";
    ui().checkBox_gray_correct->setChecked(false);
    ui().checkBox_gray_correct->blockSignals(true);
    ui().checkBox_gray_correct->setChecked(true);
    ui().checkBox_gray_correct->blockSignals(false);
    page().loadFromDevice();
    EXPECT_FALSE(ui().checkBox_gray_correct->isChecked());
}

class GrayImageOlderSeriesTest : public GrayImagePageTest {
protected:
    const char* model() const override { return "ZP4100"; }
};

TEST_F(GrayImageOlderSeriesTest, NoGateOpens) {
    presetDistinctValues();
    page().loadFromDevice();
    EXPECT_TRUE(ui().comboBox_gray_win_width->isHidden());
    EXPECT_FALSE(ui().spinBox_grayShiftBit->isHidden());
    EXPECT_FALSE(ui().checkBox_drop_edge->isEnabled());
    EXPECT_FALSE(ui().groupBox_gray_map->isEnabled());
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

}  // namespace
