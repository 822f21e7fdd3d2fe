#pragma once
// The height-map export: the height view's save dialog and its end-of-batch
// auto-save both end in exportHeightData, which copies the client's batch on
// a worker thread of the application's export runner and writes the file the
// name's suffix selects (height_export_writers.h). The result comes back to
// the GUI thread: a failure of a chosen file is shown in an OK-only "提示" box,
// a failed auto-save goes to the GUI log.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include "views/height/height_export_writers.h"

class HeightExportRunner;
class LinelaserClient;

// Where an export was asked for, which decides how a failure is reported.
enum class HeightExportOrigin { Dialog, AutoSave };

struct HeightExportResult {
    HeightExportStatus status = HeightExportStatus::Written;
    QString path;  // the file written (or that would have been)
};

// What the worker needs besides the client, gathered in the GUI thread.
struct HeightExportJob {
    QString path;
    float precision = 0.1f;     // customized TIF, micrometres per code step
    HeightExportParams params;  // yPitch is read by the worker
};

// The save-dialog flow of the export button: "没有数据!" without rows, else
// the file dialog (starting in the last folder with the name heightline_mm),
// the chosen name kept in settings.ini, and the export.
void saveHeightDataWithDialog(QWidget* owner);

// The end-of-batch auto-save: "batch_data/<time stamp>.customized.tif" in the
// working folder.
void autoSaveHeightData(QWidget* owner);

// The dialog's start: the folder of the last path with the name heightline_mm.
QString heightExportStartPath(const QString& lastPath);

// Starts the export of the client's batch to path on the runner (the
// application's when null) and returns at once. done, when given, receives
// the result in the GUI thread after the report.
void exportHeightData(QWidget* owner, const QString& path, HeightExportOrigin origin,
                      HeightExportRunner* runner = nullptr,
                      std::function<void(const HeightExportResult&)> done = {});

// The worker's whole job, on its own thread: copy the batch, pick the writer,
// write.
HeightExportResult exportWorker(LinelaserClient& client, const HeightExportJob& job);
