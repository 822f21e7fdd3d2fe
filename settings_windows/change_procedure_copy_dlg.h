#pragma once
// Copies the settings of one program into another: select the source, load it,
// select the destination, store (stopping at the first failing step).
#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace Ui {

struct ChangeProcedureCopyDlg {
    QLabel* label;
    QComboBox* comboBox_fromc;
    QLabel* label_2;
    QComboBox* comboBox_toc;
    QPushButton* pushButton_ok;
    QPushButton* pushButton_close;

    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

}  // namespace Ui

class ChangeProcedureCopyDlg : public QDialog {
    Q_OBJECT
public:
    explicit ChangeProcedureCopyDlg(QWidget* parent = nullptr);
    ~ChangeProcedureCopyDlg() override;

    // Lists the names as "[No.i]name" in both boxes; the source is preset to
    // source, the destination to 1 when source is 0, else to 0.
    void setPrograms(int source, const QStringList& names);
    // The copy of the chosen source onto the chosen destination; nothing when
    // they are the same program.
    void copySettings();

    Ui::ChangeProcedureCopyDlg* ui;

private slots:
    void on_pushButton_ok_clicked();
    void on_pushButton_close_clicked();
};
