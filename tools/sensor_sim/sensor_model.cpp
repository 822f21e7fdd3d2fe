#include "tools/sensor_sim/sensor_model.h"

#include <algorithm>
#include <cstring>

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {
namespace {

void appendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    writeBigEndian32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void appendBigEndianDouble(std::vector<uint8_t>& out, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

// Head records carry a 4-character tag, a text field and CR LF.
void putTagged(std::vector<uint8_t>& record, const char* tag, const std::string& text, size_t textSize) {
    std::memcpy(record.data(), tag, 4);
    std::memcpy(record.data() + 4, text.data(), std::min(text.size(), textSize));
    record[4 + textSize] = 0x0D;
    record[5 + textSize] = 0x0A;
}

}  // namespace

SensorModel::SensorModel()
    : calibration_(kCalibrationColumns),
      parameterBlocks_(kParameterBlocks, std::vector<int32_t>(kParameterValues)),
      shape_(kSmallBlock, 0),
      storedShape_(kSmallBlock, 0) {
    // Distance grows linearly with the camera row, the same in every column.
    for (auto& column : calibration_) {
        column.fill(0.0);
        column[8] = 40.0;
        column[9] = 20000.0;
    }
    for (int block = 0; block < kParameterBlocks; ++block)
        for (int i = 0; i < kParameterValues; ++i) parameterBlocks_[block][i] = block * 1000 + i;
    for (uint32_t i = 0; i < 32; ++i) settingsWords_.push_back(i * 3);
    measured_ = {1000, -2000, 3000, 0};
}

void SensorModel::setHead(const HeadPreset& head) {
    std::lock_guard<std::mutex> lock(mutex_);
    head_ = head;
}

HeadPreset SensorModel::head() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return head_;
}

void SensorModel::setCalibrationColumn(int column, const std::array<double, kCoefficients>& coefficients) {
    std::lock_guard<std::mutex> lock(mutex_);
    calibration_.at(static_cast<size_t>(column)) = coefficients;
}

std::array<double, SensorModel::kCoefficients> SensorModel::calibrationColumn(int column) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calibration_.at(static_cast<size_t>(column));
}

double SensorModel::distanceAt(int column, double row) const {
    std::lock_guard<std::mutex> lock(mutex_);
    double distance = 0.0;
    for (double coefficient : calibration_.at(static_cast<size_t>(column))) distance = distance * row + coefficient;
    return distance;
}

void SensorModel::overrideCalibrationStream(std::optional<std::vector<uint8_t>> bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    calibrationOverride_ = std::move(bytes);
}

void SensorModel::setParameterBlock(int block, const std::vector<int32_t>& values) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& target = parameterBlocks_.at(static_cast<size_t>(block));
    std::fill(target.begin(), target.end(), 0);
    std::copy_n(values.begin(), std::min(values.size(), target.size()), target.begin());
}

void SensorModel::setSettingsWords(const std::vector<uint32_t>& words) {
    std::lock_guard<std::mutex> lock(mutex_);
    settingsWords_ = words;
}

std::vector<uint32_t> SensorModel::settingsWords() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settingsWords_;
}

void SensorModel::setMeasuredValues(const std::vector<int32_t>& values) {
    std::lock_guard<std::mutex> lock(mutex_);
    measured_ = values;
}

void SensorModel::overrideMeasuredReply(std::optional<std::vector<uint8_t>> bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    measuredOverride_ = std::move(bytes);
}

std::vector<uint8_t> SensorModel::shapeBlock() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shape_;
}

std::vector<uint8_t> SensorModel::storedShapeBlock() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return storedShape_;
}

std::vector<uint8_t> SensorModel::calibrationStream() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (calibrationOverride_) return *calibrationOverride_;
    std::vector<uint8_t> out;
    out.reserve(size_t(kCalibrationColumns) * kCoefficients * 8);
    // Column-major: all 2048 first coefficients, then all second ones, ...
    for (int j = 0; j < kCoefficients; ++j)
        for (int c = 0; c < kCalibrationColumns; ++c) appendBigEndianDouble(out, calibration_[c][j]);
    return out;
}

std::vector<uint8_t> SensorModel::parameterHalf(uint32_t requestValue) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t block = (requestValue / 2) % kParameterBlocks;
    const size_t first = (requestValue % 2) * (kParameterValues / 2);
    std::vector<uint8_t> out;
    for (size_t i = 0; i < kParameterValues / 2; ++i)
        appendBigEndian32(out, static_cast<uint32_t>(parameterBlocks_[block][first + i]));
    return out;
}

std::vector<uint8_t> SensorModel::headRecord(uint8_t opcode) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint8_t> record(kSmallBlock, 0);
    switch (opcode) {
    case 176:
        putTagged(record, "ZP-H", head_.model, 16);
        break;
    case 182:
        putTagged(record, "ZP-H", head_.headSerial, 16);
        break;
    case 184:
        putTagged(record, "ZP-C", head_.controllerSerial, 16);
        break;
    case 183:
        // The optics doubles travel in the host's (little-endian) byte order.
        std::memcpy(record.data(), "ZP-H", 4);
        std::memcpy(record.data() + 4, head_.optics.data(), sizeof(double) * head_.optics.size());
        record[44] = 0x0D;
        record[45] = 0x0A;
        break;
    default:
        break;
    }
    return record;
}

void SensorModel::setSettingsRegisters(const std::vector<uint32_t>& addresses) {
    std::lock_guard<std::mutex> lock(mutex_);
    settingsRegisters_ = addresses;
}

std::vector<uint32_t> SensorModel::settingsRegisters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settingsRegisters_;
}

std::vector<uint8_t> SensorModel::settingsReply() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint8_t> out;
    for (uint32_t word : settingsWords_) appendBigEndian32(out, word);
    return out;
}

std::vector<uint8_t> SensorModel::measuredReply() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (measuredOverride_) return *measuredOverride_;
    std::vector<uint8_t> out;
    for (int32_t value : measured_) appendBigEndian32(out, static_cast<uint32_t>(value));
    return out;
}

std::vector<uint8_t> SensorModel::memoryBlock(uint32_t address) const {
    std::vector<uint8_t> out(kSmallBlock);
    for (size_t i = 0; i < out.size(); ++i) out[i] = memoryByte(address + static_cast<uint32_t>(i));
    return out;
}

void SensorModel::loadShapeBlock(const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    shape_ = bytes;
    shape_.resize(kSmallBlock, 0);
}

void SensorModel::setShapeStoreFails(bool fails) {
    std::lock_guard<std::mutex> lock(mutex_);
    shapeStoreFails_ = fails;
}

bool SensorModel::shapeStoreFails() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shapeStoreFails_;
}

void SensorModel::storeShapeBlock() {
    std::lock_guard<std::mutex> lock(mutex_);
    storedShape_ = shape_;
}

void SensorModel::takeSettingsBlock(const std::vector<uint8_t>& payload) {
    std::lock_guard<std::mutex> lock(mutex_);
    settingsWords_.clear();
    for (size_t at = 0; at + 4 <= payload.size(); at += 4) settingsWords_.push_back(readBigEndian32(&payload[at]));
}

void installBlockHandlers(SimSensor& sensor) {
    auto withEcho = [](std::vector<uint8_t> (*body)(SimSensor&, const Request&)) {
        return [body](SimSensor& s, const Request& request, ReplyWriter& reply) {
            std::vector<uint8_t> out = encodePacket(request.opcode, request.address, 0);
            std::vector<uint8_t> payload = body(s, request);
            out.insert(out.end(), payload.begin(), payload.end());
            reply.write(out);
        };
    };

    sensor.registerOpcodeHandler(177, withEcho([](SimSensor& s, const Request&) { return s.model().calibrationStream(); }));
    sensor.registerOpcodeHandler(
        172, withEcho([](SimSensor& s, const Request& r) { return s.model().parameterHalf(r.value); }));
    for (uint8_t opcode : {176, 182, 183, 184})
        sensor.registerOpcodeHandler(
            opcode, withEcho([](SimSensor& s, const Request& r) { return s.model().headRecord(r.opcode); }));
    sensor.registerOpcodeHandler(
        165, withEcho([](SimSensor& s, const Request& r) { return s.model().memoryBlock(r.value); }));
    sensor.registerOpcodeHandler(190, withEcho([](SimSensor& s, const Request&) { return s.model().measuredReply(); }));

    // Shape block: read (lo 256, hi 0), load with payload (hi 1, lo 256), or
    // another kind k in the high half (3 stores the loaded block permanently).
    sensor.registerOpcodeHandler(
        178,
        [](SimSensor& s, const Request& r, ReplyWriter& reply) {
            std::vector<uint8_t> out = encodePacket(r.opcode, r.address, 0);
            if (r.hi() == 0) {
                std::vector<uint8_t> block = s.model().shapeBlock();
                out.insert(out.end(), block.begin(), block.end());
            } else if (r.hi() == 1) {
                s.model().loadShapeBlock(r.payload);
            } else if (r.hi() == 3) {
                if (s.model().shapeStoreFails()) {
                    reply.write(encodePacket(r.opcode, r.address + 1, r.value));
                    reply.write(std::string("END\r\n"));
                    return;
                }
                s.model().storeShapeBlock();
            }
            reply.write(out);
        },
        [](const Request& r) { return r.hi() == 1 ? size_t(r.lo()) : size_t(0); });

    // Settings block: read (address 0) or write (hi 2, lo = byte count).
    sensor.registerOpcodeHandler(
        185,
        [](SimSensor& s, const Request& r, ReplyWriter& reply) {
            std::vector<uint8_t> out = encodePacket(r.opcode, r.address, 0);
            const std::vector<uint32_t> list = s.model().settingsRegisters();
            if (r.hi() == 2 && list.empty()) {
                s.model().takeSettingsBlock(r.payload);
            } else if (r.hi() == 2) {
                // The words fill the listed registers in turn; extra words are dropped.
                for (size_t i = 0; i < list.size() && 4 * i + 4 <= r.payload.size(); ++i)
                    s.setReg(list[i], readBigEndian32(&r.payload[4 * i]));
            } else if (list.empty()) {
                std::vector<uint8_t> words = s.model().settingsReply();
                out.insert(out.end(), words.begin(), words.end());
            } else {
                for (uint32_t address : list) appendBigEndian32(out, s.reg(address));
            }
            reply.write(out);
        },
        [](const Request& r) { return r.hi() == 2 ? size_t(r.lo()) : size_t(0); });
}

}  // namespace sensor_sim
