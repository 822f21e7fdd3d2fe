#pragma once
// The program's main window: menus, the tool-button bar, the MDI area with
// the profile window and the height-map window, and the status line. It opens
// the connection dialog at start, starts the live-profile or the batch
// acquisition of the sensor client after a connection, routes the client's
// signals to the windows, refreshes the status line every 200 ms, and closes
// (ending the program) when the connection to the sensor is lost.
//
// Everything here runs in the GUI thread. The window's one-shot jobs
// (settings export and import, firmware upgrade, head switch) run one at a
// time on a thread of `jobs()`; they touch no widget and report through the
// two prompt signals (delivered queued) and the atomic fields below.
#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <QVariant>

#include <atomic>
#include <cstdint>
#include <functional>

#include "app/language_switch.h"
#include "app/main_window_tick.h"
#include "app/qmdi_sub_manage.h"
#include "app/window_jobs.h"
#include "sensor_client/wait_loading_dialog.h"
#include "sensor_interface/registry/device_functions.h"

class ConnectSetDialog;
class HeightView;
class OutlineChartWidget;
class QActionGroup;
class QProgressDialog;
class QPushButton;
class QTimer;
class QTranslator;
class RealTimeSettingDlg;

namespace Ui {
class QtLineLaserClientClass;
}

class QtLineLaserClient : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kTickMs = 200;
    static constexpr int kOpenSubWindowsMs = 300;
    static constexpr int kRebootPauseMs = 50;
    static constexpr int kBatchModeRegister = 149;
    // A language switch rebuilds the two sub-windows this long after closing them.
    static constexpr int kReopenSubWindowsMs = 10;

    explicit QtLineLaserClient(QWidget* parent = nullptr);
    ~QtLineLaserClient() override;

    // ---- fields shared with the window's jobs ----
    // -1 none; else the status of the last head switch, written by its job
    // after currentHead (release), taken and reset by the tick (acquire).
    std::atomic<int> headSwitchResult{-1};
    // The connected sensor head, 0 to 3.
    std::atomic<int> currentHead{0};
    // A settings or upgrade job runs; its progress callbacks go on while set.
    std::atomic<bool> progressActive{false};
    // Digest salts of upgrade packages and settings files.
    const QByteArray packageSalt;
    const QByteArray settingsSalt;
    // Firmware images chosen from an upgrade package.
    QByteArray controllerImage;
    QByteArray headImage;
    uint32_t headImageVersion = 0;
    uint32_t controllerImageVersion = 0;
    uint32_t headImageAddress = 0x400000;
    // Settings read from the sensor or a settings file.
    SettingsBlockMap settingsBlocks;

    // ---- parts, for the window's own jobs and for tests ----
    WindowJobs& jobs() { return jobs_; }
    ConnectSetDialog* connectionDialog() const { return connectDialog; }
    OutlineChartWidget* profileView() const { return profileWindow; }
    HeightView* heightMapView() const { return heightView; }
    QMdiSubManage& subWindowManager() { return subWindows; }
    QProgressDialog* settingsProgressDialog() const { return progressDialog; }
    QPushButton* settingsProgressButton() const { return progressButton; }
    WaitLoadingDialog& busyDialog() { return waitDialog; }
    QActionGroup* headActions() const { return headActionGroup; }
    const MainWindowTick& tickState() const { return tick_; }
    bool waitingForBatch() const { return batchWaiting_; }

signals:
    // Progress of a settings job: progress 0 to 100, or below 0 for a failure;
    // title becomes the progress label (or the failure box's text), prompt the
    // dialog's window title (or the failure box's title).
    void signal_prompt_settings(int progress, QString title = QString(), QString prompt = QString());
    // Progress and messages of a firmware upgrade.
    void signal_prompt_upgrade(int type, QVariant prompt);

public slots:
    void slot_OnTimmerTask();
    void slot_actiontcpset();
    void slot_laser_conn();
    void slot_tcpdisconnected();
    void slot_recv_type_datas(int val);
    void slot_laser_batch_state(int val);
    void slot_trigger_batch(bool val);
    void slot_on_settings_prompt(int progress, QString title, QString prompt);
    // Progress and messages of a firmware upgrade (the types of
    // upgrade_prompt in firmware_upgrade.h); for a question the upgrade's
    // blocking call gets the answer: true to write, false to skip.
    bool slot_on_upgrade_prompt(int type, QVariant prompt);
    // The connection dialog in upgrade mode chose the sensor to upgrade.
    void slot_start_upgrade(QString ip, QString port);
    // The real-time settings window closed; save: store the settings in the
    // sensor's permanent memory.
    void slot_settings_window_closed(bool save);

    void openProfileWindow();
    void openHeightWindow();
    void updateStatusLabel();

    // Reconnects the client to head index (0 to 3) on the window's job
    // thread; the tick shows the outcome. Always true.
    bool switch_sensor_head(int index);
    void slot_ChangeChinese();
    void slot_ChangeEnglish();

private slots:
    void on_pushButton_start_clicked();
    void on_pushButton_end_clicked();
    void on_pushButton_nowset_clicked();
    void on_pushButton_program_clicked();
    void on_pushButton_view_outline_clicked();
    void on_pushButton_view_height_clicked();
    void on_comboBox_selectno_currentIndexChanged(int index);
    void on_action_close_triggered();
    void on_actionconnedit_triggered();
    void on_action_reset_triggered();
    void on_actionaboutkx_triggered();
    void on_actionaboutqt_triggered();
    // Settings files and the firmware upgrade.
    void on_action_export_settings_triggered();
    void on_action_import_settings_triggered();
    void on_action_settings_cmp_triggered();
    void on_action_upgrade_firmware_triggered();
    void on_action_sensor_head1_toggled(bool checked);
    void on_action_sensor_head2_toggled(bool checked);
    void on_action_sensor_head3_toggled(bool checked);
    void on_action_sensor_head4_toggled(bool checked);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void initUi();
    void createProgressDialog();
    void connectSignals();
    // Puts a sub-window at (x, 0) with half the MDI area's width.
    void placeSubWindow(QWidget* view, int x);
    // After a connection: the sensor's batch setting decides the acquisition;
    // false (nothing started) when it cannot be read.
    bool startAcquisitionAfterConnect();
    void showHeadSwitchResult(int result);
    // The head switch's job on the window's job thread.
    void headSwitchWorker(int index);
    // Both language slots: the translator and style sheet, the form's texts,
    // the sub-windows rebuilt, the action checked, the choice stored.
    void changeLanguage(language_switch::Language language);
    void retranslate();
    void reopenSubWindows();
    void showEncoderWarning();
    void setBatchButtons(bool batchRunning);
    // The start button's acquisition start and trigger on the job thread,
    // events served meanwhile; the trigger's status, or kTriggerNotRun
    // (completeAtTrigger_ then holds the batch flag as the trigger returned).
    int triggerBatch();
    bool requireConnection();
    // The real-time settings window and the program dialog.
    QWidget* settingsWindowWidget() const;
    void enableSettingsWindowMenus();
    void closeSettingsWindow();
    void runSettingsWindow();
    void runProgramDialog();
    // Waits for a running job, serving its questions meanwhile.
    void finishJobs();
    // Starts a settings or upgrade job with progressActive set, so that no
    // second one starts before its first report; false when it cannot start.
    bool startProgressJob(std::function<void()> job);
    // The settings progress dialog, shown at once for a job that starts.
    void showSettingsProgress(const QString& title, const QString& label);

    Ui::QtLineLaserClientClass* ui;
    RealTimeSettingDlg* settingsDialog = nullptr;
    QTranslator* translator = nullptr;
    QTimer* tickTimer = nullptr;
    ConnectSetDialog* connectDialog = nullptr;
    QActionGroup* headActionGroup = nullptr;
    OutlineChartWidget* profileWindow = nullptr;
    HeightView* heightView = nullptr;
    QMdiSubManage subWindows;
    QProgressDialog* progressDialog = nullptr;
    QPushButton* progressButton = nullptr;
    WaitLoadingDialog waitDialog;

    MainWindowTick tick_;
    int tickBoxesOpen_ = 0;      // boxes of the tick still open (their modal loops run further ticks)
    bool batchWaiting_ = false;  // the start button triggers or waits for its batch
    static constexpr int kTriggerPending = -1;
    static constexpr int kTriggerNotRun = -2;
    int triggerStatus_ = kTriggerPending;  // delivered by the trigger job's queued call
    bool completeAtTrigger_ = false;       // the client's batch-complete flag as the trigger returned
    bool closing_ = false;       // the window is closing: waits end, nothing new starts
    WindowJobs jobs_;
};
