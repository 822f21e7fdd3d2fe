#include "settings_windows/modal_runner.h"

#include <QDialog>

namespace modal {
namespace {

Runner& installed() {
    static Runner runner;
    return runner;
}

}  // namespace

int run(QDialog& dialog) {
    // A copy: the runner may install another while it runs.
    const Runner runner = installed();
    return runner ? runner(dialog) : dialog.exec();
}

Runner installRunner(Runner runner) {
    Runner previous = std::move(installed());
    installed() = std::move(runner);
    return previous;
}

}  // namespace modal
