#include "app/program.h"

#include <QApplication>
#include <QMessageBox>

#include "app/allocator_policy.h"
#include "app/myqss.h"
#include "app/qt_line_laser_client.h"
#include "app/startup.h"
#include "platform/crash_handler.h"
#include "res/resources.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"

int runProgram(int argc, char** argv, const std::function<void(QtLineLaserClient&)>& beforeLoop) {
    // Before any thread: threads that come and go share a few arenas, so the
    // freed memory each arena keeps does not multiply with them.
    allocator_policy::boundArenas();
    // The terminal is UTF-8 already: no code page to set.
    QApplication app(argc, argv);
    mirevo::initResources();
    mirevo::platform::installCrashHandler();
    // The first use makes the client and starts its event timer.
    LinelaserClient* client = linelaserClient();
    client->initSdk();
    QApplication::setStyle(new myqss(languageIndex()));
    QApplication::setAttribute(Qt::AA_DisableWindowContextHelpButton);

    QString error;
    if (!checkStartupResources(&error)) {
        ui::prompter().warning(nullptr, QStringLiteral("checkerror"), error, QMessageBox::Ok);
        QCoreApplication::quit();
        return -1;
    }
    QtLineLaserClient window;
    window.show();
    if (beforeLoop) beforeLoop(window);
    return QApplication::exec();
}
