#include "res/fonts.h"

#include <QFont>
#include <QGuiApplication>
#include <QStringList>

namespace mirevo {

void installProgramFonts() {
    const QStringList cjk = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK TC"),
                             QStringLiteral("Noto Sans CJK JP")};
    for (const QString& windowsFamily :
         {QStringLiteral("Microsoft YaHei"), QStringLiteral("Microsoft YaHei UI"), QStringLiteral("微软雅黑")})
        QFont::insertSubstitutions(windowsFamily, cjk);
    if (QGuiApplication::instance()) QGuiApplication::setFont(QFont(QStringLiteral("Microsoft YaHei"), 9));
}

}  // namespace mirevo
