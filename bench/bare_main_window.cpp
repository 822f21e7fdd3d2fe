// The peer of the start-up timing: a bare Qt main window with a central
// widget, shown; at its first paint it says "shown" and ends.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>

#include <unistd.h>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            static const char shown[] = "shown\n";
            (void)!write(STDOUT_FILENO, shown, sizeof shown - 1);
            _exit(0);
        }
        return false;
    }
};

}  // namespace

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
