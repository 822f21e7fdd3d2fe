// The application-wide half of the language switch: the compiled
// translations, the font rule of the style sheet, the title-bar names and the
// stored choice.
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTranslator>

#include <gtest/gtest.h>

#include "app/language_switch.h"
#include "app/myqss.h"
#include "sensor_client/app_settings.h"
#include "tests/support/temp_dir.h"

namespace {

using language_switch::kChinese;
using language_switch::kEnglish;

class LanguageSwitch : public testing::Test {
protected:
    void SetUp() override {
        reopenAppSettings();
        sheet_ = qApp->styleSheet();
    }
    void TearDown() override {
        QCoreApplication::removeTranslator(&translator_);
        qApp->setStyleSheet(sheet_);
        reopenAppSettings();
    }

    mirevo::test::TempDir work_;
    mirevo::test::ScopedWorkingDir inWork_{work_.path()};
    QTranslator translator_;
    QString sheet_;
};

TEST_F(LanguageSwitch, BothCompiledTranslationsAreInTheResources) {
    EXPECT_TRUE(QFile::exists(language_switch::translationFile(kChinese)));
    EXPECT_TRUE(QFile::exists(language_switch::translationFile(kEnglish)));
    EXPECT_NE(language_switch::translationFile(kChinese), language_switch::translationFile(kEnglish));
}

TEST_F(LanguageSwitch, EnglishTranslatesTheWindowsTextsChineseKeepsTheSources) {
    ASSERT_TRUE(language_switch::installTranslation(kEnglish, &translator_));
    EXPECT_EQ(QCoreApplication::translate("QtLineLaserClientClass", "退出"), QStringLiteral("Exit"));
    EXPECT_EQ(QCoreApplication::translate("ConnectSetDialog", "连接"), QStringLiteral("Connect"));

    ASSERT_TRUE(language_switch::installTranslation(kChinese, &translator_));
    EXPECT_EQ(QCoreApplication::translate("QtLineLaserClientClass", "退出"), QStringLiteral("退出"));
    EXPECT_EQ(QCoreApplication::translate("ConnectSetDialog", "连接"), QStringLiteral("连接"));
}

TEST_F(LanguageSwitch, ChineseAppendsTheFontRuleEveryTimeEnglishKeepsTheSheet) {
    qApp->setStyleSheet(QStringLiteral("QLabel{color: red;}"));
    const QString rule = QString::fromLatin1(language_switch::kChineseFontRule);
    language_switch::applyStyleSheet(kChinese);
    EXPECT_EQ(qApp->styleSheet(), QStringLiteral("QLabel{color: red;}") + rule);
    language_switch::applyStyleSheet(kChinese);
    EXPECT_EQ(qApp->styleSheet(), QStringLiteral("QLabel{color: red;}") + rule + rule);
    language_switch::applyStyleSheet(kEnglish);
    EXPECT_EQ(qApp->styleSheet(), QStringLiteral("QLabel{color: red;}") + rule + rule);
}

TEST_F(LanguageSwitch, TheInstalledStyleNamesTheSubWindowsInTheLanguage) {
    // As at start-up: the style first, then the style sheet in front of it.
    qApp->setStyleSheet(QString());
    auto* style = new myqss(0);
    QApplication::setStyle(style);
    qApp->setStyleSheet(QStringLiteral("QLabel{color: red;}"));
    language_switch::setTitleBarLanguage(kEnglish);
    EXPECT_EQ(style->languageIndex(), 1);
    language_switch::setTitleBarLanguage(kChinese);
    EXPECT_EQ(style->languageIndex(), 0);
    qApp->setStyleSheet(QString());
    QPointer<myqss> installed(style);
    QApplication::setStyle(QStringLiteral("fusion"));
    delete installed.data();  // the application deletes a style it replaces, as a rule
}

TEST_F(LanguageSwitch, TheChoiceIsStoredAndStartUpFollowsIt) {
    language_switch::storeChoice(kEnglish);
    EXPECT_EQ(languageIndex(), 1);
    EXPECT_EQ(language_switch::startupLanguage(languageIndex()), kEnglish);
    language_switch::storeChoice(kChinese);
    EXPECT_EQ(languageIndex(), 0);
    EXPECT_EQ(language_switch::startupLanguage(languageIndex()), kChinese);
    EXPECT_EQ(language_switch::startupLanguage(-1), kChinese);
    EXPECT_EQ(language_switch::startupLanguage(7), kChinese);
}

}  // namespace
