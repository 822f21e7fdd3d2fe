#include "tests/support/qt/scripted_prompter.h"

#include <gtest/gtest.h>

namespace mirevo::test {

const char* promptKindName(PromptKind kind) {
    switch (kind) {
    case PromptKind::Information: return "information";
    case PromptKind::Question: return "question";
    case PromptKind::Warning: return "warning";
    case PromptKind::Critical: return "critical";
    case PromptKind::Ask: return "ask";
    case PromptKind::OpenFile: return "open file";
    case PromptKind::SaveFile: return "save file";
    case PromptKind::Directory: return "directory";
    }
    return "?";
}

void ScriptedPrompter::answer(QMessageBox::StandardButton button) {
    std::lock_guard<std::mutex> lock(mutex_);
    Answer a{Answer::Button};
    a.button = button;
    script_.push_back(a);
}

void ScriptedPrompter::answerIndex(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    Answer a{Answer::Index};
    a.index = index;
    script_.push_back(a);
}

void ScriptedPrompter::answerFile(const QString& path, const QString& selectedFilter) {
    std::lock_guard<std::mutex> lock(mutex_);
    Answer a{Answer::File};
    a.path = path;
    a.selectedFilter = selectedFilter;
    script_.push_back(a);
}

void ScriptedPrompter::answerUnscriptedBoxesWith(QMessageBox::StandardButton button) {
    std::lock_guard<std::mutex> lock(mutex_);
    unscriptedBoxesAnswered_ = true;
    unscriptedAnswer_ = button;
}

void ScriptedPrompter::useRealFileDialogs() {
    std::lock_guard<std::mutex> lock(mutex_);
    realFileDialogs_ = true;
}

std::vector<PromptRecord> ScriptedPrompter::prompts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return prompts_;
}

int ScriptedPrompter::count(PromptKind kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const PromptRecord& p : prompts_) n += p.kind == kind ? 1 : 0;
    return n;
}

int ScriptedPrompter::count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(prompts_.size());
}

int ScriptedPrompter::pendingAnswers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(script_.size());
}

void ScriptedPrompter::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    prompts_.clear();
    script_.clear();
}

bool ScriptedPrompter::takeAnswer(Answer::Kind expected, const PromptRecord& prompt, Answer& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    prompts_.push_back(prompt);
    if (!script_.empty() && script_.front().kind == expected) {
        out = script_.front();
        script_.pop_front();
        return true;
    }
    if (expected != Answer::File && unscriptedBoxesAnswered_) {
        out = Answer{expected};
        out.button = unscriptedAnswer_;
        out.index = -1;
        return true;
    }
    return false;
}

QMessageBox::StandardButton ScriptedPrompter::box(PromptKind kind, const QString& title, const QString& text) {
    Answer a{Answer::Button};
    if (!takeAnswer(Answer::Button, PromptRecord{kind, title, text, {}}, a)) {
        ADD_FAILURE() << "unscripted " << promptKindName(kind) << " box \"" << title.toStdString() << "\": \""
                      << text.toStdString() << "\"";
        return QMessageBox::Cancel;
    }
    return a.button;
}

QMessageBox::StandardButton ScriptedPrompter::information(QWidget*, const QString& title, const QString& text,
                                                          QMessageBox::StandardButtons, QMessageBox::StandardButton) {
    return box(PromptKind::Information, title, text);
}

QMessageBox::StandardButton ScriptedPrompter::question(QWidget*, const QString& title, const QString& text,
                                                       QMessageBox::StandardButtons, QMessageBox::StandardButton) {
    return box(PromptKind::Question, title, text);
}

QMessageBox::StandardButton ScriptedPrompter::warning(QWidget*, const QString& title, const QString& text,
                                                      QMessageBox::StandardButtons, QMessageBox::StandardButton) {
    return box(PromptKind::Warning, title, text);
}

QMessageBox::StandardButton ScriptedPrompter::critical(QWidget*, const QString& title, const QString& text,
                                                       QMessageBox::StandardButtons, QMessageBox::StandardButton) {
    return box(PromptKind::Critical, title, text);
}

int ScriptedPrompter::ask(QWidget*, QMessageBox::Icon, const QString& title, const QString& text,
                          const QStringList& buttonTexts, int) {
    Answer a{Answer::Index};
    if (!takeAnswer(Answer::Index, PromptRecord{PromptKind::Ask, title, text, buttonTexts}, a)) {
        ADD_FAILURE() << "unscripted box \"" << title.toStdString() << "\": \"" << text.toStdString() << "\"";
        return -1;
    }
    return a.index;
}

QString ScriptedPrompter::file(PromptKind kind, const QString& caption, const QString& dir, const QString& filter,
                               QString* selectedFilter) {
    Answer a{Answer::File};
    if (!takeAnswer(Answer::File, PromptRecord{kind, caption, dir, QStringList{filter}}, a)) {
        ADD_FAILURE() << "unscripted " << promptKindName(kind) << " dialog \"" << caption.toStdString() << "\"";
        return {};
    }
    if (selectedFilter && !a.selectedFilter.isEmpty()) *selectedFilter = a.selectedFilter;
    return a.path;
}

QString ScriptedPrompter::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                          const QString& filter, QString* selectedFilter) {
    if (recordRealFileDialog(PromptKind::OpenFile, caption, dir, filter))
        return dialogs_.getOpenFileName(parent, caption, dir, filter, selectedFilter);
    return file(PromptKind::OpenFile, caption, dir, filter, selectedFilter);
}

QString ScriptedPrompter::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                          const QString& filter, QString* selectedFilter) {
    if (recordRealFileDialog(PromptKind::SaveFile, caption, dir, filter))
        return dialogs_.getSaveFileName(parent, caption, dir, filter, selectedFilter);
    return file(PromptKind::SaveFile, caption, dir, filter, selectedFilter);
}

bool ScriptedPrompter::recordRealFileDialog(PromptKind kind, const QString& caption, const QString& dir,
                                            const QString& filter) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!realFileDialogs_) return false;
    prompts_.push_back(PromptRecord{kind, caption, dir, QStringList{filter}});
    return true;
}

QString ScriptedPrompter::getExistingDirectory(QWidget*, const QString& caption, const QString& dir) {
    return file(PromptKind::Directory, caption, dir, {}, nullptr);
}

ScopedPrompter::ScopedPrompter() {
    auto scripted = std::make_unique<ScriptedPrompter>();
    scripted_ = scripted.get();
    previous_ = ui::installPrompter(std::move(scripted));
}

ScopedPrompter::~ScopedPrompter() { ui::installPrompter(std::move(previous_)); }

}  // namespace mirevo::test
