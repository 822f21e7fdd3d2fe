#pragma once
// The choices for showing a profile's dead-angle points. It only displays
// them: nothing chosen is stored, sent or passed on.
#include <QDialog>

namespace Ui {
class OutLineDeadAngleDlg;
}

class OutLineDeadAngleDlg : public QDialog {
    Q_OBJECT

public:
    explicit OutLineDeadAngleDlg(QWidget* parent = nullptr);
    ~OutLineDeadAngleDlg() override;

private:
    Ui::OutLineDeadAngleDlg* ui;
};
