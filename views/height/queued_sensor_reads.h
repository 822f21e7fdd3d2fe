#pragma once
// Reads one sensor value off the GUI thread for a page that must stay live
// while the command channel answers late (seconds, when another window's job
// holds it or the sensor is slow): one worker thread runs the reads one at a
// time in the order they were asked for, and each answer comes back to the
// owner's thread through a queued signal, with the ticket of its request so
// that the owner can keep only the latest answer. The worker lives only while
// reads wait (an idle page keeps no thread). Owned and joined: stop (or the
// destructor) drops the reads not yet begun and waits for the one under way.
// The read function runs on the worker thread: it must not touch widgets.
#include <QObject>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QueuedSensorReads : public QObject {
    Q_OBJECT
public:
    // read(&value) asks the sensor and returns the interface's status.
    explicit QueuedSensorReads(std::function<int(int*)> read, QObject* parent = nullptr);
    ~QueuedSensorReads() override;
    QueuedSensorReads(const QueuedSensorReads&) = delete;
    QueuedSensorReads& operator=(const QueuedSensorReads&) = delete;

    // Queues one read and returns its ticket (never 0, increasing). After
    // stop nothing is queued and 0 is returned.
    quint64 request();
    // Drops the reads not yet begun and joins the worker; answers already
    // sent may still be delivered to the owner's event loop.
    void stop();

signals:
    // Once per read that ran, from the worker thread: connect it queued (the
    // default across threads) to an object of the owner's thread.
    void answered(quint64 ticket, int status, int value);

private:
    void work();

    std::function<int(int*)> read_;
    std::mutex mutex_;
    std::deque<quint64> queue_;
    quint64 lastTicket_ = 0;
    bool stopping_ = false;
    bool working_ = false;  // the worker takes reads from the queue until it is empty
    std::thread worker_;
};
