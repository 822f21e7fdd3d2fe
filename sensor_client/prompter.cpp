#include "sensor_client/prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace ui {

namespace {

// QFileDialog's own save dialog keeps a typed name as it stands: this one
// completes it with the selected filter's suffix first, so that the existing
// file check and the overwrite question see the name that will be written.
class SuffixingSaveDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override {
        auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = edit ? edit->text() : QString();
        if (!typed.isEmpty() && !QFileInfo(directory().absoluteFilePath(typed)).isDir()) {
            const QString completed = withFilterSuffix(typed, selectedNameFilter());
            if (completed != typed) edit->setText(completed);
        }
        QFileDialog::accept();
    }
};

std::unique_ptr<Prompter>& installed() {
    static std::unique_ptr<Prompter> current = std::make_unique<DialogPrompter>();
    return current;
}

}  // namespace

Prompter& prompter() { return *installed(); }

QStringList filterSuffixes(const QString& nameFilter) {
    // The patterns stand in the last brackets, or make up the whole filter.
    static const QRegularExpression bracketed(QStringLiteral("^.*\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch match = bracketed.match(nameFilter);
    const QString patterns = match.hasMatch() ? match.captured(1) : nameFilter;
    QStringList suffixes;
    for (const QString& pattern : patterns.split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts)) {
        if (!pattern.startsWith(QLatin1String("*.")) || pattern.size() < 3) continue;
        const QString suffix = pattern.mid(1);
        if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) || suffix.contains(QLatin1Char('[')))
            continue;
        suffixes << suffix;
    }
    return suffixes;
}

QString withFilterSuffix(const QString& name, const QString& selectedFilter) {
    const QStringList suffixes = filterSuffixes(selectedFilter);
    if (name.isEmpty() || suffixes.isEmpty()) return name;
    for (const QString& suffix : suffixes)
        if (name.endsWith(suffix) && name.size() > suffix.size()) return name;
    return name + suffixes.first();
}

std::unique_ptr<Prompter> installPrompter(std::unique_ptr<Prompter> replacement) {
    if (!replacement) replacement = std::make_unique<DialogPrompter>();
    std::swap(installed(), replacement);
    return replacement;
}

QMessageBox::StandardButton DialogPrompter::information(QWidget* parent, const QString& title, const QString& text,
                                                        QMessageBox::StandardButtons buttons,
                                                        QMessageBox::StandardButton defaultButton) {
    return QMessageBox::information(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton DialogPrompter::question(QWidget* parent, const QString& title, const QString& text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton) {
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton DialogPrompter::warning(QWidget* parent, const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton) {
    return QMessageBox::warning(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton DialogPrompter::critical(QWidget* parent, const QString& title, const QString& text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton) {
    return QMessageBox::critical(parent, title, text, buttons, defaultButton);
}

int DialogPrompter::ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                        const QStringList& buttonTexts, int defaultIndex) {
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> buttons;
    for (const QString& label : buttonTexts) buttons.append(box.addButton(label, QMessageBox::AcceptRole));
    if (defaultIndex >= 0 && defaultIndex < buttons.size()) box.setDefaultButton(buttons[defaultIndex]);
    box.exec();
    return static_cast<int>(buttons.indexOf(static_cast<QPushButton*>(box.clickedButton())));
}

QString DialogPrompter::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                        const QString& filter, QString* selectedFilter) {
    return QFileDialog::getOpenFileName(parent, caption, dir, filter, selectedFilter);
}

QString DialogPrompter::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                        const QString& filter, QString* selectedFilter) {
    SuffixingSaveDialog dialog(parent, caption, dir, filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (selectedFilter && !selectedFilter->isEmpty()) dialog.selectNameFilter(*selectedFilter);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QString chosenFilter = dialog.selectedNameFilter();
    if (selectedFilter) *selectedFilter = chosenFilter;
    const QStringList files = dialog.selectedFiles();
    // A platform dialog does not run accept() above: complete its answer too.
    return files.isEmpty() ? QString() : withFilterSuffix(files.first(), chosenFilter);
}

QString DialogPrompter::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) {
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

}  // namespace ui
