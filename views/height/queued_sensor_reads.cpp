#include "views/height/queued_sensor_reads.h"

QueuedSensorReads::QueuedSensorReads(std::function<int(int*)> read, QObject* parent)
    : QObject(parent), read_(std::move(read)) {}

QueuedSensorReads::~QueuedSensorReads() { stop(); }

quint64 QueuedSensorReads::request() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return 0;
    // The worker is made on the first request: a page that never reads has no thread.
    if (!worker_.joinable()) worker_ = std::thread([this] { work(); });
    queue_.push_back(++lastTicket_);
    wake_.notify_one();
    return lastTicket_;
}

void QueuedSensorReads::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
}

void QueuedSensorReads::work() {
    for (;;) {
        quint64 ticket = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            ticket = queue_.front();
            queue_.pop_front();
        }
        int value = 0;
        const int status = read_(&value);
        emit answered(ticket, status, value);
    }
}
