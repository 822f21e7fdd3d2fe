#pragma once
// Every message box and file dialog of the program goes through the one
// installed Prompter, so that tests can answer them without a modal loop.
// Call it from the GUI thread only.
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace ui {

class Prompter {
public:
    virtual ~Prompter() = default;

    // Boxes with standard buttons; the clicked button is returned
    // (QMessageBox::NoButton or Cancel/Escape when the box was closed).
    virtual QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
    virtual QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
                                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
    virtual QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
    virtual QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;

    // A box with the program's own button texts (such as "是" / "否"), in
    // order. Returns the index of the clicked button, -1 when the box was
    // closed without one.
    virtual int ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                    const QStringList& buttonTexts, int defaultIndex = 0) = 0;

    // File dialogs; an empty result means cancelled.
    virtual QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, QString* selectedFilter = nullptr) = 0;
    virtual QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, QString* selectedFilter = nullptr) = 0;
    virtual QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) = 0;
};

// The installed prompter (the QMessageBox/QFileDialog one until another is
// installed).
Prompter& prompter();

// Installs a prompter for the process and returns the one it replaces.
std::unique_ptr<Prompter> installPrompter(std::unique_ptr<Prompter> replacement);

// The suffixes a name filter such as "设定文件(*.zps)" or "tif数据 (*.tif *.tiff)"
// stands for, in its order, each with its dot (".zps", ".customized.tif");
// patterns that are not a plain "*.suffix" (such as "*") give none.
QStringList filterSuffixes(const QString& nameFilter);

// The name a save dialog returns for the typed one: a name that ends in none
// of the selected filter's suffixes gets the filter's first suffix, compound
// ones whole, as the system's own save dialog does. Names that already end in
// one, and filters without suffixes, are kept.
QString withFilterSuffix(const QString& name, const QString& selectedFilter);

// The real one: QMessageBox and QFileDialog. Its save dialog applies
// withFilterSuffix before it checks for an existing file, so the overwrite
// question names the file that will be written.
class DialogPrompter : public Prompter {
public:
    QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    int ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
            const QStringList& buttonTexts, int defaultIndex) override;
    QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                            QString* selectedFilter) override;
    QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                            QString* selectedFilter) override;
    QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir) override;
};

}  // namespace ui
