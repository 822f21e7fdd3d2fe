#pragma once
// Runs one-shot jobs (the height-map exports) on threads of their own and
// owns those threads: each is joined when its job has ended, and every one
// still running is waited for when the runner goes or waitAll is called. The
// application's runner waits when the application is about to quit, so no
// export outlives the sensor client it reads from.
#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <thread>

class HeightExportRunner : public QObject {
    Q_OBJECT
public:
    explicit HeightExportRunner(QObject* parent = nullptr);
    ~HeightExportRunner() override;  // waits for every job
    HeightExportRunner(const HeightExportRunner&) = delete;
    HeightExportRunner& operator=(const HeightExportRunner&) = delete;

    // The runner of the running application: a child of it, made on first
    // use, that waits for its jobs on aboutToQuit. Call from the GUI thread;
    // null without an application.
    static HeightExportRunner* forApplication();

    // Runs work on a new thread; afterwards done runs in this object's thread
    // from its event loop (not after the runner has gone). Call from the
    // runner's thread.
    void start(std::function<void()> work, std::function<void()> done = {});
    // Jobs whose done has not run yet.
    int pending() const { return static_cast<int>(jobs_.size()); }

public slots:
    // Blocks until every job's work has ended; their done functions still run
    // from the event loop.
    void waitAll();

signals:
    // Emitted by the job's own thread as its last act.
    void workEnded(quint64 id);

private slots:
    void finishJob(quint64 id);

private:
    struct Job {
        std::thread thread;
        std::function<void()> done;
    };
    std::map<quint64, Job> jobs_;
    quint64 nextId_ = 1;
};
