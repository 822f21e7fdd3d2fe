#pragma once
// The event words the client's threads post for the GUI thread: a
// double-ended queue of words under its own mutex. The client's 30 ms timer
// takes one word per tick and emits the matching signal.
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace client_events {
constexpr const char* kOpen = "open";            // a sensor was opened
constexpr const char* kClose = "close";          // the heartbeat lost the sensor
constexpr const char* kOneLine = "oneline";      // a new profile is in the client
constexpr const char* kOneImage = "oneimg";      // a new raw image is in the client
constexpr const char* kBatchStart = "batch_start";
constexpr const char* kBatchStop = "batch_stop";
}  // namespace client_events

class ClientEventQueue {
public:
    void push(const std::string& word);
    std::optional<std::string> takeFront();
    // Every word.
    void clear();
    // Every word but "open" and "close": a switch of acquisition mode must not
    // swallow the news that the sensor came or went.
    void clearAcquisitionWords();
    std::size_t size() const;
    // The most words that waited at once since construction.
    std::size_t longest() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::string> words_;
    std::size_t longest_ = 0;
};
