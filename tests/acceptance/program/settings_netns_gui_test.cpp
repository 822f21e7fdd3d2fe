// Settings: "实时设定" opens the real-time settings window over the main
// window; on its pages the trigger method becomes the encoder and the
// exposure time 500 us; "保存" stores them permanently. Exactly those writes
// reach the sensor (with the line period an exposure brings along, and
// besides the acquisition modes the window switches as its menus are used),
// then the permanent store. Opened again, the pages show the
// new values and loading them writes no setting; leaving without saving
// stores nothing.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "settings_windows/real_time_setting_dlg.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/camera/full_view_setting_widget.h"

namespace acceptance {
namespace {

using mirevo::test::ScopedPrompter;

constexpr uint32_t kTriggerMethod = 143;
constexpr uint32_t kExposureTime = 162;
// What the window itself switches as its menus are used (the batch setting,
// the image mode of the live view, the I/O measure mode), and the request
// before each live profile or image (register 2 := 1).
const std::set<uint32_t> kModeRegisters = {2, 149, 194, 296, 722};

// Runs steps, one after the other, inside the settings window's modal loop;
// a step returns true when it is done.
class SettingsWindowDriver {
public:
    using Step = std::function<bool(RealTimeSettingDlg&)>;
    explicit SettingsWindowDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* window = qobject_cast<RealTimeSettingDlg*>(QApplication::activeModalWidget());
            if (!window || !window->isVisible() || next_ >= steps_.size()) return;
            if (steps_[next_](*window)) ++next_;
        });
        timer_.start(50);
    }
    bool finished() const { return next_ == steps_.size(); }

private:
    std::vector<Step> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

template <class T>
T* find(QWidget& in, const char* name) {
    return in.findChild<T*>(QString::fromLatin1(name));
}

class Settings : public ProgramAcceptance {};

TEST_F(Settings, PageChangesReachTheSensorAndAreStoredAndReopeningWritesNothing) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    const uint32_t exposureBefore = sensor().reg(kExposureTime);
    ASSERT_NE(exposureBefore, 500u);
    ASSERT_EQ(sensor().reg(kTriggerMethod), 0u) << "continuous trigger at first";

    // ---- first visit: change the two settings, save
    int waitedMs = 0;
    auto settle = [&waitedMs](int ms) {
        return [&waitedMs, ms](RealTimeSettingDlg&) {
            waitedMs += 50;
            if (waitedMs < ms) return false;
            waitedMs = 0;
            return true;
        };
    };
    {
        SettingsWindowDriver driver({
            settle(500),
            [&](RealTimeSettingDlg&) {
                sensor().clearPacketLog();
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                find<QComboBox>(w, "comboBox_trigger_method")->setCurrentIndex(1);
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                find<QPushButton>(w, "pushButton_cameratSet")->click();
                return true;
            },
            settle(500),
            [&](RealTimeSettingDlg& w) {
                auto* exposure = find<QComboBox>(w, "comboBox_cmos_exposure_time");
                if (!exposure->isVisible() || !exposure->isEnabled()) return false;
                exposure->lineEdit()->setText(QStringLiteral("500"));
                return true;
            },
            settle(300),
            [&](RealTimeSettingDlg& w) {
                grabWindow(QStringLiteral("2_settings_window_changed"));
                mirevo::test::saveGrab(w, QStringLiteral("acceptance_2_settings_window"));
                find<QPushButton>(w, "pushButton_save_all_setting")->click();
                return true;
            },
        });
        button("pushButton_nowset")->click();  // returns when the window has closed
        ASSERT_TRUE(driver.finished());
    }
    EXPECT_EQ(p->count(), 0);
    // The trigger method, then the exposure time with the line period it
    // brings along (user period raised, period in effect, asynchronous
    // period), in that order.
    std::vector<uint32_t> settingsWritten;
    for (const auto& [address, value] : registerWrites())
        if (!kModeRegisters.count(address)) settingsWritten.push_back(address);
    EXPECT_EQ(settingsWritten, (std::vector<uint32_t>{kTriggerMethod, kExposureTime, 768, 144, 260}));
    EXPECT_EQ(sensor().writesTo(kTriggerMethod), std::vector<uint32_t>{2}) << "the encoder";
    EXPECT_EQ(sensor().writesTo(kExposureTime), std::vector<uint32_t>{500});
    EXPECT_EQ(sensor().reg(kTriggerMethod), 2u);
    EXPECT_EQ(sensor().reg(kExposureTime), 500u);
    EXPECT_TRUE(permanentStoreSent());
    // The permanent store comes after the writes it stores.
    {
        const auto log = sensor().packetLog();
        size_t lastSetting = 0, store = 0;
        for (size_t i = 0; i < log.size(); ++i) {
            const uint32_t address = log[i].address & 0xFFFF;
            if (log[i].opcode == kWriteOpcode && (address == kTriggerMethod || address == kExposureTime)) lastSetting = i;
            if (log[i].opcode == kSystemCommand && log[i].address == 0x10000 && log[i].value == 0x400000) store = i;
        }
        EXPECT_LT(lastSetting, store);
    }
    // Back in the main window the live profile runs again.
    EXPECT_TRUE(client().profileThread.joinable());

    // ---- second visit: the pages show the new values, loading writes nothing
    QString triggerShown, exposureShown;
    {
        SettingsWindowDriver driver({
            [&](RealTimeSettingDlg&) {
                sensor().clearPacketLog();
                return true;
            },
            settle(500),
            [&](RealTimeSettingDlg& w) {
                triggerShown = find<QComboBox>(w, "comboBox_trigger_method")->currentText();
                EXPECT_EQ(find<QComboBox>(w, "comboBox_trigger_method")->currentIndex(), 1);
                find<QPushButton>(w, "pushButton_cameratSet")->click();
                return true;
            },
            settle(500),
            [&](RealTimeSettingDlg& w) {
                exposureShown = find<QComboBox>(w, "comboBox_cmos_exposure_time")->currentText();
                mirevo::test::saveGrab(w, QStringLiteral("acceptance_2_settings_window_reopened"));
                find<QPushButton>(w, "pushButton_close_nosave")->click();
                return true;
            },
        });
        button("pushButton_nowset")->click();
        ASSERT_TRUE(driver.finished());
    }
    EXPECT_EQ(exposureShown, QStringLiteral("500"));
    EXPECT_FALSE(triggerShown.isEmpty());
    for (const auto& [address, value] : registerWrites())
        EXPECT_TRUE(kModeRegisters.count(address)) << "loading wrote register " << address << " := " << value;
    EXPECT_FALSE(permanentStoreSent());
    EXPECT_EQ(sensor().reg(kTriggerMethod), 2u);
    EXPECT_EQ(sensor().reg(kExposureTime), 500u);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(p->count(), 0);
}

}  // namespace
}  // namespace acceptance
