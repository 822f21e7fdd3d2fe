#pragma once
// The connection dialog: searches the network for sensors, lists their
// addresses and connects the sensor client to the chosen one (or
// disconnects it); in upgrade mode it offers the same list for a firmware
// upgrade. The search and the connect attempt run as jobs on a thread the
// dialog owns (one at a time, joined when the dialog goes); a job touches no
// widget and reports through the state byte ConnectState (connect_state.h),
// which the dialog's 200 ms timer polls, also while the dialog is hidden.
#include <QDialog>
#include <QString>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WaitLoadingDialog;

namespace Ui {
class ConnectSetDialog;
}

class ConnectSetDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPollMs = 200;
    static constexpr int kSearchMs = 1000;
    static constexpr int kRebootWaitMs = 12000;
    static constexpr int kCommandPort = 7;

    explicit ConnectSetDialog(QWidget* parent = nullptr);
    ~ConnectSetDialog() override;

    // Connect mode (true) shows connect and disconnect, upgrade mode the
    // upgrade button; both reset the failure counters.
    void setMode(bool connect);
    bool connectMode() const { return connectMode_; }

    // Written by the jobs (last, release), read by the poll (acquire).
    std::atomic<int8_t> ConnectState{-128};

    // True while a job runs.
    bool jobRunning() const { return jobRunning_.load(); }

signals:
    void signal_upgrade(QString ip, QString port);

public slots:
    void on_pushButton_open_clicked();
    void on_pushButton_disconn_clicked();
    void on_pushButton_refresh_clicked();
    void on_pushButton_upgrade_clicked();
    void slot_OnTimmerTask();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    using Address = std::array<uint8_t, 4>;

    void setConnectedButtons(bool connected);
    void applyModeTitle();
    void setColumnTitles();
    void showBusy();
    // The selected row's address and port; false when no complete row is selected.
    bool selectedRow(QString* address, QString* port) const;
    // Runs the job on the dialog's thread unless one runs already.
    bool startJob(std::function<void()> job);
    void joinJob();

    void fillList();
    void onSettingsCheckFailed();
    void onHeadSilent();
    void showFailureBox(int8_t state);
    // The factory reset behind the busy dialog; false when a step failed.
    bool resetToFactorySettings();

    Ui::ConnectSetDialog* ui;
    WaitLoadingDialog* busy_;
    QTimer timer_;
    bool connectMode_ = true;
    int settingsCheckFailures_ = 0;
    int headFailures_ = 0;

    std::thread job_;
    std::atomic<bool> jobRunning_{false};
    std::mutex foundMutex_;
    std::vector<Address> found_;  // the last search's addresses, copied by the search job
};
