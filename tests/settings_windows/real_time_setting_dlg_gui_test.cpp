// The real-time settings window against the real client on the simulator:
// its status line, how it ends, page routing and the loads it runs, the menu
// entries' acquisition modes, the tilt pair's enable registers, the 2.5D work
// mode, the start-batch wait, and pictures of the whole window.
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGraphicsRectItem>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "sensor_client/app_settings.h"
#include "settings_windows/cloud_filter_setting_widget.h"
#include "settings_windows/dead_zone_setting_widget.h"
#include "settings_windows/io_listen_form.h"
#include "settings_windows/outline_setting_advanced.h"
#include "settings_windows/outline_setting_widget.h"
#include "settings_windows/output_setting_widget.h"
#include "settings_windows/real_time_setting_dlg.h"
#include "settings_windows/real_time_setting_form.h"
#include "settings_windows/tigger_setting_widget.h"
#include "views/camera/img_graphics_view.h"
#include "settings_windows/realtime_status_line.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/settings_windows/window_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sim_presets.h"
#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/hdr_halo_pages.h"
#include "views/camera/image_setting_widget.h"
#include "views/camera/light_setting_pages.h"
#include "views/camera/peak_roi_pages.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_view.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_canvas.h"
#include "views/profile/outline_chart_widget.h"
#include "views/profile/tools/incline_chart_form.h"
#include "views/profile/tools/incline_set_form.h"
#include "views/profile/tools/outline25d_advanced_widget.h"
#include "views/profile/tools/outline25d_setting_widget.h"
#include "views/profile/tools/outline25d_setup_widget.h"

using namespace settings_gui;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;
using Dlg = RealTimeSettingDlg;

namespace {

constexpr uint32_t kDebugStreamRegister = 319;  // the live profile's DEBUG request
constexpr uint32_t kStatusWordRegister = 300;   // the I/O status word
constexpr uint32_t kShapeBlockOpcode = 178;
constexpr uint32_t kStepHeightVersion = 28696;  // series '4' with the 2.5D measurement

// ---------------------------------------------------------------- status line

struct StatusCase {
    int r149, r143, r144, batchMs;
    const char* batch;
    const char* trigger;
    const char* sampling;  // null: the label keeps its text
    const char* batchTime;
};

TEST(RealtimeStatusLine, FormatsTheRegisterImage) {
    const StatusCase cases[] = {
        {1, 0, 250, 0, "批处理设定：ON", "触发模式：连续触发", "采样频率：3.99KHz", "批处理时间：0ms"},
        {0, 1, 1000, 17, "批处理设定：OFF", "触发模式：外部触发", "采样频率：1.00KHz", "批处理时间：17ms"},
        {-1, 2, 300, 1234, "批处理设定：OFF", "触发模式：编码器触发", "采样频率：3.33KHz", "批处理时间：1234ms"},
        {2, 7, 20, -5, "批处理设定：OFF", "触发模式：编码器触发", "采样频率：49.99KHz", "批处理时间：-5ms"},
        {0, -1, 50, 0, "批处理设定：OFF", "触发模式：编码器触发", "采样频率：20.00KHz", "批处理时间：0ms"},
        {0, 0, 1001, 0, "批处理设定：OFF", "触发模式：连续触发", "采样频率：999Hz", "批处理时间：0ms"},
        {0, 0, 0, 0, "批处理设定：OFF", "触发模式：连续触发", nullptr, "批处理时间：0ms"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.r144);
        const RealtimeStatusTexts texts = realtimeStatusTexts(c.r149, c.r143, c.r144, c.batchMs);
        EXPECT_EQ(texts.batch, QString::fromUtf8(c.batch));
        EXPECT_EQ(texts.trigger, QString::fromUtf8(c.trigger));
        EXPECT_EQ(texts.sampling, c.sampling ? std::optional<QString>(QString::fromUtf8(c.sampling)) : std::nullopt);
        EXPECT_EQ(texts.batchTime, QString::fromUtf8(c.batchTime));
    }
}

// ---------------------------------------------------------------- fixture

class SettingsWindow : public mirevo::test::ClientFixture {
protected:
    void TearDown() override {
        delete window.data();
        ClientFixture::TearDown();
    }

    // Made as the main window makes it: owner slot, live data handed over.
    Dlg& open() {
        window = new Dlg();
        owner = window.data();
        window->setOwnerPointer(&owner);
        QObject::connect(&client(), &LinelaserClient::signal_recv_type_datas, window.data(),
                         &Dlg::slot_recv_type_datas);
        return *window;
    }

    Ui::RealTimeSettingDlg& ui() { return *window->ui; }
    int rightPage() { return ui().stackedWidget_right->currentIndex(); }
    int leftView() { return ui().stackedWidget_left->currentIndex(); }
    QString title() { return ui().label_right_title->text(); }
    // Deletes what close() left for later.
    static void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    bool readOf(uint32_t reg) { return wasRead(sensor(), reg); }
    bool waitForRead(uint32_t reg) {
        return waitUntil([&] { return readOf(reg); }, 10000);
    }
    std::vector<QPushButton*> lockedButtons() {
        return {ui().pushButton_cameratTiggerSet, ui().pushButton_cameratSet,
                ui().pushButton_outline_set,      ui().pushButton_Measurement_Common_Settings,
                ui().pushButton_io_set,           ui().pushButton_supper_settings};
    }

    QPointer<Dlg> window;
    Dlg* owner = nullptr;
};

// ---------------------------------------------------------------- opening

TEST_F(SettingsWindow, OpensOnTheTriggerPageWithTheLiveProfileRunning) {
    ScopedPrompter prompts;
    Dlg& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("实时设定编辑"));
    EXPECT_EQ(w.size(), QSize(1020, 720));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(rightPage(), Dlg::kTriggerPage);
    EXPECT_EQ(title(), QStringLiteral("触发设定"));
    EXPECT_EQ(leftView(), Dlg::kTriggerView) << "the trigger page's reload: batch off";
    EXPECT_EQ(ui().stackedWidget_left->count(), 7);
    EXPECT_EQ(ui().stackedWidget_right->count(), 19);
    w.show();
    for (const char* hidden :
         {"pushButton_25d", "pushButton_Change_Procedure", "pushButton_save_setting", "pushButton_supper_settings"})
        EXPECT_FALSE(w.findChild<QWidget*>(hidden)->isVisible()) << hidden;
    EXPECT_FALSE(ui().pushButton_content_right_2->isEnabled());
    for (QAbstractSpinBox* box : w.findChildren<QAbstractSpinBox*>())
        EXPECT_EQ(box->buttonSymbols(), QAbstractSpinBox::NoButtons) << box->objectName().toStdString();
    EXPECT_EQ(sensor().writesTo(722), std::vector<uint32_t>{1}) << "I/O measure mode on for the trigger page";
    EXPECT_TRUE(waitForRead(kDebugStreamRegister)) << "the live profile runs";
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(SettingsWindow, TheAdvancedButtonShowsOnlyWithTheSettingsKey) {
    ScopedPrompter prompts;
    setSettingsString(settings_keys::kSupperSetEn, QStringLiteral("1"));
    Dlg& w = open();
    w.show();
    EXPECT_TRUE(ui().pushButton_supper_settings->isVisible());
    ui().pushButton_supper_settings->click();
    EXPECT_TRUE(w.advancedDialog().isVisible());
    w.advancedDialog().hide();
}

// ---------------------------------------------------------------- ending

struct EndCase {
    const char* name;
    std::function<void(Dlg&)> end;
    bool save;
};

void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

class WindowEnd : public SettingsWindow, public ::testing::WithParamInterface<EndCase> {};

TEST_P(WindowEnd, EmitsTheSaveFlagOnceNullsTheOwnerAndGoes) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    QSignalSpy ended(&w, &Dlg::signal_changeProce);
    GetParam().end(w);
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended[0][0].toBool(), GetParam().save);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(w.ownerPointer(), nullptr);
    runDeferredDeletes();
    EXPECT_TRUE(window.isNull()) << "deleted on close";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, WindowEnd,
    ::testing::Values(EndCase{"CloseButton", [](Dlg& w) { w.close(); }, false},
                      EndCase{"Cancel", [](Dlg& w) { w.ui->pushButton_close_nosave->click(); }, false},
                      EndCase{"Escape", [](Dlg& w) { QTest::keyClick(&w, Qt::Key_Escape); }, false},
                      EndCase{"Save", [](Dlg& w) { w.ui->pushButton_save_all_setting->click(); }, true}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsWindow, ReturnAndEnterNeitherSaveNorClose) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    QSignalSpy ended(&w, &Dlg::signal_changeProce);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(&w, key);
        ui().pushButton_save_all_setting->setFocus();
        QTest::keyClick(ui().pushButton_save_all_setting, key);
        QTest::keyClick(ui().page_camera_trigger_0->findChild<QAbstractSpinBox*>(), key);
    }
    EXPECT_EQ(ended.count(), 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(owner, window.data());
}

TEST_F(SettingsWindow, GoingWithoutACloseStillNullsTheOwner) {
    ScopedPrompter prompts;
    open();
    delete window.data();
    EXPECT_EQ(owner, nullptr);
}

// ---------------------------------------------------------------- routing

struct Route {
    const char* name;
    std::function<void(Dlg&)> emitRequest;
    int page;
    const char* title;
    std::function<bool(mirevo::test::ClientSensor&)> loaded;  // null: no load
};

bool read804(mirevo::test::ClientSensor& s) { return wasRead(s, 804); }
bool read443(mirevo::test::ClientSensor& s) { return wasRead(s, 443); }
bool read286(mirevo::test::ClientSensor& s) { return wasRead(s, 286); }
bool read801(mirevo::test::ClientSensor& s) { return wasRead(s, 801); }
bool read450(mirevo::test::ClientSensor& s) { return wasRead(s, 450); }
bool read11And286(mirevo::test::ClientSensor& s) { return wasRead(s, 11) && wasRead(s, 286); }
bool shapeBlockRead(mirevo::test::ClientSensor& s) {
    for (const auto& packet : s.packetLog())
        if (packet.opcode == kShapeBlockOpcode && (packet.address >> 16) == 0) return true;
    return false;
}

void PrintTo(const Route& c, std::ostream* out) { *out << c.name; }

class WindowRouting : public SettingsWindow, public ::testing::WithParamInterface<Route> {};

TEST_P(WindowRouting, ShowsThePageWithItsTitleAfterItsLoad) {
    const Route& route = GetParam();
    ScopedPrompter prompts;
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);
    Dlg& w = open();
    w.selectMenuPage(3);
    const int before = rightPage();
    client().stopAcquisition();
    sensor().clearPacketLog();
    route.emitRequest(w);
    EXPECT_EQ(rightPage(), route.page);
    EXPECT_EQ(title(), QString::fromUtf8(route.title));
    EXPECT_EQ(w.previousPage(), before);
    if (route.loaded) EXPECT_TRUE(route.loaded(sensor())) << "the page was loaded from the sensor";
    EXPECT_EQ(prompts->count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, WindowRouting,
    ::testing::Values(
        Route{"ProfileToDeadZone", [](Dlg& w) { emit w.ui->page_outline_setting_advanced_5->signal_clicked(10); }, 10,
              "高级设定", read804},
        Route{"ProfileToCloudFilter", [](Dlg& w) { emit w.ui->page_outline_setting_advanced_5->signal_clicked(16); },
              16, "高级设定", nullptr},
        Route{"DeadZoneBack", [](Dlg& w) { emit w.ui->page_dead_zone_setting->signal_clicked(5); }, 5, "轮廓设定",
              nullptr},
        Route{"CloudFilterBack", [](Dlg& w) { emit w.ui->page_cloud_filter->signal_clicked(5); }, 5, "轮廓设定",
              nullptr},
        Route{"ReducedProfileBack", [](Dlg& w) { emit w.ui->page_outline_setting_2->signal_clicked(5); }, 5, "轮廓设定",
              nullptr},
        Route{"CameraToIgnoreAreas", [](Dlg& w) { emit w.ui->page_fullview_setting_1->signal_clicked(3); }, 3,
              "拍摄设定", shapeBlockRead},
        Route{"CameraToRoi", [](Dlg& w) { emit w.ui->page_fullview_setting_1->signal_clicked(8); }, 8, "高级设定",
              shapeBlockRead},
        Route{"CameraToPeak", [](Dlg& w) { emit w.ui->page_fullview_setting_1->signal_clicked(15); }, 15, "高级设定",
              read443},
        Route{"CameraToLight", [](Dlg& w) { emit w.ui->page_fullview_setting_1->signal_clicked(4); }, 4, "拍摄设定",
              read286},
        Route{"CameraToHalo", [](Dlg& w) { emit w.ui->page_fullview_setting_1->signal_clicked(9); }, 9, "高级设定",
              read801},
        Route{"CameraToImage", [](Dlg& w) { emit w.ui->page_fullview_setting_1->signal_clicked(11); }, 11, "高级设定",
              read450},
        Route{"CameraToHdr", [](Dlg& w) { emit w.ui->page_fullview_setting_1->signal_clicked(12); }, 12, "高级设定",
              nullptr},
        Route{"IgnoreAreasBack", [](Dlg& w) { emit w.ui->page_camera_ignore_setting_3->signal_clicked(1); }, 1,
              "拍摄设定", nullptr},
        Route{"RoiBack", [](Dlg& w) { emit w.ui->page_roi_setting->signal_clicked(1); }, 1, "拍摄设定", nullptr},
        Route{"PeakBack", [](Dlg& w) { emit w.ui->page_peak_setting->signal_clicked(1); }, 1, "拍摄设定", nullptr},
        Route{"LightToCursor", [](Dlg& w) { emit w.ui->page_light_setting_4->signal_clicked(6); }, 6, "拍摄设定",
              read286},
        Route{"LightBack", [](Dlg& w) { emit w.ui->page_light_setting_4->signal_clicked(1); }, 1, "拍摄设定",
              read11And286},
        Route{"CursorBack", [](Dlg& w) { emit w.ui->page_light_setting_cursor_6->signal_clicked(4); }, 4, "拍摄设定",
              nullptr},
        Route{"HaloBack", [](Dlg& w) { emit w.ui->page_halo_filter->signal_clicked(1); }, 1, "拍摄设定", nullptr},
        Route{"ImageBack", [](Dlg& w) { emit w.ui->page_image_setting->signal_clicked(1); }, 1, "拍摄设定", nullptr},
        Route{"HdrBack", [](Dlg& w) { emit w.ui->page_hdr_setting->signal_clicked(1); }, 1, "拍摄设定", nullptr},
        Route{"SlotById", [](Dlg& w) { w.slot_OnShowStackedWidget(4); }, 4, "拍摄设定", nullptr},
        Route{"LightCursorById", [](Dlg& w) { w.slot_OnShowStackedWidget(6); }, 6, "拍摄设定", nullptr},
        Route{"ProfileById", [](Dlg& w) { w.slot_OnShowStackedWidget(2); }, 2, "轮廓设定", nullptr}),
    [](const ::testing::TestParamInfo<Route>& info) { return std::string(info.param.name); });

TEST_F(SettingsWindow, NormalSettingsReturnToThePreviousPage) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.selectMenuPage(3);
    emit ui().page_outline_setting_advanced_5->signal_clicked(10);
    ASSERT_EQ(w.previousPage(), Dlg::kProfileAdvancedPage);
    emit ui().page_outline_setting_advanced_5->signal_OnNormalSettings();
    EXPECT_EQ(rightPage(), Dlg::kProfileAdvancedPage);
    EXPECT_EQ(title(), QStringLiteral("轮廓设定"));
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(SettingsWindow, PagesReachEachOtherThroughTheWindow) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.selectMenuPage(1);
    QWidget* exposure = ui().page_fullview_setting_1->ui->comboBox_cmos_exposure_time;
    emit ui().page_hdr_setting->hdr_en_changed(true);
    EXPECT_FALSE(exposure->isEnabled()) << "multi-frame HDR takes over the exposure";
    emit ui().page_hdr_setting->hdr_en_changed(false);
    EXPECT_TRUE(exposure->isEnabled());

    // The advanced dialog's optimisation switch re-bases the camera and profile pages' values.
    setSettingsString(settings_keys::kOptimizedInvalidRepairedCount, QStringLiteral("2"));
    for (uint32_t filter : {470u, 471u, 472u, 473u}) sensor().setReg(filter, 3);
    sensor().clearPacketLog();
    emit w.advancedDialog().signal_update_optimized_settings(1);
    EXPECT_FALSE(sensor().writesTo(183).empty()) << "the camera page's auto-complete count";
    EXPECT_FALSE(sensor().writesTo(472).empty() && sensor().writesTo(470).empty()) << "the profile filters";
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(SettingsWindow, DrawingRequestsReachTheCameraImage) {
    ScopedPrompter prompts;
    open();
    ImgGraphicsView* view = ui().page_fullimg_view->graphicsView();
    emit ui().page_roi_setting->signal_add_Polygon(10, 20, 110, 120);
    EXPECT_EQ(view->rectMode, 1);
    EXPECT_EQ(view->scene->rectStart(), QPoint(10, 20));
    EXPECT_EQ(view->scene->rectEnd(), QPoint(110, 120));
    emit ui().page_camera_ignore_setting_3->signal_add_Polygon(-1, -1, -1, -1);
    EXPECT_EQ(view->rectMode, 0);
    emit ui().page_camera_ignore_setting_3->signal_add_Polygon(0, 0, 0, 0);
    EXPECT_EQ(view->rectMode, 1);
}

TEST_F(SettingsWindow, TheTiltChartsAreasReachTheTiltPage) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.selectMenuPage(3);
    w.showTiltPage(1);
    tevu::laser_correction record;
    record.mode = 1;
    record.area1Begin = -15.0;
    record.area1End = -10.0;
    record.area2Begin = 3.0;
    record.area2End = 7.0;
    emit ui().page_left_inclinechart->signal_abarea_line_mode(record);
    const auto box = [&](const char* name) {
        return ui().page_incline->findChild<QDoubleSpinBox*>(QString::fromLatin1(name))->value();
    };
    EXPECT_DOUBLE_EQ(box("doubleSpinBox_bleft_1"), -15.0);
    EXPECT_DOUBLE_EQ(box("doubleSpinBox_bright_2"), 7.0);
}

TEST_F(SettingsWindow, TheCommonSettingsButtonRunsTheTerminalDialog) {
    ScopedPrompter prompts;
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);
    Dlg& w = open();
    QString shown;
    QWidget* parent = nullptr;
    ScopedModalRunner runner([&](QDialog& dialog) {
        shown = dialog.objectName();
        parent = dialog.parentWidget();
        return int(QDialog::Rejected);
    });
    ui().pushButton_Measurement_Common_Settings->click();
    EXPECT_EQ(runner.runs(), 1);
    EXPECT_EQ(shown, QStringLiteral("MeasurementCommonSettingsDlg"));
    EXPECT_EQ(parent, &w);
}

// ---------------------------------------------------------------- menu entries

TEST_F(SettingsWindow, MenuEntriesChooseTheViewAndTheAcquisition) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();

    ui().pushButton_io_set->click();
    sensor().clearPacketLog();  // the live profile has stopped
    EXPECT_FALSE(ui().widget_content_right->isVisible());
    EXPECT_EQ(leftView(), Dlg::kIoView);
    EXPECT_TRUE(ui().page_io_listen->listening());
    EXPECT_TRUE(waitForRead(kStatusWordRegister)) << "the status acquisition runs";
    EXPECT_FALSE(readOf(kDebugStreamRegister));

    ui().pushButton_outline_set->click();
    EXPECT_TRUE(ui().widget_content_right->isVisible());
    EXPECT_FALSE(ui().page_io_listen->listening());
    EXPECT_EQ(rightPage(), Dlg::kProfileAdvancedPage);
    EXPECT_EQ(leftView(), Dlg::kProfileView);
    EXPECT_EQ(title(), QStringLiteral("轮廓设定"));
    sensor().clearPacketLog();
    EXPECT_TRUE(waitForRead(kDebugStreamRegister)) << "the live profile runs";

    ui().pushButton_cameratSet->click();
    EXPECT_EQ(rightPage(), Dlg::kCameraPage);
    EXPECT_EQ(leftView(), Dlg::kCameraView);
    EXPECT_EQ(title(), QStringLiteral("拍摄设定"));
    EXPECT_EQ(sensor().writesTo(722).back(), 0u) << "image mode for the camera page";
    EXPECT_TRUE(waitUntil([&] { return !ui().page_fullimg_view->peakRows.empty(); })) << "camera images arrive";

    ui().pushButton_cameratTiggerSet->click();
    EXPECT_EQ(rightPage(), Dlg::kTriggerPage);
    EXPECT_EQ(leftView(), Dlg::kTriggerView);
    EXPECT_EQ(title(), QStringLiteral("触发设定"));
    EXPECT_EQ(sensor().writesTo(722).back(), 1u);
    EXPECT_EQ(prompts->count(), 0);
}

// The camera settings page in the window: an exposure time chosen from the
// list (here by the arrow key, as the list's popup chooses it) writes the
// list index first and then the item's time; a typed time writes the time
// alone.
TEST_F(SettingsWindow, AnExposureChosenFromTheListWritesItsIndexThenItsTime) {
    constexpr uint32_t kExposureIndexRegister = 286;
    constexpr uint32_t kExposureTimeRegister = 162;  // the first of the time's registers
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    ui().pushButton_cameratSet->click();
    ASSERT_EQ(rightPage(), Dlg::kCameraPage);
    auto* exposure = ui().page_fullview_setting_1->findChild<QComboBox*>(QStringLiteral("comboBox_cmos_exposure_time"));
    ASSERT_NE(exposure, nullptr);
    ASSERT_TRUE(exposure->isEnabled());
    const int row = exposure->currentIndex();
    ASSERT_LT(row, exposure->count() - 1);
    // Writes of the two settings in the order the sensor received them.
    auto exposureWrites = [&] {
        std::vector<uint32_t> order;
        for (const auto& packet : sensor().packetLog()) {
            const uint32_t reg = packet.address & 0xFFFF;
            if (packet.opcode == 160 && (reg == kExposureIndexRegister || reg == kExposureTimeRegister))
                order.push_back(reg);
        }
        return order;
    };

    exposure->setFocus();
    sensor().clearPacketLog();
    QTest::keyClick(exposure, Qt::Key_Down);
    ASSERT_EQ(exposure->currentIndex(), row + 1);
    const std::vector<uint32_t> chosen = exposureWrites();
    ASSERT_FALSE(chosen.empty());
    EXPECT_EQ(chosen.front(), kExposureIndexRegister) << "the index comes first";
    EXPECT_EQ(chosen.back(), kExposureTimeRegister) << "then the item's time";
    EXPECT_EQ(sensor().writesTo(kExposureIndexRegister), std::vector<uint32_t>{static_cast<uint32_t>(row + 1)});
    EXPECT_EQ(sensor().writesTo(kExposureTimeRegister).back(), exposure->itemText(row + 1).toUInt());

    sensor().clearPacketLog();
    exposure->lineEdit()->selectAll();
    QTest::keyClicks(exposure->lineEdit(), QStringLiteral("333"));
    const std::vector<uint32_t> typed = exposureWrites();
    ASSERT_FALSE(typed.empty());
    EXPECT_EQ(std::count(typed.begin(), typed.end(), kExposureIndexRegister), 0) << "typing writes no index";
    EXPECT_EQ(sensor().writesTo(kExposureTimeRegister).back(), 333u);
    EXPECT_EQ(prompts->count(), 0);
}

// ---------------------------------------------------------------- tilt pair

struct TiltCase {
    const char* name;
    int env;
    std::function<void(Dlg&)> leave;
    std::vector<uint32_t> writes324;
    std::vector<uint32_t> writes330;
};

void PrintTo(const TiltCase& c, std::ostream* out) { *out << c.name; }

class TiltLeaving : public SettingsWindow, public ::testing::WithParamInterface<TiltCase> {};

TEST_P(TiltLeaving, EnablesTheCorrectionItLeaves) {
    const TiltCase& c = GetParam();
    ScopedPrompter prompts;
    Dlg& w = open();
    w.selectMenuPage(3);
    emit ui().page_outline_setting_advanced_5->signal_btn_env(c.env);
    ASSERT_EQ(rightPage(), Dlg::kTiltPage);
    EXPECT_EQ(leftView(), Dlg::kTiltChartView);
    EXPECT_EQ(title(), QStringLiteral("轮廓设定"));
    EXPECT_EQ(ui().page_incline->correctionPage(), c.env);
    sensor().clearPacketLog();
    c.leave(w);
    EXPECT_EQ(sensor().writesTo(324), c.writes324);
    EXPECT_EQ(sensor().writesTo(330), c.writes330);
    EXPECT_EQ(prompts->count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, TiltLeaving,
    ::testing::Values(
        TiltCase{"SaveOnPageB", 1, [](Dlg& w) { w.ui->pushButton_save_all_setting->click(); }, {1}, {}},
        TiltCase{"MenuFromPageB", 1, [](Dlg& w) { w.ui->pushButton_cameratTiggerSet->click(); }, {}, {1}},
        TiltCase{"IoFromPageK", 0, [](Dlg& w) { w.ui->pushButton_io_set->click(); }, {1}, {}},
        TiltCase{"CancelOnPageB", 1, [](Dlg& w) { w.ui->pushButton_close_nosave->click(); }, {}, {}},
        TiltCase{
            "TiltCloseButton", 0, [](Dlg& w) { emit w.ui->page_incline->signal_btn_env(tevu::btnEnvClose); }, {1}, {}}),
    [](const ::testing::TestParamInfo<TiltCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsWindow, TheTiltCloseButtonReturnsToTheProfilePageAndOtherValuesDoNothing) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.selectMenuPage(3);
    w.showTiltPage(5);
    EXPECT_EQ(rightPage(), Dlg::kProfileAdvancedPage);
    w.showTiltPage(0);
    ASSERT_EQ(rightPage(), Dlg::kTiltPage);
    emit ui().page_incline->signal_btn_env(static_cast<tevu::enumBtnEnv>(1));
    EXPECT_EQ(rightPage(), Dlg::kTiltPage);
    emit ui().page_incline->signal_btn_env(tevu::btnEnvClose);
    EXPECT_EQ(rightPage(), Dlg::kProfileAdvancedPage);
    EXPECT_EQ(leftView(), Dlg::kProfileView);
}

// ---------------------------------------------------------------- start batch

class BatchWindow : public SettingsWindow {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.knobs.batchMode = 1;
        options.batchLength = 40;
        return options;
    }
    // Batches numbered from number; with a pause after the fifth frame.
    void planBatch(uint32_t number, int pauseMs) {
        sensor_sim::BatchPlan plan = sensor().batchPlan(40, number);
        plan.gapAfterFrame = pauseMs > 0 ? 5 : -1;
        plan.gapMs = pauseMs;
        sensor().streamer().setPlan(plan);
    }
    // The window shown with batch `number` planned and the trigger write (141)
    // answered 800 ms late, as over a slow command channel.
    Dlg& openWithALateTrigger(uint32_t number) {
        Dlg& w = open();
        w.show();
        planBatch(number, 0);
        sensor().head().injectRegisterFault(141, sensor_sim::Fault{sensor_sim::FaultKind::Delay, 800, 3, 6, 1});
        return w;
    }
    // What a 5 ms probe saw while the window waited for its batch.
    struct WaitSeen {
        int probes = 0;
        bool unlocked = false;  // a page switch or a second start was possible
    };
    // Presses "开始批处理" and probes the window throughout the wait: the
    // trigger runs on the window's job thread first, so when the wait begins
    // depends on the machine's load.
    WaitSeen startAndProbeTheWait(Dlg& w) {
        WaitSeen seen;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, &w, [&] {
            if (!w.waitingForBatch()) return;
            ++seen.probes;
            seen.unlocked |= ui().horizontalWidget_menu->isEnabled() || ui().stackedWidget_right->isEnabled() ||
                             ui().pushButton_content_right_2->isEnabled();
        });
        probe.start(5);
        ui().pushButton_content_right_2->click();
        probe.stop();
        return seen;
    }
};

TEST_F(BatchWindow, TheWaitEndsAfterTheNewBatchNotOnTheLastOnesFlag) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    ASSERT_EQ(leftView(), Dlg::kBatchView) << "batch mode shows the height map";
    ASSERT_TRUE(ui().pushButton_content_right_2->isEnabled());

    emit ui().page_camera_trigger_0->signal_slave_mode(true);
    EXPECT_FALSE(ui().pushButton_content_right_2->isEnabled()) << "a slave controller starts no batch";
    emit ui().page_camera_trigger_0->signal_slave_mode(false);
    EXPECT_TRUE(ui().pushButton_content_right_2->isEnabled());

    planBatch(1, 0);
    ui().pushButton_content_right_2->click();
    EXPECT_EQ(client().batchNumber.load(), 1);
    EXPECT_TRUE(client().batchComplete.load());
    // The batch's height map fills the left view: its rows (heights near 0 in
    // a range of +-30 mm) are drawn mid-grey where an empty view is black.
    HeightView& map = *ui().page_batch_view;
    ASSERT_TRUE(waitUntil([&] { return map.rowsDrawn() >= 40; }));
    QCoreApplication::processEvents();
    const QImage image = mirevo::test::saveGrab(w, QStringLiteral("settings_window_batch"));
    const QRect chart(map.chart()->mapTo(&w, QPoint(0, 0)), map.chart()->size());
    int sampled = 0;
    int grey = 0;
    for (int y = chart.top() + chart.height() / 4; y < chart.bottom() - chart.height() / 4; y += 4) {
        for (int x = chart.left() + chart.width() / 4; x < chart.right() - chart.width() / 4; x += 4) {
            const QColor c = image.pixelColor(x, y);
            ++sampled;
            grey += c.red() == c.green() && c.green() == c.blue() && c.red() > 120 && c.red() < 160;
        }
    }
    EXPECT_GT(grey, sampled / 2);

    // The second batch: the flag left by the first must not end its wait.
    planBatch(2, 400);
    const WaitSeen seen = startAndProbeTheWait(w);
    EXPECT_GT(seen.probes, 0) << "the window waited for the batch's pause";
    EXPECT_FALSE(seen.unlocked) << "no page switch or second start while waiting";
    EXPECT_EQ(client().batchNumber.load(), 2) << "the wait ended with the new batch";
    EXPECT_TRUE(client().batchComplete.load());
    EXPECT_FALSE(w.waitingForBatch());
    EXPECT_TRUE(ui().horizontalWidget_menu->isEnabled());
    EXPECT_TRUE(ui().stackedWidget_right->isEnabled());
    EXPECT_TRUE(ui().pushButton_content_right_2->isEnabled());
    EXPECT_EQ(prompts->count(), 0);
}

// Batch output with intensity: the trigger page offers the light view.
class LightViewBatchWindow : public BatchWindow {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options = BatchWindow::sensorOptions();
        options.preset.registers.push_back({233, 1});
        return options;
    }
};

// The start resets the trigger page's view to the profile view; from the
// light view that reset runs the page's batch controls, which enable the
// start again. The window stays locked until its batch's wait ends.
TEST_F(LightViewBatchWindow, TheStartStaysLockedUntilItsBatchEndsWhenTheLightViewWasShown) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    auto* view = ui().page_camera_trigger_0->findChild<QComboBox*>(QStringLiteral("comboBox_bacthView"));
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->isEnabled()) << "batch output with intensity offers the light view";
    view->setCurrentIndex(1);
    ASSERT_EQ(leftView(), Dlg::kGrayView);
    ASSERT_TRUE(ui().pushButton_content_right_2->isEnabled());

    planBatch(1, 400);
    const WaitSeen seen = startAndProbeTheWait(w);
    EXPECT_GT(seen.probes, 0) << "the window waited for the batch's pause";
    EXPECT_FALSE(seen.unlocked) << "a second start could nest a trigger and a wait";
    EXPECT_EQ(view->currentIndex(), 0) << "the view is reset to the profile";
    EXPECT_EQ(leftView(), Dlg::kBatchView);
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1}) << "one trigger";
    EXPECT_TRUE(client().batchComplete.load());
    EXPECT_TRUE(ui().horizontalWidget_menu->isEnabled());
    EXPECT_TRUE(ui().pushButton_content_right_2->isEnabled());
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(BatchWindow, AFailedTriggerDoesNotWait) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    sensor().head().injectRegisterFault(141, rejected());
    bool waited = false;
    QTimer::singleShot(0, &w, [&] { waited = w.waitingForBatch(); });
    ui().pushButton_content_right_2->click();
    EXPECT_FALSE(w.waitingForBatch());
    runDeferredDeletes();
    QCoreApplication::processEvents();
    EXPECT_FALSE(waited);
}

// A trigger the sensor answers late (seconds when the command channel is
// slow) runs on the window's job thread: the window keeps serving events
// with its menus locked, then waits for the batch as before.
TEST_F(BatchWindow, ALateTriggerLeavesTheWindowLive) {
    ScopedPrompter prompts;
    Dlg& w = openWithALateTrigger(1);
    int servedDuringTrigger = 0;
    bool unlockedDuringTrigger = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, &w, [&] {
        if (w.waitingForBatch() || client().batchNumber.load() != 0) return;
        ++servedDuringTrigger;
        unlockedDuringTrigger |= ui().horizontalWidget_menu->isEnabled() || ui().pushButton_content_right_2->isEnabled();
    });
    probe.start(5);
    ui().pushButton_content_right_2->click();
    probe.stop();
    EXPECT_GE(servedDuringTrigger, 10) << "the window waited for the sensor";
    EXPECT_FALSE(unlockedDuringTrigger) << "no page switch or second start while the trigger runs";
    EXPECT_EQ(client().batchNumber.load(), 1);
    EXPECT_TRUE(client().batchComplete.load());
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1}) << "one trigger";
    EXPECT_TRUE(ui().horizontalWidget_menu->isEnabled());
    EXPECT_TRUE(ui().pushButton_content_right_2->isEnabled());
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(BatchWindow, ClosingDuringALateTriggerEndsItCleanly) {
    ScopedPrompter prompts;
    Dlg& w = openWithALateTrigger(3);
    QSignalSpy ended(&w, &Dlg::signal_changeProce);
    QTimer::singleShot(100, &w, [&] { w.close(); });
    ui().pushButton_content_right_2->click();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1}) << "the trigger under way ran to its end";
    runDeferredDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(BatchWindow, ClosingDuringTheWaitEndsItCleanly) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    planBatch(7, 60000);
    QSignalSpy ended(&w, &Dlg::signal_changeProce);
    // The trigger runs on the window's job thread, the window live: closed
    // once the wait for the batch has begun.
    bool closedWhileWaiting = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &w, [&] {
        if (!w.waitingForBatch()) return;
        closer.stop();
        closedWhileWaiting = true;
        w.close();
    });
    closer.start(10);
    ui().pushButton_content_right_2->click();
    EXPECT_TRUE(closedWhileWaiting);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(owner, nullptr);
    runDeferredDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(BatchWindow, DeletingDuringTheWaitEndsItCleanly) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    planBatch(8, 60000);
    QTimer::singleShot(200, &client(), [&] { delete window.data(); });
    w.ui->pushButton_content_right_2->click();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(owner, nullptr);
}

// ---------------------------------------------------------------- 2.5D

class StepHeightWindow : public SettingsWindow {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset = sensor_sim::series4Preset(kStepHeightVersion);
        for (auto [reg, value] : std::initializer_list<std::pair<uint32_t, uint32_t>>{{820, 100u << 16 | 50},
                                                                                      {821, 300u << 16 | 20},
                                                                                      {823, 127},
                                                                                      {870, 9},
                                                                                      {875, 1000000},
                                                                                      {874, 1000000},
                                                                                      {871, 9},
                                                                                      {842, workMode()}})
            options.preset.registers.push_back({reg, value});
        return options;
    }
    virtual uint32_t workMode() const { return 0; }
};

class StepHeightWorkMode : public StepHeightWindow {
protected:
    uint32_t workMode() const override { return 1; }
};

TEST_F(StepHeightWorkMode, OpensOnTheStepHeightPageWithTheMenuLocked) {
    ScopedPrompter prompts;
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);
    Dlg& w = open();
    w.show();
    EXPECT_EQ(rightPage(), Dlg::kStepHeightPage);
    EXPECT_EQ(title(), QStringLiteral("2.5D设定"));
    EXPECT_EQ(leftView(), Dlg::kCameraView);
    for (QPushButton* button : lockedButtons()) EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_TRUE(ui().pushButton_25d->isVisible());
    EXPECT_TRUE(ui().pushButton_25d->isEnabled());
    EXPECT_FALSE(ui().pushButton_content_right_2->isEnabled());

    emit ui().page_outline25d_setting->signal_work_mode(false);
    for (QPushButton* button : lockedButtons()) EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
}

TEST_F(StepHeightWindow, RoutesTheStepHeightPages) {
    ScopedPrompter prompts;
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);
    Dlg& w = open();
    w.show();
    ASSERT_EQ(rightPage(), Dlg::kTriggerPage) << "work mode off: the trigger page";
    EXPECT_TRUE(ui().pushButton_25d->isVisible());

    sensor().clearPacketLog();
    ui().pushButton_25d->click();
    EXPECT_EQ(rightPage(), Dlg::kStepHeightPage);
    EXPECT_EQ(title(), QStringLiteral("2.5D设定"));
    EXPECT_EQ(leftView(), Dlg::kCameraView);
    EXPECT_TRUE(readOf(842)) << "the 2.5D page loaded";
    EXPECT_TRUE(waitForRead(kDebugStreamRegister)) << "the live image runs";

    // The 2.5D pages' cursors reach the camera image; the output page's values the 2.5D page.
    FullViewWidget& image = *ui().page_fullimg_view;
    ASSERT_TRUE(waitUntil([&] { return image.graphicsView()->scene->shown(); })) << "no camera image";
    emit ui().page_outline25d_setup->signal_set_cursor_x(100, 200, -1, -1, -1);
    QGraphicsRectItem* cursor = image.graphicsView()->scene->cursorItem(0);
    ASSERT_NE(cursor, nullptr);
    EXPECT_NE(cursor->scene(), nullptr);
    EXPECT_DOUBLE_EQ(cursor->rect().left(), cursor->rect().width()) << "columns 100 to 200";
    emit ui().page_outline25d_setting->signal_set_cursor_x(100, -1, -1, -1, -1);
    EXPECT_EQ(cursor->scene(), nullptr);
    emit ui().page_output_setting->signal_update_data(QStringLiteral("测量值(um)"), QStringLiteral(" 4242"), -1, 0, 0,
                                                      0, 0);
    EXPECT_EQ(ui().page_outline25d_setting->findChild<QLabel*>(QStringLiteral("label_output_value"))->text(),
              QStringLiteral(" 4242"));

    OutputSettingWidget* output = ui().page_output_setting;
    emit ui().page_outline25d_setting->signal_clicked(14);
    EXPECT_EQ(rightPage(), Dlg::kOutputPage);
    EXPECT_EQ(title(), QStringLiteral("输出设定"));
    EXPECT_EQ(output->runState(), 2);
    emit output->signal_clicked(13);
    EXPECT_EQ(rightPage(), Dlg::kStepHeightPage);
    EXPECT_EQ(output->runState(), 1);

    sensor().clearPacketLog();
    emit ui().page_outline25d_setting->signal_clicked(17);
    EXPECT_EQ(rightPage(), Dlg::kStepHeightSetupPage);
    EXPECT_EQ(title(), QStringLiteral("高级设定"));
    EXPECT_TRUE(readOf(866)) << "the setup page loaded";
    ui().page_outline25d_setting->setCursorEnabled(false);
    emit ui().page_outline25d_setup->signal_clicked(13);
    EXPECT_EQ(rightPage(), Dlg::kStepHeightPage);
    EXPECT_TRUE(ui().page_outline25d_setting->isCursorEnabled());

    sensor().clearPacketLog();
    emit ui().page_outline25d_setting->signal_clicked(18);
    EXPECT_EQ(rightPage(), Dlg::kStepHeightAdvancedPage);
    EXPECT_EQ(title(), QStringLiteral("高级设定"));
    emit ui().page_outline25d_advanced->signal_clicked(13);
    EXPECT_EQ(rightPage(), Dlg::kStepHeightPage);

    emit ui().page_outline25d_setting->signal_work_mode(true);
    for (QPushButton* button : lockedButtons()) EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(ui().pushButton_content_right_2->isEnabled());
}

TEST_F(SettingsWindow, TheWorkModeRegisterOpensNothingSpecialOnOtherSeries) {
    ScopedPrompter prompts;
    sensor().setReg(842, 1);
    Dlg& w = open();
    w.show();
    EXPECT_EQ(rightPage(), Dlg::kTriggerPage);
    EXPECT_EQ(title(), QStringLiteral("触发设定"));
    for (QPushButton* button : lockedButtons()) {
        if (button->isVisible()) EXPECT_TRUE(button->isEnabled());
    }
}

// ---------------------------------------------------------------- pictures

bool yellowish(QRgb p) { return qRed(p) > 100 && qGreen(p) > 100 && qBlue(p) < 60; }
bool greenish(QColor c) { return c.green() > 100 && c.red() < 60 && c.blue() < 60; }
bool reddish(QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; }

class WindowPictures : public SettingsWindow {
protected:
    // The whole grab, and the plot's pixel of a profile point in it.
    QPoint plotPixel(OutlineChartWidget& view, double x, double z) {
        KxOutlineWidget& plot = *view.plot();
        const QPoint local(static_cast<int>(plot.canvas().toPixelX(static_cast<float>(x))),
                           static_cast<int>(plot.canvas().toPixelY(static_cast<float>(z))));
        return plot.mapTo(window.data(), local);
    }
    bool curveNear(const QImage& image, QPoint at) {
        for (int dy = -2; dy <= 2; ++dy)
            if (yellowish(image.pixel(at.x(), at.y() + dy))) return true;
        return false;
    }
};

TEST_F(WindowPictures, TriggerPageShowsTheLiveProfilesStep) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    OutlineChartWidget& view = *ui().page_trigger_view;
    // The scene: a plane with a step over points 2048 to 3071.
    ASSERT_TRUE(waitUntil([&] {
        return view.profileZ().size() > 2500 && view.profileZ()[1000] != -9999.0 &&
               view.profileZ()[2500] > view.profileZ()[1000] + 0.5;
    }));
    const double plane = view.profileZ()[1000];
    const double step = view.profileZ()[2500];
    w.slot_OnTimmerTask();
    QCoreApplication::processEvents();  // the status line's layout follows its new texts
    const QImage image = mirevo::test::saveGrab(w, QStringLiteral("settings_window_trigger"));
    EXPECT_TRUE(curveNear(image, plotPixel(view, view.profileX()[1000], plane))) << "plane";
    EXPECT_TRUE(curveNear(image, plotPixel(view, view.profileX()[2500], step))) << "step";
    EXPECT_FALSE(curveNear(image, plotPixel(view, view.profileX()[2500], plane)))
        << "nothing on the plane's rows there";
    // The right pane with its title.
    const QPoint titleAt = ui().widget_right_title->mapTo(&w, QPoint(2, 2));
    EXPECT_EQ(image.pixelColor(titleAt), QColor(0x2F, 0x4F, 0x6F));
}

TEST_F(WindowPictures, IoPageShowsTheLampsAndNoRightPane) {
    ScopedPrompter prompts;
    sensor().status().setStatus(1u << 13, 0);  // Measure Stop not active, every other input active
    Dlg& w = open();
    w.show();
    ui().pushButton_io_set->click();
    QPushButton* start = w.findChild<QPushButton*>(QStringLiteral("pushButton_m_start"));
    QPushButton* stop = w.findChild<QPushButton*>(QStringLiteral("pushButton_m_stop"));
    ASSERT_TRUE(waitUntil(
        [&] { return start->styleSheet() == ioLampStyle(true) && stop->styleSheet() == ioLampStyle(false); }));
    w.slot_OnTimmerTask();
    QCoreApplication::processEvents();  // the status line's layout follows its new texts
    const QImage image = mirevo::test::saveGrab(w, QStringLiteral("settings_window_io"));
    EXPECT_TRUE(greenish(image.pixelColor(start->mapTo(&w, QPoint(4, start->height() / 2)))));
    EXPECT_TRUE(reddish(image.pixelColor(stop->mapTo(&w, QPoint(4, stop->height() / 2)))));
    // No pane on the right: no title bar, the left view reaches the edge.
    EXPECT_FALSE(ui().widget_right_title->isVisible());
    int titleColoured = 0;
    for (int y = 64; y < 120; ++y) titleColoured += image.pixelColor(w.width() - 100, y) == QColor(0x2F, 0x4F, 0x6F);
    EXPECT_EQ(titleColoured, 0);
    EXPECT_GT(ui().widget_content_left->width(), 900);
}

// A series-'4' head sends the laser line's peak rows with its camera image.
class CameraPicture : public WindowPictures {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset = sensor_sim::series4Preset();
        return options;
    }
};

TEST_F(CameraPicture, CameraPageShowsTheLaserLinesRows) {
    ScopedPrompter prompts;
    Dlg& w = open();
    w.show();
    ui().pushButton_cameratSet->click();
    FullViewWidget& page = *ui().page_fullimg_view;
    ASSERT_TRUE(waitUntil([&] { return !page.peakRows.empty() && page.peakRows[page.peakRows.size() / 2] > 0; }));
    QCoreApplication::processEvents();
    w.slot_OnTimmerTask();
    QCoreApplication::processEvents();  // the status line's layout follows its new texts
    const QImage image = mirevo::test::saveGrab(w, QStringLiteral("settings_window_camera"));
    const QGraphicsView& view = *page.graphicsView();
    const int columns = static_cast<int>(page.peakRows.size());
    int red = 0;
    for (int d : {20, columns / 2, columns - 20}) {
        const QPoint at = view.mapFromScene(QPointF(50.0 * d + 25, 50.0 * page.peakRows[d] + 25));
        if (!view.viewport()->rect().contains(at)) continue;
        red += reddish(image.pixelColor(view.viewport()->mapTo(&w, at)));
    }
    EXPECT_GE(red, 2) << "the peaks are drawn on the laser line's rows";
    // The line steps: its rows differ between the image's two halves.
    EXPECT_GT(std::abs(page.peakRows[columns / 8] - page.peakRows[columns * 5 / 8]), 5.0f);
}

}  // namespace

namespace {

// Every right page entered the way the operator reaches it (so it shows what
// its load read), seen in the window: none needs more room than the pane
// gives it (its controls would be cut off or squeezed).
TEST_F(CameraPicture, EveryRightPageFitsThePane) {
    ScopedPrompter prompts;
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);
    Dlg& w = open();
    w.show();
    Ui::RealTimeSettingDlg& u = ui();
    const std::vector<std::pair<int, std::function<void()>>> entries = {
        {0, [&] { w.selectMenuPage(0); }},
        {1, [&] { w.selectMenuPage(1); }},
        {3, [&] { emit u.page_fullview_setting_1->signal_clicked(3); }},
        {4, [&] { emit u.page_fullview_setting_1->signal_clicked(4); }},
        {6, [&] { emit u.page_light_setting_4->signal_clicked(6); }},
        {8, [&] { emit u.page_fullview_setting_1->signal_clicked(8); }},
        {9, [&] { emit u.page_fullview_setting_1->signal_clicked(9); }},
        {11, [&] { emit u.page_fullview_setting_1->signal_clicked(11); }},
        {12, [&] { emit u.page_fullview_setting_1->signal_clicked(12); }},
        {15, [&] { emit u.page_fullview_setting_1->signal_clicked(15); }},
        {5, [&] { w.selectMenuPage(3); }},
        {10, [&] { emit u.page_outline_setting_advanced_5->signal_clicked(10); }},
        {16, [&] { emit u.page_outline_setting_advanced_5->signal_clicked(16); }},
        {7, [&] { w.showTiltPage(1); }},
        {2, [&] { w.slot_OnShowStackedWidget(2); }},
        {13, [&] { u.pushButton_25d->click(); }},
        {14, [&] { emit u.page_outline25d_setting->signal_clicked(14); }},
        {17, [&] { emit u.page_outline25d_setting->signal_clicked(17); }},
        {18, [&] { emit u.page_outline25d_setting->signal_clicked(18); }},
    };
    QStackedWidget& stack = *u.stackedWidget_right;
    ASSERT_EQ(static_cast<int>(entries.size()), stack.count());
    for (const auto& [id, enter] : entries) {
        SCOPED_TRACE(id);
        enter();
        ASSERT_EQ(stack.currentIndex(), id);
        QCoreApplication::processEvents();
        const QWidget& page = *stack.widget(id);
        const QSize needed = page.minimumSizeHint();
        EXPECT_LE(needed.width(), stack.width()) << page.objectName().toStdString();
        EXPECT_LE(needed.height(), stack.height()) << page.objectName().toStdString();
        mirevo::test::saveGrab(w, QStringLiteral("settings_window_page_%1").arg(id, 2, 10, QLatin1Char('0')));
    }
}

}  // namespace
