#include "tests/res/ts_catalog.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace mirevo::test {

bool readTsFile(const QString& path, TsCatalog* catalog, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    TsMessage message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("context")) {
                context.clear();
            } else if (name == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                source.clear();
                message = TsMessage();
            } else if (name == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (name == QLatin1String("translation")) {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                message.translation = xml.readElementText();
                message.finished = type.isEmpty() && !message.translation.isEmpty();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            catalog->insert({context, source}, message);
        }
    }
    if (xml.hasError()) {
        *error = QStringLiteral("%1: %2 at line %3").arg(path, xml.errorString()).arg(xml.lineNumber());
        return false;
    }
    return true;
}

QStringList translatedSourceFolders() {
    return {QStringLiteral("sensor_client"), QStringLiteral("views"), QStringLiteral("settings_windows"),
            QStringLiteral("app")};
}

bool runLupdate(const QString& lupdate, const QString& sourceDir, const QString& tsPath, QString* error) {
    QProcess process;
    process.setWorkingDirectory(sourceDir);
    QStringList arguments{QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                          QStringLiteral("-source-language"), QStringLiteral("zh_CN"),
                          QStringLiteral("-target-language"), QStringLiteral("en_US")};
    arguments << translatedSourceFolders() << QStringLiteral("-ts") << tsPath;
    process.start(lupdate, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2 %3")
                     .arg(lupdate, process.errorString(), QString::fromLocal8Bit(process.readAllStandardError()));
        return false;
    }
    return true;
}

QStringList placeholders(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("%[1-9][0-9]?"));
    QStringList found;
    auto it = pattern.globalMatch(text);
    while (it.hasNext()) found << it.next().captured();
    found.sort();
    return found;
}

bool containsCjk(const QString& text) {
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x3000 && u <= 0x303F) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

}  // namespace mirevo::test
