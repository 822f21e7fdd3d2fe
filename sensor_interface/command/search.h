#pragma once
// The device search: one register-read packet broadcast from every adapter of
// the computer that can broadcast, and the sensors that answer within the wait.
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "sensor_interface/command/search_reply.h"

// The process-wide list of the last search: 20 IPv4 addresses in network byte
// order, the unused ones 0. Callers of the exported search read it through the
// pointer they got back; it changes only when the next search finishes, in one
// step under its lock.
class SearchResultTable {
public:
    static SearchResultTable& instance();

    // Replaces the entries (at most 20 are kept) and returns the table.
    const uint32_t* publish(const std::vector<uint32_t>& addresses);
    std::vector<uint32_t> entries() const;

private:
    mutable std::mutex mutex_;
    std::array<uint32_t, kSearchTableSize> table_{};
    size_t count_ = 0;
};

// Addresses (network byte order) the search sends from: IPv4 addresses of the
// adapters that are up and can broadcast. Loopback cannot reach a sensor.
std::vector<uint32_t> searchLocalAddresses();

// From each local address in turn: bind port 20010, broadcast the request; then
// wait and read every queued reply into the collector. False on the first
// socket failure (logged at level 1); the sockets are closed either way.
bool search_send(SearchCollector& collector, int waitMs, const std::vector<uint32_t>& localAddresses);

// The table after a search, with the number of entries in *count; null when no
// count pointer is given or the search failed. One search runs at a time.
const uint32_t* search_online(int* count, int waitMs);
