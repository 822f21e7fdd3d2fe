#include "sensor_client/app_settings.h"

#include <QLocale>

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

}  // namespace

AppSettingsHolder::AppSettingsHolder(const QString& fileName)
    : fileName_(fileName.isEmpty() ? kFileName : fileName), settings_(fileName_, QSettings::IniFormat) {}

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
