#include "res/resources.h"

#include "res/fonts.h"

#include <QtCore/QtGlobal>

// Resources compiled into a static library are registered only when asked.
static void initMirevoResources() {
    Q_INIT_RESOURCE(mirevo);
    Q_INIT_RESOURCE(translations);
}

namespace mirevo {

void initResources() {
    initMirevoResources();
    installProgramFonts();
}

}  // namespace mirevo
