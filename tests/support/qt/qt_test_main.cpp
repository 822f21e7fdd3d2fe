// main() of the Qt test programs: an offscreen QApplication, the program's
// resources, and a scripted prompter so that no test can block on a box.
#include <QApplication>
#include <QTranslator>

#include <gtest/gtest.h>

#include "res/resources.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    mirevo::test::prepareQtTestEnvironment();
    QApplication app(argc, argv);
    mirevo::initResources();
    // MIREVO_TEST_LANGUAGE=en: the windows in English, for looking at the
    // screenshots (tests that compare Chinese texts then fail).
    QTranslator english;
    if (qgetenv("MIREVO_TEST_LANGUAGE") == "en" && english.load(QStringLiteral(":/lag/res/Translation_en/Translation_en.qm")))
        QCoreApplication::installTranslator(&english);
    mirevo::test::installQtWarningChecks();
    ui::installPrompter(std::make_unique<mirevo::test::ScriptedPrompter>());
    return RUN_ALL_TESTS();
}
