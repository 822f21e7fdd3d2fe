#pragma once
// The answers to the device search and how they become the list of sensors:
// at most 20 addresses, with the heads of four-head sensors folded into one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

constexpr uint16_t kSearchPort = 20010;
constexpr uint32_t kSearchRegister = 167;
constexpr size_t kSearchTableSize = 20;
// Bytes read per reply; longer datagrams are cut.
constexpr size_t kSearchReplyCapacity = 32;

struct SearchReply {
    uint32_t addressNet = 0;  // the sensor's IPv4 address, network byte order
    bool fourHeadSensor = false;
};

// A reply to the search, or nothing when the datagram is not one: too short,
// another register, or no address. Only a reply of exactly 27 bytes carries the
// model text whose 'F' marks a head of a four-head sensor.
std::optional<SearchReply> parseSearchReply(const uint8_t* data, size_t size);

// Collects replies into the sensor list. Every reply is listed as it comes,
// duplicates included (a sensor seen on two adapters is listed twice); the
// heads of four-head sensors are listed once, by the lowest of their addresses,
// after all others.
class SearchCollector {
public:
    // False once the list is full: further replies are not to be read.
    bool add(const SearchReply& reply);
    bool full() const { return addresses_.size() >= kSearchTableSize; }
    // The final list, four-head sensor last.
    std::vector<uint32_t> finish() const;

private:
    // The heads of one sensor differ in the last octet, so the order compares
    // the last address byte first.
    static uint32_t headOrder(uint32_t addressNet);

    std::vector<uint32_t> addresses_;
    std::optional<uint32_t> lowestFourHead_;
};
