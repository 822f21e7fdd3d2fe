// The program's "settings.ini" from arbitrary bytes: the file a person may
// edit by hand or copy from another machine. Every key it holds is read
// through the typed helpers, and the values the windows rely on must come out
// usable: a program list with at least one name (the default list when the
// stored one is too short), a selected row that is a number, a language index
// of 0 or 1 unless one is stored, a stored sensor address that is either
// refused or four bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QStringList>

#include "app/net_address_text.h"
#include "fuzz/fuzz_support.h"
#include "sensor_client/app_settings.h"

namespace {

std::string& scratchFolder() {
    static std::string folder;
    return folder;
}

void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder(), ignored);
}

// A folder of the fuzzer's own, made once, in memory (/dev/shm) unless TMPDIR
// says otherwise: the program writes its default program list back at once,
// and a file on disk synced thousands of times a second would make the disk
// the bottleneck. The settings live in "settings.ini" of the working folder of
// the moment they are opened, so the target steps into the folder only to open
// them: libFuzzer keeps its corpus under relative paths of the real working
// folder.
const char* scratchFolderMade() {
    std::string& folder = scratchFolder();
    if (folder.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string parent = base && *base ? base : "";
        if (parent.empty()) parent = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = parent + "/fuzz_app_settings_XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        folder = pattern;
        std::atexit(removeScratchFolder);
    }
    return folder.c_str();
}

// The stored address of the sensor's first head, as the head switch and the
// connection read it: accepted only as four numbers 0..255, which read back
// from their own text as the same bytes.
void checkStoredAddress() {
    const QString text = settingsString(settings_keys::kConnectIp);
    const std::optional<std::array<uint8_t, 4>> bytes = parseNetAddressText(text);
    if (!bytes) return;
    FUZZ_CHECK(text.count(QLatin1Char('.')) == 3 && text.size() <= 15);
    const QString written = netAddressText(bytes->data());
    FUZZ_CHECK(parseNetAddressText(written) == bytes);
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

    checkStoredAddress();
    (void)selectedProgram();
    const int stored = settingsInt(settings_keys::kLanguageIndex);
    const int language = languageIndex();
    FUZZ_CHECK(stored >= 0 ? language == stored : (language == 0 || language == 1));
    return 0;
}
