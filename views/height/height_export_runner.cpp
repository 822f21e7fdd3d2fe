#include "views/height/height_export_runner.h"

#include <QCoreApplication>

#include "platform/thread_start.h"

namespace {
const char* const kApplicationRunnerName = "heightExportRunner";
}

HeightExportRunner::HeightExportRunner(QObject* parent) : QObject(parent) {
    // Queued: the signal comes from the job's thread.
    connect(this, &HeightExportRunner::workEnded, this, &HeightExportRunner::finishJob, Qt::QueuedConnection);
}

HeightExportRunner::~HeightExportRunner() { waitAll(); }

HeightExportRunner* HeightExportRunner::forApplication() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return nullptr;
    auto* runner = app->findChild<HeightExportRunner*>(QLatin1String(kApplicationRunnerName),
                                                       Qt::FindDirectChildrenOnly);
    if (!runner) {
        runner = new HeightExportRunner(app);
        runner->setObjectName(QLatin1String(kApplicationRunnerName));
        connect(app, &QCoreApplication::aboutToQuit, runner, &HeightExportRunner::waitAll);
    }
    return runner;
}

void HeightExportRunner::start(std::function<void()> work, std::function<void()> done) {
    const quint64 id = nextId_++;
    Job& job = jobs_[id];
    job.done = std::move(done);
    job.thread = mirevo::platform::startThread([this, id, work = std::move(work)] {
        work();
        emit workEnded(id);
    });
}

void HeightExportRunner::waitAll() {
    for (auto& entry : jobs_)
        if (entry.second.thread.joinable()) entry.second.thread.join();
}

void HeightExportRunner::finishJob(quint64 id) {
    auto it = jobs_.find(id);
    if (it == jobs_.end()) return;
    if (it->second.thread.joinable()) it->second.thread.join();
    std::function<void()> done = std::move(it->second.done);
    jobs_.erase(it);
    if (done) done();
}
