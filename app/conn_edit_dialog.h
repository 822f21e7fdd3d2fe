#pragma once
// Reads and changes the connected sensor's network address, mask and
// gateway, then reboots its controller so that they take effect.
#include <QDialog>

class QLineEdit;

namespace Ui {
class ConnEditDialog;
}

class ConnEditDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConnEditDialog(QWidget* parent = nullptr);
    ~ConnEditDialog() override;

public slots:
    void on_pushButton_refresh_clicked();
    void on_pushButton_edit_clicked();

private:
    // The three edits in the order the sensor's settings take them.
    QLineEdit* edit(int which) const;

    Ui::ConnEditDialog* ui;
};
