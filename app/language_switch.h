#pragma once
// The application-wide half of the language switch: the log line, the
// translator, the style sheet's font rule, the title-bar names and the stored
// choice. The main window adds its own half (retranslating its form,
// rebuilding its sub-windows, checking the language action).
#include <QString>

class QTranslator;

namespace language_switch {

enum Language { kChinese = 0, kEnglish = 1 };

// Appended to the application's style sheet on every switch to Chinese.
extern const char* const kChineseFontRule;

// ":/lag/res/Translation_en/Translation_zh.qm" (empty: the sources are
// Chinese) or ":/lag/res/Translation_en/Translation_en.qm".
QString translationFile(Language language);

// The log line "ChangeChinese" / "ChangeEnglish".
void logSwitch(Language language);
// Loads the language's translation into `translator` and installs it in the
// application; false when the file would not load (the translator then
// translates nothing, so the Chinese sources show).
bool installTranslation(Language language, QTranslator* translator);
// Chinese appends the font rule to the application's style sheet (once more
// on every switch); English sets the sheet to itself, so the rule stays.
void applyStyleSheet(Language language);
// The title bars of the sub-windows name them in the language.
void setTitleBarLanguage(Language language);
// "settings.ini" [SHOWLANGUAGE] Index.
void storeChoice(Language language);

// The language that start-up applies for a stored index: 1 English, anything
// else Chinese.
Language startupLanguage(int languageIndex);

}  // namespace language_switch
