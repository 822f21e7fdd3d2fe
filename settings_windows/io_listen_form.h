#pragma once
// The I/O monitor: the sensor's terminal inputs as lamps, the encoder value
// and the accumulated batch count, refreshed on a timer from the client's
// IoStatusBlock (the client's status thread reads the sensor; this page never
// does). It also copies the encoder value and resets the encoder count.
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class QLineEdit;
class QPushButton;

class IOListenForm : public QWidget {
    Q_OBJECT
public:
    // Refresh period while listening. The status block changes every 100 ms,
    // so a few refreshes per change are plenty; the page must not keep the
    // GUI thread busy.
    static constexpr int kRefreshMs = 30;

    explicit IOListenForm(QWidget* parent = nullptr);

    void startListen();
    void stopListen();
    bool listening() const { return timer_.isActive(); }

public slots:
    void slot_OnTimmerTask();

private slots:
    void on_pushButton_encoder_copy_clicked();
    void on_pushButton_encoder_reset_clicked();

private:
    static constexpr int kLamps = 5;

    QTimer timer_;
    std::array<QPushButton*, kLamps> lamps_{};
    std::array<bool, kLamps> lampOn_{};
    QLineEdit* encoderValue_;
    QLineEdit* batchCount_;
    std::optional<uint32_t> shownEncoder_;
    std::optional<uint32_t> shownBatches_;
};

// The style sheet of a lamp: green while its input flag is 1, red otherwise.
QString ioLampStyle(bool on);
