#include "sensor_client/client_event_queue.h"

#include <algorithm>

void ClientEventQueue::push(const std::string& word) {
    std::lock_guard<std::mutex> lock(mutex_);
    words_.push_back(word);
    longest_ = std::max(longest_, words_.size());
}

std::optional<std::string> ClientEventQueue::takeFront() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (words_.empty()) return std::nullopt;
    std::string word = std::move(words_.front());
    words_.pop_front();
    return word;
}

void ClientEventQueue::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    words_.clear();
}

void ClientEventQueue::clearAcquisitionWords() {
    std::lock_guard<std::mutex> lock(mutex_);
    words_.erase(std::remove_if(words_.begin(), words_.end(),
                                [](const std::string& word) {
                                    return word != client_events::kOpen && word != client_events::kClose;
                                }),
                 words_.end());
}

std::size_t ClientEventQueue::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return words_.size();
}

std::size_t ClientEventQueue::longest() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return longest_;
}
