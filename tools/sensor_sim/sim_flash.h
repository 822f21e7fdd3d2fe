#pragma once
// The simulated sensor's flash memories: the controller's (opcode 164) and
// the head's (opcode 166). Both take plain 256-byte chunks at address 256
// (value = flash address); the head also speaks its sub-protocol, where the
// packet address's high half names the step (3 erase first sector, 4 erase
// further sectors, 5 write a segment, 6 write the last segment), its low half
// the payload length, and every payload starts with a 9-byte big-endian
// sub-header: command, sequence number (16 bits), flash address (32 bits),
// length (16 bits). An accepted head command is echoed with bit 0x10 set.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace sensor_sim {

class SimSensor;
struct Request;
class ReplyWriter;

enum class FlashTarget { Controller, Head };

class SimFlash {
public:
    static constexpr size_t kPage = 256;
    static constexpr size_t kSector = 0x10000;
    static constexpr uint32_t kAcceptBit = 0x10;

    // Flash bytes; never written or erased bytes read 0xFF.
    std::vector<uint8_t> read(FlashTarget target, uint32_t address, size_t length) const;
    // The next `times` head commands are answered without the accept bit.
    void rejectHeadCommands(int times);
    // Every flash request to the target from its `chunk`-th (from 0, counted
    // from now) on is refused: a plain chunk gets an echo of another address,
    // a head command no accept bit. The bytes before it stay written.
    void failFromChunk(FlashTarget target, size_t chunk);
    // Flash requests the target received (refused ones too).
    size_t requests(FlashTarget target) const;

    void onControllerFlash(const Request& request, ReplyWriter& reply);
    void onHeadFlash(const Request& request, ReplyWriter& reply);

private:
    using Pages = std::map<uint32_t, std::vector<uint8_t>>;  // by page address

    bool headCommand(const Request& request);
    // Counts a request to the target; false when the failure knob refuses it.
    bool admit(FlashTarget target);
    void write(Pages& pages, uint32_t address, const uint8_t* bytes, size_t length);
    void erase(Pages& pages, uint32_t address, size_t length);

    mutable std::mutex mutex_;
    Pages controller_;
    Pages head_;
    int rejections_ = 0;
    size_t requests_[2] = {0, 0};           // by target
    size_t failFrom_[2] = {SIZE_MAX, SIZE_MAX};  // request count from which requests are refused
};

// Makes the sensor answer opcodes 164 and 166; the returned object lets a
// test read the flash and make the head refuse commands.
std::shared_ptr<SimFlash> installFlash(SimSensor& sensor);

}  // namespace sensor_sim
