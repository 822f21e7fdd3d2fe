#pragma once
// The start-up checks: the style sheet is applied and both translation
// resources must be present, else the program stops before its window shows.
#include <QString>

struct StartupResources {
    QString styleSheet = QStringLiteral(":/res/res/LineLaserQss.qss");
    QString chineseTranslation = QStringLiteral(":/lag/res/Translation_en/Translation_zh.qm");
    QString englishTranslation = QStringLiteral(":/lag/res/Translation_en/Translation_en.qm");
};

// Applies the style sheet to the application (it stays applied whatever
// follows), then checks the Chinese and the English translation in that
// order. The first failure decides the message ("QSS not found",
// "Translation_zh.qm not found", "Translation_en.qm not found"), stored in
// *error; false then. The style sheet missing skips the translation checks.
bool checkStartupResources(QString* error);
bool checkStartupResources(QString* error, const StartupResources& resources);

// True when a file (or resource) on the path opens for reading.
bool resourceExists(const QString& path);
