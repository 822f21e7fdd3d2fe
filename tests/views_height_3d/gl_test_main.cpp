// main() of the OpenGL test program: like the other Qt test programs, but on
// a real (virtual) X display, with VTK's OpenGL surface format set before the
// application is made.
#include <QApplication>

#include <gtest/gtest.h>

#include "res/resources.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/view3d/cloud_view.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    mirevo::test::prepareQtTestEnvironment();
    useVtkSurfaceFormat();
    QApplication app(argc, argv);
    mirevo::initResources();
    mirevo::test::installQtWarningChecks();
    ui::installPrompter(std::make_unique<mirevo::test::ScriptedPrompter>());
    return RUN_ALL_TESTS();
}
