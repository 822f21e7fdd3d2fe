// The main window's head switch on a simulated four-head sensor and its
// language switch, against the real client, each test in a private network
// namespace of its own (the connection dialog searches when it shows).
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionTitleBar>

#include <gtest/gtest.h>

#include <ostream>

#include "app/head_switch.h"
#include "app/myqss.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/settings_keys.h"
#include "tests/app/four_head_sensor.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/visible_texts.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/height_view.h"
#include "views/profile/outline_chart_widget.h"

namespace {

using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;
using mirevo::test::Texts;
using mirevo::test::chineseTexts;
using mirevo::test::visibleTexts;

// ---------------------------------------------------------------- head switch

// A four-head ('F') sensor whose first head answers at 127.a.b.1, the others
// at .2 to .4.
class HeadSwitchTest : public mirevo::test::MainWindowFixture {
protected:
    ClientSensorOptions sensorOptions() const override { return mirevo::test::fourHeadSensorOptions(); }
    std::string sensorAddress() const override { return mirevo::test::firstHeadAddress(addressForTest()); }
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(sensor().headCount(), 4);
        // What the connection dialog stores when it connects head 1.
        setSettingsString(settings_keys::kConnectIp, QString::fromStdString(sensor().address()));
        setSettingsString(settings_keys::kConnectPort, QStringLiteral("7"));
    }

    QAction* headAction(int index) {
        return child<QAction>(QStringLiteral("action_sensor_head%1").arg(index + 1).toLatin1().constData());
    }
    int liveReads(int head) { return mirevo::test::liveProfileReads(sensor(), head); }
    // Chooses the head's action and waits for the tick's box.
    void chooseHead(ScopedPrompter& p, int index) {
        const size_t before = p->prompts().size();
        headAction(index)->setChecked(true);
        EXPECT_TRUE(waitUntil([&] { return p->prompts().size() > before; }, 30000)) << "no outcome of the switch";
    }
    // The last box: the tick's, with its title and text and the one button.
    bool lastPromptIs(ScopedPrompter& p, const char* text) {
        const auto prompts = p->prompts();
        if (prompts.empty()) return false;
        const auto& last = prompts.back();
        return last.kind == PromptKind::Ask && last.buttons == QStringList{QStringLiteral("确定")} && last.title == QStringLiteral("传感头切换") && last.text == QString::fromUtf8(text);
    }
};

TEST_F(HeadSwitchTest, SwitchingToHead2MovesTheLiveProfileThere) {
    ScopedPrompter p;
    p->answerIndex(0);
    QtLineLaserClient& window = makeWindowAndConnect();
    ASSERT_TRUE(window.headActions()->isVisible());
    ASSERT_TRUE(waitUntil([&] { return liveReads(0) > 0; })) << "no live profile from head 1";

    chooseHead(p, 1);
    EXPECT_TRUE(lastPromptIs(p, "传感头切换成功"));
    EXPECT_EQ(window.currentHead.load(), 1);
    EXPECT_EQ(client().ip, QString::fromStdString(sensor().headAddress(1)));
    EXPECT_TRUE(headAction(1)->isChecked());
    EXPECT_FALSE(window.busyDialog().isVisible());
    EXPECT_TRUE(waitUntil([&] {
        return child<QLabel>("label_sb_connstr")->text() ==
               QStringLiteral("已连接 %1").arg(QString::fromStdString(sensor().headAddress(1)));
    }));
    // The new head is set up as a freshly connected one: its batch setting
    // read and written back, then the live profile from it alone.
    EXPECT_FALSE(sensor().head(1).packetLog().empty());
    bool batchSettingWritten = false;
    for (const auto& packet : sensor().head(1).packetLog())
        if (packet.opcode == 160 && (packet.address & 0xFFFF) == 149) batchSettingWritten = true;
    EXPECT_TRUE(batchSettingWritten);
    EXPECT_TRUE(waitUntil([&] { return liveReads(1) >= 3; })) << "no live profile from head 2";
    const int head1Reads = liveReads(0);
    spin(300);
    EXPECT_EQ(liveReads(0), head1Reads);

    // Choosing the connected head does nothing: no busy dialog, no box.
    const size_t boxes = p->prompts().size();
    window.switch_sensor_head(1);
    EXPECT_FALSE(window.busyDialog().isVisible());
    spin(400);
    EXPECT_EQ(p->prompts().size(), boxes);
}

struct FailedSwitchCase {
    const char* name;
    int head;              // the head chosen
    int expectedStatus;    // what open gives
    bool clientOnNewHead;  // 254 and 255: connected to the new head nevertheless
};

void PrintTo(const FailedSwitchCase& c, std::ostream* os) { *os << c.name; }

class FailedHeadSwitchTest : public HeadSwitchTest, public testing::WithParamInterface<FailedSwitchCase> {};

TEST_P(FailedHeadSwitchTest, ShowsTheFailureAndPutsTheMarkBack) {
    const FailedSwitchCase& c = GetParam();
    ScopedPrompter p;
    p->answerIndex(0);
    QtLineLaserClient& window = makeWindowAndConnect();
    if (c.expectedStatus == 254) sensor().head(c.head).setReg(705, 1);       // settings failed to load
    if (c.expectedStatus == 255) sensor().head(c.head).setReg(134, 0xFFFF);  // the laser head did not answer
    if (c.expectedStatus == 2) sensor().head(c.head).stop();                // refuses the connection

    chooseHead(p, c.head);
    EXPECT_TRUE(lastPromptIs(p, "传感头切换失败"));
    EXPECT_EQ(window.currentHead.load(), 0);
    EXPECT_TRUE(headAction(0)->isChecked());
    EXPECT_FALSE(headAction(c.head)->isChecked());
    EXPECT_EQ(client().connected.load(), c.clientOnNewHead);
    if (c.clientOnNewHead) {
        EXPECT_EQ(client().ip, QString::fromStdString(sensor().headAddress(c.head)));
    }
}

INSTANTIATE_TEST_SUITE_P(Opens, FailedHeadSwitchTest,
                         testing::Values(FailedSwitchCase{"SettingsNotLoaded", 1, 254, true},
                                         FailedSwitchCase{"HeadNotAnswering", 2, 255, true},
                                         FailedSwitchCase{"Refused", 3, 2, false}),
                         [](const testing::TestParamInfo<FailedSwitchCase>& info) { return info.param.name; });

TEST_F(HeadSwitchTest, AHeadBeyondTheLastAddressFailsWithoutTraffic) {
    ScopedPrompter p;
    p->answerIndex(0);
    QtLineLaserClient& window = makeWindowAndConnect();
    // Head 1 stored at .254: head 4 would be .257, which wraps to .1.
    const auto bytes = mirevo::test::ipv4Bytes(sensor().address());
    setSettingsString(settings_keys::kConnectIp,
                      QStringLiteral("127.%1.%2.254").arg(bytes[1]).arg(bytes[2]));
    for (int head = 0; head < 4; ++head) sensor().head(head).clearPacketLog();
    chooseHead(p, 3);
    EXPECT_TRUE(lastPromptIs(p, "传感头切换失败"));
    EXPECT_TRUE(headAction(0)->isChecked());
    EXPECT_EQ(window.currentHead.load(), 0);
    // Still on head 1, untouched but for its own heartbeat and profile.
    EXPECT_TRUE(client().connected);
    EXPECT_EQ(client().ip, QString::fromStdString(sensor().address()));
    for (int head = 1; head < 4; ++head) EXPECT_TRUE(sensor().head(head).packetLog().empty()) << head;
}

TEST_F(HeadSwitchTest, NoStoredAddressFails) {
    ScopedPrompter p;
    p->answerIndex(0);
    QtLineLaserClient& window = makeWindowAndConnect();
    setSettingsString(settings_keys::kConnectIp, QString());
    chooseHead(p, 2);
    EXPECT_TRUE(lastPromptIs(p, "传感头切换失败"));
    EXPECT_TRUE(headAction(0)->isChecked());
    EXPECT_EQ(window.currentHead.load(), 0);
}

// ---------------------------------------------------------------- language switch

// The title bar that the installed style draws for a title code.
QImage titleBar(const QString& code) {
    QImage image(300, 26, QImage::Format_ARGB32);
    image.fill(Qt::gray);
    QStyleOptionTitleBar option;
    option.rect = image.rect();
    option.text = code;
    option.titleBarState = Qt::WindowNoState;
    option.subControls = QStyle::SC_All;
    QPainter painter(&image);
    QApplication::style()->drawComplexControl(QStyle::CC_TitleBar, &option, &painter);
    return image;
}

class LanguageSwitchTest : public mirevo::test::MainWindowFixture {
protected:
    bool openInSetUp() const override { return false; }
    void SetUp() override {
        // The program's own style, as start-up installs it, under the style sheet.
        previousSheet_ = qApp->styleSheet();
        qApp->setStyleSheet(QString());
        QApplication::setStyle(new myqss(0));
        QFile sheet(QStringLiteral(":/res/res/LineLaserQss.qss"));
        ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
        MainWindowFixture::SetUp();
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        qApp->setStyleSheet(previousSheet_);
        QApplication::setStyle(QStringLiteral("fusion"));
    }

    // Triggers the language action and waits until both sub-windows are new.
    void switchTo(const char* action) {
        QPointer<OutlineChartWidget> profile = window_->profileView();
        QPointer<HeightView> height = window_->heightMapView();
        child<QAction>(action)->trigger();
        EXPECT_TRUE(waitUntil([&] {
            return !profile && !height && window_->profileView() && window_->heightMapView();
        })) << "the sub-windows were not rebuilt";
        QCoreApplication::processEvents();
    }

    QString previousSheet_;
};

TEST_F(LanguageSwitchTest, EnglishReachesEveryVisibleTextAndChineseRestoresTheSources) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    ASSERT_TRUE(waitUntil([&] { return window.profileView() && window.heightMapView(); }));
    EXPECT_TRUE(child<QAction>("actionchinese")->isChecked());
    const Texts chinese = visibleTexts(window);
    EXPECT_EQ(chinese.at(QStringLiteral("QtLineLaserClientClass:windowTitle")), QStringLiteral("3D轮廓测量传感器软件"));
    const QImage chineseTitle = titleBar(QStringLiteral("101"));

    switchTo("actionenglish");
    const Texts english = visibleTexts(window);
    EXPECT_EQ(chineseTexts(english), QStringList());
    EXPECT_NE(english.at(QStringLiteral("QtLineLaserClientClass:windowTitle")),
              chinese.at(QStringLiteral("QtLineLaserClientClass:windowTitle")));
    EXPECT_TRUE(child<QAction>("actionenglish")->isChecked());
    EXPECT_FALSE(child<QAction>("actionchinese")->isChecked());
    EXPECT_EQ(settingsInt(settings_keys::kLanguageIndex), 1);
    EXPECT_EQ(child<QLabel>("label_sb_connstr")->text(), QStringLiteral("Not connected"));
    EXPECT_NE(titleBar(QStringLiteral("101")), chineseTitle);
    window.resize(1040, 800);
    mirevo::test::saveGrab(window, QStringLiteral("main_window_english"));

    // The connection dialog takes the language when it shows.
    Texts dialogTexts;
    onDialog([&](ConnectSetDialog& dialog) {
        if (dialogTexts.empty()) {
            dialogTexts = visibleTexts(dialog);
            mirevo::test::saveGrab(dialog, QStringLiteral("connect_set_dialog_english"));
        }
        cancelWhenSearched(dialog);
    });
    child<QAction>("actiontcpset")->trigger();
    waitForFlows(2);
    ASSERT_FALSE(dialogTexts.empty());
    EXPECT_EQ(chineseTexts(dialogTexts), QStringList());

    switchTo("actionchinese");
    const Texts back = visibleTexts(window);
    for (const auto& [where, text] : chinese)
        if (!where.contains(QStringLiteral("label_sb_"))) {
            EXPECT_EQ(back.count(where) ? back.at(where) : QString(), text) << where.toStdString();
        }
    EXPECT_EQ(settingsInt(settings_keys::kLanguageIndex), 0);
    EXPECT_EQ(titleBar(QStringLiteral("101")), chineseTitle);
    // The font rule came with each switch to Chinese: at start and now.
    EXPECT_EQ(qApp->styleSheet().count(QStringLiteral("QWidget{font-family: Microsoft YaHei UI;}")), 2);
}

TEST_F(LanguageSwitchTest, TheStoredEnglishAppliesAtStart) {
    ScopedPrompter p;
    setLanguageIndex(1);
    QtLineLaserClient& window = makeWindowAndConnect();
    ASSERT_TRUE(waitUntil([&] { return window.profileView() && window.heightMapView(); }));
    EXPECT_TRUE(child<QAction>("actionenglish")->isChecked());
    EXPECT_EQ(chineseTexts(visibleTexts(window)), QStringList());
    EXPECT_FALSE(qApp->styleSheet().contains(QStringLiteral("Microsoft YaHei UI")));
}

}  // namespace
