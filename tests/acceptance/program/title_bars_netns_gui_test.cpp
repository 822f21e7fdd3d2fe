// The sub-windows' title bars while live profiles stream into the profile
// window: the style prints a title bar's code each time it draws one, and it
// draws them when a window's state, title or activation changes, not for
// every profile.
#include <QtGlobal>

#include <gtest/gtest.h>

#include <atomic>

#include "app/mdi_title_code.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"

namespace acceptance {
namespace {

std::atomic<int> titleBarPrints{0};
QtMessageHandler previousHandler = nullptr;

void countTitleBars(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // The style's line is the quoted title, such as "101".
    const QString bare = QString(message).remove(QLatin1Char('"'));
    if (type == QtDebugMsg && MdiTitleCode::isCode(bare)) ++titleBarPrints;
    if (previousHandler) previousHandler(type, context, message);
}

TEST_F(ProgramAcceptance, TitleBarsAreNotRepaintedForEveryLiveProfile) {
    mirevo::test::ScopedPrompter prompter;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_NE(window.profileView(), nullptr);
    spin(500);  // the windows' first paints
    const int frames = client().frameCount.load();
    titleBarPrints = 0;
    previousHandler = qInstallMessageHandler(countTitleBars);
    ASSERT_TRUE(waitUntil([&] { return client().frameCount.load() >= frames + 20; }));
    spin(100);
    qInstallMessageHandler(previousHandler);
    EXPECT_LE(titleBarPrints.load(), 2) << "for " << client().frameCount.load() - frames << " profiles";
}

}  // namespace
}  // namespace acceptance
