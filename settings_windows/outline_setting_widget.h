#pragma once
#include <QWidget>

// The reduced profile page: its controls have no effect; its one button asks
// for the profile processing page.
class OutLineSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit OutLineSettingWidget(QWidget* parent = nullptr);

signals:
    void signal_clicked(int btnid);

private slots:
    void on_comboBox_outline_filter_xaverage_currentIndexChanged(int index);
    void on_comboBox_outline_filter_yaverage_currentIndexChanged(int index);
    void on_checkBox_reversal_clicked();
    void on_checkBox_reversal1_clicked();
};
