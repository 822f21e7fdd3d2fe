// The sub-window manager on real MDI sub-windows, and the title bars the
// style draws for their codes.
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOptionTitleBar>

#include <gtest/gtest.h>

#include "app/myqss.h"
#include "app/qmdi_sub_manage.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_view.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_widget.h"
#include "tests/support/qt/qt_test_env.h"

namespace {

const QColor kAccent(myqss::kAccentRed, myqss::kAccentGreen, myqss::kAccentBlue);
const QColor kWhite(255, 255, 255);
constexpr int kWidth = 300;
constexpr int kHeight = 26;

// The style's title bar for a title, drawn alone on an image.
QImage drawTitleBar(myqss& style, const QString& title) {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    image.fill(Qt::gray);
    QStyleOptionTitleBar option;
    option.rect = QRect(0, 0, kWidth, kHeight);
    option.text = title;
    option.titleBarState = Qt::WindowNoState;
    option.subControls = QStyle::SC_All;
    QPainter painter(&image);
    style.drawComplexControl(QStyle::CC_TitleBar, &option, &painter);
    return image;
}

// True when the 12 x 12 button icon at x has any pixel of the colour.
bool iconHas(const QImage& image, int x, const QColor& colour) {
    for (int dy = 0; dy < 12; ++dy)
        for (int dx = 0; dx < 12; ++dx)
            if (image.pixelColor(x + dx, 4 + dy) == colour) return true;
    return false;
}

TEST(TitleBarStyle, InactiveIsWhiteWithBlackIconsActiveIsAccentWithWhiteIcons) {
    myqss style;
    const QImage inactive = drawTitleBar(style, "100");
    const QImage active = drawTitleBar(style, "101");
    mirevo::test::saveImage(inactive, "title_bar_inactive");
    mirevo::test::saveImage(active, "title_bar_active");

    EXPECT_EQ(inactive.pixelColor(kWidth / 2, 2), kWhite);
    EXPECT_EQ(active.pixelColor(kWidth / 2, 2), kAccent);
    // The close icon at right - 17: a cross through its middle.
    EXPECT_EQ(inactive.pixelColor(kWidth - 17 + 5, 4 + 5), QColor(Qt::black));
    EXPECT_EQ(active.pixelColor(kWidth - 17 + 5, 4 + 5), QColor(Qt::white));
    // The window icon at (4, 4) is the profile icon, not the fill.
    EXPECT_EQ(active.pixelColor(4 + 1, 4 + 10), QColor(90, 90, 90));
}

TEST(TitleBarStyle, StateChoosesTheButtons) {
    myqss style;
    const QImage normal = drawTitleBar(style, "100");
    const QImage minimised = drawTitleBar(style, "110");
    const QImage maximised = drawTitleBar(style, "120");
    // Minimise is a bar at the bottom only; restore and maximise have a top edge.
    auto topEdge = [](const QImage& image, int x) { return image.pixelColor(x + 6, 4 + 1) == QColor(Qt::black); };
    EXPECT_FALSE(topEdge(normal, kWidth - 57));
    EXPECT_TRUE(topEdge(normal, kWidth - 37));
    EXPECT_TRUE(topEdge(minimised, kWidth - 57));
    EXPECT_FALSE(topEdge(maximised, kWidth - 57));
    EXPECT_TRUE(topEdge(maximised, kWidth - 37));
    EXPECT_TRUE(iconHas(maximised, kWidth - 17, Qt::black));
}

TEST(TitleBarStyle, NoCodeKeepsTheBaseTitleBar) {
    myqss style;
    const QImage plain = drawTitleBar(style, "Profile");
    EXPECT_NE(plain.pixelColor(kWidth / 2, 2), kWhite);
    EXPECT_NE(plain.pixelColor(kWidth / 2, 2), kAccent);
    EXPECT_FALSE(iconHas(plain, kWidth - 17, Qt::white));
}

TEST(TitleBarStyle, AnInvalidOptionDrawsNothing) {
    myqss style;
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    image.fill(Qt::gray);
    QStyleOptionComplex notATitleBar;
    notATitleBar.rect = image.rect();
    QPainter painter(&image);
    style.drawComplexControl(QStyle::CC_TitleBar, &notATitleBar, &painter);
    painter.end();
    EXPECT_EQ(image.pixelColor(kWidth / 2, 2), QColor(Qt::gray));
}

TEST(TitleBarStyle, NameFollowsTheLanguage) {
    myqss chinese(0);
    myqss english(1);
    EXPECT_NE(drawTitleBar(chinese, "201"), drawTitleBar(english, "201"));
    english.setLanguageIndex(0);
    EXPECT_EQ(drawTitleBar(chinese, "201"), drawTitleBar(english, "201"));
}

class SubWindows : public ::testing::Test {
protected:
    void SetUp() override {
        area.setStyle(&style);
        area.resize(800, 500);
        profile = area.addSubWindow(new QWidget);
        height = area.addSubWindow(new QWidget);
        for (QMdiSubWindow* window : {profile, height}) {
            window->setStyle(&style);
            window->resize(350, 250);
        }
        profile->move(0, 0);
        height->move(400, 0);
        profile->setWindowTitle("101");
        height->setWindowTitle("200");
        manager.setProfileWindow(profile);
        manager.setHeightWindow(height);
        area.show();
        QApplication::setActiveWindow(&area);
        area.setActiveSubWindow(profile);
    }

    myqss style;
    QMdiArea area;
    QMdiSubManage manager;
    QMdiSubWindow* profile = nullptr;
    QMdiSubWindow* height = nullptr;
};

TEST_F(SubWindows, ActivatingTheHeightWindowMovesTheAccent) {
    ASSERT_EQ(profile->windowTitle(), "101");
    area.setActiveSubWindow(height);
    EXPECT_EQ(profile->windowTitle(), "100");
    EXPECT_EQ(height->windowTitle(), "201");

    const QImage grabbed = mirevo::test::saveGrab(area, "mdi_height_active");
    EXPECT_EQ(grabbed.pixelColor(height->geometry().center().x(), height->geometry().top() + 3), kAccent);
    EXPECT_EQ(grabbed.pixelColor(profile->geometry().center().x(), profile->geometry().top() + 3), kWhite);
}

TEST_F(SubWindows, MinimisedAndMaximisedWindowsChangeTheirState) {
    height->showMinimized();
    EXPECT_EQ(height->windowTitle()[1], '1');
    profile->showMaximized();
    EXPECT_EQ(profile->windowTitle()[1], '2');
    EXPECT_EQ(profile->windowTitle()[2], '1');
}

// The pixmap cache drops what was used least recently once its limit is
// passed: a pixmap put in after the first paint stays only while repaints of
// the sub-windows (their title bars with the base style's buttons under ours)
// add nothing to the cache.
TEST_F(SubWindows, RepaintsAddNothingToThePixmapCache) {
    struct RestoreCache {
        const int limitKb = QPixmapCache::cacheLimit();
        ~RestoreCache() {
            QPixmapCache::clear();
            QPixmapCache::setCacheLimit(limitKb);
        }
    } restore;
    QPixmapCache::clear();
    QPixmapCache::setCacheLimit(256);
    profile->setWindowTitle("Profile");  // a plain title: the base title bar alone
    area.grab();
    QPixmap marker(64, 64);  // 16 kB of the 256
    marker.fill(Qt::red);
    const QPixmapCache::Key key = QPixmapCache::insert(marker);

    for (int repaint = 0; repaint < 100; ++repaint) area.grab();
    mirevo::test::saveGrab(area, "mdi_plain_title_repainted");
    QPixmap found;
    EXPECT_TRUE(QPixmapCache::find(key, &found));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// A profile a second refreshes the plots 20 times: their sub-windows (and so
// the title bars the style draws, with the title printed each time) are not
// painted again for it.
TEST_F(SubWindows, PlotRefreshesLeaveTheTitleBarsAlone) {
    auto* profileView = new OutlineChartWidget;
    auto* heightView = new HeightView;
    profile->setWidget(profileView);
    height->setWidget(heightView);
    // The first layouts and paints of the new contents.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    PaintCounter profileFrame(profile), heightFrame(height);
    QVector<double> x(200), z(200);
    for (int i = 0; i < x.size(); ++i) x[i] = i * 0.05 - 5.0, z[i] = (i % 40) * 0.1;
    for (int refresh = 0; refresh < 20; ++refresh) {
        z[refresh] += 0.5;
        profileView->plot()->setOutlineData(x, z);
        heightView->chart()->replot(QCustomPlot::rpQueuedReplot);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    EXPECT_EQ(profileFrame.paints, 0);
    EXPECT_EQ(heightFrame.paints, 0);
}

TEST_F(SubWindows, AWindowThatIsGoneIsForgotten) {
    delete height;
    height = nullptr;
    EXPECT_EQ(manager.heightWindow(), nullptr);
    area.setActiveSubWindow(profile);
    manager.clearActive(manager.heightWindow());
    EXPECT_EQ(profile->windowTitle()[0], '1');
}

}  // namespace
