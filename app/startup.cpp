#include "app/startup.h"

#include <QApplication>
#include <QFile>

bool resourceExists(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool checkStartupResources(QString* error) { return checkStartupResources(error, StartupResources{}); }

bool checkStartupResources(QString* error, const StartupResources& resources) {
    QFile sheet(resources.styleSheet);
    if (!sheet.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("QSS not found");
        return false;
    }
    QByteArray bytes = sheet.readAll();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    qApp->setStyleSheet(QString::fromUtf8(bytes));
    sheet.close();
    if (!resourceExists(resources.chineseTranslation)) {
        *error = QStringLiteral("Translation_zh.qm not found");
        return false;
    }
    if (!resourceExists(resources.englishTranslation)) {
        *error = QStringLiteral("Translation_en.qm not found");
        return false;
    }
    return true;
}
