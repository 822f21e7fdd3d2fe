#pragma once
// Edits the name of one program. The name is emitted with
// UpdateProceNameSignal to the parent program dialog, which stores it.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {

struct ChangeProcedureSetNameDlg {
    QLabel* label;
    QLineEdit* lineEdit_no;
    QLabel* label_2;
    QLineEdit* lineEdit_name;
    QPushButton* pushButton_ok;
    QPushButton* pushButton_close;

    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

}  // namespace Ui

class ChangeProcedureSetNameDlg : public QDialog {
    Q_OBJECT
public:
    // The parent is the program dialog: its updateNameByNo(int,QString) takes the name.
    explicit ChangeProcedureSetNameDlg(QWidget* parent = nullptr);
    ~ChangeProcedureSetNameDlg() override;

    // The program's number (decimal text) and its current name.
    void setProgram(const QString& no, const QString& name);
    int program() const { return no_; }
    // Emits the edited name for the program and closes.
    void acceptName();

    Ui::ChangeProcedureSetNameDlg* ui;

signals:
    void UpdateProceNameSignal(int no, QString name);

private slots:
    void on_pushButton_ok_clicked();
    void on_pushButton_close_clicked();

private:
    int no_ = 0;
};
