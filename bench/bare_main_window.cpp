// The peer of the start-up timing: a bare Qt main window with a central
// widget, shown; at its first paint it says "shown" and ends.
#include <QApplication>
#include <QMainWindow>

#include "bench/first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QWidget);
    window.resize(1024, 768);
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return QApplication::exec();
}
