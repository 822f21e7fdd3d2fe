#include "app/language_switch.h"

#include <QApplication>
#include <QTranslator>

#include "app/myqss.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/log_helper.h"

namespace language_switch {

const char* const kChineseFontRule = "QWidget{font-family: Microsoft YaHei UI;}";

QString translationFile(Language language) {
    return language == kEnglish ? QStringLiteral(":/lag/res/Translation_en/Translation_en.qm")
                                : QStringLiteral(":/lag/res/Translation_en/Translation_zh.qm");
}

void logSwitch(Language language) {
    LogHelper::logFormat(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__,
                         language == kEnglish ? "ChangeEnglish" : "ChangeChinese");
}

bool installTranslation(Language language, QTranslator* translator) {
    const bool loaded = translator->load(translationFile(language));
    QCoreApplication::installTranslator(translator);
    return loaded;
}

void applyStyleSheet(Language language) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return;
    if (language == kChinese)
        app->setStyleSheet(app->styleSheet() + QString::fromLatin1(kChineseFontRule));
    else
        app->setStyleSheet(app->styleSheet());
}

void setTitleBarLanguage(Language language) {
    // The application takes ownership of the style installed at start-up (as
    // its child); with a style sheet in force, QApplication::style() is the
    // sheet's own style in front of it.
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    for (myqss* style : app->findChildren<myqss*>()) style->setLanguageIndex(language);
    if (auto* style = qobject_cast<myqss*>(QApplication::style())) style->setLanguageIndex(language);
}

void storeChoice(Language language) { setLanguageIndex(language); }

Language startupLanguage(int languageIndex) { return languageIndex == 1 ? kEnglish : kChinese; }

}  // namespace language_switch
