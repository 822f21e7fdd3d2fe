#pragma once
// The ignore-area page: rectangles drawn on the camera image become mask
// areas of the sensor's shape block; the same block carries the ROI page's
// two row bands. Device work runs on one worker at a time, owned and joined
// by the page; the worker gets only the block and reports through command
// words that the page's 50 ms timer takes in the GUI thread.
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "views/camera/shape_block.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTimer;
class WaitLoadingDialog;

// Command words from the page's workers to its timer, first in, first out.
class IgnoreCommandQueue {
public:
    void push(const QString& word);
    bool pop(QString* word);
    bool empty() const;

private:
    mutable std::mutex mutex_;
    std::deque<QString> words_;
};

namespace Ui {
struct FullViewIgnoreSettingWidget {
    QLabel* label_47;
    QTableWidget* tableView_ignore;
    QPushButton* pushButton_6;
    QGroupBox* groupBox_23;
    QPushButton* pushButton_add_Polygon;
    QLabel* label_49;
    QPushButton* pushButton_add_Polygon_end;
    QLabel* label_ignore_log;
    QPushButton* pushButton_close;
    QPushButton* pushButton_ignore_monitor_settisetting_close;
    QPushButton* pushButton_ignore_monitor_settisetting_save;

    void setupUi(QWidget* form);
};
}  // namespace Ui

// The ROI as the shape block and the X-ROI registers give it.
struct RoiBounds {
    int start;   // profile points
    int end;
    int top;     // rows of the Z-range window
    int bottom;
};

// start/end from registers 359 (start column) and 358 (width in columns),
// top/bottom from the flag-1 bands of the list.
RoiBounds roiBounds(uint32_t startColumn, uint32_t widthColumns, double pointsPerColumn, int sensorRows,
                    const shape_block::ZWindow& window, const std::vector<IgnoreAreaRecord>& shapes);

class FullViewIgnoreSettingWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTableRows = 14;

    explicit FullViewIgnoreSettingWidget(QWidget* parent = nullptr);
    ~FullViewIgnoreSettingWidget() override;

    // The settings window whose "stackedWidget_right" holds this page.
    void setOwnerWindow(QWidget* window) { owner_ = window; }
    // The reader's pause before it reads the block (100 ms).
    void setReadDelay(int ms) { readDelayMs_ = ms; }
    // Reloads the areas from the sensor; reports the current ROI to the
    // callback (start, end, top, bottom) when it is set.
    void initRoiShapes(int zRangeIndex, std::function<void(int, int, int, int)> callback);

    Ui::FullViewIgnoreSettingWidget* ui;
    std::vector<IgnoreAreaRecord> _zp_shapes;  // display columns, sensor rows
    IgnoreCommandQueue commands;
    WaitLoadingDialog* waitDialog;

signals:
    void signal_clicked(int btnid);
    void signal_add_Polygon(int x, int y, int x1, int y1);

public slots:
    void on_pushButton_add_Polygon_clicked();
    void on_pushButton_add_Polygon_end_clicked();
    void on_pushButton_6_clicked();
    void on_pushButton_close_clicked();
    void on_pushButton_ignore_monitor_settisetting_close_clicked();
    void on_pushButton_ignore_monitor_settisetting_save_clicked();
    void on_tableView_ignore_itemClicked(QTableWidgetItem* item);
    void slot_add_rect_end(int x, int y, int x1, int y1);
    void slot_display_roi_shapes();
    void slot_remove_roi_shapes();
    void slot_OnTimmerTask();

private:
    bool isCurrentPage() const;
    bool roiPageIsCurrent() const;
    void showBusy();
    void endDrawing();
    void updateTable();
    void sendIgnoreAreas();
    // The device part of sending, for the GUI thread or a worker: true when
    // the block went out; pushes the word that ends the busy dialog.
    bool sendBlock(const shape_block::IgnoreAreaBlock& block, const QString& doneWord);
    void readIgnoreAreas(shape_block::IgnoreAreaBlock* block, bool* ok);
    void saveIgnoreAreasThread();
    void clearAreasThread(shape_block::IgnoreAreaBlock block);
    void startWorker(std::function<void()> work);
    void joinWorker();
    shape_block::ZWindow window() const;
    void removeRecords(uint16_t flag);

    QWidget* owner_;
    QTimer* timer_;
    std::thread worker_;
    int zRangeIndex_ = 0;
    int readDelayMs_ = 100;
};
