// The English catalogue res/Translation_en.ts covers every text the program
// shows, and nothing Chinese hides from lupdate.
#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/res/source_literals.h"
#include "tests/res/ts_catalog.h"

namespace mirevo::test {
namespace {

const QString kSourceDir = QStringLiteral(MIREVO_SOURCE_DIR);

// Chinese literals that are not shown to the operator and so stay untranslated.
const QSet<QString> kNotShownTexts = {
    // Font family names.
    QStringLiteral("微软雅黑"),
    QStringLiteral("font: 900 12pt \"黑体\", \"Noto Sans CJK SC\"; color: rgb(255, 255, 255);"),
    // A diagnostic on standard error.
    QStringLiteral("无法打开目标文件"),
};

const char* const kHowToAdd =
    "Add them to res/Translation_en.ts: from the source folder run\n"
    "  lupdate -locations none -source-language zh_CN -target-language en_US "
    "sensor_client views settings_windows app -ts res/Translation_en.ts\n"
    "and give every unfinished message its English text.";

TsCatalog readCatalog(const QString& path) {
    TsCatalog catalog;
    QString error;
    EXPECT_TRUE(readTsFile(path, &catalog, &error)) << error.toStdString();
    return catalog;
}

TsCatalog englishCatalog() { return readCatalog(QDir(kSourceDir).filePath(QStringLiteral("res/Translation_en.ts"))); }

// What lupdate finds in the sources now.
TsCatalog scannedSources() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scan.ts"));
    QString error;
    EXPECT_TRUE(runLupdate(QStringLiteral(MIREVO_LUPDATE), kSourceDir, path, &error)) << error.toStdString();
    return readCatalog(path);
}

QString describe(const QPair<QString, QString>& key) { return key.first + QStringLiteral(" | ") + key.second; }

TEST(EnglishCatalogue, EverySourceTextHasAFinishedTranslation) {
    const TsCatalog scanned = scannedSources();
    ASSERT_GT(scanned.size(), 100) << "lupdate found almost no texts";
    const TsCatalog english = englishCatalog();
    QStringList missing;
    for (auto it = scanned.cbegin(); it != scanned.cend(); ++it) {
        const auto found = english.constFind(it.key());
        if (found == english.cend() || !found->finished) missing << describe(it.key());
    }
    EXPECT_TRUE(missing.isEmpty()) << missing.size() << " source texts (context | text) have no English translation:\n  "
                                   << missing.join(QStringLiteral("\n  ")).toStdString() << "\n"
                                   << kHowToAdd;
}

TEST(EnglishCatalogue, TranslationsAreEnglishAndKeepTheirPlaceholders) {
    const TsCatalog english = englishCatalog();
    ASSERT_FALSE(english.isEmpty());
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        if (!it->finished) continue;
        const std::string what = describe(it.key()).toStdString();
        EXPECT_FALSE(containsCjk(it->translation)) << what << " -> " << it->translation.toStdString();
        EXPECT_EQ(placeholders(it.key().second), placeholders(it->translation)) << what;
    }
}

TEST(ChineseCatalogue, StaysEmptyBecauseTheSourcesAreChinese) {
    const TsCatalog chinese = readCatalog(QDir(kSourceDir).filePath(QStringLiteral("res/Translation_zh.ts")));
    for (auto it = chinese.cbegin(); it != chinese.cend(); ++it)
        EXPECT_TRUE(it->translation.isEmpty()) << describe(it.key()).toStdString();
}

TEST(SourceTexts, NoChineseLiteralHidesFromLupdate) {
    QSet<QString> seen;
    const TsCatalog scanned = scannedSources();
    for (auto it = scanned.cbegin(); it != scanned.cend(); ++it) seen.insert(it.key().second);
    QStringList hidden;
    for (const SourceLiteral& literal : sourceLiterals(kSourceDir, translatedSourceFolders())) {
        if (!containsCjk(literal.text) || seen.contains(literal.text) || kNotShownTexts.contains(literal.text))
            continue;
        hidden << QStringLiteral("%1:%2: %3").arg(literal.file).arg(literal.line).arg(literal.text);
    }
    EXPECT_TRUE(hidden.isEmpty())
        << "Chinese texts that lupdate does not see (write them inside tr() or QCoreApplication::translate() with a "
           "literal context, or QT_TRANSLATE_NOOP where the text is kept in a constant; texts never shown to the "
           "operator belong in kNotShownTexts):\n  "
        << hidden.join(QStringLiteral("\n  ")).toStdString();
}

// The scanner itself: literals joined and comments skipped as the compiler does.
TEST(SourceLiteralScanner, JoinsAdjacentLiteralsAndSkipsCommentsAndCharacters) {
    const QString code = QStringLiteral(
        "// \"注释\"\n"
        "const char* a = \"第一\" /* x */ \"部分\";\n"
        "char q = '\"'; int n = 1'000;\n"
        "auto b = tr(\"换\\\"行\\n\");\n"
        "auto c = R\"x(原(样))x\";\n");
    const QVector<SourceLiteral> found = cppStringLiterals(code, QStringLiteral("f.cpp"));
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].text, QStringLiteral("第一部分"));
    EXPECT_EQ(found[0].line, 2);
    EXPECT_EQ(found[1].text, QStringLiteral("换\"行\n"));
    EXPECT_EQ(found[1].line, 4);
    EXPECT_EQ(found[2].text, QStringLiteral("原(样)"));
}

TEST(SourceLiteralScanner, FindsFormStringsMarkedNotToBeTranslated) {
    const QString form = QStringLiteral(
        "<ui><widget><property name=\"text\"><string>译</string></property>\n"
        "<property name=\"toolTip\"><string notr=\"true\">不译</string></property></widget></ui>");
    const QVector<SourceLiteral> found = uiUntranslatedStrings(form, QStringLiteral("f.ui"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].text, QStringLiteral("不译"));
}

TEST(Placeholders, AreCountedWithTheirNumbers) {
    EXPECT_EQ(placeholders(QStringLiteral("%2 之 %1 与 %1")),
              (QStringList{QStringLiteral("%1"), QStringLiteral("%1"), QStringLiteral("%2")}));
    EXPECT_TRUE(placeholders(QStringLiteral("100%")).isEmpty());
}

}  // namespace
}  // namespace mirevo::test
