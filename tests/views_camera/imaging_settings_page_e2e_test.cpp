// The imaging settings page against the real client on the simulator: loads
// that write nothing, one box per failed load, the threshold bursts, the
// fill-in count's offset and the exposure text.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>

#include <functional>

#include "sensor_client/app_settings.h"
#include "sensor_client/settings_keys.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/views_camera/imaging_page_fixture.h"
#include "views/camera/full_view_setting_widget.h"

using mirevo::test::ImagingPageTest;
using mirevo::test::PromptKind;
using mirevo::test::RegisterWrite;
using mirevo::test::ScopedPrompter;

namespace {

constexpr int kDelayMs = 80;

class ImagingSettingsPageTest : public ImagingPageTest {
protected:
    void SetUp() override {
        ImagingPageTest::SetUp();
        if (HasFatalFailure()) return;
        page().setThresholdWriteDelay(kDelayMs);
    }
    FullViewSettingWidget& page() { return *window->cameraPage; }
    Ui::FullViewSettingWidget& ui() { return *page().ui; }

    // Spins the event loop longer than a threshold burst waits.
    void letBurstsEnd() { waitUntil([] { return false; }, 3 * kDelayMs); }

    // A sensor whose every loaded value differs from a fresh page's.
    void presetDistinctValues() {
        sensor().setReg(11, static_cast<uint32_t>(geometry.rows / 2));
        sensor().setReg(288, 3);
        sensor().setReg(161, 2);
        sensor().setReg(162, 777);
        sensor().setReg(183, 9);
        sensor().setReg(431, 7);
        sensor().setReg(800, 2);
        sensor().setReg(401, 50);
        sensor().setReg(400, 120);
        sensor().setReg(221, 1);
    }
};

TEST_F(ImagingSettingsPageTest, ALoadShowsTheSensorAndWritesNothing) {
    presetDistinctValues();
    page().loadFromDevice();
    EXPECT_EQ(ui().comboBox_cmos_zrange->currentIndex(), 1);
    EXPECT_EQ(ui().comboBox_hdr_range->currentIndex(), 3);
    EXPECT_EQ(ui().comboBox_cmos_gain->currentIndex(), 2);
    EXPECT_EQ(ui().comboBox_cmos_exposure_time->currentText(), QStringLiteral("777"));
    EXPECT_EQ(ui().spinBox_cmos_auto_complete_num->value(), 9);
    EXPECT_EQ(ui().comboBox_cmos_peak_selection->currentIndex(), 3) << "code 7 is \"连续\"";
    EXPECT_TRUE(ui().pushButton_peak->isEnabled());
    EXPECT_EQ(ui().comboBox_transparency->currentIndex(), 2);
    EXPECT_EQ(ui().spinBox_peak_1->value(), 50);
    EXPECT_EQ(ui().horizontalSlider_peak_1->value(), 50);
    EXPECT_EQ(ui().spinBox_peak_2->value(), 120);
    EXPECT_EQ(ui().spinBox_peak_2->minimum(), 50);
    EXPECT_EQ(ui().horizontalSlider_peak_2->value(), 120);
    EXPECT_FALSE(ui().comboBox_cmos_exposure_time->isEnabled()) << "multi-frame HDR is on";
    letBurstsEnd();
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    mirevo::test::saveGrab(page(), QStringLiteral("imaging_settings_page"));
}

TEST_F(ImagingSettingsPageTest, PeakCodesAndAnObjectKindOutsideTheListWriteNothing) {
    struct Case {
        uint32_t code;
        int index;
        bool peakButton;
    };
    for (const Case& c : {Case{3, 7, false}, Case{7, 3, true}, Case{9, -1, false}}) {
        SCOPED_TRACE(c.code);
        sensor().setReg(431, c.code);
        sensor().setReg(800, 7);
        page().loadFromDevice();
        EXPECT_EQ(ui().comboBox_cmos_peak_selection->currentIndex(), c.index);
        EXPECT_EQ(ui().pushButton_peak->isEnabled(), c.peakButton);
    }
    letBurstsEnd();
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

TEST_F(ImagingSettingsPageTest, AFailedLoadStepShowsOneBoxAndLeavesTheLaterControls) {
    // The registers in load order; a failure at step k leaves controls k on.
    const uint32_t steps[] = {11, 288, 161, 162, 150, 183, 431, 800, 401, 400, 221};
    struct Shown {
        int zrange, hdr, gain;
        QString exposure;
        int fill, peak, kind, low, high;
        bool exposureEnabled;
    };
    const auto shown = [&](FullViewSettingWidget& p) {
        Ui::FullViewSettingWidget& u = *p.ui;
        return Shown{u.comboBox_cmos_zrange->currentIndex(), u.comboBox_hdr_range->currentIndex(),
                     u.comboBox_cmos_gain->currentIndex(), u.comboBox_cmos_exposure_time->currentText(),
                     u.spinBox_cmos_auto_complete_num->value(), u.comboBox_cmos_peak_selection->currentIndex(),
                     u.comboBox_transparency->currentIndex(), u.spinBox_peak_1->value(), u.spinBox_peak_2->value(),
                     u.comboBox_cmos_exposure_time->isEnabled()};
    };
    presetDistinctValues();
    for (size_t failing = 0; failing < std::size(steps); ++failing) {
        SCOPED_TRACE(testing::Message() << "register " << steps[failing]);
        FullViewSettingWidget fresh;
        const Shown before = shown(fresh);
        ScopedPrompter prompter;
        prompter->answer(QMessageBox::Ok);
        failNextAccessTo(steps[failing]);
        fresh.loadFromDevice();
        ASSERT_EQ(prompter->count(), 1);
        EXPECT_EQ(prompter->count(PromptKind::Question), 1);
        EXPECT_EQ(prompter->prompts()[0].title, QStringLiteral("提示"));
        EXPECT_EQ(prompter->prompts()[0].text, QStringLiteral("通信失败!"));
        const Shown after = shown(fresh);
        // Step 5 (register 150) shows nothing; the fill-in count is read with it.
        EXPECT_EQ(after.zrange != before.zrange, failing > 0);
        EXPECT_EQ(after.hdr != before.hdr, failing > 1);
        EXPECT_EQ(after.gain != before.gain, failing > 2);
        EXPECT_EQ(after.exposure != before.exposure, failing > 3);
        EXPECT_EQ(after.fill != before.fill, failing > 5);
        EXPECT_EQ(after.peak != before.peak, failing > 6);
        EXPECT_EQ(after.kind != before.kind, failing > 7);
        EXPECT_EQ(after.low != before.low, failing > 8);
        EXPECT_EQ(after.high != before.high, failing > 9);
        EXPECT_EQ(after.exposureEnabled != before.exposureEnabled, failing > 10);
    }
    letBurstsEnd();
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

TEST_F(ImagingSettingsPageTest, AThresholdBurstIsWrittenOnceWithItsLastValue) {
    sensor().setReg(401, 40);
    sensor().setReg(400, 100);
    page().loadFromDevice();
    for (int v = 41; v <= 60; ++v) ui().horizontalSlider_peak_1->setValue(v);
    EXPECT_TRUE(registerWrites().empty()) << "nothing before the burst's wait ends";
    ASSERT_TRUE(waitUntil([&] { return !sensor().writesTo(401).empty(); }));
    letBurstsEnd();
    EXPECT_EQ(sensor().writesTo(401), std::vector<uint32_t>{60});
    EXPECT_TRUE(sensor().writesTo(400).empty()) << "the high threshold stayed above";
    EXPECT_EQ(ui().spinBox_peak_1->value(), 60);
    EXPECT_EQ(ui().spinBox_peak_2->value(), 100);
    EXPECT_EQ(ui().horizontalSlider_peak_2->value(), 100);
}

TEST_F(ImagingSettingsPageTest, ALowThresholdAboveTheHighOneRaisesIt) {
    sensor().setReg(401, 40);
    sensor().setReg(400, 100);
    page().loadFromDevice();
    ui().spinBox_peak_1->setValue(120);
    EXPECT_EQ(ui().spinBox_peak_2->value(), 120);
    EXPECT_EQ(ui().horizontalSlider_peak_2->value(), 120);
    ASSERT_TRUE(waitUntil([&] { return !sensor().writesTo(400).empty() && !sensor().writesTo(401).empty(); }));
    letBurstsEnd();
    EXPECT_EQ(sensor().writesTo(401), std::vector<uint32_t>{120});
    EXPECT_EQ(sensor().writesTo(400), std::vector<uint32_t>{120});
}

TEST_F(ImagingSettingsPageTest, TheHighSliderBelowTheLowThresholdSnapsBack) {
    sensor().setReg(401, 60);
    sensor().setReg(400, 100);
    page().loadFromDevice();
    ui().horizontalSlider_peak_2->setValue(50);
    EXPECT_EQ(ui().horizontalSlider_peak_2->value(), 100);
    EXPECT_EQ(ui().spinBox_peak_2->value(), 100);
    letBurstsEnd();
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

TEST_F(ImagingSettingsPageTest, APageClosedDuringABurstStillWritesAndTheNextPageToo) {
    {
        FullViewSettingWidget closing;
        closing.setThresholdWriteDelay(60000);
        closing.loadFromDevice();
        closing.ui->spinBox_peak_2->setValue(200);
        EXPECT_TRUE(sensor().writesTo(400).empty());
    }
    EXPECT_EQ(sensor().writesTo(400), std::vector<uint32_t>{200}) << "written when the page went";
    EXPECT_FALSE(pendingThresholdWrite(FullViewSettingWidget::kHighThresholdRegister).pending);

    page().loadFromDevice();
    ui().spinBox_peak_2->setValue(150);
    ASSERT_TRUE(waitUntil([&] { return sensor().writesTo(400).size() == 2; }));
    EXPECT_EQ(sensor().writesTo(400), (std::vector<uint32_t>{200, 150}));
}

TEST_F(ImagingSettingsPageTest, TheFillInCountCarriesTheOptimisationOffset) {
    struct Case {
        int enabled;
        int offset;
        uint32_t sensorCount;
        int shown;
        int typed;
        uint32_t written;
    };
    // The sensor holds the count with the offset whenever the option is on
    // (any non-zero value), in 8-bit arithmetic.
    for (const Case& c : {Case{1, 5, 3, 254, 254, 3}, Case{2, 5, 3, 254, 10, 15}, Case{0, 5, 3, 3, 7, 7}}) {
        SCOPED_TRACE(testing::Message() << "enabled " << c.enabled);
        setSettingsInt(settings_keys::kSettingsOptimizedEn, c.enabled);
        setSettingsInt(settings_keys::kOptimizedInvalidRepairedCount, c.offset);
        sensor().setReg(183, c.sensorCount);
        page().loadFromDevice();
        EXPECT_EQ(ui().spinBox_cmos_auto_complete_num->value(), c.shown);
        ui().spinBox_cmos_auto_complete_num->setValue(100);
        sensor().clearPacketLog();
        ui().spinBox_cmos_auto_complete_num->setValue(c.typed);
        EXPECT_EQ(sensor().writesTo(183), std::vector<uint32_t>{c.written});
    }
}

TEST_F(ImagingSettingsPageTest, RebasingTheFillInCountClamps) {
    setSettingsInt(settings_keys::kOptimizedInvalidRepairedCount, 10);
    sensor().setReg(183, 250);
    page().slot_update_optimized_settings(1);
    EXPECT_EQ(sensor().writesTo(183), std::vector<uint32_t>{255});
    sensor().setReg(183, 4);
    page().slot_update_optimized_settings(0);
    EXPECT_EQ(sensor().writesTo(183), (std::vector<uint32_t>{255, 0}));
}

TEST_F(ImagingSettingsPageTest, ExposureTextsAboveTheLimitWriteTheLimitAndOthersNothing) {
    page().loadFromDevice();
    sensor().clearPacketLog();
    page().on_comboBox_cmos_exposure_time_currentTextChanged(QStringLiteral("20000"));
    EXPECT_EQ(sensor().writesTo(162), std::vector<uint32_t>{10000});
    EXPECT_EQ(ui().comboBox_cmos_exposure_time->lineEdit()->text(), QStringLiteral("10000"));
    sensor().clearPacketLog();
    page().on_comboBox_cmos_exposure_time_currentTextChanged(QStringLiteral("1"));
    page().on_comboBox_cmos_exposure_time_currentTextChanged(QStringLiteral("abc"));
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    EXPECT_EQ(ui().comboBox_cmos_exposure_time->lineEdit()->validator() != nullptr, true);
}

TEST_F(ImagingSettingsPageTest, ChoosingAListedExposureWritesTheIndexThenTheTime) {
    page().loadFromDevice();
    ui().comboBox_cmos_exposure_time->setCurrentIndex(6);
    EXPECT_EQ(sensor().writesTo(286), std::vector<uint32_t>{6});
    ASSERT_FALSE(sensor().writesTo(162).empty());
    EXPECT_EQ(sensor().writesTo(162).back(), 500u);
}

TEST_F(ImagingSettingsPageTest, PageButtonsAskForTheirPages) {
    QSignalSpy clicked(&page(), &FullViewSettingWidget::signal_clicked);
    for (QPushButton* b : {ui().pushButton_roi_setting, ui().pushButton_image, ui().pushButton_halo_filter,
                           ui().pushButton_hdr, ui().pushButton_ignore_monitor_2})
        b->click();
    ui().pushButton_peak->setEnabled(true);
    ui().pushButton_peak->click();
    std::vector<int> ids;
    for (const QList<QVariant>& args : clicked) ids.push_back(args.at(0).toInt());
    EXPECT_EQ(ids, (std::vector<int>{8, 11, 9, 12, 3, 15}));
}

class SeriesThreeImagingPageTest : public ImagingSettingsPageTest {
protected:
    const char* model() const override { return "ZP3100"; }
};

TEST_F(SeriesThreeImagingPageTest, GainAndMultiFrameHdrAreHidden) {
    page().loadFromDevice();
    EXPECT_TRUE(ui().label_gain->isHidden());
    EXPECT_TRUE(ui().comboBox_cmos_gain->isHidden());
    EXPECT_TRUE(ui().label_hdr->isHidden());
    EXPECT_TRUE(ui().pushButton_hdr->isHidden());
    EXPECT_FALSE(ui().comboBox_cmos_zrange->isHidden());
}

}  // namespace
