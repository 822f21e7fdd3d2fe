#pragma once

namespace mirevo {

// Registers the program's compiled-in resources (":/res/...", ":/lag/res/...")
// and the program's fonts (res/fonts.h).
// Call once after the QApplication is made, before any resource is opened.
void initResources();

}  // namespace mirevo
