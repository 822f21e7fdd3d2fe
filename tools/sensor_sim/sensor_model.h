#pragma once
// What the simulated sensor holds beyond its registers: head identity and
// optics, calibration polynomials, parameter blocks, the shape block, the
// settings block, measured values and its memory. The defaults make a healthy,
// deterministic sensor; tests change what they need.
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sensor_sim {

class SimSensor;

struct HeadPreset {
    std::string model = "ZP5160";              // model[2] is the series character
    std::string headSerial = "ZPH00000001";
    std::string controllerSerial = "ZPC00000001";
    // x scale a*D^2 + b*D + c and x offset d*D + e of a distance D.
    std::array<double, 5> optics{0.0, 0.0, 0.02, 0.0, 0.0};
};

class SensorModel {
public:
    static constexpr int kCalibrationColumns = 2048;
    static constexpr int kCoefficients = 10;
    static constexpr int kParameterBlocks = 16;
    static constexpr int kParameterValues = 128;
    static constexpr size_t kSmallBlock = 256;

    SensorModel();

    // --- presets for tests ---
    void setHead(const HeadPreset& head);
    HeadPreset head() const;
    // Coefficients of one column, highest power first.
    void setCalibrationColumn(int column, const std::array<double, kCoefficients>& coefficients);
    std::array<double, kCoefficients> calibrationColumn(int column) const;
    // The distance the calibration gives for a camera row of a column.
    double distanceAt(int column, double row) const;
    // Replaces the calibration stream with these bytes (a damaged table).
    void overrideCalibrationStream(std::optional<std::vector<uint8_t>> bytes);
    void setParameterBlock(int block, const std::vector<int32_t>& values);
    void setSettingsWords(const std::vector<uint32_t>& words);
    std::vector<uint32_t> settingsWords() const;
    // The sensor's settings list: when set, the settings block is the values
    // of these registers in this order (a read takes them from the register
    // store, a write sets them) instead of the free words above.
    void setSettingsRegisters(const std::vector<uint32_t>& addresses);
    std::vector<uint32_t> settingsRegisters() const;
    void setMeasuredValues(const std::vector<int32_t>& values);
    // Replaces the measured-value reply with these bytes (a damaged reply).
    void overrideMeasuredReply(std::optional<std::vector<uint8_t>> bytes);
    std::vector<uint8_t> shapeBlock() const;
    std::vector<uint8_t> storedShapeBlock() const;  // what the last kind-3 write made permanent
    // The permanent store (kind 3) of the shape block is refused (wrong-address
    // echo) while set; loading and reading the block still work.
    void setShapeStoreFails(bool fails);
    bool shapeStoreFails() const;

    // --- the bytes the sensor sends, from its own encoders ---
    std::vector<uint8_t> calibrationStream() const;
    std::vector<uint8_t> parameterHalf(uint32_t requestValue) const;
    std::vector<uint8_t> headRecord(uint8_t opcode) const;
    std::vector<uint8_t> settingsReply() const;
    std::vector<uint8_t> measuredReply() const;
    std::vector<uint8_t> memoryBlock(uint32_t address) const;
    static uint8_t memoryByte(uint32_t address) { return static_cast<uint8_t>(address * 7u + 3u); }

    // --- what the sensor receives ---
    void loadShapeBlock(const std::vector<uint8_t>& bytes);
    void storeShapeBlock();
    void takeSettingsBlock(const std::vector<uint8_t>& payload);

private:
    mutable std::mutex mutex_;
    HeadPreset head_;
    std::vector<std::array<double, kCoefficients>> calibration_;
    std::optional<std::vector<uint8_t>> calibrationOverride_;
    std::vector<std::vector<int32_t>> parameterBlocks_;
    std::vector<uint8_t> shape_;
    std::vector<uint8_t> storedShape_;
    bool shapeStoreFails_ = false;
    std::vector<uint32_t> settingsWords_;
    std::vector<uint32_t> settingsRegisters_;
    std::vector<int32_t> measured_;
    std::optional<std::vector<uint8_t>> measuredOverride_;
};

// Makes the sensor answer the block opcodes (165, 172, 176, 177, 178, 182,
// 183, 184, 185, 190) from its model.
void installBlockHandlers(SimSensor& sensor);

}  // namespace sensor_sim
