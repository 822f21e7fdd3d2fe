// The start-up checks: the style sheet applied, both translations present,
// the first missing resource named.
#include <QApplication>
#include <QFile>
#include <QTranslator>

#include <gtest/gtest.h>

#include <fstream>

#include "app/startup.h"
#include "tests/support/temp_dir.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qApp->styleSheet();
        qApp->setStyleSheet(QString());
    }
    void TearDown() override { qApp->setStyleSheet(saved_); }

    // A file in the test's folder; absent when text is null.
    QString file(const char* name, const char* text) {
        const auto path = temp_.path() / name;
        if (text) {
            std::ofstream out(path, std::ios::binary);
            out << text;
        }
        return QString::fromStdString(path.string());
    }

    mirevo::test::TempDir temp_;
    QString saved_;
};

TEST_F(StartupTest, TheFirstMissingResourceDecides) {
    struct Case {
        bool sheet, zh, en;
        bool ok;
        const char* error;
        bool sheetApplied;
    };
    const Case cases[] = {
        {true, true, true, true, "", true},
        {false, true, true, false, "QSS not found", false},
        {true, false, true, false, "Translation_zh.qm not found", true},
        {true, true, false, false, "Translation_en.qm not found", true},
        {true, false, false, false, "Translation_zh.qm not found", true},  // both missing: zh only
        {false, false, false, false, "QSS not found", false},
    };
    for (const Case& c : cases) {
        qApp->setStyleSheet(QString());
        StartupResources resources;
        resources.styleSheet = file("sheet.qss", nullptr);
        resources.chineseTranslation = file("zh.qm", nullptr);
        resources.englishTranslation = file("en.qm", nullptr);
        QFile::remove(resources.styleSheet);
        QFile::remove(resources.chineseTranslation);
        QFile::remove(resources.englishTranslation);
        if (c.sheet) file("sheet.qss", "QLabel { color: red; }");
        if (c.zh) file("zh.qm", "x");
        if (c.en) file("en.qm", "x");
        QString error = QStringLiteral("untouched");
        EXPECT_EQ(checkStartupResources(&error, resources), c.ok);
        EXPECT_EQ(error, c.ok ? QStringLiteral("untouched") : QString::fromUtf8(c.error));
        EXPECT_EQ(qApp->styleSheet(), c.sheetApplied ? QStringLiteral("QLabel { color: red; }") : QString());
    }
}

TEST_F(StartupTest, TheSheetIsTextUpToItsFirstNulByte) {
    StartupResources resources;
    resources.styleSheet = file("sheet.qss", nullptr);
    {
        std::ofstream out(resources.styleSheet.toStdString(), std::ios::binary);
        const char bytes[] = "QLabel { color: \xe7\xba\xa2; }\0QWidget {}";
        out.write(bytes, sizeof bytes - 1);
    }
    resources.chineseTranslation = file("zh.qm", "x");
    resources.englishTranslation = file("en.qm", "x");
    QString error;
    EXPECT_TRUE(checkStartupResources(&error, resources));
    EXPECT_EQ(qApp->styleSheet(), QString::fromUtf8("QLabel { color: 红; }"));
}

TEST_F(StartupTest, TheProgramsOwnResourcesArePresentAndLoad) {
    QString error;
    EXPECT_TRUE(checkStartupResources(&error)) << error.toStdString();
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("QtLineLaserClientClass")));
    // lrelease made both at build time: real translation files.
    for (const char* path : {":/lag/res/Translation_en/Translation_zh.qm", ":/lag/res/Translation_en/Translation_en.qm"}) {
        QTranslator translator;
        EXPECT_TRUE(translator.load(QString::fromLatin1(path))) << path;
    }
    // Every picture the sheet names is compiled in.
    const QString sheet = qApp->styleSheet();
    int at = 0;
    int named = 0;
    while ((at = sheet.indexOf(QStringLiteral("url(\""), at)) >= 0) {
        const int end = sheet.indexOf(QLatin1Char('"'), at + 5);
        const QString path = sheet.mid(at + 5, end - at - 5);
        EXPECT_TRUE(resourceExists(path)) << path.toStdString();
        ++named;
        at = end;
    }
    EXPECT_GT(named, 20);
}

TEST_F(StartupTest, AResourceExistsWhenItOpens) {
    EXPECT_TRUE(resourceExists(QStringLiteral(":/res/logo.png")));
    EXPECT_FALSE(resourceExists(QStringLiteral(":/res/nothing.png")));
    EXPECT_TRUE(resourceExists(file("there.txt", "")));
    EXPECT_FALSE(resourceExists(file("absent.txt", nullptr)));
}

}  // namespace
