#pragma once
// Answers the program's real file dialogs as a person would: waits for the
// next QFileDialog to open, chooses a filter, types a name into its name box
// and presses Return. For the tests of what the dialog itself does with the
// typed name (suffixes, overwrite questions) and of what it lists.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QFileDialog;

namespace mirevo::test {

class FileDialogDriver : public QObject {
public:
    FileDialogDriver();

    // The next file dialog gets this answer. An empty filter keeps the one
    // the dialog selected; an empty name cancels it. When mustList is given,
    // the driver first waits (up to a few seconds) until the dialog's file
    // list shows that name, and records whether it did.
    void answerNext(const QString& typedName, const QString& filter = {}, const QString& mustList = {});

    // Also answers the question a save dialog asks about an existing file
    // (yes replaces it, no goes back to the dialog, which is then cancelled).
    void answerOverwrite(bool replace);

    bool answered() const { return answered_; }
    bool listed() const { return listed_; }
    bool overwriteAsked() const { return overwriteAsked_; }
    QStringList offeredFilters() const { return offeredFilters_; }
    QString selectedFilter() const { return selectedFilter_; }

private:
    void poll();
    void answer(QFileDialog& dialog);
    QStringList listedNames(QFileDialog& dialog) const;

    QTimer timer_;
    QString typed_;
    QString filter_;
    QString mustList_;
    int listWaitTicks_ = 0;
    bool pending_ = false;
    bool answered_ = false;
    bool listed_ = false;
    bool overwritePending_ = false;
    bool replace_ = false;
    bool overwriteAsked_ = false;
    QStringList offeredFilters_;
    QString selectedFilter_;
};

}  // namespace mirevo::test
