#pragma once
// The two about dialogs of the main window's help menu: the program's version
// and the Qt notice read from "qt.md" in the working folder.
#include <QDialog>

class QPlainTextEdit;

// The program's version as the about dialog and the status bar show it.
extern const char* const kProgramVersion;

class version_dialog : public QDialog {
    Q_OBJECT
public:
    explicit version_dialog(QWidget* parent = nullptr);
    QPlainTextEdit* text() const { return text_; }

private:
    QPlainTextEdit* text_;
};

class qt_dialog : public QDialog {
    Q_OBJECT
public:
    explicit qt_dialog(QWidget* parent = nullptr);
    QPlainTextEdit* text() const { return text_; }

private:
    QPlainTextEdit* text_;
};
