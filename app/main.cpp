// The program: a QApplication and, until the main window arrives, an empty
// placeholder window.
#include <QApplication>
#include <QMainWindow>

#include "res/resources.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mirevo::initResources();
    QMainWindow window;
    window.setObjectName(QStringLiteral("MirevoPlaceholderWindow"));
    window.setWindowTitle(QStringLiteral("Mirevo"));
    window.resize(1280, 800);
    window.show();
    return app.exec();
}
