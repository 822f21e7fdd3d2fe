#pragma once
// The frameless busy dialog shown (not modal) while a long device operation
// runs on a worker thread; ended with cancelBtnClicked.
#include <QDialog>

class QFrame;
class QLabel;
class QMovie;

class WaitLoadingDialog : public QDialog {
    Q_OBJECT
public:
    explicit WaitLoadingDialog(QWidget* parent = nullptr);

signals:
    void cancelWaiting();

public slots:
    // Emits cancelWaiting and ends the dialog with result -1 (hides it).
    void cancelBtnClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QFrame* frame_;
    QMovie* movie_;
    QLabel* movieLabel_;
    QLabel* tips_;
};
