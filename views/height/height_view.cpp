#include "views/height/height_view.h"

#include <QCloseEvent>
#include <QMessageBox>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <new>

#include <opencv2/imgproc.hpp>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "views/height/cv_mat_to_qimage.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/height_chart_view.h"
#include "views/height/height_export.h"
#include "views/height/select_vtk_dialg.h"
#include "views/height/ui_height_view.h"
#include "views/height/view3d/vtk_dialog.h"

bool abLinked = false;

namespace {

using Clock = std::chrono::steady_clock;

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

constexpr int kBatchModeRegister = 149;
constexpr int kBatchSizeRegister = 138;
constexpr double kInvalidHeight = -9999.0;

}  // namespace

HeightView::HeightView(QWidget* parent)
    : QWidget(parent),
      ui(new Ui::HeightView),
      batchSizeReads_([client = linelaserClient()](int* size) { return client->cfgBatchSize(0, size); }) {
    ui->setupUi(this);
    connect(&batchSizeReads_, &QueuedSensorCalls::answered, this, &HeightView::applyBatchSize,
            Qt::QueuedConnection);
    ui->pushButton_y_zoom_in->hide();
    ui->pushButton_y_zoom_out->hide();
    ui->pushButton_x_zoom_in->hide();
    ui->pushButton_x_zoom_out->hide();
    setTooltips();
    resetHeightImage(false);
    connect(&timer_, &QTimer::timeout, this, &HeightView::slot_ShowVedio);
    timer_.start(10);
    connect(linelaserClient(), &LinelaserClient::signal_laser_batch_state, this, &HeightView::slot_laser_batch_state);
    sincePicture_.start();
}

HeightView::~HeightView() {
    // A read under way ends (and its answer is dropped) before the view goes.
    batchSizeReads_.stop();
    timer_.stop();
    delete ui;
}

HeightCahrtView* HeightView::chart() const { return ui->horizontalWidget_2; }

void HeightView::setTooltips() {
    ui->pushButton_y_zoom_in->setToolTip(tr("Z轴放大"));
    ui->pushButton_y_zoom_out->setToolTip(tr("Z轴缩小"));
    ui->pushButton_x_zoom_in->setToolTip(tr("X轴放大"));
    ui->pushButton_x_zoom_out->setToolTip(tr("X轴缩小"));
    ui->pushButton_xy_zoom_reset->setToolTip(tr("重置XZ轴"));
    ui->pushButton_ABLine->setToolTip(tr("横光标"));
    ui->pushButton_abline_hide->setToolTip(tr("隐藏光标"));
    ui->pushButton_abline_both->setToolTip(tr("选择双光标"));
    ui->pushButton_outcsv->setToolTip(tr("导出csv,tiff,pcd,ply"));
    ui->pushButton_height_set->setToolTip(tr("高度范围设置"));
    ui->pushButton_3d->setToolTip(tr("3d模型"));
}

void HeightView::rebuildImage(int rows, int columns) {
    // calloc hands out a large block as fresh pages that the system zeroes
    // when they are first written, so a new image of a big batch costs the
    // GUI thread no pass over its bytes here: its rows are touched as they
    // are painted.
    pictureImage_.release();
    heightImage_.release();
    imageStore_.reset();
    const size_t bytes = static_cast<size_t>(rows) * static_cast<size_t>(columns);
    imageStore_.reset(static_cast<uint8_t*>(std::calloc(std::max<size_t>(1, bytes), 1)));
    if (!imageStore_) throw std::bad_alloc();
    heightImage_ = cv::Mat(rows, columns, CV_8UC1, imageStore_.get());
    pictureFactorX_ = std::max(1, (columns + kMaxPictureColumns - 1) / kMaxPictureColumns);
    pictureFactorY_ = std::max(1, (rows + kMaxPictureRows - 1) / kMaxPictureRows);
    if (pictureFactorX_ == 1 && pictureFactorY_ == 1)
        pictureImage_ = heightImage_;
    else
        pictureImage_ = cv::Mat::zeros((rows + pictureFactorY_ - 1) / pictureFactorY_,
                                       (columns + pictureFactorX_ - 1) / pictureFactorX_, CV_8UC1);
    picturePending_ = false;
    lastPicture_ = CVS::cvMatToQImage(pictureImage_);
    chart()->setHeightPixmap(lastPicture_, heightImage_.rows);
}

void HeightView::resetHeightImage(bool clearClientCount) {
    LinelaserClient* client = linelaserClient();
    if (clearClientCount) {
        std::lock_guard<std::mutex> lock(client->batchMutex);
        client->batchProfileCount = 0;
    }
    rowsDrawn_ = 0;
    imageRead_ = batchSizeReads_.request();
}

void HeightView::updateLineAxis() {
    // What does not depend on the read at once: the caller may just have set the columns.
    chart()->resetRange();
    chart()->redrawGrid();
    axisRead_ = batchSizeReads_.request();
}

void HeightView::applyBatchSize(quint64 ticket, int status, int batchSize) {
    // An answer that a later request superseded is dropped: the later one follows.
    if (ticket == imageRead_) {
        imageRead_ = 0;
        if (status == 0 && batchSize >= 0)
            rebuildImage(std::max(10, batchSize), linelaserClient()->profilePointCount());
        rowsDrawn_ = 0;
    }
    if (ticket == axisRead_) {
        axisRead_ = 0;
        if (status == 0 && batchSize != 0) {
            chart()->setRowCount(std::max(10, batchSize));
            chart()->resetRange();
            chart()->redrawGrid();
        }
    }
}

void HeightView::updateXAxisLabels() {
    LinelaserClient* client = linelaserClient();
    const int n = client->profilePointCount();
    QVector<double> x(n), z(n);
    client->copyProfile(x.data(), z.data(), n);
    chart()->setXCoordinates(x);
}

void HeightView::setRefreshEnabled(bool on) { refreshEnabled_ = on; }

void HeightView::updatePictureRows(int from, int to) {
    if (pictureImage_.data == heightImage_.data || from >= to) return;
    // Each picture row is the area average of its block of image rows.
    const int firstRow = from / pictureFactorY_;
    const int endRow = std::min(pictureImage_.rows, (to + pictureFactorY_ - 1) / pictureFactorY_);
    for (int r = firstRow; r < endRow; ++r) {
        const int top = r * pictureFactorY_;
        const int bottom = std::min(heightImage_.rows, top + pictureFactorY_);
        cv::Mat reduced = pictureImage_.row(r);
        cv::resize(heightImage_.rowRange(top, bottom), reduced, reduced.size(), 0, 0, cv::INTER_AREA);
    }
}

void HeightView::handOverPicture() {
    lastPicture_ = CVS::cvMatToQImage(pictureImage_);
    chart()->setHeightPixmap(lastPicture_, heightImage_.rows);
    chart()->update();
    picturePending_ = false;
    sincePicture_.restart();
    const int64_t at = nowNs();
    ++stats_.pictures;
    if (stats_.firstPictureAt < 0 && rowsDrawn_ > 0) stats_.firstPictureAt = at;
    stats_.lastPictureAt = at;
    stats_.lastPictureRows = rowsDrawn_;
}

void HeightView::slot_ShowVedio() {
    const int64_t tickStart = nowNs();
    ++stats_.ticks;
    LinelaserClient* client = linelaserClient();
    auto finishTick = [&] {
        const int64_t spent = nowNs() - tickStart;
        stats_.busyNs += spent;
        stats_.longestTickNs = std::max(stats_.longestTickNs, spent);
    };
    // While the image waits for its rebuild, the rows wait in the client.
    if (!refreshEnabled_ || imageRebuildPending() || !client->connected ||
        client->cachedRegister(kBatchModeRegister) != 1) {
        // Rows already painted are shown: no later tick may come to show them
        // (the last rows of a short batch, before the settings window opens,
        // batch mode goes off or the sensor drops).
        if (picturePending_) handOverPicture();
        finishTick();
        return;
    }
    const int width = std::min(heightImage_.cols, client->profilePointCount());
    // Register reads stay outside the batch lock, which the interface's
    // batch hand-over takes while it holds locks of its own.
    const int batchSize = client->cachedRegister(kBatchSizeRegister);
    GreyScale scale;
    scale.fixedRange = client->displayRange.fixedRange;
    scale.fixedMin = client->displayRange.viewMin;
    scale.fixedMax = client->displayRange.viewMax;
    scale.zLower = client->zLowerMm;
    scale.zUpper = client->zUpperMm;

    // Held only while a slice of new rows is painted, so that the batch
    // thread never waits long; the picture is made after it. A tick paints
    // for a while at most and leaves the rest to the next one, so that the
    // window answers between: the next tick goes on from rowsDrawn_.
    bool redraw = false;
    bool batchDone = false;
    bool overfull = false;
    const int from = rowsDrawn_;
    int to = rowsDrawn_;
    for (bool more = true; more;) {
        more = false;
        const int64_t waitFrom = nowNs();
        std::unique_lock<std::mutex> lock(client->batchMutex);
        const int64_t lockedAt = nowNs();
        stats_.longestLockWaitNs = std::max(stats_.longestLockWaitNs, lockedAt - waitFrom);
        [&] {
            if (client->batchShownNumber != client->batchNumber || client->batchProfileCount == 0) return;
            if (batchSize > heightImage_.rows) return;
            const int n = client->batchProfileCount;
            if (n < 1 || n > batchSize) {
                overfull = true;
                return;
            }
            if (client->batchHeights.empty()) return;
            if (client->batchRestart) {
                client->batchRestart = false;
                redraw = true;
                return;
            }
            if (to >= n || n > static_cast<int>(client->batchHeights.size())) return;
            const int end = std::min(n, to + kRowsPerLockHold);
            for (int i = to; i < end; ++i) {
                const std::vector<double>& row = client->batchHeights[static_cast<size_t>(i)];
                uint8_t* out = heightImage_.ptr<uint8_t>(i);
                const int known = std::min(width, static_cast<int>(row.size()));
                greyLevels(row.data(), known, out, scale);
                // Points the row does not have are invalid.
                if (known < heightImage_.cols)
                    std::fill(out + known, out + heightImage_.cols, greyLevel(kInvalidHeight, scale));
            }
            to = end;
            more = end < n;
            batchDone = end == batchSize;
        }();
        lock.unlock();
        const int64_t unlockedAt = nowNs();
        stats_.longestLockNs = std::max(stats_.longestLockNs, unlockedAt - lockedAt);
        if (unlockedAt - tickStart >= kPaintBudgetMs * 1000000LL) more = false;
    }
    if (overfull) {
        // More rows than the batch has: nothing is painted, the next rows start over.
        if (picturePending_) handOverPicture();
        rowsDrawn_ = 0;
        finishTick();
        return;
    }
    if (redraw) {
        // The sensor repaired the finished batch: paint it again from the first row.
        rowsDrawn_ = 0;
        resetHeightImage(false);
        finishTick();
        return;
    }
    if (to > from) {
        ++stats_.paintingTicks;
        stats_.rowsPainted += to - from;
        rowsDrawn_ = to;
        updatePictureRows(from, to);
        picturePending_ = true;
    }
    // While rows arrive a picture every kPictureIntervalMs; the last rows at once.
    if (picturePending_ && (batchDone || sincePicture_.elapsed() >= kPictureIntervalMs)) handOverPicture();
    finishTick();
}

bool HeightView::batchHasRows() {
    LinelaserClient* client = linelaserClient();
    std::lock_guard<std::mutex> lock(client->batchMutex);
    return client->batchProfileCount != 0;
}

void HeightView::slot_ScroolWidget_X(int i) { chart()->scrollX(i); }

void HeightView::slot_ScroolWidget_Y(int i) { chart()->scrollY(-i); }

void HeightView::slot_3d_close() {}

void HeightView::slot_laser_batch_state(int val) {
    if (val == 1) resetHeightImage(false);
}

void HeightView::slot_auto_save_batchdata() { autoSaveHeightData(this); }

void HeightView::on_pushButton_y_zoom_in_clicked() { chart()->zoomInY(); }

void HeightView::on_pushButton_y_zoom_out_clicked() { chart()->zoomOutY(); }

void HeightView::on_pushButton_x_zoom_in_clicked() { chart()->zoomInX(); }

void HeightView::on_pushButton_x_zoom_out_clicked() { chart()->zoomOutX(); }

void HeightView::on_pushButton_xy_zoom_reset_clicked() {
    chart()->hideCursors();
    chart()->resetRange();
}

void HeightView::on_pushButton_ABLine_clicked() { chart()->showCursors(); }

void HeightView::on_pushButton_abline_hide_clicked() { chart()->hideCursors(); }

void HeightView::on_pushButton_abline_both_clicked() {
    abLinked = !abLinked;
    chart()->cursorLines()->setLinked(abLinked);
}

void HeightView::on_pushButton_outcsv_clicked() { saveHeightDataWithDialog(this); }

void HeightView::on_pushButton_height_set_clicked() {
    LinelaserClient* client = linelaserClient();
    if (!batchHasRows()) {
        ui::prompter().question(this, tr("提示"), tr("没有数据!"), QMessageBox::Ok);
        return;
    }
    HeightDisplayRange& range = client->displayRange;
    {
        D3dSetDialog dialog(this);
        dialog.setLimits(static_cast<float>(client->zLowerMm), static_cast<float>(client->zUpperMm));
        range.viewMax = settingsDouble(settings_keys::kHeightMax);
        range.viewMin = settingsDouble(settings_keys::kHeightMin);
        dialog.setValues(static_cast<float>(range.viewMin), static_cast<float>(range.viewMax));
        dialog.exec();
        // Whichever button closed it, its values become the fixed range.
        dialog.values(&range.viewMin, &range.viewMax);
    }
    range.fixedRange = true;
    setSettingsString(settings_keys::kHeightMax, QString::number(range.viewMax, 'g', 6));
    setSettingsString(settings_keys::kHeightMin, QString::number(range.viewMin, 'g', 6));
    resetHeightImage(false);
    rowsDrawn_ = 0;
}

void HeightView::on_pushButton_3d_clicked() {
    LinelaserClient* client = linelaserClient();
    if (client->cachedRegister(kBatchModeRegister) != 1) {
        ui::prompter().question(this, tr("提示"), tr("没有开启批处理!"), QMessageBox::Ok);
        return;
    }
    if (!batchHasRows()) {
        ui::prompter().question(this, tr("提示"), tr("没有数据!"), QMessageBox::Ok);
        return;
    }
    select_vtk_dialg dialog(this);
    dialog.exec();
    if (!dialog.isAccepted()) return;
    denoiseParams_ = dialog.denoiseParams();
    refinementRate = dialog.refinementRate();
    const bool created = vtkDialog == nullptr;
    if (created) {
        vtkDialog = new VtkDialog(this);
        // The dialog emits this from its own close event: delete it once that
        // event is over. The next request builds a new one.
        connect(vtkDialog, &VtkDialog::signal_close, this, [this] {
            if (!vtkDialog) return;
            vtkDialog->deleteLater();
            vtkDialog = nullptr;
        });
    }
    vtkDialog->setRenderParams(dialog.xyScale(), dialog.mode() == 1, denoiseParams_,
                               static_cast<int>(dialog.zMultiplier()));
    vtkDialog->refreshFromBatch(created);
    vtkDialog->show();
}

void HeightView::closeEvent(QCloseEvent* event) {
    emit signal_close();
    QWidget::closeEvent(event);
}
