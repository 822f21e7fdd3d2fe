// First start: no "settings.ini" in the working folder; the connection dialog
// finds the simulated sensor by the search, "连接" connects it, the profile
// window shows the scene's profile and the status bar the model, serials and
// firmware; the dialog's choice is kept in "settings.ini".
#include <QActionGroup>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>

#include "sensor_client/app_settings.h"
#include "tests/acceptance/program/program_fixture.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_widget.h"

namespace acceptance {
namespace {

using mirevo::test::ClientSensorOptions;

bool yellowish(QRgb p) { return qRed(p) > 100 && qGreen(p) > 100 && qBlue(p) < 60; }

class FirstStart : public ProgramAcceptance {
protected:
    // The window tests pin their language in "settings.ini"; a first start
    // has no such file and takes the language of the system.
    void SetUp() override {
        ProgramAcceptance::SetUp();
        if (HasFatalFailure()) return;
        std::filesystem::remove(settingsFile());
        reopenAppSettings();
    }

    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset.firmware134 = 0x2b;
        options.preset.firmware135 = 0x5;
        options.preset.firmware166 = 0x11;
        return options;
    }
};

TEST_F(FirstStart, FindsTheSensorConnectsAndShowsTheScene) {
    ASSERT_FALSE(std::filesystem::exists(settingsFile()));
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);

    // ---- the status bar
    EXPECT_EQ(label("label_sb_connstr"), QtLineLaserClient::tr("已连接 %1").arg(QString::fromStdString(sensor().address())));
    EXPECT_EQ(label("label_sb_lmodel"), QStringLiteral("5160"));
    EXPECT_EQ(label("label_sb_fpga_version"), QStringLiteral("2b.5.11"));
    EXPECT_TRUE(label("label_sb_sn").contains(QLatin1Char('.'))) << label("label_sb_sn").toStdString();
    EXPECT_FALSE(window.headActions()->isVisible());

    // ---- what reached the sensor: the interface's open sequence, the batch
    // setting written back as read (profile mode), the live profile's start;
    // no other register, no permanent store.
    const std::set<uint32_t> openAndStart = {2, 149, 159, 194, 208, 272, 277, 296, 402, 432, 434};
    for (const auto& [address, value] : registerWrites())
        EXPECT_TRUE(openAndStart.count(address)) << "unexpected write of register " << address << " := " << value;
    for (uint32_t value : sensor().writesTo(149)) EXPECT_EQ(value, 0u) << "the sensor's mode was changed";
    EXPECT_EQ(sensor().reg(149), 0u);
    EXPECT_FALSE(permanentStoreSent());

    // ---- the live profile: the scene's plane, and its step higher up
    OutlineChartWidget* profile = window.profileView();
    ASSERT_NE(profile, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        int valid = 0;
        for (double z : profile->profileZ()) valid += z > -9999.0;
        return valid > 1000;
    })) << "no live profile shown";
    const QVector<double> xs = profile->profileX();
    const QVector<double> zs = profile->profileZ();
    ASSERT_GT(zs.size(), 1000);
    // The scene: a plane, a step over the third quarter of the camera, a gap
    // of a few columns without a peak.
    auto mean = [&](int from, int to) {
        double sum = 0;
        int n = 0;
        for (int i = from; i < to; ++i)
            if (zs[i] > -9999.0) sum += zs[i], ++n;
        return n ? sum / n : -9999.0;
    };
    const int n = zs.size();
    const double plane = mean(n / 8, n * 3 / 8);
    const double step = mean(n * 9 / 16, n * 11 / 16);
    EXPECT_GT(step - plane, 1.0) << "plane " << plane << ", step " << step;
    int invalid = 0;
    for (double z : zs) invalid += z <= -9999.0;
    EXPECT_GT(invalid, 0) << "the scene's gap without a peak";

    spin(200);
    const QImage live = grabWindow(QStringLiteral("1_first_start_connected"));
    KxOutlineWidget* plot = profile->plot();
    int checked = 0, yellow = 0;
    for (int i = 0; i < n; i += 97) {
        if (zs[i] <= -9999.0) continue;
        const QPoint p = inWindow(plot, QPointF(plot->canvas().toPixelX(static_cast<float>(xs[i])),
                                                plot->canvas().toPixelY(static_cast<float>(zs[i]))));
        ++checked;
        for (int dy = -2; dy <= 2; ++dy)
            if (yellowish(live.pixel(p.x(), p.y() + dy))) {
                ++yellow;
                break;
            }
    }
    EXPECT_GT(checked, 10);
    EXPECT_GE(yellow, checked * 9 / 10);

    // ---- "settings.ini" now holds the sensor the dialog connected
    ASSERT_TRUE(std::filesystem::exists(settingsFile()));
    QSettings ini(QString::fromStdString(settingsFile().string()), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("ConnectSetDialog/ip")).toString(), QString::fromStdString(sensor().address()));
    EXPECT_EQ(ini.value(QStringLiteral("ConnectSetDialog/port")).toString(), QStringLiteral("7"));
}

}  // namespace
}  // namespace acceptance
