#pragma once
// The profile window: a column of tool buttons and the live profile plot. It
// shows the newest profile of the connected sensor, offers the X and Z
// cursor pairs with their read-out, resets the view, and exports the shown
// profile to a CSV file or to the clipboard.
#include <QVector>
#include <QWidget>

#include "views/profile/this_ptr.h"

class KxOutlineWidget;
class OutLineChartAreaView;
class QCloseEvent;

namespace Ui {
class OutlineChartWidget;
}

class OutlineChartWidget : public QWidget, public ThisPtr<OutlineChartWidget> {
    Q_OBJECT

public:
    explicit OutlineChartWidget(QWidget* parent = nullptr);
    ~OutlineChartWidget() override;

    // An all-invalid profile over the client's x positions, and the plot
    // ranges from the client.
    void resetOutlineView();
    KxOutlineWidget* plot() const;
    OutLineChartAreaView* preview() const { return preview_; }
    const QVector<double>& profileX() const { return x_; }
    const QVector<double>& profileZ() const { return z_; }

signals:
    void signal_FullImgBtn();
    void signal_close();

public slots:
    void OnShowPolygonLineEvent(int i);
    // The live refresh: nothing in batch mode or without a sensor.
    void slot_ShowOutLine();

private slots:
    void on_pushButton_abline_y_clicked();
    void on_pushButton_ABLine_clicked();
    void on_pushButton_abline_hide_clicked();
    void on_pushButton_abline_both_clicked();
    void on_pushButton_outline_dead_angle_clicked();
    void on_pushButton_out_view_data_clicked();
    void on_pushButton_out_view_data_copy_clicked();
    void on_widget_lineXSlopeCorrectionLimitChanged(int beginIndex, float beginX, int endIndex, float endX);
    void on_widget_lineYSlopeCorrectionLimitChanged(float beginY, float endY);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void initTooltips();
    void resizeProfileBuffers();

    Ui::OutlineChartWidget* ui;
    bool bothCursors_ = false;
    OutLineChartAreaView* preview_ = nullptr;
    QVector<double> x_;
    QVector<double> z_;
};
