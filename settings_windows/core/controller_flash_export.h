#pragma once
// The controller flash export: reads a range of the controller's flash in
// 256-byte blocks on a thread of its own and saves the bytes to a file. While
// it reads, the sensor interface's live reads stay off the command channel;
// the permission found at the start is put back at the end.
//
// The owner keeps the export object; destroying it cancels a running export
// (the read ends after the current block, the blocks read so far are saved)
// and waits for the thread.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <thread>

struct FlashExportReport {
    enum Kind {
        Progress,    // percent of the blocks read (0 before the first block)
        Done,        // the file holds every byte read (percent 100)
        ReadFailed,  // the read failed: no file was written (percent -1)
        SaveFailed,  // the file could not be written (percent -1)
    };
    Kind kind;
    int percent;
};

class ControllerFlashExport {
public:
    using Report = std::function<void(const FlashExportReport&)>;
    // Asked after every block; false stops the read.
    using KeepGoing = std::function<bool()>;

    explicit ControllerFlashExport(int deviceId) : deviceId_(deviceId) {}
    ~ControllerFlashExport();
    ControllerFlashExport(const ControllerFlashExport&) = delete;
    ControllerFlashExport& operator=(const ControllerFlashExport&) = delete;

    // Starts an export of `blocks` blocks from flash address `address` (a
    // previous export's thread is waited for first). The reports come from
    // the export's thread, in order; the read's own last report (100) is held
    // back until the file is written, so that Done or SaveFailed ends it.
    void start(std::filesystem::path path, uint32_t address, uint32_t blocks, KeepGoing keepGoing, Report report);
    // The read stops after the current block; what was read is still saved.
    void cancel() { cancelled_.store(true, std::memory_order_release); }
    // Waits for the export's thread.
    void wait();

private:
    void run(const std::filesystem::path& path, uint32_t address, uint32_t blocks, const KeepGoing& keepGoing,
             const Report& report);

    const int deviceId_;
    std::atomic<bool> cancelled_{false};
    std::thread thread_;
};
