#pragma once
// The string literals of the program's sources, so that a Chinese text that
// lupdate cannot see (a literal handed to a helper instead of tr()) is found.
#include <QString>
#include <QVector>

namespace mirevo::test {

struct SourceLiteral {
    QString file;  // relative to the source folder
    int line = 0;  // where the literal starts
    QString text;  // adjacent literals joined, simple escapes resolved
};

// The literals of C++ code, comments skipped.
QVector<SourceLiteral> cppStringLiterals(const QString& code, const QString& file);

// The texts of a Designer form marked as not to be translated.
QVector<SourceLiteral> uiUntranslatedStrings(const QString& form, const QString& file);

// Every literal of the .h, .cpp and .ui files under the given folders of sourceDir.
QVector<SourceLiteral> sourceLiterals(const QString& sourceDir, const QStringList& folders);

}  // namespace mirevo::test
