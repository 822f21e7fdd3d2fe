#pragma once
// A Qt Linguist catalogue (.ts) read into memory, and lupdate run over the
// program's sources.
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

namespace mirevo::test {

struct TsMessage {
    QString translation;
    bool finished = false;  // neither unfinished nor vanished nor obsolete
};

// (context, source text) -> message.
using TsCatalog = QMap<QPair<QString, QString>, TsMessage>;

// Reads a .ts file; *error says why when it cannot.
bool readTsFile(const QString& path, TsCatalog* catalog, QString* error);

// The folders whose texts the program shows.
QStringList translatedSourceFolders();

// Runs lupdate over the translated folders of sourceDir into tsPath.
bool runLupdate(const QString& lupdate, const QString& sourceDir, const QString& tsPath, QString* error);

// The placeholders %1 to %99 of a text, sorted.
QStringList placeholders(const QString& text);

// True when the text holds a CJK character (ideographs, CJK punctuation, full-width forms).
bool containsCjk(const QString& text);

}  // namespace mirevo::test
