#pragma once
// The program dialog: lists the sensor's sixteen programs with the names this
// computer gives them ("settings.ini" [SETTINGPATH] selectList), shows the
// active program, and switches, resets, copies and renames programs and
// restores the factory settings. Every device step runs synchronously in the
// GUI thread; a sequence stops at its first failing step, and the closing
// step that returns the sensor to the active program runs even then.
// While the dialog exists the client's live reads are paused.
#include <QDialog>
#include <QString>
#include <QStringList>

#include <cstdint>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace Ui {

struct ChangeProcedureDlg {
    QGroupBox* groupBox;
    QLineEdit* lineEdit_No;
    QLineEdit* lineEdit_No_Name;
    QGroupBox* groupBox_2;
    QTableView* tableView;
    QPushButton* pushButton_set_name;
    QPushButton* pushButton_copy;
    QPushButton* pushButton_init_program;
    QPushButton* pushButton_init;
    QPushButton* pushButton_switch_pro;
    QPushButton* pushButton_close;

    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

}  // namespace Ui

class ChangeProcedureDlg : public QDialog {
    Q_OBJECT
public:
    explicit ChangeProcedureDlg(QWidget* parent = nullptr);
    ~ChangeProcedureDlg() override;

    // Fills the table from the names and reads the active program.
    void loadPrograms();

    uint8_t activeProgram() const { return activeProgram_; }
    const QStringList& names() const { return names_; }
    QStandardItemModel* model() const { return model_; }
    Ui::ChangeProcedureDlg* ui;

public slots:
    // A rename: the table row, the name list and "settings.ini" take the new
    // name; nothing goes to the sensor.
    void updateNameByNo(int no, QString sName);

private slots:
    void on_pushButton_switch_pro_clicked();
    void on_pushButton_init_program_clicked();
    void on_pushButton_init_clicked();
    void on_pushButton_copy_clicked();
    void on_pushButton_set_name_clicked();
    void on_pushButton_close_clicked();

private:
    int currentRow() const;
    // The number and name a row shows; a row without cells (a name under two
    // characters) gives its row number and an empty name.
    QString numberText(int row) const;
    QString nameText(int row) const;
    void showActiveProgram();
    // Selects and loads the program; "设置程序设定失败!" when either fails.
    void returnToProgram(uint8_t program);
    void failed(const QString& text);

    QStandardItemModel* model_;
    QStringList names_;
    uint8_t activeProgram_ = 0;
};
