#pragma once
// The real-time settings window: a menu bar, a left view stack (profile,
// camera image, height map, gray image, I/O monitor, tilt chart), a right
// pane with one settings page at a time, and a status line. The window keeps
// no settings of its own: it switches pages, decides the client's acquisition
// mode when a menu entry is used, routes the pages' page requests, and ends
// with or without asking the main window to store the settings permanently.
//
// The main window creates it on demand, hands it the address of its member
// that holds it (setOwnerPointer), runs it modally and hears its end through
// signal_changeProce(save). However the window goes, that member is nulled.
#include <QDialog>
#include <QString>

#include "sensor_client/queued_sensor_calls.h"
#include "settings_windows/supper_settings_dialog.h"

class QCloseEvent;
class QEventLoop;
class QKeyEvent;
class QTimer;

namespace Ui {
class RealTimeSettingDlg;
}

class RealTimeSettingDlg : public QDialog {
    Q_OBJECT
public:
    // Left views and right pages by index (a right page's index is its id).
    enum LeftView {
        kTriggerView = 0,
        kCameraView = 1,
        kProfileView = 2,
        kBatchView = 3,
        kGrayView = 4,
        kIoView = 5,
        kTiltChartView = 6,
    };
    enum RightPage {
        kTriggerPage = 0,
        kCameraPage = 1,
        kProfilePage = 2,
        kIgnorePage = 3,
        kLightPage = 4,
        kProfileAdvancedPage = 5,
        kLightCursorPage = 6,
        kTiltPage = 7,
        kRoiPage = 8,
        kHaloPage = 9,
        kDeadZonePage = 10,
        kImagePage = 11,
        kHdrPage = 12,
        kStepHeightPage = 13,
        kOutputPage = 14,
        kPeakPage = 15,
        kCloudFilterPage = 16,
        kStepHeightSetupPage = 17,
        kStepHeightAdvancedPage = 18,
    };
    static constexpr int kStatusIntervalMs = 500;

    explicit RealTimeSettingDlg(QWidget* parent = nullptr);
    ~RealTimeSettingDlg() override;

    // The owner's member that holds this window: nulled when the window closes or goes.
    void setOwnerPointer(RealTimeSettingDlg** member) { ownerSlot_ = member; }
    RealTimeSettingDlg** ownerPointer() const { return ownerSlot_; }

    // A menu entry: 0 trigger, 1 camera, 3 profile.
    void selectMenuPage(int kind);
    // Switches the sensor's I/O measure mode unless it is in batch mode.
    void setIoModeUnlessBatch(int on);
    // Shows a right page by id with its title (id 3 reloads the ignore areas first).
    void showRightPage(int id);
    // The tilt pair: env 0 the k correction, 1 the b correction.
    void showTiltPage(int env);
    // The menu bar, the right page stack and the start-batch button together.
    void setMenuEnabled(bool on);
    // The 2.5D work mode: the six menu buttons (and with on the start-batch button) locked.
    void setWorkModeLocked(bool on);

    int previousPage() const { return previousPage_; }
    bool saveRequested() const { return save_; }
    // True while the start-batch button waits for the triggered batch.
    bool waitingForBatch() const { return batchWait_ != nullptr; }
    SupperSettingsDialog& advancedDialog() { return advanced_; }
    Ui::RealTimeSettingDlg* ui;

signals:
    void signal_changeProce(bool ischange);
    void signal_trigger_batch_real(bool val);

public slots:
    void slot_OnShowStackedWidget(int i) { showRightPage(i); }
    void slot_OnTimmerTask();
    void slot_recv_type_datas(int val);
    void slot_trigger_batch(bool val);
    // Escape and every other way a dialog rejects end in closeEvent.
    void reject() override;

private slots:
    void on_pushButton_cameratTiggerSet_clicked();
    void on_pushButton_cameratSet_clicked();
    void on_pushButton_outline_set_clicked();
    void on_pushButton_io_set_clicked();
    void on_pushButton_25d_clicked();
    void on_pushButton_supper_settings_clicked();
    void on_pushButton_Measurement_Common_Settings_clicked();
    void on_pushButton_close_nosave_clicked();
    void on_pushButton_save_all_setting_clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectPages();
    void connectProfilePages();
    void connectCameraPages();
    void connectStepHeightPages();
    void openStepHeight();
    // Writes the enable register of the correction the tilt page shows when
    // the tilt page is left.
    void leaveTiltPage();
    void switchRightPage(int id, const QString& title);
    void showRightPane(int leftView);
    static QString titleOf(int id);
    static int zRangeIndex();
    void startBatch();
    // The start-batch button, locked while a started batch runs.
    void setStartBatchEnabled(bool on);
    // The trigger on the window's job thread, the window live meanwhile; its
    // status, or kTriggerNotRun when the window closed first.
    int triggerBatch();
    void waitForBatch(int numberBefore);

    QTimer* timer_;
    SupperSettingsDialog advanced_;
    RealTimeSettingDlg** ownerSlot_ = nullptr;
    bool save_ = false;
    bool closing_ = false;
    int previousPage_ = 0;
    QEventLoop* batchWait_ = nullptr;
    QEventLoop* triggerWait_ = nullptr;
    // From the start-batch button's press until its batch's wait ends.
    bool batchRunning_ = false;
    // The start button's trigger (seconds when the sensor answers late or the
    // command connection has to be made again); joined before the window goes.
    QueuedSensorCalls batchTrigger_;
};
