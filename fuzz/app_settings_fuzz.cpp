// The program's "settings.ini" from arbitrary bytes: the file a person may
// edit by hand or copy from another machine. Every key it holds is read
// through the typed helpers, and the values the windows rely on must come out
// usable: a program list with at least one name (the default list when the
// stored one is too short), a selected row that is a number, a language index
// of 0 or 1 unless one is stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QStringList>

#include "fuzz/fuzz_support.h"
#include "sensor_client/app_settings.h"

namespace {

char scratchFolder[] = "/tmp/fuzz_app_settings_XXXXXX";

void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
}

// A folder of the fuzzer's own, made once. The settings live in
// "settings.ini" of the working folder of the moment they are opened, so the
// target steps into the folder only to open them: libFuzzer keeps its corpus
// under relative paths of the real working folder.
const char* scratchFolderMade() {
    static bool made = false;
    if (!made) {
        FUZZ_CHECK(mkdtemp(scratchFolder) != nullptr);
        std::atexit(removeScratchFolder);
        made = true;
    }
    return scratchFolder;
}

void openSettingsIn(const char* folder) {
    const QString previous = QDir::currentPath();
    FUZZ_CHECK(QDir::setCurrent(QString::fromUtf8(folder)));
    reopenAppSettings();
    FUZZ_CHECK(QDir::setCurrent(previous));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* folder = scratchFolderMade();
    {
        std::ofstream file(std::string(folder) + "/settings.ini", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    openSettingsIn(folder);

    QStringList keys;
    {
        AppSettingsLock lock(appSettingsMutex());
        keys = appSettings()->allKeys();
    }
    for (const QString& path : keys) {
        const int slash = path.indexOf(QLatin1Char('/'));
        const QString group = slash < 0 ? QString() : path.left(slash);
        const QString key = slash < 0 ? path : path.mid(slash + 1);
        (void)settingsInt(group, key, 0);
        (void)settingsDouble(group, key, 0.0);
        (void)settingsString(group, key, QString());
    }

    const QString storedList = settingsString(settings_keys::kProgramList);
    const QStringList names = programNames();
    FUZZ_CHECK(!names.isEmpty());
    if (storedList.size() >= 10) FUZZ_CHECK(names.join(QLatin1Char(',')) == storedList);
    else FUZZ_CHECK(names.size() == 16);

    (void)selectedProgram();
    const int stored = settingsInt(settings_keys::kLanguageIndex);
    const int language = languageIndex();
    FUZZ_CHECK(stored >= 0 ? language == stored : (language == 0 || language == 1));
    return 0;
}
