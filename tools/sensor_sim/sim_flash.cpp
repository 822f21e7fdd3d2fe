#include "tools/sensor_sim/sim_flash.h"

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {
namespace {

constexpr uint8_t kControllerFlash = 164;
constexpr uint8_t kHeadFlash = 166;
constexpr uint32_t kPlainAddress = 256;
constexpr size_t kSubHeader = 9;
constexpr uint16_t kEraseFirst = 3;
constexpr uint16_t kEraseFurther = 4;
constexpr uint16_t kWrite = 5;
constexpr uint16_t kWriteLast = 6;
constexpr uint8_t kErased = 0xFF;

uint16_t readBigEndian16(const uint8_t* in) { return static_cast<uint16_t>((in[0] << 8) | in[1]); }

bool isEraseCommand(uint8_t command) { return command >= 58 && command <= 60; }
bool isWriteCommand(uint8_t command) { return command >= 26 && command <= 28; }

}  // namespace

std::vector<uint8_t> SimFlash::read(FlashTarget target, uint32_t address, size_t length) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Pages& source = target == FlashTarget::Head ? head_ : controller_;
    std::vector<uint8_t> bytes(length, kErased);
    for (size_t i = 0; i < length; ++i) {
        const uint32_t at = address + static_cast<uint32_t>(i);
        auto page = source.find(at / kPage * kPage);
        if (page != source.end()) bytes[i] = page->second[at % kPage];
    }
    return bytes;
}

void SimFlash::rejectHeadCommands(int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    rejections_ = times;
}

void SimFlash::failFromChunk(FlashTarget target, size_t chunk) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t index = static_cast<size_t>(target);
    failFrom_[index] = requests_[index] + chunk;
}

size_t SimFlash::requests(FlashTarget target) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_[static_cast<size_t>(target)];
}

bool SimFlash::admit(FlashTarget target) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t index = static_cast<size_t>(target);
    return requests_[index]++ < failFrom_[index];
}

void SimFlash::write(Pages& target, uint32_t address, const uint8_t* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const uint32_t at = address + static_cast<uint32_t>(i);
        auto& page = target[at / kPage * kPage];
        if (page.empty()) page.assign(kPage, kErased);
        page[at % kPage] = bytes[i];
    }
}

void SimFlash::erase(Pages& target, uint32_t address, size_t length) {
    const uint32_t first = address / kPage * kPage;
    target.erase(target.lower_bound(first), target.lower_bound(address + static_cast<uint32_t>(length)));
}

void SimFlash::onControllerFlash(const Request& request, ReplyWriter& reply) {
    if (!admit(FlashTarget::Controller)) {
        reply.echo(request.opcode, request.address + 1, request.value);
        return;
    }
    if (request.address == kPlainAddress) {
        std::lock_guard<std::mutex> lock(mutex_);
        write(controller_, request.value, request.payload.data(), request.payload.size());
    }
    reply.echo(request.opcode, request.address, request.value);
}

void SimFlash::onHeadFlash(const Request& request, ReplyWriter& reply) {
    if (!admit(FlashTarget::Head)) {
        if (request.hi() == 0)
            reply.echo(request.opcode, request.address + 1, request.value);
        else
            reply.echo(request.opcode, request.address, 0);
        return;
    }
    if (request.hi() == 0) {
        if (request.address == kPlainAddress) {
            std::lock_guard<std::mutex> lock(mutex_);
            write(head_, request.value, request.payload.data(), request.payload.size());
        }
        reply.echo(request.opcode, request.address, request.value);
        return;
    }
    reply.echo(request.opcode, request.address, headCommand(request) ? kAcceptBit : 0);
}

// Carries out one command of the head's sub-protocol; false when refused.
bool SimFlash::headCommand(const Request& request) {
    const std::vector<uint8_t>& payload = request.payload;
    if (payload.size() < kSubHeader) return false;
    const uint8_t command = payload[0];
    const uint32_t address = readBigEndian32(&payload[3]);
    const uint16_t length = readBigEndian16(&payload[7]);
    std::lock_guard<std::mutex> lock(mutex_);
    if (rejections_ > 0) {
        --rejections_;
        return false;
    }
    const uint16_t step = request.hi();
    if ((step == kEraseFirst || step == kEraseFurther) && isEraseCommand(command)) {
        erase(head_, address, kSector);
        return true;
    }
    if ((step == kWrite || step == kWriteLast) && isWriteCommand(command) &&
        payload.size() == kSubHeader + length) {
        write(head_, address, payload.data() + kSubHeader, length);
        return true;
    }
    return false;
}

std::shared_ptr<SimFlash> installFlash(SimSensor& sensor) {
    auto flash = std::make_shared<SimFlash>();
    // The low half of the packet address is the payload length of every flash request.
    const PayloadSize payloadLength = [](const Request& request) -> size_t { return request.lo(); };
    sensor.registerOpcodeHandler(
        kControllerFlash,
        [flash](SimSensor&, const Request& request, ReplyWriter& reply) { flash->onControllerFlash(request, reply); },
        payloadLength);
    sensor.registerOpcodeHandler(
        kHeadFlash,
        [flash](SimSensor&, const Request& request, ReplyWriter& reply) { flash->onHeadFlash(request, reply); },
        payloadLength);
    return flash;
}

}  // namespace sensor_sim
