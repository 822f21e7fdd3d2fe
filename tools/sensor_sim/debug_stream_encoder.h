#pragma once
// Builds the DEBUG stream the sensor sends for the live profile and the raw
// camera image: "DEBUG,start\r\n", tagged records, "DEBUG,end\r\n".
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sensor_sim {

struct DebugInfoRecord {
    uint8_t intensityFlag = 0;     // profile records carry 2048 intensity bytes
    uint32_t word1 = 0;
    uint16_t imageRows = 0;
    uint16_t word2 = 0;
    std::array<uint8_t, 6> flags{};  // flags[1]: 32-bit image and profile, flags[4]: 32-bit profile
};

class DebugStreamEncoder {
public:
    static constexpr size_t kColumns = 2048;
    static constexpr size_t kFrameHeaderBytes = 32;

    DebugStreamEncoder();

    DebugStreamEncoder& info(const DebugInfoRecord& record);
    // "get": the raw camera image, rows x 2048 bytes.
    DebugStreamEncoder& image(const std::vector<uint8_t>& pixels);
    // "algdat1": a zero header, the intensity bytes when given (2048), then the
    // 2048 values in 16 or 32 bits, little-endian.
    DebugStreamEncoder& profile(const std::vector<uint32_t>& values, bool words32,
                                const std::vector<uint8_t>& intensity = {});
    // Any record: tag, ",", content, ",end\r\n".
    DebugStreamEncoder& record(const std::string& tag, const std::vector<uint8_t>& content);
    // Bytes as they are, to build broken streams.
    DebugStreamEncoder& raw(const std::string& bytes);

    // The stream so far with its closing "DEBUG,end\r\n".
    std::vector<uint8_t> finish() const;
    // The stream so far without the closing line.
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace sensor_sim
