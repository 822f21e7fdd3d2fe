// The tilt correction pages in their host against the simulator: stored
// areas, the measurement on the live profile, the saved registers and the
// correction the sensor interface then applies.
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "sensor_interface/registry/hvq5_setting_api.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scoped_sleeper.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/support/settings_host/settings_page_host.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/tools/incline_chart_form.h"
#include "views/profile/tools/incline_set_form.h"

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;
using mirevo::test::SettingsPageHost;

namespace {

constexpr int kImageRows = 1024;  // rows of the series-5 head's camera

class TiltPages : public mirevo::test::ClientFixture {
protected:
    // The X window over the whole camera: the profile spans the scene.
    mirevo::test::ClientSensorOptions sensorOptions() const override {
        mirevo::test::ClientSensorOptions options;
        options.streamedColumns = 2048;
        options.firstStreamedColumn = 0;
        return options;
    }

    void SetUp() override {
        ClientFixture::SetUp();
        if (HasFatalFailure()) return;
        host = std::make_unique<SettingsPageHost>();
    }
    void TearDown() override {
        host.reset();
        ClientFixture::TearDown();
    }

    // A plane sloping by rowsPerColumn camera rows per column, nothing else.
    void slopeTheScene(double rowsPerColumn) {
        std::vector<double> rows(2048);
        for (int c = 0; c < 2048; ++c) rows[c] = kImageRows / 2 + 0.25 + rowsPerColumn * (c - 1024);
        sensor().scene().setPeakRows(rows);
    }

    // Waits until the client has fetched `count` live profiles after the
    // call, so that the newest one was requested after it, and its event
    // has been handed out.
    void waitForFreshProfiles(int count = 2) {
        const int fetched = client().frameCount + count;
        QSignalSpy data(&client(), &LinelaserClient::signal_recv_type_datas);
        ASSERT_TRUE(waitUntil([&] { return client().frameCount >= fetched && !data.isEmpty(); }))
            << "no live profile";
    }

    void startLive() {
        ASSERT_TRUE(client().startProfileAcquisition());
        ASSERT_NO_FATAL_FAILURE(waitForFreshProfiles());
    }

    void setAreas(int firstRegister, std::vector<double> mm) {
        for (int i = 0; i < 4; ++i)
            sensor().setReg(firstRegister + i, static_cast<uint32_t>(static_cast<int32_t>(std::lround(mm[i] * 100000))));
    }

    template <class T>
    T* child(const char* name) {
        T* found = host->inclineSet().findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* lineEdit) { return child<QLineEdit>(lineEdit)->text(); }
    int32_t reg(uint32_t address) { return static_cast<int32_t>(sensor().reg(address)); }

    std::unique_ptr<SettingsPageHost> host;
    mirevo::test::ScopedSleeper sleeper;
};

tevu::laser_correction areas(double a1, double a2, double b1, double b2) {
    tevu::laser_correction record;
    record.mode = 1;
    record.area1Begin = a1;
    record.area1End = a2;
    record.area2Begin = b1;
    record.area2End = b2;
    return record;
}

}  // namespace

TEST_F(TiltPages, StoredAreasAreShownWithTheirDefaultsAndAnnouncedAfterTheWait) {
    const double half = client().halfWidthMm;
    struct Case {
        const char* name;
        bool heightPage;
        std::vector<double> stored;
        std::vector<double> shown;
    };
    const Case cases[] = {
        {"never saved", false, {0, 0, 0, 0}, {-3, -1, 1, 3}},
        {"stored k areas", false, {-5, -4, 2.5, 6}, {-5, -4, 2.5, 6}},
        {"stored b areas", true, {-6, -2, 0.5, 1.5}, {-6, -2, 0.5, 1.5}},
        {"above the half width", false, {-5, half + 0.001, half + 1, -20 - half}, {-5, -1, 1, -20 - half}},
        {"narrower than 0.002 mm", true, {-2, -1.999, 4, 4.0015}, {-3, -1, 1, 3}},
        {"area 1 right of area 2", false, {4, 6, -6, -4}, {4, 6, -6, -4}},
    };
    for (const Case& c : cases) {
        setAreas(c.heightPage ? 332 : 326, c.stored);
        const size_t pausesBefore = sleeper->asked().size();
        QSignalSpy announced(&host->inclineChart(), &InclineChartForm::signal_abarea_line_mode);
        host->inclineChart().showCorrectionAreas(c.heightPage);
        ASSERT_EQ(announced.count(), 1) << c.name;
        const std::vector<int> pauses = sleeper->asked();
        EXPECT_EQ(std::vector<int>(pauses.begin() + pausesBefore, pauses.end()), std::vector<int>{100}) << c.name;
        const auto record = announced[0][0].value<tevu::laser_correction>();
        EXPECT_EQ(record.mode, 1) << c.name;
        EXPECT_DOUBLE_EQ(record.value, 9.0) << c.name;
        const double got[4] = {record.area1Begin, record.area1End, record.area2Begin, record.area2End};
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], c.shown[i], 1e-9) << c.name << " bound " << i;
        const auto& drawn = host->inclineChart().plot()->canvas().areas();
        ASSERT_EQ(drawn.size(), 2) << c.name;
    }
}

TEST_F(TiltPages, AngleOfASlopedPlaneIsMeasuredSavedAndThenCorrected) {
    slopeTheScene(0.03);
    ASSERT_NO_FATAL_FAILURE(startLive());
    setAreas(326, {0, 0, 0, 0});
    host->openTilt(0);
    EXPECT_EQ(reg(324), 0) << "measured uncorrected";
    EXPECT_EQ(host->rightPage(), SettingsPageHost::kTiltPage);

    // The plane's slope as the live profile shows it.
    const int n = client().profilePointCount();
    std::vector<double> x(n), z(n);
    ASSERT_TRUE(client().copyProfile(x.data(), z.data(), n));
    const double slopeSign = z[n * 3 / 4] > z[n / 4] ? 1 : -1;

    const double angle = host->inclineSet().measuredAngle();
    EXPECT_GT(std::fabs(angle), 0.5) << "the plane is sloped";
    EXPECT_EQ(angle > 0 ? 1 : -1, slopeSign);
    EXPECT_EQ(text("lineEdit_k_cal"), QString::number(angle, 'f', 3));
    EXPECT_EQ(text("lineEdit_k_valshow"), QString::number(0.0 - angle, 'f', 3));
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("doubleSpinBox_kleft_1")->value(), -3.0);

    child<QPushButton>("pushButton_k_save")->click();
    const QString correction = text("lineEdit_k_valshow");
    EXPECT_EQ(reg(325), static_cast<int32_t>(correction.toDouble() * 100000));
    EXPECT_EQ(reg(326), -300000);
    EXPECT_EQ(reg(327), -100000);
    EXPECT_EQ(reg(328), 100000);
    EXPECT_EQ(reg(329), 300000);
    EXPECT_EQ(text("lineEdit_kval_now"), correction);

    host->showPage(0);  // leaving the pair enables the correction
    EXPECT_EQ(reg(324), 1);
    ASSERT_NO_FATAL_FAILURE(waitForFreshProfiles());
    host->inclineSet().calculateCorrection(areas(-3, -1, 1, 3));
    EXPECT_NEAR(host->inclineSet().measuredAngle(), 0.0, 0.01);
}

TEST_F(TiltPages, HeightFactorOfTheStepIsSavedAndThenApplied) {
    ASSERT_NO_FATAL_FAILURE(startLive());
    setAreas(332, {0, 0, 0, 0});
    host->openTilt(1);
    EXPECT_EQ(reg(330), 0);
    const double height = host->inclineSet().measuredHeight();
    ASSERT_GT(height, 0.5) << "area 2 lies on the step";
    EXPECT_EQ(text("lineEdit_b_cal"), QString::number(height, 'f', 3));

    const double target = std::round(height * 1.5 * 1000) / 1000;
    child<QDoubleSpinBox>("doubleSpinBox_b_cal_after")->setValue(target);
    const double factor = target / height;
    EXPECT_EQ(text("lineEdit_b_valshow"), QString::number(factor, 'f', 3));
    EXPECT_EQ(child<QLineEdit>("lineEdit_b_valshow")->styleSheet(), "QLineEdit {color: black;}");
    ASSERT_TRUE(child<QPushButton>("pushButton_b_save")->isEnabled());
    child<QPushButton>("pushButton_b_save")->click();
    EXPECT_EQ(reg(331), static_cast<int32_t>(text("lineEdit_b_valshow").toDouble() * 100000));
    EXPECT_EQ(reg(332), -300000);
    EXPECT_EQ(reg(335), 300000);
    EXPECT_EQ(text("lineEdit_bval_now"), text("lineEdit_b_valshow"));

    child<QPushButton>("pushButton_close")->click();  // the host leaves the pair
    EXPECT_EQ(host->rightPage(), SettingsPageHost::kProfileSettingsPage);
    EXPECT_EQ(reg(330), 1);
    EXPECT_EQ(reg(324), 0) << "only the b correction's switch";
    ASSERT_NO_FATAL_FAILURE(waitForFreshProfiles());
    host->inclineSet().calculateCorrection(areas(-3, -1, 1, 3));
    EXPECT_NEAR(host->inclineSet().measuredHeight(), target, 0.01 * target);
}

TEST_F(TiltPages, SaveAndCloseWithThePageBShownEnablesK) {
    host->openTilt(1);
    sensor().clearPacketLog();
    host->saveAndClose();
    EXPECT_EQ(sensor().writesTo(324), std::vector<uint32_t>{1});
    EXPECT_TRUE(sensor().writesTo(330).empty());
}

TEST_F(TiltPages, SaveConversionsTruncateTheirThreeDecimalTexts) {
    ASSERT_NO_FATAL_FAILURE(startLive());
    host->openTilt(0);
    child<QLineEdit>("lineEdit_k_valshow")->setText("-0.123");
    child<QPushButton>("pushButton_k_save")->setEnabled(true);
    child<QPushButton>("pushButton_k_save")->click();
    EXPECT_EQ(reg(325), -12300);

    host->inclineSet().setCorrectionPage(1);
    child<QLineEdit>("lineEdit_b_valshow")->setText("1.001");
    child<QPushButton>("pushButton_b_save")->setEnabled(true);
    child<QPushButton>("pushButton_b_save")->click();
    EXPECT_EQ(reg(331), 100099) << "the double product, just below 100100, truncated";
}

TEST_F(TiltPages, AnAreaBeyondTheProfileMeasuresNothing) {
    ASSERT_NO_FATAL_FAILURE(startLive());
    const double beyond = client().halfWidthMm + 1;
    host->inclineSet().setCorrectionPage(0);
    host->inclineSet().calculateCorrection(areas(-3, -1, 1, 3));
    ASSERT_FALSE(text("lineEdit_k_cal").isEmpty());
    host->inclineSet().calculateCorrection(areas(-3, -1, beyond, beyond + 1));
    EXPECT_TRUE(text("lineEdit_k_cal").isEmpty());
    EXPECT_TRUE(text("lineEdit_k_valshow").isEmpty());
    EXPECT_FALSE(child<QPushButton>("pushButton_k_save")->isEnabled());
    child<QDoubleSpinBox>("doubleSpinBox_k_cal_after")->setValue(1.0);
    EXPECT_TRUE(text("lineEdit_k_valshow").isEmpty()) << "no correction without a measurement";
    host->inclineSet().calculateCorrection(areas(-3, -1, 1, 3));
    EXPECT_TRUE(child<QPushButton>("pushButton_k_save")->isEnabled());

    host->inclineSet().setCorrectionPage(1);
    host->inclineSet().calculateCorrection(areas(-3, -1, beyond, beyond + 1));
    EXPECT_EQ(text("lineEdit_b_valshow"), "nan");
    EXPECT_EQ(child<QLineEdit>("lineEdit_b_valshow")->styleSheet(), "QLineEdit {color: red;}");
    EXPECT_FALSE(child<QPushButton>("pushButton_b_save")->isEnabled());
}

// Before any measurement succeeded the stored angle is 0: a target set then
// shows itself as the correction, also after a measurement that failed (the
// window measures as the page opens, before the live profile may be there).
TEST_F(TiltPages, ATargetSetBeforeAnyMeasurementShowsTargetMinusZero) {
    ASSERT_NO_FATAL_FAILURE(startLive());
    const double beyond = client().halfWidthMm + 1;
    struct Case {
        const char* name;
        std::function<void(InclineSetForm&)> before;
    } cases[] = {
        {"no measurement", [](InclineSetForm&) {}},
        {"a failed measurement",
         [&](InclineSetForm& form) { form.calculateCorrection(areas(-3, -1, beyond, beyond + 1)); }},
    };
    for (const Case& c : cases) {
        InclineSetForm form;
        form.setCorrectionPage(0);
        c.before(form);
        form.findChild<QDoubleSpinBox*>("doubleSpinBox_k_cal_after")->setValue(1.5);
        EXPECT_EQ(form.findChild<QLineEdit*>("lineEdit_k_valshow")->text(), QStringLiteral("1.500")) << c.name;
    }
}

TEST_F(TiltPages, AFailingWriteShowsOneBoxAndKeepsTheShownCorrection) {
    ASSERT_NO_FATAL_FAILURE(startLive());
    host->openTilt(0);
    const QString before = text("lineEdit_kval_now");
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    sensor().head().injectRegisterFault(327, {sensor_sim::FaultKind::WrongAddressEcho});
    sensor().clearPacketLog();
    child<QPushButton>("pushButton_k_save")->click();
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].kind, PromptKind::Question);
    EXPECT_EQ(prompts->prompts()[0].title, "提示");
    EXPECT_EQ(prompts->prompts()[0].text, "通信失败!");
    EXPECT_EQ(text("lineEdit_kval_now"), before);
    EXPECT_TRUE(sensor().writesTo(328).empty()) << "the save stops at the failure";
}

TEST_F(TiltPages, BatchModeLeavesPlotAndMeasurementAlone) {
    ASSERT_NO_FATAL_FAILURE(startLive());
    host->openTilt(0);
    const QString angle = text("lineEdit_k_cal");
    ASSERT_FALSE(angle.isEmpty());
    int on = 1;
    ASSERT_EQ(client().cfgRegister(1, 149, &on), 0);
    KxOutlineWidget& plot = *host->inclineChart().plot();
    plot.setOutlineData({0.0}, {0.0});
    host->inclineChart().refreshOutline();
    EXPECT_EQ(plot.canvas().points().size(), 1) << "the plot is left as it was";
    host->inclineSet().calculateCorrection(areas(-8, -6, 6, 8));
    EXPECT_EQ(text("lineEdit_k_cal"), angle);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("doubleSpinBox_kleft_1")->value(), -8.0) << "the areas still show";
}

TEST_F(TiltPages, LoadingShowsTheStoredValuesAndWritesNothing) {
    sensor().setReg(325, 150000);
    sensor().setReg(331, 0);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(0, 1, true), 0);
    auto* baseZero = child<QCheckBox>("checkBox_k_base_zero");
    QSignalSpy toggled(baseZero, &QCheckBox::stateChanged);
    sensor().clearPacketLog();
    host->inclineSet().loadFromDevice();
    EXPECT_EQ(text("lineEdit_kval_now"), "1.5");
    EXPECT_EQ(text("lineEdit_bval_now"), "1");
    EXPECT_TRUE(baseZero->isChecked());
    EXPECT_EQ(toggled.count(), 0) << "loading does not write the bit back";
    for (const auto& packet : sensor().packetLog()) EXPECT_NE(packet.opcode, 160) << packet.address;

    sensor().setReg(331, 123456);
    ASSERT_EQ(HVQ5_2_SET_EXTEND_FEATURE_EN(0, 1, false), 0);
    host->inclineSet().loadFromDevice();
    EXPECT_EQ(text("lineEdit_bval_now"), "1.23456");
    EXPECT_FALSE(baseZero->isChecked());

    baseZero->setChecked(true);  // the operator's click writes at once
    bool on = false;
    ASSERT_EQ(HVQ5_2_GET_EXTEND_FEATURE_EN(0, 1, &on), 0);
    EXPECT_TRUE(on);
}

TEST_F(TiltPages, TheChartFollowsTheLiveProfileOnlyWhileShown) {
    ASSERT_NO_FATAL_FAILURE(startLive());
    KxOutlineWidget& plot = *host->inclineChart().plot();
    ASSERT_NO_FATAL_FAILURE(waitForFreshProfiles());
    EXPECT_TRUE(plot.canvas().points().isEmpty()) << "not shown yet";
    host->openTilt(0);
    ASSERT_NO_FATAL_FAILURE(waitForFreshProfiles());
    EXPECT_EQ(plot.canvas().points().size(), client().profilePointCount());
    host->inclineChart().show();
    plot.resetRanges();
    mirevo::test::saveGrab(host->inclineChart(), "incline_chart_form");
}
