#include "res/fonts.h"

#include <QFont>
#include <QStringList>

namespace mirevo {

void installFontSubstitutions() {
    const QStringList cjk = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK TC"),
                             QStringLiteral("Noto Sans CJK JP")};
    for (const QString& windowsFamily : {QStringLiteral("Microsoft YaHei"), QStringLiteral("微软雅黑")})
        QFont::insertSubstitutions(windowsFamily, cjk);
}

}  // namespace mirevo
