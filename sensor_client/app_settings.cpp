#include "sensor_client/app_settings.h"

#include <QFile>
#include <QLocale>

#include <cstring>
#include <memory>

namespace {

const QString kFileName = QStringLiteral("settings.ini");

std::unique_ptr<AppSettingsHolder>& holder() {
    static std::unique_ptr<AppSettingsHolder> instance;
    return instance;
}

QString path(const QString& group, const QString& key) { return group + QLatin1Char('/') + key; }

QVariant value(const QString& group, const QString& key, const QVariant& defaultValue) {
    AppSettingsLock lock(appSettingsMutex());
    return appSettings()->value(path(group, key), defaultValue);
}

// The elements of one INI value as Qt's reader unescapes them: split at commas
// outside quotes, spaces around them dropped, quotes removed, escapes
// (\a ... \\, \x<hex>, \<octal>) turned into their characters. Only the
// first kPrefix characters of each element are kept: enough to tell a
// serialized value. Characters beyond ASCII are kept as '?': no escape or
// byte of them can be the '@' that matters here.
constexpr int kPrefix = 10;

QStringList valueElementPrefixes(const QByteArray& value) {
    static const char simpleEscapes[] = "abfnrtv\"?'\\";
    static const char simpleValues[] = "\a\b\f\n\r\t\v\"?'\\";
    QStringList elements;
    QString current;
    bool quoted = false;
    const auto add = [&current](uint code) {
        if (current.size() < kPrefix) current += QChar(static_cast<ushort>(code & 0xFFFF));
    };
    int i = 0;
    const int end = value.size();
    const auto skipSpaces = [&] {
        while (i < end && (value.at(i) == ' ' || value.at(i) == '\t')) ++i;
    };
    skipSpaces();
    while (i < end) {
        const char ch = value.at(i++);
        if (ch == '\\') {
            if (i >= end) break;
            const char code = value.at(i++);
            if (const char* simple = std::strchr(simpleEscapes, code); simple && code != '\0') {
                add(static_cast<uchar>(simpleValues[simple - simpleEscapes]));
            } else if (code == 'x' || (code >= '0' && code <= '7')) {
                const bool hex = code == 'x';
                uint escaped = hex ? 0 : static_cast<uint>(code - '0');
                bool digits = !hex;
                for (; i < end; ++i) {
                    const char d = value.at(i);
                    const int digit = hex ? (d >= '0' && d <= '9' ? d - '0' : d >= 'a' && d <= 'f' ? d - 'a' + 10
                                                                   : d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1)
                                          : (d >= '0' && d <= '7' ? d - '0' : -1);
                    if (digit < 0) break;
                    escaped = (escaped << (hex ? 4 : 3)) + static_cast<uint>(digit);
                    digits = true;
                }
                if (digits) add(escaped);
            }
            // Any other escaped character (a line end among them) is dropped.
        } else if (ch == '"') {
            quoted = !quoted;
            if (!quoted) skipSpaces();
        } else if (ch == ',' && !quoted) {
            elements << current;
            current.clear();
            skipSpaces();
        } else {
            add(static_cast<uchar>(ch) < 0x80 ? static_cast<uchar>(ch) : '?');
        }
    }
    elements << current;
    return elements;
}

}  // namespace

bool holdsSerializedValue(const QByteArray& text) {
    // Logical lines: a backslash before a line end continues the line.
    QByteArray joined = text;
    joined.replace("\\\r\n", "").replace("\\\n", "").replace("\\\r", "");
    joined.replace("\r\n", "\n").replace('\r', '\n');
    for (const QByteArray& line : joined.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('[') || trimmed.startsWith(';') || trimmed.startsWith('#'))
            continue;
        const int equals = line.indexOf('=');
        if (equals < 0) continue;
        for (const QString& element : valueElementPrefixes(line.mid(equals + 1)))
            if (element.startsWith(QLatin1String("@Variant(")) || element.startsWith(QLatin1String("@DateTime(")))
                return true;
    }
    return false;
}

AppSettingsHolder::AppSettingsHolder(const QString& fileName)
    : fileName_(fileName.isEmpty() ? kFileName : fileName) {
    QFile file(fileName_);
    if (file.open(QIODevice::ReadOnly) && holdsSerializedValue(file.readAll())) {
        qWarning("%s holds values this program does not write; its settings are not used", qPrintable(fileName_));
        settings_ = std::make_unique<QSettings>(QString(), QSettings::IniFormat);
        return;
    }
    settings_ = std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
}

std::recursive_mutex& appSettingsMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

QSettings* appSettings() {
    AppSettingsLock lock(appSettingsMutex());
    if (!holder()) holder() = std::make_unique<AppSettingsHolder>(kFileName);
    return &holder()->settings();
}

// One object for the process: the cached pointer is the same one.
QSettings* appSettingsCached() { return appSettings(); }

void reopenAppSettings() {
    AppSettingsLock lock(appSettingsMutex());
    if (holder()) holder()->settings().sync();
    holder() = std::make_unique<AppSettingsHolder>(kFileName);
}

int settingsInt(const QString& group, const QString& key, int defaultValue) {
    return value(group, key, defaultValue).toInt();
}

double settingsDouble(const QString& group, const QString& key, double defaultValue) {
    return value(group, key, defaultValue).toDouble();
}

QString settingsString(const QString& group, const QString& key, const QString& defaultValue) {
    return value(group, key, defaultValue).toString();
}

void setSettingsString(const QString& group, const QString& key, const QString& text) {
    AppSettingsLock lock(appSettingsMutex());
    QSettings* settings = appSettings();
    settings->setValue(path(group, key), text);
    // On disk at once: other programs and the next start read the file.
    settings->sync();
}

int settingsInt(const settings_keys::IntKey& key) {
    return settingsInt(QString::fromUtf8(key.group), QString::fromUtf8(key.key), key.defaultValue);
}

double settingsDouble(const settings_keys::DoubleKey& key) {
    return settingsDouble(QString::fromUtf8(key.group), QString::fromUtf8(key.key), key.defaultValue);
}

QString settingsString(const settings_keys::TextKey& key) {
    return settingsString(QString::fromUtf8(key.group), QString::fromUtf8(key.key),
                          QString::fromUtf8(key.defaultValue));
}

void setSettingsString(const settings_keys::Key& key, const QString& text) {
    setSettingsString(QString::fromUtf8(key.group), QString::fromUtf8(key.key), text);
}

void setSettingsInt(const settings_keys::Key& key, int number) { setSettingsString(key, QString::number(number)); }

void setSettingsDouble(const settings_keys::Key& key, double number) {
    setSettingsString(key, QString::number(number, 'g', 6));
}

int selectedProgram() { return settingsInt(settings_keys::kSelectedProgram); }

void setSelectedProgram(int row) { setSettingsInt(settings_keys::kSelectedProgram, row); }

QStringList programNames() {
    AppSettingsLock lock(appSettingsMutex());
    QString text = settingsString(settings_keys::kProgramList);
    if (text.size() < 10) {
        setSettingsString(settings_keys::kProgramList, QString::fromUtf8(settings_keys::kDefaultProgramList));
        text = settingsString(settings_keys::kProgramList);
    }
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

int languageIndexFor(int storedIndex, QLocale::Language systemLanguage) {
    if (storedIndex >= 0) return storedIndex;
    return systemLanguage == QLocale::Chinese ? 0 : 1;
}

int languageIndex() {
    return languageIndexFor(settingsInt(settings_keys::kLanguageIndex), QLocale::system().language());
}

void setLanguageIndex(int index) { setSettingsInt(settings_keys::kLanguageIndex, index); }
