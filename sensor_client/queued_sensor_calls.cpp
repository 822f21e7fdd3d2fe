#include "sensor_client/queued_sensor_calls.h"

#include "platform/thread_start.h"

QueuedSensorCalls::QueuedSensorCalls(std::function<int(int*)> call, QObject* parent)
    : QObject(parent), call_(std::move(call)) {}

QueuedSensorCalls::~QueuedSensorCalls() { stop(); }

quint64 QueuedSensorCalls::request() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return 0;
    queue_.push_back(++lastTicket_);
    if (!working_) {
        // The last worker found the queue empty and has returned, or is returning.
        if (worker_.joinable()) worker_.join();
        working_ = true;
        worker_ = mirevo::platform::startThread([this] { work(); });
    }
    return lastTicket_;
}

void QueuedSensorCalls::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    if (worker_.joinable()) worker_.join();
}

void QueuedSensorCalls::work() {
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
        const int status = call_(&value);
        emit answered(ticket, status, value);
    }
}
