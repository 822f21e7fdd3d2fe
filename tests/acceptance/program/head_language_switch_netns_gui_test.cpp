// Head switch and language switch on a four-head sensor: the program, started
// and connected through the connection dialog's search, is switched to
// English through its language menu; every text of the main window, its
// menus, its sub-windows, the busy dialog and the reopened connection dialog
// is English. The connection menu's head actions then switch to head 2 and
// head 3: each time the profile window shows that head's scene (every head
// raises another eighth of its camera's columns), the connection label names
// it, and only that head sees live traffic. Back to Chinese, every text is
// the source text again.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPointer>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/settings_keys.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/app/four_head_sensor.h"
#include "tests/app/visible_texts.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_view.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_widget.h"

namespace acceptance {
namespace {

using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;
using mirevo::test::Texts;
using mirevo::test::chineseTexts;
using mirevo::test::hasChinese;
using mirevo::test::liveProfileReads;
using mirevo::test::visibleTexts;

constexpr int kHeads = 4;
constexpr int kColumns = 2048;
// How far each head's raised eighth stands above its plane, in camera rows.
constexpr double kRaisedRows = 120.0;

bool yellowish(QRgb p) { return qRed(p) > 100 && qGreen(p) > 100 && qBlue(p) < 60; }

class HeadAndLanguageSwitch : public ProgramAcceptance {
protected:
    ClientSensorOptions sensorOptions() const override { return mirevo::test::fourHeadSensorOptions(); }
    std::string sensorAddress() const override { return mirevo::test::firstHeadAddress(addressForTest()); }

    void SetUp() override {
        ProgramAcceptance::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(sensor().headCount(), kHeads);
        for (int head = 0; head < kHeads; ++head) sensor().scene(head).setPeakRows(sceneOf(head));
    }

    // Head k sees a plane, raised over the eighth 2k + 1 of the columns.
    std::vector<double> sceneOf(int head) {
        const double plane = sensor().scene(head).imageRows(sensor().head(head)) / 2 + 0.25;
        std::vector<double> rows(kColumns, plane);
        for (int c = kColumns / 8 * (2 * head + 1); c < kColumns / 8 * (2 * head + 2); ++c) rows[c] = plane - kRaisedRows;
        return rows;
    }

    QAction* headAction(int head) {
        return child<QAction>(QStringLiteral("action_sensor_head%1").arg(head + 1).toLatin1().constData());
    }

    // The mean height of eighth e of a profile, its edges and invalid points left out.
    static double eighth(const QVector<double>& zs, int e) {
        const int n = zs.size();
        double sum = 0;
        int count = 0;
        for (int i = n * e / 8 + n / 32; i < n * (e + 1) / 8 - n / 32; ++i)
            if (zs[i] > -9999.0) sum += zs[i], ++count;
        return count > 0 ? sum / count : -9999.0;
    }
    static double rise(const QVector<double>& zs, int head) { return eighth(zs, 2 * head + 1) - eighth(zs, 2 * head); }

    // The head whose scene the profile window shows; -1 for none or a mix.
    int shownHead() {
        OutlineChartWidget* view = window_->profileView();
        if (!view || view->profileZ().size() < kColumns) return -1;
        const QVector<double> zs = view->profileZ();
        int shown = -1;
        for (int head = 0; head < kHeads; ++head) {
            const double r = rise(zs, head);
            if (r > 1.0) {
                if (shown >= 0) return -1;
                shown = head;
            } else if (std::abs(r) > 0.3) {
                return -1;
            }
        }
        return shown;
    }

    // Grabs the window and checks the drawn profile is the head's scene: the
    // yellow line lies on the profile's points, and not where another head's
    // scene would put it (its raised eighth lowered, the others raised).
    void expectPictureOfHead(int head, const QString& name) {
        spin(200);
        const QImage image = grabWindow(name);
        OutlineChartWidget* view = window_->profileView();
        ASSERT_NE(view, nullptr);
        KxOutlineWidget* plot = view->plot();
        const QVector<double> xs = view->profileX();
        const QVector<double> zs = view->profileZ();
        const int n = zs.size();
        ASSERT_GE(n, kColumns);
        const double risen = rise(zs, head);
        auto pixel = [&](double x, double z) {
            return inWindow(plot, QPointF(plot->canvas().toPixelX(static_cast<float>(x)),
                                          plot->canvas().toPixelY(static_cast<float>(z))));
        };
        auto yellowNear = [&](QPoint p, int reach) {
            for (int dy = -reach; dy <= reach; ++dy)
                if (image.rect().contains(p.x(), p.y() + dy) && yellowish(image.pixel(p.x(), p.y() + dy))) return true;
            return false;
        };
        int checked = 0, onLine = 0, elsewhere = 0;
        for (int e = 1; e < 8; e += 2) {
            const double other = e == 2 * head + 1 ? -risen : risen;
            for (int i = n * e / 8 + n / 32; i < n * (e + 1) / 8 - n / 32; i += n / 128) {
                if (zs[i] <= -9999.0) continue;
                const QPoint drawn = pixel(xs[i], zs[i]);
                const QPoint another = pixel(xs[i], zs[i] + other);
                ASSERT_GT(std::abs(another.y() - drawn.y()), 6) << "the heads' scenes are too close to tell apart";
                ++checked;
                onLine += yellowNear(drawn, 2);
                elsewhere += yellowNear(another, 1);
            }
        }
        EXPECT_GT(checked, 20);
        EXPECT_GE(onLine, checked * 9 / 10) << name.toStdString();
        EXPECT_EQ(elsewhere, 0) << name.toStdString();
    }

    // The height window spans the sensor's profile points, as after the
    // connection, also when it was rebuilt.
    void expectHeightWindowSpansTheProfile() {
        HeightView* height = window_->heightMapView();
        ASSERT_NE(height, nullptr);
        const int points = client().profilePointCount();
        ASSERT_GE(points, kColumns);
        EXPECT_EQ(height->chart()->defaultXRange(), QCPRange(0, points - 1));
        EXPECT_EQ(height->chart()->xAxis->range(), QCPRange(0, points - 1));
    }

    // Triggers a language action and waits until both sub-windows are rebuilt.
    void switchLanguage(const char* action) {
        QPointer<OutlineChartWidget> profile = window_->profileView();
        QPointer<HeightView> height = window_->heightMapView();
        child<QAction>(action)->trigger();
        EXPECT_TRUE(waitUntil([&] {
            return !profile && !height && window_->profileView() && window_->heightMapView();
        })) << "the sub-windows were not rebuilt";
        QCoreApplication::processEvents();
    }

    // Chooses the head's action, as a person does in the connection menu,
    // and waits for the switch's box; the busy dialog's texts meanwhile.
    Texts chooseHead(ScopedPrompter& p, int head) {
        const size_t before = p->prompts().size();
        p->answerIndex(0);
        headAction(head)->trigger();
        Texts busy;
        if (window_->busyDialog().isVisible()) busy = visibleTexts(window_->busyDialog());
        EXPECT_TRUE(waitUntil([&] { return p->prompts().size() > before; }, 60000)) << "no outcome of the switch";
        return busy;
    }
};

TEST_F(HeadAndLanguageSwitch, EnglishThroughoutAndTheProfileOfTheChosenHead) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    ASSERT_TRUE(window.headActions()->isVisible()) << "the four-head model was not recognised";
    EXPECT_TRUE(headAction(0)->isChecked());
    ASSERT_TRUE(waitUntil([&] { return shownHead() == 0; })) << "the profile window does not show head 1's scene";
    ASSERT_TRUE(waitUntil([&] { return window.profileView() && window.heightMapView(); }));
    expectHeightWindowSpansTheProfile();
    const Texts chinese = visibleTexts(window);
    EXPECT_EQ(chinese.at(QStringLiteral("QtLineLaserClientClass:windowTitle")), QStringLiteral("3D轮廓测量传感器软件"));

    // ---- English, chosen in the language menu
    QMenu* languageMenu = child<QMenu>("menu_4");
    ASSERT_NE(languageMenu, nullptr);
    ASSERT_TRUE(languageMenu->actions().contains(child<QAction>("actionenglish")));
    switchLanguage("actionenglish");
    EXPECT_TRUE(child<QAction>("actionenglish")->isChecked());
    EXPECT_EQ(settingsInt(settings_keys::kLanguageIndex), 1);
    const Texts english = visibleTexts(window);
    EXPECT_EQ(chineseTexts(english), QStringList());
    // The head actions are among the texts walked, in their menu.
    QMenu* connectMenu = child<QMenu>("menu_6");
    ASSERT_NE(connectMenu, nullptr);
    for (int head = 0; head < kHeads; ++head) {
        EXPECT_TRUE(connectMenu->actions().contains(headAction(head)));
        EXPECT_FALSE(headAction(head)->text().isEmpty());
        EXPECT_FALSE(hasChinese(headAction(head)->text())) << headAction(head)->text().toStdString();
    }
    EXPECT_EQ(label("label_sb_connstr"),
              QStringLiteral("Connected %1").arg(QString::fromStdString(sensor().address())));
    ASSERT_TRUE(waitUntil([&] { return shownHead() == 0; })) << "the rebuilt profile window shows no profile of head 1";
    expectPictureOfHead(0, QStringLiteral("8_english_head1"));
    expectHeightWindowSpansTheProfile();

    // ---- the connection dialog, opened from the connection menu, is English too
    Texts dialogTexts;
    onDialog([&](ConnectSetDialog& dialog) {
        if (dialogTexts.empty()) {
            dialogTexts = visibleTexts(dialog);
            mirevo::test::saveGrab(dialog, QStringLiteral("acceptance_8_english_connection_dialog"));
        }
        cancelWhenSearched(dialog);
    });
    child<QAction>("actiontcpset")->trigger();
    waitForFlows(2);
    ASSERT_FALSE(dialogTexts.empty());
    EXPECT_EQ(chineseTexts(dialogTexts), QStringList());
    ASSERT_TRUE(client().connected);

    // ---- head 2, then head 3
    for (int head : {1, 2}) {
        SCOPED_TRACE(head);
        const QString address = QString::fromStdString(sensor().headAddress(head));
        const Texts busy = chooseHead(p, head);
        EXPECT_FALSE(busy.empty()) << "no busy dialog during the switch";
        EXPECT_EQ(chineseTexts(busy), QStringList());
        const auto box = p->prompts().back();
        EXPECT_EQ(box.kind, PromptKind::Ask);
        EXPECT_EQ(box.title, QStringLiteral("Sensor head switch"));
        EXPECT_EQ(box.text, QStringLiteral("Sensor head switched successfully"));
        EXPECT_EQ(box.buttons, QStringList{QStringLiteral("OK")});
        EXPECT_EQ(window.currentHead.load(), head);
        EXPECT_TRUE(headAction(head)->isChecked());
        EXPECT_FALSE(window.busyDialog().isVisible());
        EXPECT_EQ(client().ip, address);
        EXPECT_TRUE(waitUntil([&] { return label("label_sb_connstr") == QStringLiteral("Connected %1").arg(address); }))
            << label("label_sb_connstr").toStdString();

        // The profile of the chosen head, fetched from it alone.
        EXPECT_TRUE(waitUntil([&] { return shownHead() == head; })) << "the profile window does not show the head";
        const int reads = liveProfileReads(sensor(), head);
        EXPECT_TRUE(waitUntil([&] { return liveProfileReads(sensor(), head) >= reads + 3; }))
            << "no live profile from the head";
        std::array<size_t, kHeads> packets{};
        for (int other = 0; other < kHeads; ++other) packets[other] = sensor().head(other).packetLog().size();
        spin(400);
        for (int other = 0; other < kHeads; ++other)
            if (other != head) {
                EXPECT_EQ(sensor().head(other).packetLog().size(), packets[other]) << "traffic to head " << other + 1;
            }
        // Still streaming from the chosen head after the quiet window (however
        // slow the machine: no count of reads per time is asserted).
        const int afterWindow = liveProfileReads(sensor(), head);
        EXPECT_TRUE(waitUntil([&] { return liveProfileReads(sensor(), head) > afterWindow; }))
            << "the live profile stopped";
        EXPECT_EQ(chineseTexts(visibleTexts(window)), QStringList());
        expectPictureOfHead(head, QStringLiteral("8_english_head%1").arg(head + 1));
    }

    // ---- back to Chinese: the source texts again
    switchLanguage("actionchinese");
    EXPECT_TRUE(child<QAction>("actionchinese")->isChecked());
    EXPECT_EQ(settingsInt(settings_keys::kLanguageIndex), 0);
    const Texts back = visibleTexts(window);
    for (const auto& [where, text] : chinese)
        if (!where.contains(QStringLiteral("label_sb_"))) {
            EXPECT_EQ(back.count(where) ? back.at(where) : QString(), text) << where.toStdString();
        }
    EXPECT_EQ(label("label_sb_connstr"), QStringLiteral("已连接 %1").arg(QString::fromStdString(sensor().headAddress(2))));
    EXPECT_TRUE(headAction(2)->isChecked());
    EXPECT_TRUE(waitUntil([&] { return shownHead() == 2; })) << "the rebuilt profile window lost head 3";
    expectHeightWindowSpansTheProfile();
    grabWindow(QStringLiteral("8_chinese_head3"));
}

}  // namespace
}  // namespace acceptance
