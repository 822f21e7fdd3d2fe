#include <gtest/gtest.h>

#include <QFile>

#include <atomic>
#include <fstream>
#include <thread>

#include "sensor_client/app_settings.h"
#include "tests/support/temp_dir.h"

namespace {

// Every test in a fresh working folder with the settings opened over it.
class AppSettingsTest : public ::testing::Test {
protected:
    AppSettingsTest() { reopenAppSettings(); }
    ~AppSettingsTest() override { reopenAppSettings(); }

    QByteArray fileBytes() const {
        QFile file(QString::fromStdString((work_.path() / "settings.ini").string()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool fileExists() const { return std::filesystem::exists(work_.path() / "settings.ini"); }

    mirevo::test::TempDir work_;
    mirevo::test::ScopedWorkingDir inWork_{work_.path()};
};

TEST_F(AppSettingsTest, WithNoFileEveryReadGivesItsDefaultAndWritesNothing) {
    EXPECT_EQ(settingsInt(settings_keys::kMaxSaveCount), 100);
    EXPECT_EQ(settingsInt("Debug", "img_save_en", 0), 0);
    EXPECT_DOUBLE_EQ(settingsDouble(settings_keys::kHeightPrecision), 0.1);
    EXPECT_DOUBLE_EQ(settingsDouble(settings_keys::kMvalueUpper), 999999999.0);
    EXPECT_EQ(settingsString(settings_keys::kConnectPort), "7");
    EXPECT_EQ(settingsString(settings_keys::kHisOutCsv), "heightline_mm.csv");
    EXPECT_EQ(selectedProgram(), 0);
    EXPECT_GE(languageIndex(), 0);
    EXPECT_FALSE(fileExists());
}

TEST_F(AppSettingsTest, ValuesAreWrittenAsTextAndReadBackTyped) {
    setSettingsString("ConnectSetDialog", "ip", "127.0.0.5");
    setSelectedProgram(7);
    setSettingsDouble(settings_keys::kHeightMax, 0.123456789);
    EXPECT_EQ(settingsString(settings_keys::kConnectIp), "127.0.0.5");
    EXPECT_EQ(selectedProgram(), 7);
    EXPECT_DOUBLE_EQ(settingsDouble(settings_keys::kHeightMax), 0.123457);

    const QByteArray bytes = fileBytes();
    EXPECT_TRUE(bytes.contains("[ConnectSetDialog]")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("ip=127.0.0.5")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("[SETTINGPATH]\nselect=7")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("height_max=0.123457\n")) << bytes.constData();
}

TEST_F(AppSettingsTest, AnythingButANumberReadsAsZero) {
    setSettingsString(settings_keys::kMaxSaveCount, "many");
    setSettingsString(settings_keys::kMvalueUpper, "x1");
    EXPECT_EQ(settingsInt(settings_keys::kMaxSaveCount), 0);
    EXPECT_DOUBLE_EQ(settingsDouble(settings_keys::kMvalueUpper), 0.0);
}

TEST_F(AppSettingsTest, ShortProgramListsAreReplacedByTheDefaultsLongerOnesSplitUnchanged) {
    struct Case {
        const char* stored;
        int expectedCount;
        const char* first;
    };
    const Case cases[] = {
        {nullptr, 16, "SettingNo.0"},
        {"a,b,c,d,e", 16, "SettingNo.0"},  // 9 characters
        {"a,b,c,d,ef", 5, "a"},            // 10 characters
        {"one,,three,four", 4, "one"},     // an empty part is kept
        {"程序一,程序二,程序三,程序四", 4, "程序一"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        if (c.stored) setSettingsString(settings_keys::kProgramList, c.stored);
        const QStringList names = programNames();
        ASSERT_EQ(names.size(), c.expectedCount) << names.join('|').toStdString();
        EXPECT_EQ(names.front(), QString::fromUtf8(c.first));
        EXPECT_TRUE(fileExists());
    }
}

TEST_F(AppSettingsTest, ProgramNamesWriteTheDefaultListToTheFile) {
    programNames();
    EXPECT_TRUE(fileBytes().contains("SettingNo.15")) << fileBytes().constData();
}

TEST(LanguageIndex, AStoredIndexBeatsTheLocaleANegativeOneFollowsIt) {
    EXPECT_EQ(languageIndexFor(1, QLocale::Chinese), 1);
    EXPECT_EQ(languageIndexFor(0, QLocale::English), 0);
    EXPECT_EQ(languageIndexFor(-1, QLocale::Chinese), 0);
    EXPECT_EQ(languageIndexFor(-1, QLocale::German), 1);
}

TEST_F(AppSettingsTest, TheLanguageIndexIsStoredAndADeletedKeyFallsBack) {
    setLanguageIndex(1);
    EXPECT_EQ(languageIndex(), 1);
    EXPECT_TRUE(fileBytes().contains("[SHOWLANGUAGE]\nIndex=1"));
    {
        AppSettingsLock lock(appSettingsMutex());
        appSettings()->remove("SHOWLANGUAGE/Index");
    }
    EXPECT_EQ(languageIndex(), languageIndexFor(-1, QLocale::system().language()));
}

TEST_F(AppSettingsTest, ADamagedFileGivesDefaults) {
    {
        std::ofstream out(work_.path() / "settings.ini", std::ios::binary);
        const char garbage[] = "\x01\xff[[[=\n=\x00\x7f]]\nselect\n\xfe\xfe";
        out.write(garbage, sizeof garbage);
    }
    reopenAppSettings();
    EXPECT_EQ(selectedProgram(), 0);
    EXPECT_EQ(settingsInt(settings_keys::kMaxSaveCount), 100);
    EXPECT_EQ(settingsString(settings_keys::kConnectPort), "7");
}

// Qt deserializes "@Variant(" values trusting the counts in them; a count that
// memory cannot hold made it throw while it opened the file, and the program
// ended. Such a file is not read and stays as it is.
TEST_F(AppSettingsTest, AFileWithASerializedValueIsNotReadNorWritten) {
    // A QStringList (QVariant type 11) of 0x7FFFFFFF strings.
    const std::string file = "[ConnectSetDialog]\nip=10.0.0.9\n"
                             "[SETTINGPATH]\nselectList=@Variant(\\0\\0\\0\\xb\\x7f\\xff\\xff\\xff)\nselect=4\n";
    {
        std::ofstream out(work_.path() / "settings.ini", std::ios::binary);
        out << file;
    }
    reopenAppSettings();
    EXPECT_EQ(selectedProgram(), 0);
    EXPECT_EQ(settingsString(settings_keys::kConnectIp), "");
    EXPECT_EQ(programNames().size(), 16);
    setSelectedProgram(3);
    EXPECT_EQ(selectedProgram(), 3);
    reopenAppSettings();
    EXPECT_EQ(fileBytes().toStdString(), file);
}

TEST(SerializedIniValues, AreToldAsQtUnescapesThem) {
    struct Case {
        const char* text;
        bool serialized;
    };
    const Case cases[] = {
        {"k=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x1)\n", true},
        {"k=@DateTime(\\0\\0)\n", true},
        {"k = \"@Variant(x)\"\n", true},
        {"k=a, @Variant(x)\n", true},
        {"k=\\x40Variant(x)\n", true},      // '@' escaped
        {"k=\\100Variant(x)\n", true},      // in octal
        {"k=\\x10040Variant(x)\n", true},   // only the low 16 bits count
        {"k=@\\x56\\x61riant(x)\n", true},  // later characters escaped
        {"k=@Var\\\n  iant(x)\n", false},   // a continuation keeps the spaces of the next line
        {"k=@Var\\\niant(x)\r\n", true},
        {"k=@@Variant(x)\n", false},  // an escaped '@': the text "@Variant(x)"
        {"k=x@Variant(x)\n", false},
        {"k=@ByteArray(abc)\n", false},
        {"; k=@Variant(x)\n", false},
        {"[@Variant(x)]\n", false},
        {"selectList=\\x7a0b\\x5e8f, SettingNo.1\nip=192.168.1.10\n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(holdsSerializedValue(QByteArray(c.text)), c.serialized) << c.text;
}

// Each helper is one locked step: a thread that works inside a group of its
// own on the shared object never makes another thread's read land there.
TEST_F(AppSettingsTest, ThreadsReadingAndWritingDifferentGroupsNeverMixThem) {
    setSettingsString("A", "value", "1");
    setSettingsString("B", "value", "2");
    std::atomic<int> wrong{0};
    auto reader = [&wrong](const char* group, int expected) {
        for (int i = 0; i < 2000; ++i)
            if (settingsInt(group, "value", -1) != expected) ++wrong;
    };
    std::thread grouped([&wrong] {
        for (int i = 0; i < 500; ++i) {
            AppSettingsLock lock(appSettingsMutex());
            appSettings()->beginGroup("C");
            if (appSettings()->value("value", 3).toInt() != 3) ++wrong;
            appSettings()->endGroup();
        }
    });
    std::thread a(reader, "A", 1);
    std::thread b(reader, "B", 2);
    a.join();
    b.join();
    grouped.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
