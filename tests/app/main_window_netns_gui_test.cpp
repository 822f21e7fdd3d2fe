// The main window against the real client on the simulator: start-up with
// the connection dialog over both sub-windows, the connect flow's choice of
// acquisition, the status line, the start and pause buttons, the connection
// loss, the reset, the settings window's close handler, the progress slot of
// the jobs and closing while a job runs.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "tests/app/main_window_fixture.h"
#include "settings_windows/change_procedure_dlg.h"
#include "tests/settings_windows/window_test_support.h"
#include "sensor_client/app_settings.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scoped_sleeper.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/height_view.h"
#include "tools/sensor_sim/sim_programs.h"
#include "views/profile/outline_chart_widget.h"

namespace {

using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::PromptRecord;
using mirevo::test::ScopedPrompter;

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kSystemCommand = 173;

bool hasPrompt(ScopedPrompter& p, PromptKind kind, const QString& title, const QString& text) {
    for (const PromptRecord& r : p->prompts())
        if (r.kind == kind && r.title == title && r.text == text) return true;
    return false;
}

class MainWindowTest : public mirevo::test::MainWindowFixture {
protected:
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    int writes() {
        int n = 0;
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == kWriteOpcode) ++n;
        return n;
    }
};

// The sensor in batch mode.
class BatchModeWindowTest : public MainWindowTest {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.knobs.batchMode = 1;
        options.batchLength = 20;
        return options;
    }
};

// ---------------------------------------------------------------- start-up

class UnconnectedWindowTest : public MainWindowTest {
protected:
    bool openInSetUp() const override { return false; }
};

TEST_F(UnconnectedWindowTest, TheConnectionDialogOpensAtStartWithBothSubWindowsBehindIt) {
    bool sawBothBehind = false;
    onDialog([&](ConnectSetDialog& dialog) {
        if (window_->profileView() && window_->heightMapView()) {
            sawBothBehind = true;
            cancelWhenSearched(dialog);
        }
    });
    QtLineLaserClient& window = makeWindow();
    EXPECT_EQ(window.objectName(), QStringLiteral("QtLineLaserClientClass"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("3D轮廓测量传感器软件"));
    waitForFlows(1);
    EXPECT_TRUE(sawBothBehind);
    EXPECT_EQ(window.connectionDialog()->windowTitle(), QStringLiteral("通信设置"));
    // Cancelled: nothing connected.
    EXPECT_EQ(label("label_sb_connstr"), QStringLiteral("未连接"));
    EXPECT_EQ(label("label_sb_lmodel"), QStringLiteral("-"));
    EXPECT_EQ(label("label_sb_sn"), QStringLiteral("-"));
    EXPECT_EQ(label("label_sb_fpga_version"), QStringLiteral("-"));
    EXPECT_FALSE(window.headActions()->isVisible());
    EXPECT_FALSE(client().profileThread.joinable() || client().batchThread.joinable());
}

TEST_F(UnconnectedWindowTest, TheFormIsBuiltAsGiven) {
    setSelectedProgram(3);
    QtLineLaserClient& window = makeWindowAndConnect();
    EXPECT_EQ(window.size(), QSize(1040, 800));
    EXPECT_FALSE(button("pushButton_view_math")->isVisibleTo(&window));
    EXPECT_FALSE(button("pushButton_view_3d")->isVisibleTo(&window));
    EXPECT_FALSE(child<QWidget>("horizontalWidget_btm")->isVisibleTo(&window));
    EXPECT_TRUE(button("pushButton_start")->isEnabled());
    EXPECT_FALSE(button("pushButton_end")->isEnabled());
    EXPECT_EQ(button("pushButton_start")->text(), QStringLiteral("开始监控"));
    EXPECT_EQ(button("pushButton_nowset")->text(), QStringLiteral("实时设定"));
    EXPECT_EQ(child<QComboBox>("comboBox_selectno")->currentIndex(), 3);
    EXPECT_EQ(child<QComboBox>("comboBox_selectno")->itemText(7), QStringLiteral("选择程序NO.7"));
    child<QComboBox>("comboBox_selectno")->setCurrentIndex(5);
    EXPECT_EQ(selectedProgram(), 5);
    EXPECT_EQ(label("label_sb_version"), QStringLiteral("1.7.54"));
    EXPECT_TRUE(label("label_sb_sdkversion").startsWith(QStringLiteral("SDK:")));
    EXPECT_FALSE(child<QLabel>("label_sb_sdkversion")->isVisibleTo(&window));
    EXPECT_FALSE(child<QAction>("action_settings_cmp")->isVisible());
    EXPECT_FALSE(child<QMenu>("menu_3")->menuAction()->isVisible());
    EXPECT_TRUE(child<QAction>("action_sensor_head1")->isChecked());
    EXPECT_TRUE(window.headActions()->isExclusive());
    QStringList menus;
    for (QAction* action : child<QWidget>("menuBar")->actions()) menus << action->text();
    EXPECT_EQ(menus, (QStringList{"文件", "连接", "设定", "显示", "语言", "帮助"}));
    // The progress dialog waits hidden, without its close button.
    EXPECT_FALSE(window.settingsProgressDialog()->isVisible());
    EXPECT_EQ(window.settingsProgressDialog()->size(), QSize(400, 150));
    EXPECT_FALSE(window.settingsProgressDialog()->windowFlags() & Qt::WindowCloseButtonHint);
    mirevo::test::saveGrab(window, QStringLiteral("main_window_unconnected"));
}

// ---------------------------------------------------------------- connect flow

TEST_F(MainWindowTest, ProfileModeStartsTheLiveProfileAndWritesTheSettingBack) {
    sensor().clearPacketLog();
    QtLineLaserClient& window = makeWindowAndConnect();
    EXPECT_TRUE(client().profileThread.joinable());
    EXPECT_FALSE(client().batchThread.joinable());
    EXPECT_EQ(sensor().writesTo(149), std::vector<uint32_t>{0});
    EXPECT_EQ(label("label_sb_connstr"), QStringLiteral("已连接 %1").arg(QString::fromStdString(sensor().address())));
    EXPECT_EQ(label("label_sb_lmodel").toStdString(), "5160");  // the model as the interface shows it
    EXPECT_FALSE(label("label_sb_fpga_version").isEmpty());
    EXPECT_TRUE(label("label_sb_sn").contains(QLatin1Char('.')));  // series '5': both serials
    EXPECT_FALSE(window.headActions()->isVisible());
    // The tick shows the live profile's frame count.
    EXPECT_TRUE(waitUntil([&] { return label("label_sb_row").startsWith(QStringLiteral("frame: ")) &&
                                       label("label_sb_row") != QStringLiteral("frame: 0"); }));
    EXPECT_EQ(label("label_sb_frame"), QStringLiteral("--"));
    // And the profile window shows the profiles.
    ASSERT_NE(window.profileView(), nullptr);
    EXPECT_TRUE(waitUntil([&] {
        for (double z : window.profileView()->profileZ())
            if (z > -9999.0) return true;
        return false;
    }));
}

TEST_F(BatchModeWindowTest, BatchModeStartsTheBatchAcquisitionWithoutTrigger) {
    sensor().clearPacketLog();
    makeWindowAndConnect();
    EXPECT_TRUE(client().batchThread.joinable());
    EXPECT_FALSE(client().profileThread.joinable());
    EXPECT_EQ(sensor().writesTo(149), std::vector<uint32_t>{1});
    EXPECT_TRUE(sensor().writesTo(141).empty());  // no batch triggered
    EXPECT_TRUE(waitUntil([&] { return label("label_sb_frame") == QStringLiteral("批处理累计次数：0"); }));
    EXPECT_EQ(label("label_sb_row"), QStringLiteral("当前批处理行数：0"));
}

TEST_F(MainWindowTest, AFailedReadOfTheBatchSettingStartsNoAcquisition) {
    sensor_sim::Fault silent;
    silent.kind = sensor_sim::FaultKind::Silence;
    sensor().head().injectRegisterFault(149, silent);
    sensor().clearPacketLog();
    QtLineLaserClient& window = makeWindowAndConnect();
    EXPECT_FALSE(client().profileThread.joinable());
    EXPECT_FALSE(client().batchThread.joinable());
    EXPECT_TRUE(sensor().writesTo(149).empty());
    // The status label and the head actions stay as they were: the label as
    // the start-up language switch left it (the client was open before).
    EXPECT_EQ(label("label_sb_connstr"), QStringLiteral("已连接 %1").arg(client().ip));
    EXPECT_TRUE(window.headActions()->isVisible());
}

struct HeadModelCase {
    const char* model;
    bool headActionsShown;
};
void PrintTo(const HeadModelCase& c, std::ostream* out) { *out << c.model; }

class HeadModelTest : public MainWindowTest, public ::testing::WithParamInterface<HeadModelCase> {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset.model = GetParam().model;
        return options;
    }
};

TEST_P(HeadModelTest, HeadActionsOnlyForFourHeadModels) {
    QtLineLaserClient& window = makeWindowAndConnect();
    EXPECT_EQ(label("label_sb_lmodel").toStdString(), std::string(GetParam().model).substr(2));
    EXPECT_EQ(window.headActions()->isVisible(), GetParam().headActionsShown);
}

INSTANTIATE_TEST_SUITE_P(Models, HeadModelTest,
                         ::testing::Values(HeadModelCase{"ZP5160F", true}, HeadModelCase{"ZP5160D", false},
                                           HeadModelCase{"ZP5160", false}),
                         [](const ::testing::TestParamInfo<HeadModelCase>& info) {
                             return std::string(info.param.model);
                         });

// ---------------------------------------------------------------- sub-windows and buttons

TEST_F(MainWindowTest, TheProfileButtonRecreatesAClosedWindowOrOnlyPlacesIt) {
    QtLineLaserClient& window = makeWindowAndConnect();
    ASSERT_TRUE(waitUntil([&] { return window.profileView() && window.heightMapView(); }));
    QMdiArea* area = child<QMdiArea>("mdiArea");
    const QSize half(area->width() / 2 - 2, area->height());
    QMdiSubWindow* heightSub = window.subWindowManager().heightWindow();
    ASSERT_NE(heightSub, nullptr);
    EXPECT_EQ(heightSub->geometry(), QRect(QPoint(area->width() / 2, 0), half));
    EXPECT_EQ(heightSub->windowTitle().left(1), QStringLiteral("2"));

    QMdiSubWindow* sub = window.subWindowManager().profileWindow();
    ASSERT_NE(sub, nullptr);
    sub->close();
    // Outside an event loop of its own the test delivers the deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(waitUntil([&] { return window.profileView() == nullptr; }));
    EXPECT_EQ(window.subWindowManager().profileWindow(), nullptr);

    button("pushButton_view_outline")->click();
    OutlineChartWidget* again = window.profileView();
    ASSERT_NE(again, nullptr);
    QMdiSubWindow* newSub = window.subWindowManager().profileWindow();
    ASSERT_NE(newSub, nullptr);
    EXPECT_EQ(newSub->geometry(), QRect(QPoint(0, 0), half));
    EXPECT_EQ(newSub->windowTitle().size(), 3);
    EXPECT_EQ(newSub->windowTitle().left(1), QStringLiteral("1"));

    newSub->move(100, 50);
    button("pushButton_view_outline")->click();
    EXPECT_EQ(window.profileView(), again);
    EXPECT_EQ(newSub->geometry(), QRect(QPoint(0, 0), half));
}

// The program dialog stores rows up to 15; the window's own list has rows 0
// to 7. A stored row of 12 survives the start, and the program dialog opened
// from the window shows it and switches to program 12.
TEST_F(MainWindowTest, AStoredProgramRowAboveSevenSurvivesTheStartAndIsSwitchedTo) {
    const std::shared_ptr<sensor_sim::SimPrograms> programs = sensor_sim::installPrograms(sensor().head());
    setSelectedProgram(12);
    makeWindowAndConnect();
    EXPECT_EQ(selectedProgram(), 12);

    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);  // the switch's success
    int shownRow = -2;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<ChangeProcedureDlg*>(QApplication::activeModalWidget());
        if (!dialog) return;
        driver.stop();
        shownRow = dialog->ui->tableView->currentIndex().row();
        sensor().clearPacketLog();
        dialog->ui->pushButton_switch_pro->click();
        if (dialog->isVisible()) dialog->reject();  // a failed switch keeps it open
    });
    driver.start(10);
    button("pushButton_program")->click();
    EXPECT_EQ(shownRow, 12);
    EXPECT_EQ(settings_gui::programCommands(sensor()),
              (std::vector<settings_gui::ProgramCommand>{settings_gui::selectCommand(12), settings_gui::kLoad}));
    EXPECT_EQ(programs->active(), 12);
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("成功切换程序设定至编号 12"));
}

TEST_F(MainWindowTest, PauseOnlyTogglesTheButtons) {
    makeWindowAndConnect();
    client().stopAcquisition();
    button("pushButton_start")->setEnabled(false);
    button("pushButton_end")->setEnabled(true);
    const int before = writes();
    button("pushButton_end")->click();
    EXPECT_TRUE(button("pushButton_start")->isEnabled());
    EXPECT_FALSE(button("pushButton_end")->isEnabled());
    spin(100);
    EXPECT_EQ(writes(), before);
}

TEST_F(UnconnectedWindowTest, ActionsThatNeedASensorSaySo) {
    ScopedPrompter p;
    makeWindowAndConnect();
    p->answer(QMessageBox::Ok);
    button("pushButton_start")->click();
    p->answer(QMessageBox::Ok);
    button("pushButton_nowset")->click();
    p->answer(QMessageBox::Ok);
    button("pushButton_program")->click();
    p->answer(QMessageBox::Ok);
    child<QAction>("actionconnedit")->trigger();
    EXPECT_EQ(p->count(PromptKind::Critical), 3);
    EXPECT_TRUE(hasPrompt(p, PromptKind::Critical, QStringLiteral("提示"), QStringLiteral("未连接传感器!")));
    EXPECT_TRUE(hasPrompt(p, PromptKind::Question, QStringLiteral("提示"), QStringLiteral("请先连接传感器!")));
}

// ---------------------------------------------------------------- the start button

TEST_F(BatchModeWindowTest, StartTriggersOneBatchAndWaitsForIt) {
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor().clearPacketLog();
    // The client announces the batch's start and end from its event timer,
    // during the click's wait or, for a batch complete by the time the
    // trigger returned, after it. Connected after the window's own slot, this
    // sees the buttons as the window left them on the start.
    bool started = false, ended = false, disabledDuringBatch = false;
    const QMetaObject::Connection announced =
        QObject::connect(&client(), &LinelaserClient::signal_laser_batch_state, [&](int val) {
            if (val == 1) {
                started = true;
                disabledDuringBatch = !button("pushButton_start")->isEnabled() && button("pushButton_end")->isEnabled();
            } else if (started) {
                ended = true;
            }
        });
    button("pushButton_start")->click();
    // The click returns when the batch is complete.
    EXPECT_TRUE(client().batchComplete);
    EXPECT_FALSE(window.waitingForBatch());
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1});
    EXPECT_TRUE(waitUntil([&] { return ended; })) << "the batch's start and end announced";
    QObject::disconnect(announced);
    EXPECT_TRUE(disabledDuringBatch);
    EXPECT_TRUE(button("pushButton_start")->isEnabled());
    EXPECT_FALSE(button("pushButton_end")->isEnabled());
    EXPECT_TRUE(waitUntil([&] { return label("label_sb_row") == QStringLiteral("当前批处理行数：20"); }));
    EXPECT_EQ(label("label_sb_frame"), QStringLiteral("批处理累计次数：%1").arg(client().batchNumber.load()));
}

// The sensor answers every write late: the start button's stop of the other
// acquisitions, measuring mode and trigger go on while the window's event
// loop keeps running, and what reaches the sensor is what it was: the
// measuring mode (register 336) before the one trigger (register 141).
TEST_F(BatchModeWindowTest, TheWindowStaysLiveWhileTheSensorAnswersTheTriggerLate) {
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor().clearPacketLog();
    sensor_sim::Fault late;
    late.kind = sensor_sim::FaultKind::Delay;
    late.delayMs = 800;
    sensor().head().injectOpcodeFault(kWriteOpcode, late);
    auto triggerReceived = [&] {
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == kWriteOpcode && packet.address == 141) return true;
        return false;
    };
    // Set by the event loop while the sensor holds back its answer to a write.
    bool liveWhileTriggering = false;
    bool pressedAgain = false, secondReturnedAtOnce = false;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (!window.jobs().running()) return;
        liveWhileTriggering = true;
        if (!pressedAgain && triggerReceived()) {
            // A second press meanwhile starts nothing.
            pressedAgain = true;
            QMetaObject::invokeMethod(&window, "on_pushButton_start_clicked");
            secondReturnedAtOnce = window.waitingForBatch();
        }
    });
    during.start(10);
    button("pushButton_start")->click();
    during.stop();
    sensor().head().clearFaults();
    EXPECT_TRUE(liveWhileTriggering);
    EXPECT_TRUE(pressedAgain);
    EXPECT_TRUE(secondReturnedAtOnce);
    // The click still returns with the batch complete and the buttons back.
    EXPECT_TRUE(client().batchComplete);
    EXPECT_FALSE(window.waitingForBatch());
    EXPECT_FALSE(window.jobs().running());
    EXPECT_TRUE(button("pushButton_start")->isEnabled());
    EXPECT_FALSE(button("pushButton_end")->isEnabled());
    std::vector<uint32_t> written;
    for (const auto& packet : sensor().packetLog())
        if (packet.opcode == kWriteOpcode) written.push_back(packet.address);
    EXPECT_EQ(written, (std::vector<uint32_t>{336, 141}));
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1});
}

// A batch that never completes: one frame of the twenty announced.
class EndlessBatchTest : public BatchModeWindowTest {
protected:
    void planEndlessBatch() {
        sensor_sim::BatchPlan plan = sensor().batchPlan(20, 7);
        plan.frames = 1;
        plan.sendStop = false;
        sensor().streamer().setPlan(plan);
    }
};

TEST_F(EndlessBatchTest, ASecondPressWhileWaitingStartsNothing) {
    QtLineLaserClient& window = makeWindowAndConnect();
    planEndlessBatch();
    sensor().clearPacketLog();
    bool pressedAgain = false;
    bool secondReturnedAtOnce = false;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        // Once the batch has begun, the start button is disabled; press it by
        // its slot all the same.
        if (pressedAgain || !window.waitingForBatch() || !button("pushButton_end")->isEnabled()) return;
        pressedAgain = true;
        QMetaObject::invokeMethod(&window, "on_pushButton_start_clicked");
        secondReturnedAtOnce = window.waitingForBatch();
        // "暂停" ends the wait; nothing goes to the sensor.
        button("pushButton_end")->click();
    });
    during.start(10);
    button("pushButton_start")->click();
    EXPECT_TRUE(pressedAgain);
    EXPECT_TRUE(secondReturnedAtOnce);
    EXPECT_FALSE(window.waitingForBatch());
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1});
}

TEST_F(EndlessBatchTest, ABatchFlagLeftSetEndsTheWaitAtOnce) {
    QtLineLaserClient& window = makeWindowAndConnect();
    // No frame at all: a first frame would start the new batch and clear the
    // flag, racing the trigger's return this test is about.
    sensor_sim::BatchPlan silent = sensor().batchPlan(20, 7);
    silent.frames = 0;
    silent.sendStop = false;
    sensor().streamer().setPlan(silent);
    client().batchComplete = true;
    bool guardFired = false;  // the guard ends a wait that never ends by itself
    QTimer guard;  // stops with the test, so it never fires into a later one
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        button("pushButton_end")->click();
    });
    guard.start(20000);
    button("pushButton_start")->click();
    EXPECT_FALSE(guardFired);
    EXPECT_FALSE(window.waitingForBatch());
    EXPECT_EQ(sensor().writesTo(141), std::vector<uint32_t>{1});
}

TEST_F(EndlessBatchTest, AFailedTriggerWaitsForNothing) {
    QtLineLaserClient& window = makeWindowAndConnect();
    planEndlessBatch();
    client().batchComplete = false;
    sensor_sim::Fault closed;
    closed.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectRegisterFault(141, closed);
    bool guardFired = false;  // the guard ends a wait that never ends by itself
    QTimer guard;  // stops with the test, so it never fires into a later one
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        button("pushButton_end")->click();
    });
    guard.start(20000);
    button("pushButton_start")->click();
    EXPECT_FALSE(guardFired);
    EXPECT_FALSE(window.waitingForBatch());
    EXPECT_TRUE(button("pushButton_start")->isEnabled());
}

TEST_F(EndlessBatchTest, ALostSensorEndsTheWaitWithTheLossBoxAndTheWindowCloses) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    planEndlessBatch();
    // Both timers end with the test: a timer without an owner outlives it and
    // fires into whatever test runs next in the same process.
    QTimer loss;
    loss.setSingleShot(true);
    QObject::connect(&loss, &QTimer::timeout, [&] {
        // The heartbeat fails from now on: after three failures the client posts "close".
        sensor_sim::Fault fault;
        fault.kind = sensor_sim::FaultKind::CloseConnection;
        sensor().head().injectRegisterFault(0xFFFC, fault);
    });
    loss.start(300);
    QTimer guard;  // a guard only: ends a wait that never ends by itself
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { button("pushButton_end")->click(); });
    guard.start(30000);
    p->answer(QMessageBox::Ok);
    button("pushButton_start")->click();
    EXPECT_FALSE(window.waitingForBatch());
    EXPECT_TRUE(hasPrompt(p, PromptKind::Warning, QStringLiteral("连接"),
                          QStringLiteral("Mirevo与控制器断开，请确认连接或通信设定后重试")));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(client().connected);
}

// ---------------------------------------------------------------- connection loss and reset

TEST_F(MainWindowTest, ASilencedHeartbeatWarnsAndClosesTheWindow) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    p->answer(QMessageBox::Ok);
    sensor_sim::Fault fault;
    fault.kind = sensor_sim::FaultKind::CloseConnection;
    sensor().head().injectRegisterFault(0xFFFC, fault);
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }, 60000));
    EXPECT_EQ(p->count(PromptKind::Warning), 1);
    EXPECT_TRUE(hasPrompt(p, PromptKind::Warning, QStringLiteral("连接"),
                          QStringLiteral("Mirevo与控制器断开，请确认连接或通信设定后重试")));
    EXPECT_FALSE(client().connected);
    EXPECT_FALSE(client().profileThread.joinable() || client().heartbeatThread.joinable());
}

TEST_F(MainWindowTest, ALossWhileTheConnectionDialogShowsIsLeftToTheDialog) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    bool lossSent = false;
    onDialog([&](ConnectSetDialog& dialog) {
        if (!lossSent) {
            lossSent = true;
            client().slot_tcpdisconnected();
        }
        cancelWhenSearched(dialog);
    });
    child<QAction>("actiontcpset")->trigger();
    EXPECT_TRUE(lossSent);
    EXPECT_EQ(p->count(), 0);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, ResetRebootsHeadThenControllerAndEndsTheProgram) {
    ScopedPrompter p;
    mirevo::test::ScopedSleeper sleeper;
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor().clearPacketLog();
    p->answerIndex(0);            // "是"
    p->answer(QMessageBox::Ok);   // the loss box
    child<QAction>("action_reset")->trigger();
    std::vector<uint32_t> order;
    for (const auto& packet : sensor().packetLog())
        if (packet.opcode == kWriteOpcode && ((packet.address & 0xFFFF) == 239 || (packet.address & 0xFFFF) == 227))
            order.push_back(packet.address & 0xFFFF);
    EXPECT_EQ(order, (std::vector<uint32_t>{239, 227}));
    EXPECT_EQ(sleeper->asked(), std::vector<int>{50});
    const PromptRecord first = p->prompts().at(0);
    EXPECT_EQ(first.kind, PromptKind::Ask);
    EXPECT_EQ(first.title, QStringLiteral("复位"));
    EXPECT_EQ(first.text, QStringLiteral("确定重启传感器吗？"));
    EXPECT_EQ(first.buttons, (QStringList{"是", "否"}));
    EXPECT_EQ(p->count(PromptKind::Warning), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(client().connected);
}

TEST_F(MainWindowTest, ResetAnsweredNoDoesNothing) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor().clearPacketLog();
    p->answerIndex(1);
    child<QAction>("action_reset")->trigger();
    EXPECT_TRUE(sensor().writesTo(239).empty());
    EXPECT_TRUE(sensor().writesTo(227).empty());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(client().connected);
}

// ---------------------------------------------------------------- the settings window's close

bool permanentStoreSent(mirevo::test::ClientSensor& sensor) {
    for (const auto& packet : sensor.packetLog())
        if (packet.opcode == kSystemCommand && packet.address == 0x10000 && packet.value == 0x400000) return true;
    return false;
}

TEST_F(MainWindowTest, ClosingWithSaveStoresPermanentlyAndRestartsTheLiveProfile) {
    sensor_sim::installPrograms(sensor().head());
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor().clearPacketLog();
    window.slot_settings_window_closed(true);
    EXPECT_TRUE(permanentStoreSent(sensor()));
    EXPECT_EQ(sensor().writesTo(722), std::vector<uint32_t>{1});
    EXPECT_TRUE(client().profileThread.joinable());
}

TEST_F(MainWindowTest, AFailedPermanentStoreSaysSoAndRestartsNothing) {
    ScopedPrompter p;
    sensor_sim::installPrograms(sensor().head());
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor_sim::Fault broken;
    broken.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectOpcodeFault(kSystemCommand, broken);
    sensor().clearPacketLog();
    p->answer(QMessageBox::Ok);
    window.slot_settings_window_closed(true);
    EXPECT_TRUE(hasPrompt(p, PromptKind::Question, QStringLiteral("提示"), QStringLiteral("保存参数失败!")));
    EXPECT_FALSE(client().profileThread.joinable());
    EXPECT_TRUE(sensor().writesTo(722).empty());
}

TEST_F(BatchModeWindowTest, ClosingWithoutSaveInBatchModeLeavesTheSensorAlone) {
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor().clearPacketLog();
    const int before = writes();
    window.slot_settings_window_closed(false);
    EXPECT_FALSE(permanentStoreSent(sensor()));
    EXPECT_EQ(writes(), before);
    EXPECT_TRUE(client().batchThread.joinable());
}

// ---------------------------------------------------------------- the tick's boxes

// Shows each box as a modal box would: the event loop (and so the tick) runs
// for a while before the answer comes.
class ModalPrompter : public mirevo::test::ScriptedPrompter {
public:
    int ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
            const QStringList& buttons, int defaultIndex) override {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        ++boxes;
        if (whileOpen) whileOpen();
        QEventLoop loop;
        QTimer::singleShot(700, &loop, &QEventLoop::quit);  // three and a half ticks
        loop.exec();
        --depth;
        answerIndex(0);
        return ScriptedPrompter::ask(parent, icon, title, text, buttons, defaultIndex);
    }
    int depth = 0;
    int maxDepth = 0;
    int boxes = 0;
    std::function<void()> whileOpen;
};

TEST_F(MainWindowTest, AHeadSwitchResultIsShownOnceAndNoBoxNestsInAnother) {
    auto owned = std::make_unique<ModalPrompter>();
    ModalPrompter* modal = owned.get();
    auto previous = ui::installPrompter(std::move(owned));
    QtLineLaserClient& window = makeWindowAndConnect();
    // The mark alone moves (no switch starts for the connected head).
    window.currentHead = 1;
    child<QAction>("action_sensor_head2")->setChecked(true);
    window.currentHead = 0;
    // A second result arrives while the first box shows.
    modal->whileOpen = [&] {
        modal->whileOpen = nullptr;
        window.headSwitchResult = 2;
    };
    window.headSwitchResult = 0;
    EXPECT_TRUE(waitUntil([&] { return modal->boxes == 2 && modal->depth == 0; }, 10000));
    spin(600);
    EXPECT_EQ(modal->boxes, 2);
    EXPECT_EQ(modal->maxDepth, 1);
    EXPECT_EQ(window.headSwitchResult.load(), -1);
    // The mark stands on the connected head again.
    EXPECT_TRUE(child<QAction>("action_sensor_head1")->isChecked());
    const auto prompts = modal->prompts();
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].title, QStringLiteral("传感头切换"));
    EXPECT_EQ(prompts[0].text, QStringLiteral("传感头切换成功"));
    EXPECT_EQ(prompts[1].text, QStringLiteral("传感头切换失败"));
    ui::installPrompter(std::move(previous));
}

// ---------------------------------------------------------------- the jobs' progress

TEST_F(UnconnectedWindowTest, SettingsProgressGoesToTheDialogUntilDoneOrFailed) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    QProgressDialog* dialog = window.settingsProgressDialog();

    // Nothing runs: a report only resets the dialog.
    window.slot_on_settings_prompt(40, QStringLiteral("参数设定导出中"), QStringLiteral("导出"));
    EXPECT_FALSE(dialog->isVisible());

    window.progressActive = true;
    window.jobs().start([&window] { emit window.signal_prompt_settings(50, QStringLiteral("参数设定导出中"), QStringLiteral("导出")); });
    window.jobs().join();
    ASSERT_TRUE(waitUntil([&] { return dialog->value() == 50; }));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("导出"));
    EXPECT_EQ(dialog->labelText(), QStringLiteral("参数设定导出中"));
    EXPECT_FALSE(window.settingsProgressButton()->isVisible());
    mirevo::test::saveGrab(*dialog, QStringLiteral("settings_progress"));

    // Empty texts keep what the dialog shows.
    window.slot_on_settings_prompt(98, QString(), QString());
    EXPECT_EQ(dialog->labelText(), QStringLiteral("参数设定导出中"));
    window.slot_on_settings_prompt(100, QStringLiteral("参数设定导出完成"), QStringLiteral("导出"));
    EXPECT_TRUE(window.settingsProgressButton()->isVisible());
    EXPECT_EQ(window.settingsProgressButton()->text(), QStringLiteral("确定"));
    EXPECT_FALSE(window.progressActive);
    window.settingsProgressButton()->click();
    EXPECT_FALSE(dialog->isVisible());

    // A failure: the box (title and text as given), the dialog taken down.
    window.progressActive = true;
    window.slot_on_settings_prompt(10, QStringLiteral("参数设定导入中"), QStringLiteral("导入"));
    EXPECT_TRUE(dialog->isVisible());
    p->answerIndex(0);
    window.slot_on_settings_prompt(-1, QStringLiteral("参数设定导入失败!"), QStringLiteral("导入"));
    EXPECT_FALSE(window.progressActive);
    EXPECT_FALSE(dialog->isVisible());
    const PromptRecord failure = p->prompts().back();
    EXPECT_EQ(failure.kind, PromptKind::Ask);
    EXPECT_EQ(failure.title, QStringLiteral("导入"));
    EXPECT_EQ(failure.text, QStringLiteral("参数设定导入失败!"));
    EXPECT_EQ(failure.buttons, QStringList{"确定"});
}

TEST_F(MainWindowTest, ClosingWaitsForTheRunningJobAndAnswersItsQuestions) {
    QtLineLaserClient& window = makeWindowAndConnect();
    std::atomic<bool> asked{false};
    std::atomic<bool> finished{false};
    ASSERT_TRUE(window.jobs().start([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        // A question the job needs the GUI thread to answer.
        QMetaObject::invokeMethod(&window, [&] { asked = true; }, Qt::BlockingQueuedConnection);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        finished = true;
    }));
    EXPECT_FALSE(window.jobs().start([] {}));  // one job at a time
    window.close();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(finished);
    EXPECT_FALSE(window.jobs().running());
    EXPECT_FALSE(client().connected);
}

}  // namespace
