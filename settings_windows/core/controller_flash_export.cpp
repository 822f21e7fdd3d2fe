#include "settings_windows/core/controller_flash_export.h"

#include <vector>

#include "platform/thread_start.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/core/flash_dump_file.h"

ControllerFlashExport::~ControllerFlashExport() {
    cancel();
    wait();
}

void ControllerFlashExport::wait() {
    if (thread_.joinable()) thread_.join();
}

void ControllerFlashExport::start(std::filesystem::path path, uint32_t address, uint32_t blocks, KeepGoing keepGoing,
                                  Report report) {
    wait();
    cancelled_.store(false, std::memory_order_release);
    thread_ = mirevo::platform::startThread([this, path = std::move(path), address, blocks, keepGoing = std::move(keepGoing),
                           report = std::move(report)] { run(path, address, blocks, keepGoing, report); });
}

void ControllerFlashExport::run(const std::filesystem::path& path, uint32_t address, uint32_t blocks,
                                const KeepGoing& keepGoing, const Report& report) {
    const bool liveReadsWereAllowed = hvq5_get_link_paused(deviceId_);
    hvq5_set_link_paused(deviceId_, 0);

    std::vector<uint8_t> bytes;
    const int status = hvq5_read_block_165(
        deviceId_, static_cast<int>(address), blocks, &bytes, [&](int percent) {
            if (percent < 100) report(FlashExportReport{FlashExportReport::Progress, percent});
            return !cancelled_.load(std::memory_order_acquire) && keepGoing();
        });

    FlashExportReport outcome{FlashExportReport::Done, 100};
    if (status != 0)
        outcome = FlashExportReport{FlashExportReport::ReadFailed, -1};
    else if (!writeFlashDumpFile(path, bytes))
        outcome = FlashExportReport{FlashExportReport::SaveFailed, -1};

    hvq5_set_link_paused(deviceId_, liveReadsWereAllowed ? 1 : 0);
    report(outcome);
}
