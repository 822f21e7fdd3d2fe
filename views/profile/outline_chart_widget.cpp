#include "views/profile/outline_chart_widget.h"

#include <QCloseEvent>
#include <QSaveFile>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_client/widget_utils.h"
#include "ui_outline_chart_widget.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_area_view.h"
#include "views/profile/outline_dead_angle_dlg.h"
#include "views/profile/profile_text.h"

OutlineChartWidget::OutlineChartWidget(QWidget* parent) : QWidget(parent), ui(new Ui::OutlineChartWidget) {
    ui->setupUi(this);
    ui->pushButton_y_zoom_in->hide();
    ui->pushButton_y_zoom_out->hide();
    ui->pushButton_x_zoom_in->hide();
    ui->pushButton_x_zoom_out->hide();
    initTooltips();
    connect(ui->pushButton_xy_zoom_reset, &QPushButton::clicked, ui->widget, &KxOutlineWidget::resetRanges);
    connect(ui->pushButton_full_img, &QPushButton::clicked, this, &OutlineChartWidget::signal_FullImgBtn);
    resizeProfileBuffers();
    ui->pushButton_abline_both->hide();
}

OutlineChartWidget::~OutlineChartWidget() { delete ui; }

KxOutlineWidget* OutlineChartWidget::plot() const { return ui->widget; }

void OutlineChartWidget::initTooltips() {
    ui->pushButton_full_img->setToolTip(tr("全副图"));
    ui->pushButton_select_outline->setToolTip(tr("轮廓"));
    ui->pushButton_outline_gray->setToolTip(tr("高度图"));
    ui->pushButton_outline_area->setToolTip(tr("区域图"));
    ui->pushButton_y_zoom_in->setToolTip(tr("Z轴放大"));
    ui->pushButton_y_zoom_out->setToolTip(tr("Z轴缩小"));
    ui->pushButton_x_zoom_in->setToolTip(tr("X轴放大"));
    ui->pushButton_x_zoom_out->setToolTip(tr("X轴缩小"));
    ui->pushButton_xy_zoom_reset->setToolTip(tr("重置XZ轴"));
    ui->pushButton_abline_y->setToolTip(tr("纵光标"));
    ui->pushButton_ABLine->setToolTip(tr("横光标"));
    ui->pushButton_abline_hide->setToolTip(tr("隐藏光标"));
    ui->pushButton_abline_both->setToolTip(tr("选择双光标"));
    ui->pushButton_out_view_data->setToolTip(tr("导出csv,tiff,pcd,ply"));
    ui->pushButton_full_img->hide();
    ui->pushButton_select_outline->hide();
    ui->pushButton_outline_gray->hide();
    ui->pushButton_outline_area->hide();
    ui->pushButton_show_review->hide();
    ui->pushButton_outline_dead_angle->hide();
    preview_ = new OutLineChartAreaView(this);
}

void OutlineChartWidget::resizeProfileBuffers() {
    const int n = std::max(0, linelaserClient()->profilePointCount());
    x_.resize(n);
    z_.resize(n);
}

void OutlineChartWidget::OnShowPolygonLineEvent(int) {}

void OutlineChartWidget::slot_ShowOutLine() {
    LinelaserClient& client = *linelaserClient();
    // Register 149 set is batch mode, -1 no sensor: no live profile either way.
    if (client.cachedRegister(149) != 0) return;
    // Follow the client's point count, so no stale point trails a shorter profile.
    resizeProfileBuffers();
    if (!client.copyProfile(x_.data(), z_.data(), x_.size()) || x_.isEmpty()) return;
    ui->widget->setOutlineData(x_, z_);
}

void OutlineChartWidget::resetOutlineView() {
    resizeProfileBuffers();
    if (linelaserClient()->copyProfile(x_.data(), z_.data(), x_.size()) && !x_.isEmpty()) {
        std::fill(z_.begin(), z_.end(), -9999.0);
        ui->widget->setOutlineData(x_, z_);
    }
    ui->widget->resetRanges();
}

void OutlineChartWidget::on_pushButton_abline_y_clicked() {
    if (!linelaserClient()->connected) return;
    ui->widget->showXCursors(false);
    ui->widget->showZCursors(false);
    ui->widget->showZCursors(true);
}

void OutlineChartWidget::on_pushButton_ABLine_clicked() {
    if (!linelaserClient()->connected) return;
    ui->widget->showZCursors(false);
    ui->widget->showXCursors(false);
    ui->widget->showXCursors(true);
}

void OutlineChartWidget::on_pushButton_abline_hide_clicked() {
    if (!linelaserClient()->connected) return;
    ui->widget->showXCursors(false);
    ui->widget->showZCursors(false);
}

void OutlineChartWidget::on_pushButton_abline_both_clicked() { bothCursors_ = !bothCursors_; }

void OutlineChartWidget::on_pushButton_outline_dead_angle_clicked() {
    OutLineDeadAngleDlg dialog;
    dialog.exec();
}

void OutlineChartWidget::on_pushButton_out_view_data_clicked() {
    const QString path = ui::prompter().getSaveFileName(this, tr("保存轮廓(毫米)）"), QStringLiteral("./outline_mm.csv"),
                                                        tr("轮廓数据(毫米) (*.csv)"));
    if (path.isEmpty()) return;
    // Written beside the target and moved over it only when complete: a
    // failed export leaves no partial file and an existing one untouched.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        const QByteArray bytes = profileCsv(x_, z_);
        written = file.write(bytes) == bytes.size() && file.commit();
    }
    if (!written) {
        file.cancelWriting();
        ui::prompter().warning(this, tr("提示"), tr("数据文件保存失败!"));
    }
}

void OutlineChartWidget::on_pushButton_out_view_data_copy_clicked() {
    copyTextToClipboard(profileClipboardText(x_, z_).toLocal8Bit().toStdString());
}

void OutlineChartWidget::on_widget_lineXSlopeCorrectionLimitChanged(int, float beginX, int, float endX) {
    ui->widget->updateCursorReadout(0, beginX, endX);
}

void OutlineChartWidget::on_widget_lineYSlopeCorrectionLimitChanged(float beginY, float endY) {
    ui->widget->updateCursorReadout(1, beginY, endY);
}

void OutlineChartWidget::closeEvent(QCloseEvent* event) {
    emit signal_close();
    QWidget::closeEvent(event);
}
