#pragma once
// The settings windows run their child dialogs (program copy and rename, the
// terminal settings) modally through one installed runner, so that tests can
// drive a child dialog instead of blocking on its modal loop.
#include <functional>

class QDialog;

namespace modal {

// Runs the dialog and returns its result code.
using Runner = std::function<int(QDialog&)>;

// Runs the dialog with the installed runner (QDialog::exec until one is installed).
int run(QDialog& dialog);

// Installs a runner (an empty one restores exec) and returns the one it replaces.
Runner installRunner(Runner runner);

}  // namespace modal
