#include "sensor_client/prompter.h"

#include <QFileDialog>
#include <QPushButton>

namespace ui {

namespace {

std::unique_ptr<Prompter>& installed() {
    static std::unique_ptr<Prompter> current = std::make_unique<DialogPrompter>();
    return current;
}

}  // namespace

Prompter& prompter() { return *installed(); }

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
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter);
}

QString DialogPrompter::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) {
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

}  // namespace ui
