#pragma once
// A Prompter for tests: answers come from a script queued by the test, every
// prompt is recorded, and a prompt nobody scripted fails the test and answers
// "cancel" at once instead of blocking on a modal box.
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "sensor_client/prompter.h"

namespace mirevo::test {

enum class PromptKind { Information, Question, Warning, Critical, Ask, OpenFile, SaveFile, Directory };

const char* promptKindName(PromptKind kind);

struct PromptRecord {
    PromptKind kind;
    QString title;  // the caption of file dialogs
    QString text;   // the folder of file dialogs
    QStringList buttons;  // Ask: the button texts; file dialogs: the filter
};

class ScriptedPrompter : public ui::Prompter {
public:
    // Queue the next answer: a standard button for a box, an index for an
    // Ask box, a path for a file dialog (empty: cancelled).
    void answer(QMessageBox::StandardButton button);
    void answerIndex(int index);
    void answerFile(const QString& path, const QString& selectedFilter = {});

    // Boxes that nobody scripted answer this instead of failing (file dialogs
    // still fail). For tests that only count boxes.
    void answerUnscriptedBoxesWith(QMessageBox::StandardButton button);

    // File dialogs are the program's real ones (answered by a
    // FileDialogDriver), still recorded; boxes stay scripted.
    void useRealFileDialogs();

    std::vector<PromptRecord> prompts() const;
    int count(PromptKind kind) const;
    int count() const;
    // Answers queued but never asked for.
    int pendingAnswers() const;
    void clear();

    QMessageBox::StandardButton information(QWidget*, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons, QMessageBox::StandardButton) override;
    QMessageBox::StandardButton question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons, QMessageBox::StandardButton) override;
    QMessageBox::StandardButton warning(QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons, QMessageBox::StandardButton) override;
    QMessageBox::StandardButton critical(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons, QMessageBox::StandardButton) override;
    int ask(QWidget*, QMessageBox::Icon, const QString& title, const QString& text, const QStringList& buttonTexts,
            int defaultIndex) override;
    QString getOpenFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter,
                            QString* selectedFilter) override;
    QString getSaveFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter,
                            QString* selectedFilter) override;
    QString getExistingDirectory(QWidget*, const QString& caption, const QString& dir) override;

private:
    struct Answer {
        enum Kind { Button, Index, File } kind;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        int index = -1;
        QString path;
        QString selectedFilter;
    };

    QMessageBox::StandardButton box(PromptKind kind, const QString& title, const QString& text);
    QString file(PromptKind kind, const QString& caption, const QString& dir, const QString& filter,
                 QString* selectedFilter);
    bool takeAnswer(Answer::Kind expected, const PromptRecord& prompt, Answer& out);
    // Records a file dialog that goes to the real one; false when scripted.
    bool recordRealFileDialog(PromptKind kind, const QString& caption, const QString& dir, const QString& filter);

    mutable std::mutex mutex_;
    std::deque<Answer> script_;
    std::vector<PromptRecord> prompts_;
    bool unscriptedBoxesAnswered_ = false;
    bool realFileDialogs_ = false;
    ui::DialogPrompter dialogs_;
    QMessageBox::StandardButton unscriptedAnswer_ = QMessageBox::NoButton;
};

// Installs a fresh ScriptedPrompter for the scope and puts the previous
// prompter back afterwards.
class ScopedPrompter {
public:
    ScopedPrompter();
    ~ScopedPrompter();
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

    ScriptedPrompter& operator*() { return *scripted_; }
    ScriptedPrompter* operator->() { return scripted_; }

private:
    ScriptedPrompter* scripted_;
    std::unique_ptr<ui::Prompter> previous_;
};

}  // namespace mirevo::test
