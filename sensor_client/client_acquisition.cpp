// The client's worker threads (heartbeat, live profile and raw image, batch
// copy, I/O status) and the acquisition modes that start and stop them.
#include <QCoreApplication>
#include <QDir>


#include <algorithm>
#include <chrono>
#include <cmath>

#include "platform/image_codecs.h"
#include "sensor_client/app_settings.h"
#include "platform/thread_start.h"
#include "sensor_client/batch_window.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/log_helper.h"
#include "sensor_client/raw_image_rules.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_api.h"

namespace {

constexpr int kRawImageWidth = 2048;
constexpr int kLostStatusTimeout = 4100;
constexpr int kNotOpen = 4097;

void joinIfRunning(std::thread& thread) {
    if (thread.joinable()) thread.join();
}


bool cached(int id, int reg, uint32_t* value) { return hvq5_get_cached_register(id, reg, value) == 0; }

}  // namespace

// ---------------------------------------------------------------- modes

void LinelaserClient::joinAcquisitionThreads() {
    wakeWaits();
    joinIfRunning(profileThread);
    joinIfRunning(batchThread);
    joinIfRunning(statusThread);
}

bool LinelaserClient::stopAcquisition() {
    std::lock_guard<std::recursive_mutex> mode(modeMutex_);
    acquiring = false;
    joinAcquisitionThreads();
    events.clearAcquisitionWords();
    return connected;
}

bool LinelaserClient::startProfileAcquisition() {
    std::lock_guard<std::recursive_mutex> mode(modeMutex_);
    if (!stopAcquisition()) return false;
    acquiring = true;
    profileThread = mirevo::platform::startThread(&LinelaserClient::thread_get_outline, this);
    return true;
}

bool LinelaserClient::startStatusAcquisition() {
    std::lock_guard<std::recursive_mutex> mode(modeMutex_);
    if (!stopAcquisition()) return false;
    {
        std::lock_guard<std::mutex> lock(ioMutex);
        ioStatus.encoderValue = 0;
        ioStatus.batchCount = 0;
    }
    acquiring = true;
    statusThread = mirevo::platform::startThread(&LinelaserClient::thread_status, this);
    return true;
}

int LinelaserClient::startBatchAcquisition(bool trigger) {
    {
        std::lock_guard<std::recursive_mutex> mode(modeMutex_);
        stopAcquisition();
        hvq5_pri_startiomeasure(deviceId, 20, 1);
        if (stopAcquisition()) {
            acquiring = true;
            batchThread = mirevo::platform::startThread(&LinelaserClient::thread_batch, this);
        }
    }
    return trigger ? HVQ5_2_TriggerOneBatch(deviceId) : 0;
}

IoStatusBlock LinelaserClient::copyIoStatus() const {
    std::lock_guard<std::mutex> lock(ioMutex);
    return ioStatus;
}

BatchState LinelaserClient::batchState() {
    std::lock_guard<std::mutex> lock(batchMutex);
    return {batchNumber.load(), batchProfileCount.load(), batchComplete.load()};
}

// ---------------------------------------------------------------- heartbeat

void LinelaserClient::thread_heartbeat() {
    pause(timings().heartbeatMs, connected);
    int failuresLeft = 2;
    while (connected) {
        {
            std::lock_guard<std::mutex> device(clientDeviceMutex());
            uint32_t value = 0;
            const int status = hvq5_read_heartbeat(deviceId, &value);
            if (status == 0) {
                failuresLeft = 2;
            } else if (failuresLeft == 0) {
                if (status == kLostStatusTimeout) hvq5_drain_command_channel(deviceId);
                clearEvents();
                pushEvent(client_events::kClose);
                break;
            } else {
                --failuresLeft;
            }
        }
        pause(timings().heartbeatMs, connected);
    }
    LogHelper::log(CLOG_LEVEL::DEBUG, nullptr, nullptr, __LINE__, QStringLiteral("thread_heartbeat exit..."));
}

// ---------------------------------------------------------------- live profile and raw image

void LinelaserClient::thread_get_outline() {
    std::vector<int> profile;
    std::vector<char> image;
    std::vector<int> peaks(kRawImageWidth);
    {
        std::lock_guard<std::mutex> lock(imageMutex);
        rawImageSaveCount = 0;
        rawImageStamp = LogManager::timeStampText();
    }
    while (acquiring) {
        // A pass every profileMs: the wait is what the pass left of it, so a
        // slow read does not stretch the pace.
        const auto passStart = std::chrono::steady_clock::now();
        uint32_t batchMode = 0;
        uint32_t imageMode = 0;
        if (cached(deviceId, 149, &batchMode) && cached(deviceId, 296, &imageMode) && batchMode == 0) {
            if (imageMode == 0) {
                // Sized per pass: a new open may bring another model.
                const int points = std::max(0, lastPoints.load());
                profile.assign(static_cast<size_t>(points), 0);
                int status = 0;
                {
                    std::lock_guard<std::mutex> device(clientDeviceMutex());
                    status = hvq5_get_outline(deviceId, profile.data(), points);
                }
                if (status == 0) {
                    {
                        std::lock_guard<std::mutex> lock(profileMutex);
                        const int n = std::min(points, kProfileCapacity);
                        for (int i = 0; i < n; ++i) zValues[i] = profile[static_cast<size_t>(i)] / 100000.0;
                    }
                    ++frameCount;
                    pushEvent(client_events::kOneLine);
                }
            } else {
                rawImageStep(image, peaks);
            }
        }
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                 passStart);
        pause(timings().profileMs - static_cast<int>(spent.count()), acquiring);
    }
    LogHelper::log(CLOG_LEVEL::DEBUG, nullptr, nullptr, __LINE__, QStringLiteral("thread_get_outline exit..."));
}

bool LinelaserClient::rawImageStep(std::vector<char>& image, std::vector<int>& peaks) {
    std::lock_guard<std::mutex> device(clientDeviceMutex());
    const int columns = std::clamp(static_cast<int>(hvq5_get_geometry(deviceId) >> 32), 0, kRawImageWidth);
    uint32_t rowRegister = 0;
    if (!cached(deviceId, 11, &rowRegister) || static_cast<int32_t>(rowRegister) < 0) return false;
    const int rows = static_cast<int32_t>(rowRegister);
    image.assign(static_cast<size_t>(rows) * kRawImageWidth, 0);
    std::fill(peaks.begin(), peaks.end(), 0);
    int returnedRows = 0;
    if (hvq5_get_image(deviceId, image.data(), static_cast<int>(image.size()), peaks.data(), columns,
                       &returnedRows) != 0)
        return false;
    returnedRows = std::clamp(returnedRows, 0, rows);

    std::lock_guard<std::mutex> lock(imageMutex);
    const cv::Mat whole(returnedRows, kRawImageWidth, CV_8UC1, image.data());
    rawImage = whole(cv::Rect(0, 0, columns, returnedRows)).clone();
    if (settingsInt(settings_keys::kImgSaveEn) != 0) {
        const int previous = rawImageSaveCount++;
        if (previous < settingsInt(settings_keys::kMaxSaveCount)) saveRawImage(rawImage);
    }
    if (peakRows.size() < static_cast<size_t>(columns)) peakRows.resize(static_cast<size_t>(columns), 0.0f);
    for (int i = 0; i < columns; ++i) {
        peakRows[static_cast<size_t>(i)] = rawImagePeakRow(peaks[static_cast<size_t>(i)], returnedRows);
    }
    ++frameCount;
    pushEvent(client_events::kOneImage);
    return true;
}

void LinelaserClient::saveRawImage(cv::Mat image) {
    const QString address = settingsString(settings_keys::kConnectIp);
    if (rawImageStamp.empty() || address.isEmpty()) return;
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/raw_images/") +
                           QString::fromLatin1(address.toLatin1()) + QLatin1Char('/') +
                           QString::fromStdString(rawImageStamp);
    if (!QDir(folder).exists()) QDir().mkpath(folder);
    const std::string file =
        rawImageFileName(folder, QString::fromStdString(LogManager::timeStampText())).toStdString();
    mirevo::platform::imageWrite(file, image);
}

void LinelaserClient::copyRawImage(cv::Mat* out, float* peaks, int count) {
    std::lock_guard<std::mutex> lock(imageMutex);
    if (rawImage.empty()) rawImage = cv::Mat::zeros(std::max(0, lastRows.load()), std::max(0, lastColumns.load()), CV_8UC1);
    if (out) *out = rawImage.clone();
    if (peaks && count > 0) {
        const size_t n = std::min(static_cast<size_t>(count), peakRows.size());
        std::copy_n(peakRows.begin(), n, peaks);
    }
}

void LinelaserClient::resetRawImage() {
    uint32_t index = 0;
    HVQ5_SETTING_ADDRESS address = makeSettingAddress(settingType, 1, 3);
    if (HVQ5_GetSetting(deviceId, 1, address, &index, 4) != 0) return;
    const int divisor = index == 0 ? 1 : index == 1 ? 2 : index == 2 ? 4 : 8;
    const int columns = std::max(0, static_cast<int>(hvq5_get_geometry(deviceId) >> 32));
    std::lock_guard<std::mutex> lock(imageMutex);
    rawImage = cv::Mat::zeros(std::max(0, lastRows.load()) / divisor, columns, CV_8UC1);
    const size_t n = std::min(peakRows.size(), static_cast<size_t>(std::max(0, lastPoints.load())));
    std::fill_n(peakRows.begin(), n, -9999.0f);
}

// ---------------------------------------------------------------- batch

bool LinelaserClient::copyStandsAt(const BatchCopyPoint& at) const {
    return batchCopy_ == at.copy && batchNumber.load() == at.number && batchProfileCount.load() == at.row;
}

bool LinelaserClient::batchMovedOn(int number) const {
    int held = number;
    HVQ5_2_TakeBatchData(deviceId, nullptr, 0, held, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    return held != number;
}

// Copies the frames of one batch call into the rows from at.row on, at most
// up to row `size`. Rows are filled outside batchMutex in small chunks and
// swapped in under it, so a painter never waits for more than a few swaps;
// the rows' storage is recycled. A copy that started over meanwhile (a
// repaired batch, a new connection) ends the call: the next pass copies
// again from row 0. So does a stop, and a batch that the interface has begun
// meanwhile (a new trigger while the copy lagged behind): the rest of an old
// pass of up to kFramesPerCall rows would only hold back the stop or the new
// batch's first rows. Returns the rows copied.
int LinelaserClient::copyBatchRows(const BatchWindow& window, int width, int size, int got,
                                   const BatchCopyPoint& at, const BatchTakeBuffers& taken, bool* cut) {
    *cut = false;
    const std::vector<int>& heights = taken.heights;
    const std::vector<uint8_t>& intensity = taken.intensity;
    constexpr int kChunkRows = 64;
    int lo = 0, hi = -1;
    window.insideOf(width, &lo, &hi);
    const size_t perFrame = hi >= lo ? static_cast<size_t>(hi - lo + 1) : 0;
    if (stagedHeights_.size() < kChunkRows) {
        stagedHeights_.resize(kChunkRows);
        stagedIntensity_.resize(kChunkRows);
    }
    size_t packed = 0;
    int copied = 0;
    int frame = 0;
    int nextRow = at.row;
    while (frame < got && nextRow < size) {
        if (frame > 0 && (!acquiring || batchMovedOn(at.number))) {
            *cut = acquiring;
            break;
        }
        const int n = std::min({kChunkRows, got - frame, size - nextRow});
        for (int k = 0; k < n; ++k) {
            std::vector<double>& rowHeights = stagedHeights_[static_cast<size_t>(k)];
            std::vector<uint8_t>& rowIntensity = stagedIntensity_[static_cast<size_t>(k)];
            rowHeights.resize(static_cast<size_t>(width));
            rowIntensity.resize(static_cast<size_t>(width));
            const size_t at = std::min(packed, heights.size());
            const size_t take = std::min(perFrame, heights.size() - at);
            const int* source = heights.data() + at;
            double* target = rowHeights.data() + lo;
            for (size_t i = 0; i < take; ++i) target[i] = source[i] / 100000.0;
            std::copy_n(intensity.data() + at, take, rowIntensity.begin() + lo);
            // Outside the window (and past what the call delivered): no value.
            const size_t filledEnd = static_cast<size_t>(lo) + take;
            std::fill(rowHeights.begin(), rowHeights.begin() + lo, -9999.0);
            std::fill(rowHeights.begin() + static_cast<std::ptrdiff_t>(filledEnd), rowHeights.end(), -9999.0);
            std::fill(rowIntensity.begin(), rowIntensity.begin() + lo, uint8_t{0});
            std::fill(rowIntensity.begin() + static_cast<std::ptrdiff_t>(filledEnd), rowIntensity.end(), uint8_t{0});
            packed += perFrame;
        }
        std::lock_guard<std::mutex> lock(batchMutex);
        if (!copyStandsAt({at.number, nextRow, at.copy})) break;
        for (int k = 0; k < n; ++k) {
            const size_t row = static_cast<size_t>(nextRow + k);
            const size_t f = static_cast<size_t>(frame + k);
            batchHeights[row].swap(stagedHeights_[static_cast<size_t>(k)]);
            batchIntensity[row].swap(stagedIntensity_[static_cast<size_t>(k)]);
            batchInfo[row] = BatchRowInfo{taken.aux[f], taken.encoders[f], static_cast<uint32_t>(taken.stamps[f])};
        }
        nextRow += n;
        frame += n;
        copied += n;
        batchProfileCount = nextRow;
    }
    return copied;
}

void LinelaserClient::thread_batch() {
    BatchTakeBuffers& taken = take_;
    while (acquiring) {
        uint32_t batchMode = 0;
        if (!cached(deviceId, 149, &batchMode) || batchMode != 1) {
            pause(timings().batchMs, acquiring);
            continue;
        }
        const int width = static_cast<int>(hvq5_get_geometry(deviceId) & 0xFFFFFFFF);
        uint32_t sizeRegister = 0;
        if (!cached(deviceId, 138, &sizeRegister) || static_cast<int32_t>(sizeRegister) < 0) {
            LogHelper::log(CLOG_LEVEL::RERROR, nullptr, nullptr, __LINE__, QStringLiteral("Failed to get batch num"));
            return;
        }
        const int announced = static_cast<int32_t>(sizeRegister);
        // The rows held bound the copy (kBatchRows): a longer batch keeps its first rows.
        int rowsHeld = 0;
        {
            std::lock_guard<std::mutex> lock(batchMutex);
            rowsHeld = static_cast<int>(std::min({batchHeights.size(), batchIntensity.size(), batchInfo.size()}));
        }
        const int size = std::min(announced, rowsHeld);
        uint32_t start359 = 0xFFFFFFFF, width358 = 0xFFFFFFFF;
        cached(deviceId, 359, &start359);
        cached(deviceId, 358, &width358);
        const BatchWindow window = batchWindow(start359, width358, lastPointsPerColumn.load());

        // Sized per pass at the width in force: a new open may change it.
        taken.reserveFrames(kFramesPerCall, width);
        auto take = [&](int from, int* number) {
            return HVQ5_2_TakeBatchData(deviceId, nullptr, from, *number, taken.heights.data(), taken.intensity.data(),
                                        taken.encoders.data(), taken.aux.data(), taken.third.data(),
                                        taken.stamps.data(), kFramesPerCall);
        };
        // The frames from where the copy of the current batch stands. The
        // interface gives the number of the batch it holds with them: when
        // that is a new batch, the frames came from the middle of it (or
        // nothing, when it is still shorter than the last one's copy), so it
        // is taken again from its first frame.
        BatchCopyPoint copy;
        {
            std::lock_guard<std::mutex> lock(batchMutex);
            copy = {batchNumber.load(), batchProfileCount.load(), batchCopy_};
        }
        int start = copy.row;
        int number = copy.number;
        int got = take(start, &number);
        if (number != copy.number && start != 0) {
            start = 0;
            got = take(start, &number);
        }
        // 4097 is also what a closed sensor answers: a count only while it is open.
        uint32_t probe = 0;
        const bool closed = got == kNotOpen && hvq5_get_cached_register(deviceId, 149, &probe) == kNotOpen;
        if (closed || static_cast<uint32_t>(got) > static_cast<uint32_t>(kFramesPerCall)) {
            LogHelper::logFormat(CLOG_LEVEL::RERROR, nullptr, nullptr, __LINE__, "Failed to get batch data(%d)", got);
            return;
        }
        // Nothing yet (also a new number whose frames have not come): the last
        // batch stays as it is, its rows, count, number and complete flag
        // together, until the first frames of the next one are copied.
        if (got == 0) {
            pause(timings().batchIdleMs, acquiring);
            continue;
        }
        bool fits = false;
        {
            std::lock_guard<std::mutex> lock(batchMutex);
            const bool fresh = number != copy.number;
            // The frames continue the copy only where they were taken for: it
            // may have started over meanwhile (a repaired batch, a new
            // connection), and a new batch begins at its first frame.
            fits = copyStandsAt(copy) && start == (fresh ? 0 : copy.row);
            if (fits && fresh) {
                batchProfileCount = 0;
                batchComplete = false;
                batchNumber = number;
                uint32_t outputMode = 0;
                batchOutputMode = cached(deviceId, 233, &outputMode) ? static_cast<int>(outputMode) : 255;
                batchFirstColumn = window.firstColumn();
                batchLastColumn = window.lastColumn();
                batchWatch.restart_ms();
                LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, QStringLiteral("batch start"));
                pushEvent(client_events::kBatchStart);
                copy.number = number;
                copy.row = 0;
            }
        }
        if (!fits) {
            pause(timings().batchIdleMs, acquiring);
            continue;
        }
        bool cut = false;
        const int copied = copyBatchRows(window, width, size, got, copy, taken, &cut);
        // Complete once (a batch longer than the buffers keeps offering
        // frames), decided and flagged under the lock with the count and the
        // number it is about, so no reader sees the flag beside rows of
        // another copy.
        bool completed = false;
        {
            std::lock_guard<std::mutex> lock(batchMutex);
            if (copied > 0 && copyStandsAt({number, copy.row + copied, copy.copy}) && copy.row + copied >= size) {
                batchWatch.stop_ms();
                batchCostMs = static_cast<int>(batchWatch.elapsed());
                batchComplete = true;
                completed = true;
            }
        }
        if (completed) {
            if (settingsInt(settings_keys::kAutoSaveBatchData) != 0) emit signal_auto_save_batchdata();
            batchWatch.restart_ms();
            if (announced > size)
                LogHelper::logFormat(CLOG_LEVEL::RWARNING, nullptr, nullptr, __LINE__,
                                     "batch of %d profiles: only the first %d kept", announced, size);
            LogHelper::logFormat(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "batch stop, cost: %d",
                                 batchCostMs.load());
            pushEvent(client_events::kBatchStop);
        }
        // The new batch is taken at once.
        if (!cut) pause(timings().batchMs, acquiring);
    }
}

// ---------------------------------------------------------------- I/O status

void LinelaserClient::thread_status() {
    while (acquiring) {
        if (!pause(timings().statusMs, acquiring)) break;
        uint16_t word = 0;
        uint32_t value = 0;
        if (hvq5_get_status_word(deviceId, &word, &value) != 0) continue;
        IoStatusBlock next = copyIoStatus();
        auto clear = [word](int bit) { return static_cast<uint8_t>((word >> bit) & 1 ? 0 : 1); };
        next.startInput = clear(14);
        next.stopInput = clear(13);
        next.inputA = clear(8);
        next.inputB = clear(9);
        next.input3 = clear(10);
        uint32_t encoder = 0;
        const bool encoderRead = hvq5_read_register(deviceId, hvq5_is_new_series(deviceId) ? 706 : 195, &encoder) == 0;
        if (encoderRead) {
            next.encoderValue = encoder;
            uint32_t count = 0;
            if (hvq5_read_register(deviceId, 294, &count) == 0) next.batchCount = count;
        }
        std::lock_guard<std::mutex> lock(ioMutex);
        ioStatus = next;
    }
}
