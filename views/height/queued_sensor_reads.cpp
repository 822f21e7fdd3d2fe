#include "views/height/queued_sensor_reads.h"

QueuedSensorReads::QueuedSensorReads(std::function<int(int*)> read, QObject* parent)
    : QObject(parent), read_(std::move(read)) {}

QueuedSensorReads::~QueuedSensorReads() { stop(); }

quint64 QueuedSensorReads::request() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return 0;
    queue_.push_back(++lastTicket_);
    if (!working_) {
        // The last worker found the queue empty and has returned, or is returning.
        if (worker_.joinable()) worker_.join();
        working_ = true;
        worker_ = std::thread([this] { work(); });
    }
    return lastTicket_;
}

void QueuedSensorReads::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    if (worker_.joinable()) worker_.join();
}

void QueuedSensorReads::work() {
    for (;;) {
        quint64 ticket = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ || queue_.empty()) {
                working_ = false;
                return;
            }
            ticket = queue_.front();
            queue_.pop_front();
        }
        int value = 0;
        const int status = read_(&value);
        emit answered(ticket, status, value);
    }
}
