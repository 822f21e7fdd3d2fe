#pragma once
// The settings-file export and import jobs of the main window. They run on a
// worker thread, touch no widget and report through `report` (the window's
// queued signal_prompt_settings: progress 0..100, or -1 for a failure with
// its box text and title). The transfers pause the client's live reads of
// device 0 while they run; the link is always resumed last.
#include <QString>

#include <atomic>
#include <functional>

#include "sensor_interface/registry/device_functions.h"

struct SettingsJobContext {
    // The main window's settingsBlocks: filled by the export, sent by the import.
    SettingsBlockMap* blocks = nullptr;
    // Set while a job runs; the transfers' progress callbacks return it.
    std::atomic<bool>* progressActive = nullptr;
    // progress, label (or failure text), title.
    std::function<void(int, const QString&, const QString&)> report;
};

// Reads the sensor's settings into *blocks and writes them to the file.
void exportSettingsWorker(const QString& path, const SettingsJobContext& context);
// Writes *blocks (read from a file) into the sensor and stores them permanently.
void importSettingsWorker(const SettingsJobContext& context);
