// LinelaserClient: construction, opening and closing, the link, the event
// words and their timer, waits. The threads are in client_acquisition.cpp,
// the setting accessors in client_accessors.cpp.
#include "sensor_client/linelaser_client.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

#include "platform/thread_start.h"
#include "sensor_client/log_helper.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/model_info.h"

namespace {

constexpr int kUpgradeNeededStatus = 5100;
// open()'s result for a firmware combination it refuses.
constexpr int kRefusedFirmwareResult = 5;

// Joins a thread that runs (a thread may also be joined by the one that is
// replacing it, so "runs" is "joinable").
void joinIfRunning(std::thread& thread) {
    if (thread.joinable()) thread.join();
}

// Each part of a dotted address as a decimal number, 0 for a part that is
// none, cut to its low 8 bits.
uint8_t addressByte(const QString& part) {
    bool ok = false;
    const long long value = part.toLongLong(&ok, 10);
    return static_cast<uint8_t>(ok ? value : 0);
}

}  // namespace

std::mutex& clientDeviceMutex() {
    static std::mutex mutex;
    return mutex;
}

LinelaserClient* linelaserClient() {
    static LinelaserClient instance;
    return &instance;
}

LinelaserClient::LinelaserClient() : QObject(nullptr) {
    std::fill(std::begin(xValues), std::end(xValues), 0.0);
    std::fill(std::begin(zValues), std::end(zValues), 0.0);
    batchHeights.resize(kBatchRows);
    batchIntensity.resize(kBatchRows);
    batchInfo.resize(kBatchRows);
    connect(&eventTimer, &QTimer::timeout, this, &LinelaserClient::slot_OnTimmer);
    eventTimer.setSingleShot(false);
    eventTimer.start(timings_.eventTickMs);
    peakRows.assign(static_cast<size_t>(std::max(0, lastPoints.load())), 0.0f);
    // The interface's registry is a process-wide object made after this one,
    // so it ends before this one: stop every thread while the program quits.
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &LinelaserClient::shutdown);
}

LinelaserClient::~LinelaserClient() {
    connected = false;
    acquiring = false;
    wakeWaits();
    joinIfRunning(profileThread);
    joinIfRunning(heartbeatThread);
    joinIfRunning(batchThread);
    joinIfRunning(statusThread);
}

void LinelaserClient::shutdown() {
    eventTimer.stop();
    connected = false;
    acquiring = false;
    wakeWaits();
    joinIfRunning(profileThread);
    joinIfRunning(heartbeatThread);
    joinIfRunning(batchThread);
    joinIfRunning(statusThread);
}

int LinelaserClient::open(QString ipText, int portNumber) {
    ip = ipText;
    port = portNumber;
    if (ipText.split(QLatin1Char('.'), Qt::KeepEmptyParts).size() != 4) return 2;
    const int result = openSensor(ipText, portNumber);
    setLinkActive(result == 0 || result >= 240);
    return result;
}

int LinelaserClient::openSensor(const QString& ipText, int portNumber) {
    HVQ5_CommunicationClose(deviceId);
    connected = false;
    wakeWaits();
    joinIfRunning(heartbeatThread);
    forgetBatch();

    const QStringList parts = ipText.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    HVQ5_NET_ADDRESS address{};
    for (int i = 0; i < 4; ++i) address.ip[i] = addressByte(parts[i]);
    address.port = static_cast<uint16_t>(portNumber);
    address.tag[0] = 'Q';
    address.tag[1] = 'W';
    const int status = HVQ5_EthernetOpen(deviceId, &address);
    if (status != 0) return status == kUpgradeNeededStatus ? 3 : 2;

    uint32_t headerVersion = 0;
    uint32_t unused = 0;
    if (hvq5_get_firmware_versions(deviceId, 0, &headerVersion, &unused) != 0) return 2;
    LogHelper::logFormat(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "header version: %8x", headerVersion);
    uint32_t firmware135 = 0;
    uint32_t firmware166 = 0;
    if (hvq5_get_firmware_versions(deviceId, 1, &firmware135, &firmware166) != 0) return 2;

    int result = 0;
    if ((headerVersion == 0x500 || headerVersion == 0x501 || headerVersion == 0x422) && firmware135 > 0x423) {
        result = kRefusedFirmwareResult;
    } else {
        result = (headerVersion == 0 || headerVersion == 0xFFFF) ? 255 : 0;
        if (!hvq5_check_load_status(deviceId)) result = 254;
    }

    HVQ5_2_SET_EXTEND_EN(deviceId, 0);
    char model[model_info::kModelCapacity] = {};
    if (hvq5_get_model_text(deviceId, model) != 0) return 2;
    headModelText = QString::fromLatin1(model);

    uint32_t reg350 = 0, reg351 = 0, reg352 = 0;
    if (hvq5_get_cached_register(deviceId, 350, &reg350) != 0 || hvq5_get_cached_register(deviceId, 352, &reg352) != 0 ||
        hvq5_get_cached_register(deviceId, 351, &reg351) != 0)
        return 2;
    const double reference = static_cast<double>(reg350 >> 8);
    zUpperMm = (reference - static_cast<double>(reg352 >> 8)) / 1000.0;
    zLowerMm = (reference - static_cast<double>(reg351 >> 8)) / 1000.0;
    displayRange.viewMin = displayRange.view3dMin = zLowerMm;
    displayRange.viewMax = displayRange.view3dMax = zUpperMm;

    uint32_t pitch = 0;
    if (HVQ5_GetXpitch(deviceId, &pitch) != 0) return 2;
    const int points = std::clamp(lastPoints.load(), 0, kProfileCapacity);
    xPitchMm = pitch / 100000.0;
    halfWidthMm = lastPoints.load() * xPitchMm * 0.5;

    // A refused firmware closes the sensor again as open() returns: announced,
    // the windows would read a closed sensor and tell a second, misleading story.
    if (result != kRefusedFirmwareResult) pushEvent(client_events::kOpen);

    if (HVQ5_GetXpitch(deviceId, &pitch) == 0) {
        std::lock_guard<std::mutex> lock(profileMutex);
        const double half = (points - 1) / 2.0;
        for (int i = 0; i < points; ++i) xValues[i] = (i - half) * pitch / 100000.0;
    }
    return result;
}

void LinelaserClient::setLinkActive(bool on) {
    if (on) {
        HVQ5_2_SetBatchOneTimeDataHandler_V2(deviceId, [this](const HVQ5_2_STR_CALLBACK_INFO*, _HVQ5_2_Data*) {
            onBatchDelivered();
        });
        connected = true;
        joinIfRunning(heartbeatThread);
        heartbeatThread = mirevo::platform::startThread(&LinelaserClient::thread_heartbeat, this);
    } else {
        HVQ5_CommunicationClose(deviceId);
        connected = false;
        wakeWaits();
        joinIfRunning(heartbeatThread);
    }
}

// The batch of a closed connection is gone with it. A sensor numbers its
// batches afresh after a restart, and another sensor has its own count, so the
// first batch of the new connection may carry the number of the last one
// copied: kept, that number would hide the new batch's start (no "batch_start",
// the old complete flag and column window stay) or, with the old row count,
// skip its rows; a repaint still asked for the old batch is void. The batch thread may still run (a second open while linked);
// it copies under batchMutex and stops a copy whose row count or number was
// reset.
void LinelaserClient::forgetBatch() {
    std::lock_guard<std::mutex> lock(batchMutex);
    batchNumber = 0;
    batchShownNumber = 0;
    batchProfileCount = 0;
    batchComplete = false;
    batchRestart = false;  // a repaint of the old batch is void
    ++batchCopy_;
}

// Runs on the interface's thread when it hands over a finished batch. When
// the interface repaired the batch (cloud filter, bit 8, or bit 16), copy it
// again from its first row: until that copy is whole again the batch is not
// complete (the thread flags it, and posts its stop, once more).
void LinelaserClient::onBatchDelivered() {
    std::lock_guard<std::mutex> lock(batchMutex);
    bool filter = false;
    bool other = false;
    HVQ5_2_GET_EXTEND_FEATURE_EN(deviceId, 8, &filter);
    HVQ5_2_GET_EXTEND_FEATURE_EN(deviceId, 16, &other);
    if (filter || other) {
        batchProfileCount = 0;
        batchComplete = false;
        batchRestart = true;
        ++batchCopy_;
    }
}

int LinelaserClient::close() {
    std::lock_guard<std::recursive_mutex> mode(modeMutex_);
    connected = false;
    acquiring = false;
    wakeWaits();
    joinIfRunning(profileThread);
    joinIfRunning(heartbeatThread);
    joinIfRunning(batchThread);
    joinIfRunning(statusThread);
    stopAcquisition();
    // Nothing of the closed connection is announced any more.
    events.clear();
    HVQ5_CommunicationClose(deviceId);
    return 0;
}

void LinelaserClient::pushEvent(const std::string& word) { events.push(word); }

void LinelaserClient::clearEvents() { events.clear(); }

void LinelaserClient::slot_OnTimmer() {
    const std::optional<std::string> word = events.takeFront();
    if (!word) return;
    if (*word == client_events::kClose) {
        emit signal_sendclose();
    } else if (*word == client_events::kOpen) {
        emit signal_laser_conn();
    } else if (*word == client_events::kBatchStart) {
        emit signal_laser_batch_state(1);
        std::lock_guard<std::mutex> lock(batchMutex);
        batchShownNumber = batchNumber.load();
    } else if (*word == client_events::kBatchStop) {
        emit signal_laser_batch_state(0);
    } else if (*word == client_events::kOneLine) {
        emit signal_recv_type_datas(0);
    } else if (*word == client_events::kOneImage) {
        emit signal_recv_type_datas(1);
    }
}

void LinelaserClient::slot_tcpdisconnected() {
    connected = false;
    wakeWaits();
    emit signal_sendclose();
}

void LinelaserClient::setTimings(const ClientTimings& timings) {
    {
        std::lock_guard<std::mutex> lock(timingMutex_);
        timings_ = timings;
    }
    eventTimer.setInterval(timings.eventTickMs);
}

ClientTimings LinelaserClient::timings() const {
    std::lock_guard<std::mutex> lock(timingMutex_);
    return timings_;
}

bool LinelaserClient::pause(int ms, const std::atomic<bool>& flag) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(std::max(0, ms)), [&flag] { return !flag.load(); });
    return flag.load();
}

void LinelaserClient::wakeWaits() {
    // Taking the mutex orders the flag change before a waiter's next check.
    { std::lock_guard<std::mutex> lock(wakeMutex_); }
    wake_.notify_all();
}
