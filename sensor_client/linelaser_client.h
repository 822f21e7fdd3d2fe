#pragma once
// LinelaserClient: the one object through which the windows reach the sensor.
// It holds at most one open sensor (device id 0 of the sensor interface),
// keeps the newest profile, raw camera image, batch and I/O state for the
// windows, runs the heartbeat and the acquisition threads, and turns the event
// words those threads post into Qt signals in the GUI thread (one word per
// tick of its 30 ms timer). Worker threads never touch a widget.
//
// Shared state and how to read it from the GUI thread:
//   - the profile: copyProfile (under profileMutex; never read zValues bare);
//   - the raw image: copyRawImage (under imageMutex);
//   - the batch rows: batchHeights / batchIntensity / batchInfo under
//     batchMutex; the counters and flags beside them are atomics, written
//     together under batchMutex: batchState reads number, row count and
//     complete flag as one (each atomic alone may belong to the next batch);
//   - the I/O state: copyIoStatus (one whole pass, never two mixed).
#include <QObject>
#include <QString>
#include <QTimer>

#include <opencv2/core/mat.hpp>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sensor_client/batch_window.h"
#include "sensor_client/client_event_queue.h"
#include "sensor_client/take_buffers.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/settings/stop_watch.h"

// The display ranges the height-map page and the 3D views keep in the client.
struct HeightDisplayRange {
    double autoMin = 0.0;  // running extremes the height-map page keeps while it paints
    double autoMax = 0.0;
    double viewMin = 0.0;  // fixed range of the height map's colours and of the 3D view
    double viewMax = 0.0;
    double view3dMin = 0.0;  // range of the other 3D dialog
    double view3dMax = 0.0;
    bool fixedRange = false;  // the height map uses viewMin/viewMax instead of its extremes
    uint16_t yMin = 1;        // defaults of the height dialog's row range
    uint16_t yMax = 30000;
};

// The newest I/O state (16 bytes). An input flag is 1 when its bit of the
// sensor's status word is clear.
struct IoStatusBlock {
    uint32_t encoderValue = 0;  // register 706 on the newer series, 195 on series '3' and '4'
    uint32_t batchCount = 0;    // register 294
    uint8_t startInput = 0;     // bit 14: Measure Start
    uint8_t stopInput = 0;      // bit 13: Measure Stop
    uint8_t inputA = 0;         // bit 8
    uint8_t inputB = 0;         // bit 9
    uint8_t input3 = 0;         // bit 10
    uint8_t spare[3] = {0, 0, 0};
};
static_assert(sizeof(IoStatusBlock) == 16, "the I/O page copies the block whole");

// Per profile of a batch: the interface's auxiliary value, the encoder value
// and the low 32 bits of the time stamp.
struct BatchRowInfo {
    uint32_t aux = 0;
    uint32_t encoder = 0;
    uint32_t timeLow = 0;
};

// The batch as a reader sees it under batchMutex: complete only with every
// row copied, the number that of the rows.
struct BatchState {
    int number = 0;
    int rows = 0;
    bool complete = false;
};

// Every wait of the client, in milliseconds. Tests shorten them; a stop cuts
// a running wait short.
struct ClientTimings {
    int eventTickMs = 30;    // the event timer
    int heartbeatMs = 1000;  // between heartbeats
    int profileMs = 50;      // after each live-profile or raw-image pass
    int batchMs = 50;        // after a batch pass that copied or found nothing to do
    int batchIdleMs = 10;    // after a batch call that returned nothing
    int statusMs = 100;      // before each I/O status pass
};

class LinelaserClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kProfileCapacity = 6000;  // xValues / zValues entries
    static constexpr int kBatchRows = 50000;       // rows of the batch buffers
    static constexpr int kFramesPerCall = 10000;   // frames one batch copy takes at most

    LinelaserClient();
    ~LinelaserClient() override;
    LinelaserClient(const LinelaserClient&) = delete;
    LinelaserClient& operator=(const LinelaserClient&) = delete;

    // ---- fields (the windows read those the comments name) ----
    QString ip;               // address text last passed to open
    int port = 0;             // port last passed to open
    float exportScale = 1.0f; // the height-map page's TIFF export scale; never changed here
    std::thread heartbeatThread;
    std::thread profileThread;
    std::thread batchThread;
    std::thread statusThread;
    std::atomic<bool> acquiring{false};  // run flag of the profile, batch and status threads
    std::mutex profileMutex;             // guards xValues and zValues
    double xValues[kProfileCapacity];    // x of each profile point in mm, centred on 0
    double zValues[kProfileCapacity];    // height of each point in mm, -9999.0 for none
    std::atomic<bool> connected{false};  // the sensor is open and its link active
    std::atomic<int> frameCount{0};      // profiles and raw images fetched since construction
    std::mutex imageMutex;               // guards rawImage and peakRows
    cv::Mat rawImage;                    // newest raw camera image, 8-bit, one channel
    int rawImageSaveCount = 0;           // raw images saved since the profile thread started
    std::string rawImageStamp;           // folder name of the saved raw images
    std::vector<float> peakRows;         // peak row per camera column of rawImage
    HeightDisplayRange displayRange;
    stop_watch batchWatch;               // times the current batch (batch thread only)
    std::atomic<int> batchCostMs{0};     // duration of the last complete batch
    QTimer eventTimer;
    ClientEventQueue events;
    int deviceId = 0;
    uint8_t settingType = 0x10;          // type byte of the typed accessors' setting addresses
    QString headModelText;               // model text of the open sensor
    double dzValue = 0.0;                // stored by the 3D filter dialog; never changed here
    double zUpperMm = 6.0;               // measuring range in mm
    double zLowerMm = -6.0;
    double xPitchMm = 200.0;             // x distance of two profile points in mm
    double halfWidthMm = 8.0;            // half the profile width in mm
    std::mutex batchMutex;               // guards the rows below while they are copied or painted
    std::vector<std::vector<double>> batchHeights;    // mm per point, -9999.0 for none; kBatchRows rows
    std::vector<std::vector<uint8_t>> batchIntensity; // per point; kBatchRows rows
    std::vector<BatchRowInfo> batchInfo;              // per row; kBatchRows entries
    std::atomic<int> batchProfileCount{0};  // rows of the current batch copied (the height page resets it)
    std::atomic<int> batchShownNumber{0};   // batch number announced with signal_laser_batch_state(1)
    std::atomic<bool> batchComplete{false}; // every row of the current batch is copied
    std::atomic<int> batchNumber{0};        // number of the batch being copied
    std::atomic<bool> batchRestart{false};  // the batch was repaired: repaint from row 0 (height page clears it)
    std::atomic<int> batchOutputMode{255};  // register 233 at the batch start (1: with intensity), 255 unread
    std::atomic<int> batchFirstColumn{0};   // the batch's window in profile points
    std::atomic<int> batchLastColumn{0};
    IoStatusBlock ioStatus;                 // written under ioMutex; read it with copyIoStatus
    mutable std::mutex ioMutex;

    // ---- connection ----
    // 0 linked, 2 failure, 3 firmware upgrade needed, 5 incompatible firmware,
    // 254 settings failed to load (linked), 255 no laser head answers (linked).
    // Called on a worker thread.
    int open(QString ipText, int portNumber);
    // Clears the flags, joins every thread, empties the events, closes the sensor. 0.
    int close();
    void setLinkActive(bool on);
    void pushEvent(const std::string& word);
    void clearEvents();
    // The batch handler installed by the link (runs on the interface's thread
    // when it hands over a finished batch): a batch the interface repaired
    // (extended feature bit 8 or 16) is copied again from its first row.
    void onBatchDelivered();
    // Stops the timer and every thread (the application is quitting: the
    // interface's registry goes before this object does).
    void shutdown();

    // ---- acquisition modes (mutually exclusive; each start stops the others) ----
    // A mode change may run on a window's job thread (the start button's
    // trigger) while the GUI thread changes the mode too: the changes take
    // turns, so no thread object is joined or replaced by two threads at once.
    bool stopAcquisition();
    bool startProfileAcquisition();
    bool startStatusAcquisition();
    int startBatchAcquisition(bool trigger);
    // A deep copy of the raw image and at most count peak rows (count is
    // bounded by the peaks held).
    void copyRawImage(cv::Mat* out, float* peaks, int count);
    void resetRawImage();
    void saveRawImage(cv::Mat image);
    IoStatusBlock copyIoStatus() const;
    // Number, rows copied and complete flag of the batch, read together.
    BatchState batchState();

    // ---- typed setting accessors: dir 0 reads, 1 writes; the interface's status ----
    int cfgTriggerMethod(int dir, int* value);
    int cfgSamplingFrequency(int dir, int* hz);
    int cfgBatchEnable(int dir, bool* batch, bool* singleFrame);
    int cfgTriggerIntervalEnable(int dir, bool* on);
    int cfgTriggerYInterval(int dir, double* mm);
    int cfgEncoderMode(int dir, int* value);
    int cfgEncoderIntervalEnable(int dir, bool* on);
    int cfgEncoderInterval(int dir, int* count);
    int cfgBatchSize(int dir, int* profiles);
    int cfgAsyncFunction(int dir, int* mode);
    int cfgEncoderTimeout(int dir, int* value);
    int cfgZRange(int dir, int* index);
    int cfgHdrRange(int dir, int* index);
    int cfgExposureIndex(int dir, uint32_t* index);
    int cfgImagingMode(int dir, uint8_t* frames);
    int cfgLaserPowerControl(int dir, int* mode);
    int cfgLaserPowerLimit(int dir, int which, uint16_t* value);
    int cfgSetting_1_15(int dir, int* index);
    int cfgAutoCompleteNum(int dir, uint8_t* count);
    int cfgPeakSelection(int dir, int* code);
    int cfgHaloFilter(int dir, uint8_t* mode);
    int cfgCmosGain(int dir, int* index);
    int cfgExposureTime(int dir, int* us);
    int cfgExposureLimit(int dir, int which, uint16_t* value);
    int cfgTransparency(int dir, uint8_t* index);
    int cfgGrayFrame(int dir, int* frame);
    int cfgHdrEnable(int dir, uint8_t* on);
    int cfgHdrFrameExposure(int dir, int frame, int* us);
    int cfgInvalidDataProcess(int dir, int* mode);
    int cfgFlipLeftRight(int dir, bool* on);
    int cfgFlipTopBottom(int dir, bool* on);
    int cfgFilterXMedian(int dir, uint16_t* value);
    int cfgFilterXAverage(int dir, uint16_t* value);
    int cfgFilterYMedian(int dir, uint16_t* value);
    int cfgFilterYAverage(int dir, uint16_t* value);
    int cfgInvalidPointRepair(int dir, uint16_t* process, uint16_t* restore);
    int cfgCommonItem7(int dir, int* value);
    int cfgCommonItem8(int dir, int* value);
    int cfgBatchModel(int dir, bool* withIntensity);
    int cfgCommonItem32(int dir, int* value);
    int cfgNetAddress(int dir, int which, uint8_t address[4]);

    // ---- registers and pass-throughs ----
    // dir not 0 writes *value, dir 0 reads into *value (0 when the read
    // fails); the status of the read or write.
    int cfgRegister(int dir, int reg, int* value);
    // The register image's value, no device traffic; -1 when it cannot be read.
    int cachedRegister(int reg);
    int cfgIoMode(int dir, int* on);
    int cfgXPitch(int dir, double* um);
    double yPitch();
    int cfgIgnoreAreaBlock(int dir, int kind, void* data, int size);
    bool copyProfile(double* x, double* z, int count);
    int profilePointCount();
    ModelGeometry modelGeometry() const;
    bool headModel(QString* out);
    int serialNumbers(QString* a, QString* b);
    int sdkVersionText(QString* out);
    int firmwareVersionText(QString* out);
    int takeFailCode();
    double zNullValueMM();
    int maxSamplingFrequency();
    int rewriteTemporarySetting();
    int rebootController();
    int initSdk();
    bool openGLAvailable();

    // ---- waits ----
    void setTimings(const ClientTimings& timings);
    ClientTimings timings() const;

public slots:
    void slot_OnTimmer();
    void slot_tcpdisconnected();

signals:
    void signal_sendCmdError(QByteArray onedata);
    void signal_recvSizeEnd(bool isbeg);
    void signal_sendclose();
    void signal_laser_conn();
    void signal_laser_batch_state(int val);
    void signal_recv_regkey(int reg, int val);
    void signal_recv_type_datas(int val);
    void signal_auto_save_batchdata();

private:
    int openSensor(const QString& ipText, int portNumber);
    // Drops the batch state of the previous connection (number, rows, flags,
    // repaint request).
    void forgetBatch();
    void thread_heartbeat();
    void thread_get_outline();
    void thread_batch();
    void thread_status();
    bool rawImageStep(std::vector<char>& image, std::vector<int>& peaks);
    // Where a batch take's frames belong: the batch, its row, and the copy
    // they continue (see batchCopy_).
    struct BatchCopyPoint {
        int number = 0;
        int row = 0;
        uint64_t copy = 0;
    };
    // Whether the copy still stands at `at` (under batchMutex).
    bool copyStandsAt(const BatchCopyPoint& at) const;
    // Copies a take's frames into the rows; *cut tells that the pass ended
    // early because the interface began another batch.
    int copyBatchRows(const BatchWindow& window, int width, int size, int got, const BatchCopyPoint& at,
                      const BatchTakeBuffers& taken, bool* cut);
    // Whether the interface labels its frames with another number than `number` by now.
    bool batchMovedOn(int number) const;
    void joinAcquisitionThreads();
    // Waits ms, or less once flag is false; returns flag.
    bool pause(int ms, const std::atomic<bool>& flag);
    void wakeWaits();

    // Counts the times the batch copy had to start over from row 0 (a new
    // connection, a repaired batch), under batchMutex: frames taken before
    // are not copied.
    uint64_t batchCopy_ = 0;
    // What the batch thread's take calls fill (kept for the next start).
    BatchTakeBuffers take_;
    // The batch thread's rows being filled before they are swapped in.
    std::vector<std::vector<double>> stagedHeights_;
    std::vector<std::vector<uint8_t>> stagedIntensity_;
    mutable std::mutex timingMutex_;
    ClientTimings timings_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    // Held by every mode change (recursive: each start stops first).
    std::recursive_mutex modeMutex_;
};

// The process-wide client, made on first use (in the GUI thread).
LinelaserClient* linelaserClient();

// The mutex the heartbeat, profile and raw-image reads hold around their
// device call, so at most one of them talks to the sensor at a time.
std::mutex& clientDeviceMutex();
