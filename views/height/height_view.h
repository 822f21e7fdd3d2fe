#pragma once
// The height-map page: paints the rows of the running batch into an 8-bit
// grey image as they arrive and shows it in the height chart, with buttons
// for the A/B cursors, the display range, the export and the 3D view.
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <opencv2/core/mat.hpp>

#include "views/height/denoise_params.h"
#include "views/height/grey_scale.h"
#include "sensor_client/queued_sensor_calls.h"
#include "views/profile/this_ptr.h"

namespace Ui {
class HeightView;
}
class HeightCahrtView;
class VtkDialog;

// The linked state of the A/B cursors, shared by all height views.
extern bool abLinked;

// What the page did, for people measuring it. Times are nanoseconds; the
// picture times are std::chrono::steady_clock readings.
struct HeightViewStats {
    int64_t ticks = 0;
    int64_t paintingTicks = 0;      // ticks that painted rows
    int64_t rowsPainted = 0;        // rows painted, a repainted row counted again
    int64_t pictures = 0;           // pictures handed to the chart
    int64_t busyNs = 0;             // time spent in ticks
    int64_t longestTickNs = 0;
    int64_t longestLockNs = 0;      // longest hold of the client's batch lock
    int64_t longestLockWaitNs = 0;  // longest wait for it (the batch thread holding it)
    int64_t firstPictureAt = -1;    // the first picture with rows
    int64_t lastPictureAt = -1;     // the latest picture
    int lastPictureRows = 0;        // rows painted when the latest picture was made
};

// The owner may point the ThisPtr part at its member holding the view, which
// is then set to null when the view goes.
class HeightView : public QWidget, public ThisPtr<HeightView> {
    Q_OBJECT

public:
    explicit HeightView(QWidget* parent = nullptr);
    ~HeightView() override;

    // Both read the batch size (register 138) off the GUI thread and apply the
    // answer when it comes: the image is rebuilt with max(10, size) rows of a
    // profile's points (a failed read keeps the old one) and painted again from
    // its first row; the chart's rows are set (its range is reset at once, and
    // again with rows read). Until then
    // no rows are painted into the old image: they wait in the client.
    void resetHeightImage(bool clearClientCount);
    void updateLineAxis();
    // True from resetHeightImage until the answer of its read has been applied.
    bool imageRebuildPending() const { return imageRead_ != 0; }
    // True from updateLineAxis until the answer of its read has been applied.
    bool lineAxisPending() const { return axisRead_ != 0; }
    void updateXAxisLabels();
    void setRefreshEnabled(bool on);

    HeightCahrtView* chart() const;
    const cv::Mat& heightImage() const { return heightImage_; }
    const QPixmap& lastPicture() const { return lastPicture_; }
    int rowsDrawn() const { return rowsDrawn_; }
    bool refreshEnabled() const { return refreshEnabled_; }
    const DenoiseParams& denoiseParams() const { return denoiseParams_; }
    const HeightViewStats& stats() const { return stats_; }
    void resetStats() { stats_ = HeightViewStats{}; }

    // The picture handed to the chart is reduced (area average) to at most
    // this size, about what a screen shows of it; smaller images go whole.
    static constexpr int kMaxPictureColumns = 1024;
    static constexpr int kMaxPictureRows = 1024;
    // While a batch arrives a new picture is made at most this often; the
    // picture of the last rows comes at once.
    static constexpr int kPictureIntervalMs = 15;
    // Rows painted in one hold of the client's batch lock.
    static constexpr int kRowsPerLockHold = 32;
    // A tick stops painting after this long; the next one goes on.
    static constexpr int kPaintBudgetMs = 6;

signals:
    void signal_close();

public slots:
    void slot_ShowVedio();
    void slot_ScroolWidget_X(int i);
    void slot_ScroolWidget_Y(int i);
    void slot_3d_close();
    void slot_laser_batch_state(int val);
    void slot_auto_save_batchdata();

private slots:
    void on_pushButton_y_zoom_in_clicked();
    void on_pushButton_y_zoom_out_clicked();
    void on_pushButton_x_zoom_in_clicked();
    void on_pushButton_x_zoom_out_clicked();
    void on_pushButton_xy_zoom_reset_clicked();
    void on_pushButton_ABLine_clicked();
    void on_pushButton_abline_hide_clicked();
    void on_pushButton_abline_both_clicked();
    void on_pushButton_outcsv_clicked();
    void on_pushButton_height_set_clicked();
    void on_pushButton_3d_clicked();
    void applyBatchSize(quint64 ticket, int status, int batchSize);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setTooltips();
    // Replaces the image by a black one of `rows` x `columns` and hands it to the chart.
    void rebuildImage(int rows, int columns);
    // Brings the reduced picture up to date for image rows [from, to).
    void updatePictureRows(int from, int to);
    void handOverPicture();
    bool batchHasRows();

    struct FreeBytes {
        void operator()(uint8_t* bytes) const { std::free(bytes); }
    };

    Ui::HeightView* ui;
    std::unique_ptr<uint8_t[], FreeBytes> imageStore_;  // heightImage_'s pixels
    cv::Mat heightImage_;
    cv::Mat pictureImage_;  // heightImage_ itself, or its reduction
    int pictureFactorX_ = 1;
    int pictureFactorY_ = 1;
    QPixmap lastPicture_;
    QTimer timer_;
    int rowsDrawn_ = 0;
    VtkDialog* vtkDialog = nullptr;
    bool refreshEnabled_ = true;
    DenoiseParams denoiseParams_;

    bool picturePending_ = false;
    QElapsedTimer sincePicture_;
    HeightViewStats stats_;

    // The batch-size reads; only the latest request of each kind is applied.
    QueuedSensorCalls batchSizeReads_;
    quint64 imageRead_ = 0;
    quint64 axisRead_ = 0;
};
