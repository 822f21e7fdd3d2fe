#pragma once
// Runs a window's calls to the sensor off the GUI thread, so that a command
// channel that answers late (seconds, when another job holds it or the sensor
// is slow) never holds the event loop: one worker thread makes the calls one
// at a time in the order they were asked for, and each result (the
// interface's status and one value) comes back to the owner's thread through
// a queued signal, with the ticket of its request so that the owner can keep
// only the latest. The worker lives only while calls wait (an idle window
// keeps no thread). Owned and joined: stop (or the destructor) drops the
// calls not yet begun and waits for the one under way. The call runs on the
// worker thread: it must not touch widgets.
#include <QObject>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QueuedSensorCalls : public QObject {
    Q_OBJECT
public:
    // call(&value) asks the sensor and returns the interface's status.
    explicit QueuedSensorCalls(std::function<int(int*)> call, QObject* parent = nullptr);
    ~QueuedSensorCalls() override;
    QueuedSensorCalls(const QueuedSensorCalls&) = delete;
    QueuedSensorCalls& operator=(const QueuedSensorCalls&) = delete;

    // Queues one call and returns its ticket (never 0, increasing). After
    // stop nothing is queued and 0 is returned.
    quint64 request();
    // Drops the calls not yet begun and joins the worker; answers already
    // sent may still be delivered to the owner's event loop.
    void stop();

signals:
    // Once per call that ran, from the worker thread: connect it queued (the
    // default across threads) to an object of the owner's thread.
    void answered(quint64 ticket, int status, int value);

private:
    void work();

    std::function<int(int*)> call_;
    std::mutex mutex_;
    std::deque<quint64> queue_;
    quint64 lastTicket_ = 0;
    bool stopping_ = false;
    bool working_ = false;  // the worker takes calls from the queue until it is empty
    std::thread worker_;
};
