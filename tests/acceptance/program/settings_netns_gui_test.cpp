// Settings: "实时设定" opens the real-time settings window over the main
// window; on its pages the trigger method becomes the encoder and the
// exposure time 500 us; "保存" stores them permanently. Exactly those writes
// reach the sensor (with the line period an exposure brings along, and
// besides the acquisition modes the window switches as its menus are used),
// then the permanent store. Opened again, the pages show the
// new values and loading them writes no setting; leaving without saving
// stores nothing.
// The imaging pages likewise: a region of interest drawn on the camera image
// from the ROI page (X range to the X-ROI registers, rows as the bands of the
// shape block, which the page stores) and an ignore area drawn from the
// ignore-area page reach the sensor as exactly those writes; reopened, the
// two pages show them and write nothing.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "sensor_client/wait_loading_dialog.h"
#include "settings_windows/real_time_setting_dlg.h"
#include "settings_windows/real_time_setting_form.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sensor_model.h"
#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/img_graphics_view.h"
#include "views/camera/peak_roi_pages.h"
#include "views/camera/shape_block.h"

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

constexpr uint8_t kShapeBlockOpcode = 178;

// Drags a rectangle over the settings window's camera image from image pixel
// `from` to `to` (display columns, window rows) with the mouse, zoomed in so
// that every pixel is several screen pixels wide.
void dragOnImage(RealTimeSettingDlg& w, QPointF from, QPointF to) {
    ImgGraphicsView& view = *w.ui->page_fullimg_view->graphicsView();
    showfullimg& scene = *view.scene;
    scene.fitView();
    for (int i = 0; i < 3; ++i) scene.zoomIn();
    view.centerOn((from + to) * 25.0 + QPointF(25, 25));
    const auto at = [&](QPointF p) { return view.mapFromScene(p * 50.0 + QPointF(25, 25)); };
    const auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, view.viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    };
    send(QEvent::MouseMove, at(from), Qt::NoButton);
    send(QEvent::MouseButtonPress, at(from), Qt::LeftButton);
    send(QEvent::MouseMove, at(to), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at(to), Qt::NoButton);
    scene.fitView();
}

// The ignore-area page has no device work left: its busy dialog is gone and
// no command word waits.
bool imagingPagesIdle(RealTimeSettingDlg& w) {
    FullViewIgnoreSettingWidget& ignore = *w.ui->page_camera_ignore_setting_3;
    return ignore.commands.empty() && !ignore.waitDialog->isVisible();
}

bool showsPage(RealTimeSettingDlg& w, QWidget* page) { return w.ui->stackedWidget_right->currentWidget() == page; }

std::array<int, 4> roiBoxes(RealTimeSettingDlg& w) {
    const Ui::RoiSettingWidget& roi = *w.ui->page_roi_setting->ui;
    return {roi.spinBox_roi_left->value(), roi.spinBox_roi_right->value(), roi.spinBox_roi_top->value(),
            roi.spinBox_roi_bottom->value()};
}

class Settings : public ProgramAcceptance {
protected:
    // What reached the sensor, in order: register writes (but for the modes
    // the window switches as its menus are used), shape-block loads and
    // stores, and the permanent store of the settings.
    std::vector<std::string> sentSettings() {
        std::vector<std::string> sent;
        for (const auto& packet : sensor().packetLog()) {
            const uint32_t address = packet.address & 0xFFFF;
            if (packet.opcode == kWriteOpcode && !kModeRegisters.count(address))
                sent.push_back("write " + std::to_string(address) + "=" + std::to_string(packet.value));
            if (packet.opcode == kShapeBlockOpcode && (packet.address >> 16) == 1) sent.push_back("load block");
            if (packet.opcode == kShapeBlockOpcode && (packet.address >> 16) == 3) sent.push_back("store block");
            if (packet.opcode == kSystemCommand && packet.address == 0x10000 && packet.value == 0x400000)
                sent.push_back("store settings");
        }
        return sent;
    }
    std::vector<uint8_t> blockOf(const std::vector<IgnoreAreaRecord>& records) {
        const shape_block::IgnoreAreaBlock block = shape_block::encode(records);
        return std::vector<uint8_t>(block.begin(), block.end());
    }
};

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

TEST_F(Settings, ARegionOfInterestAndAnIgnoreAreaDrawnOnTheirPagesReachTheSensorAndShowAgain) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    sensor_sim::SensorModel& model = sensor().head().model();
    ASSERT_EQ(model.shapeBlock(), std::vector<uint8_t>(256, 0));
    // A '5' head: 4096 points on 2048 columns of 1024 rows, the X ROI over
    // the whole camera, the full Z range (no row offset).
    ASSERT_EQ(sensor().reg(359), 0u);
    ASSERT_EQ(sensor().reg(358), 2048u);

    // The region: display columns 100 to 600, rows 50 to 300. Its X range,
    // points 216 to 1216, becomes 16-column steps: columns 96 to 623; its rows
    // the bands above row 50 and below row 300. The ignore area: columns 200
    // to 400, rows 100 to 200.
    const IgnoreAreaRecord upperBand{1, 0, 0, 2047, 50, 0, 0, shape_block::kRoiBand};
    const IgnoreAreaRecord lowerBand{1, 0, 300, 2047, 1023, 0, 0, shape_block::kRoiBand};
    const IgnoreAreaRecord area{1, 200, 100, 400, 200, 0, 0, shape_block::kUserArea};
    const std::array<int, 4> regionShown{192, 1247, 50, 300};

    // ---- first visit: draw the region and the area, save
    std::array<int, 4> roiAfterDrawing{};
    QString areaListed;
    {
        SettingsWindowDriver driver({
            [&](RealTimeSettingDlg&) {
                sensor().clearPacketLog();
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                find<QPushButton>(w, "pushButton_cameratSet")->click();
                return true;
            },
            // The camera image is shown before anything is drawn on it.
            [&](RealTimeSettingDlg& w) { return w.ui->page_fullimg_view->graphicsView()->scene->imageWidth() > 0; },
            [&](RealTimeSettingDlg& w) {
                w.ui->page_fullview_setting_1->findChild<QPushButton*>(QStringLiteral("pushButton_roi_setting"))->click();
                return true;
            },
            [&](RealTimeSettingDlg& w) { return showsPage(w, w.ui->page_roi_setting) && imagingPagesIdle(w); },
            [&](RealTimeSettingDlg& w) {
                w.ui->page_roi_setting->ui->pushButton_drawarea->click();  // "选择区域"
                return true;
            },
            [&](RealTimeSettingDlg& w) { return imagingPagesIdle(w); },
            [&](RealTimeSettingDlg& w) {
                dragOnImage(w, QPointF(100, 50), QPointF(600, 300));
                return true;
            },
            [&](RealTimeSettingDlg& w) { return imagingPagesIdle(w) && roiBoxes(w)[2] != 0; },
            [&](RealTimeSettingDlg& w) {
                roiAfterDrawing = roiBoxes(w);
                grabWindow(QStringLiteral("2_settings_roi_drawn"));
                mirevo::test::saveGrab(w, QStringLiteral("acceptance_2_settings_roi_drawn"));
                w.ui->page_roi_setting->ui->pushButton_drawarea->click();  // drawing off
                w.ui->page_roi_setting->ui->pushButton_close->click();
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                if (!showsPage(w, w.ui->page_fullview_setting_1)) return false;
                w.ui->page_fullview_setting_1->findChild<QPushButton*>(QStringLiteral("pushButton_ignore_monitor_2"))
                    ->click();
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                return showsPage(w, w.ui->page_camera_ignore_setting_3) && imagingPagesIdle(w);
            },
            [&](RealTimeSettingDlg& w) {
                w.ui->page_camera_ignore_setting_3->ui->pushButton_add_Polygon->click();  // "添加"
                dragOnImage(w, QPointF(200, 100), QPointF(400, 200));
                return true;
            },
            [&](RealTimeSettingDlg& w) { return imagingPagesIdle(w); },
            [&](RealTimeSettingDlg& w) {
                areaListed = w.ui->page_camera_ignore_setting_3->ui->tableView_ignore->item(0, 1)->text();
                mirevo::test::saveGrab(w, QStringLiteral("acceptance_2_settings_ignore_area_drawn"));
                find<QPushButton>(w, "pushButton_save_all_setting")->click();
                return true;
            },
        });
        button("pushButton_nowset")->click();  // returns when the window has closed
        ASSERT_TRUE(driver.finished());
    }
    EXPECT_EQ(p->count(), 0);
    EXPECT_EQ(roiAfterDrawing, regionShown);
    EXPECT_EQ(areaListed, QStringLiteral("(200:100),(400:200)"));
    // The X ROI (width, then start); the bands loaded and stored (the
    // ignore-area page hears the rectangle first and stores on a worker of
    // its own, so the store may pass the X ROI), then the area loaded, each
    // block command after register 230 := 1; the settings stored last.
    std::vector<std::string> xRoi, blocks;
    const std::vector<std::string> sent = sentSettings();
    for (const std::string& s : sent)
        (s == "write 358=528" || s == "write 359=96" ? xRoi : blocks).push_back(s);
    EXPECT_EQ(xRoi, (std::vector<std::string>{"write 358=528", "write 359=96"})) << ::testing::PrintToString(sent);
    EXPECT_EQ(blocks, (std::vector<std::string>{"write 230=1", "load block", "write 230=1", "store block",
                                                "write 230=1", "load block", "store settings"}))
        << ::testing::PrintToString(sent);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "store settings");
    EXPECT_EQ(sensor().reg(359), 96u);
    EXPECT_EQ(sensor().reg(358), 528u);
    EXPECT_EQ(model.shapeBlock(), blockOf({upperBand, lowerBand, area}));
    EXPECT_EQ(model.storedShapeBlock(), blockOf({upperBand, lowerBand}));
    EXPECT_TRUE(client().profileThread.joinable()) << "the live profile runs again";

    // ---- second visit: both pages show what was drawn and write nothing
    std::array<int, 4> roiShown{};
    QString typeShown, areaShown, secondRow;
    {
        SettingsWindowDriver driver({
            [&](RealTimeSettingDlg&) {
                sensor().clearPacketLog();
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                find<QPushButton>(w, "pushButton_cameratSet")->click();
                return true;
            },
            [&](RealTimeSettingDlg& w) { return w.ui->page_fullimg_view->graphicsView()->scene->imageWidth() > 0; },
            [&](RealTimeSettingDlg& w) {
                w.ui->page_fullview_setting_1->findChild<QPushButton*>(QStringLiteral("pushButton_roi_setting"))->click();
                return true;
            },
            [&](RealTimeSettingDlg& w) { return showsPage(w, w.ui->page_roi_setting) && imagingPagesIdle(w); },
            [&](RealTimeSettingDlg& w) {
                roiShown = roiBoxes(w);
                mirevo::test::saveGrab(w, QStringLiteral("acceptance_2_settings_roi_reopened"));
                w.ui->page_roi_setting->ui->pushButton_close->click();
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                if (!showsPage(w, w.ui->page_fullview_setting_1)) return false;
                w.ui->page_fullview_setting_1->findChild<QPushButton*>(QStringLiteral("pushButton_ignore_monitor_2"))
                    ->click();
                return true;
            },
            [&](RealTimeSettingDlg& w) {
                return showsPage(w, w.ui->page_camera_ignore_setting_3) && imagingPagesIdle(w);
            },
            [&](RealTimeSettingDlg& w) {
                QTableWidget* table = w.ui->page_camera_ignore_setting_3->ui->tableView_ignore;
                typeShown = table->item(0, 0)->text();
                areaShown = table->item(0, 1)->text();
                secondRow = table->item(1, 1)->text();
                mirevo::test::saveGrab(w, QStringLiteral("acceptance_2_settings_ignore_area_reopened"));
                find<QPushButton>(w, "pushButton_close_nosave")->click();
                return true;
            },
        });
        button("pushButton_nowset")->click();
        ASSERT_TRUE(driver.finished());
    }
    EXPECT_EQ(roiShown, regionShown);
    EXPECT_EQ(typeShown, QStringLiteral("矩形"));
    EXPECT_EQ(areaShown, QStringLiteral("(200:100),(400:200)"));
    EXPECT_EQ(secondRow, QString()) << "the bands are not listed as areas";
    EXPECT_EQ(sentSettings(), std::vector<std::string>{}) << "loading the pages wrote to the sensor";
    EXPECT_EQ(sensor().reg(359), 96u);
    EXPECT_EQ(sensor().reg(358), 528u);
    EXPECT_EQ(model.shapeBlock(), blockOf({upperBand, lowerBand, area}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(p->count(), 0);
}

}  // namespace
}  // namespace acceptance
