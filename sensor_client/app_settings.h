#pragma once
// The program's own preferences in "settings.ini" (in the working folder).
// Every access of the file goes through these helpers, on one process-wide
// QSettings object. Each helper is one step under the settings lock, so that
// the group of one thread's access never leaks into another thread's; code
// that works on appSettings() directly holds an AppSettingsLock meanwhile.
// Values are written as text and read back with a typed default.
#include <QByteArray>
#include <QLocale>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

#include "sensor_client/settings_keys.h"

// The holder of the settings object over the file name "settings.ini". A file
// holding a value Qt would deserialize (see holdsSerializedValue) is not read:
// the settings are then held in memory only, and the file is left as it is.
class AppSettingsHolder {
public:
    explicit AppSettingsHolder(const QString& fileName);
    QSettings& settings() { return *settings_; }
    const QString& fileName() const { return fileName_; }

private:
    QString fileName_;
    std::unique_ptr<QSettings> settings_;
};

// True when the text of an INI file holds a value that Qt's reader would
// deserialize from a data stream ("@Variant(" or "@DateTime(" at the start of
// a value or of a list element; "@@" is an escaped '@'). Qt trusts the counts
// in those bytes: one that memory cannot hold makes it throw while it opens the
// file, and it is not safe to go on from there. The program writes values as
// text only, so its own files never hold one.
bool holdsSerializedValue(const QByteArray& text);

// Serialises every access of the shared settings object (recursive: the
// helpers may be called while it is held).
using AppSettingsLock = std::lock_guard<std::recursive_mutex>;
std::recursive_mutex& appSettingsMutex();

// The settings object, created on first use over "settings.ini" of the
// working folder of that moment.
QSettings* appSettings();
// The same pointer, fetched once and kept.
QSettings* appSettingsCached();
// Writes what is pending and opens the settings anew over the current working
// folder (tests that change the working folder call it).
void reopenAppSettings();

int settingsInt(const QString& group, const QString& key, int defaultValue);
double settingsDouble(const QString& group, const QString& key, double defaultValue);
QString settingsString(const QString& group, const QString& key, const QString& defaultValue);
void setSettingsString(const QString& group, const QString& key, const QString& value);

// The same over the keys of settings_keys.h.
int settingsInt(const settings_keys::IntKey& key);
double settingsDouble(const settings_keys::DoubleKey& key);
QString settingsString(const settings_keys::TextKey& key);
void setSettingsString(const settings_keys::Key& key, const QString& value);
// Numbers as the program writes them: decimal text, doubles with six
// significant digits.
void setSettingsInt(const settings_keys::Key& key, int value);
void setSettingsDouble(const settings_keys::Key& key, double value);

// SETTINGPATH/select: the row of the last selected program.
int selectedProgram();
void setSelectedProgram(int row);
// SETTINGPATH/selectList split on ",": the sixteen program names; a text
// shorter than 10 characters is first replaced by the default names.
QStringList programNames();
// SHOWLANGUAGE/Index: 0 Chinese, 1 English; a missing or negative index
// follows the system locale.
int languageIndex();
void setLanguageIndex(int index);
// The rule of languageIndex over a stored index and a system language.
int languageIndexFor(int storedIndex, QLocale::Language systemLanguage);
