#include "sensor_interface/command/debug_profile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

#include "sensor_interface/command/debug_stream.h"
#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/status_codes.h"

namespace {

constexpr uint32_t kDebugModeRegister = 2;
constexpr uint32_t kDebugStreamRegister = 319;
constexpr uint32_t kXWindowWidthRegister = 358;
constexpr uint32_t kXWindowStartRegister = 359;
constexpr int kDebugModeWaitMs = 20;
constexpr int kWordMode32 = 4;
const char kStreamEnd[] = "DEBUG,end\r\n";

// Heads of series '3' and '4' send fixed-point peak rows, always 32-bit.
bool sends_peak_rows(const SensorController& controller) {
    const char series = controller.laserParams.model[2];
    return series == '3' || series == '4';
}

// Points of one record the processor can take: at most the record's values
// and the processor's camera columns.
int usable_columns(const ProfileProcessor& processor, int wanted) {
    return std::clamp(wanted, 0, std::min(kDebugColumns, processor.columns()));
}

// Runs peak rows through the fixed-point path; false when the processor has no
// settings bound and produced nothing.
bool process_peak_rows(ProfileProcessor& processor, const double* rows, const uint8_t* gray, int n,
                       bool runsOnly) {
    const double* distances = processor.preprocessFixed(rows, 0, n);
    if (!distances) return false;
    processor.processFixed(kWordMode32, distances, gray, 0, n, false, runsOnly, false, 1);
    return true;
}

}  // namespace

int request_debug_stream(SensorController& controller, std::vector<uint8_t>& stream) {
    stream.clear();
    if (!controller.debugStreamEnabled) return HVQ5_RC_NOT_ALLOWED;
    std::lock_guard<std::mutex> lock(controller.transactionMutex());
    uint32_t value = 1;
    int status = controller.transactWithPayload(static_cast<uint8_t>(CommandOpcode::WriteRegister),
                                                kDebugModeRegister, value, kDebugModeWaitMs, nullptr);
    if (status != HVQ5_RC_OK) return status;
    status = controller.sendOnly(static_cast<uint8_t>(CommandOpcode::ReadRegister), kDebugStreamRegister, 1);
    if (status != HVQ5_RC_OK) return status;
    return controller.receiveUntil(stream, kStreamEnd, controller.timeoutMs, 0);
}

int SensorController::readDebugImage(uint8_t* image, size_t capacity, int32_t* peaks, int n, int32_t* rows) {
    SensorController& controller = *this;
    if (!controller.debugStreamEnabled) return HVQ5_RC_NOT_ALLOWED;
    // Held for the whole call: the open may replace the controller's processor meanwhile.
    const std::shared_ptr<ProfileProcessor> processor = controller.currentProcessor();
    if (!processor) return HVQ5_RC_NOT_OPEN;
    std::vector<uint8_t> stream;
    const int status = request_debug_stream(controller, stream);
    if (status != HVQ5_RC_OK) return status;

    DebugInfo info = DebugInfo::fromBytes(controller.debugInfo);
    const DebugImageContent content =
        parse_debug_image_stream(stream.data(), stream.size(), image ? capacity : 0, info);
    controller.debugInfo = info.bytes();
    if (content.status != HVQ5_RC_OK) return content.status;

    if (content.rowsSeen && rows) *rows = content.rows;
    if (content.image) std::memcpy(image, content.image, content.imageBytes);
    if (!content.hasProfile || !peaks) return HVQ5_RC_OK;

    std::array<double, kDebugColumns> peakRows;
    const int count = debug_peak_rows(content.profile, usable_columns(*processor, n), controller.rows,
                                      peakRows.data());
    // The gap repair of the processor also mends the peak rows.
    const double* repaired = process_peak_rows(*processor, peakRows.data(), content.profile.intensity,
                                               count, true)
                                 ? processor->peakRows()
                                 : peakRows.data();
    for (int i = 0; i < count; ++i) peaks[i] = static_cast<int32_t>(repaired[i] * 100.0);
    return HVQ5_RC_OK;
}

int SensorController::readDebugProfile(int32_t* profile, uint8_t* intensity, int capacity) {
    SensorController& controller = *this;
    if (!controller.debugStreamEnabled) return HVQ5_RC_NOT_ALLOWED;
    // Held for the whole call: the open may replace the controller's processor meanwhile.
    const std::shared_ptr<ProfileProcessor> processor = controller.currentProcessor();
    if (!processor) return HVQ5_RC_NOT_OPEN;
    const int points = processor->points();
    if (!profile || capacity < points) return HVQ5_RC_BAD_ARGUMENT;
    std::vector<uint8_t> stream;
    const int status = request_debug_stream(controller, stream);
    if (status != HVQ5_RC_OK) return status;

    const bool peakRowsHead = sends_peak_rows(controller);
    DebugInfo info = DebugInfo::fromBytes(controller.debugInfo);
    const DebugProfileContent content =
        parse_debug_profile_stream(stream.data(), stream.size(), peakRowsHead, info);
    controller.debugInfo = info.bytes();
    if (content.status != HVQ5_RC_OK || !content.hasProfile) return content.status;

    if (content.profile.intensity && intensity)
        std::memcpy(intensity, content.profile.intensity, kDebugColumns);
    const int columns = usable_columns(*processor, processor->columns());
    if (peakRowsHead) {
        if (data_save_enabled) {
            std::array<uint32_t, kDebugColumns> words;
            content.profile.copyValues(words.data(), columns);
            dump_words32("fvals0.md", words.data(), columns);
        }
        std::array<double, kDebugColumns> peakRows;
        debug_peak_rows(content.profile, columns, controller.rows, peakRows.data());
        process_peak_rows(*processor, peakRows.data(), nullptr, columns, false);
    } else {
        std::array<uint32_t, kDebugColumns> words;  // 16-bit values lie packed in it
        content.profile.copyValues(words.data(), columns);
        processor->process(content.profile.words32 ? kWordMode32 : 0, words.data(), nullptr, 0, columns,
                           false, false, false, 1);
    }

    processor->heightsInt(profile, points);
    hvq5_settings& settings = controller.settings();
    const DebugXWindow window = debug_x_window(settings.get_vals(kXWindowStartRegister),
                                               settings.get_vals(kXWindowWidthRegister),
                                               controller.pointsPerColumn);
    apply_debug_x_window(profile, profile, points, window);
    return HVQ5_RC_OK;
}
