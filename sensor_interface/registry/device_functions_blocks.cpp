// Shape block, memory and measured-value blocks, the settings blocks of the
// settings file, and firmware images.
#include <any>
#include <limits>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/device_functions_rules.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {

// Set before every shape-block write; the sensor expects it first.
constexpr uint32_t kShapeWriteEnableRegister = 230;
constexpr int kShapeBlockBytes = static_cast<int>(SensorController::kSmallBlockBytes);
constexpr int kShapeLoadKind = 1;
constexpr int kShapeStoreKind = 3;
// The settings words are the bulk of an export or import: they count as 98 %.
constexpr int kSettingsWordsProgress = 98;

bool report(const DeviceProgress& progress, int percent) { return !progress || progress(percent); }

int writeShapeBlock(SensorController& controller, int kind, const void* data, int size) {
    const int status = export_registers::write(controller, kShapeWriteEnableRegister, 1);
    if (status != HVQ5_RC_OK) return status;
    return controller.writeShapeBlock(kind, static_cast<const uint8_t*>(data), size);
}

int readSettingsBlocks(SensorController& controller, SettingsBlockMap& blocks, const DeviceProgress& progress) {
    std::vector<uint32_t> words;
    int status = controller.readSettingsBlock(words);
    if (status != HVQ5_RC_OK) return status;
    report(progress, kSettingsWordsProgress);
    blocks[kSettingsWordsBlock] = device_rules::pairsOfWords(words);

    std::vector<uint8_t> shape(SensorController::kSmallBlockBytes);
    status = controller.readShapeBlock(shape.data(), kShapeBlockBytes);
    if (status != HVQ5_RC_OK) return status;
    blocks[kShapeBlockCode] = std::move(shape);
    return HVQ5_RC_OK;
}

int writeSettingsBlock(SensorController& controller, uint8_t code, const std::any& block,
                       const DeviceProgress& progress) {
    if (code == kSettingsWordsBlock) {
        const auto* pairs = std::any_cast<SettingsWordPairs>(&block);
        if (pairs == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        const int status = controller.writeSettingsBlock(device_rules::wordsOfPairs(*pairs));
        if (status != HVQ5_RC_OK) return status;
        report(progress, kSettingsWordsProgress);
        return HVQ5_RC_OK;
    }
    if (code == kShapeBlockCode) {
        const auto* bytes = std::any_cast<std::vector<uint8_t>>(&block);
        if (bytes == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        const int size = bytes->size() > static_cast<std::size_t>(std::numeric_limits<int>::max())
                             ? -1
                             : static_cast<int>(bytes->size());
        const int status = writeShapeBlock(controller, kShapeLoadKind, bytes->data(), size);
        if (status != HVQ5_RC_OK) return status;
        return writeShapeBlock(controller, kShapeStoreKind, nullptr, size);
    }
    return HVQ5_RC_BAD_ARGUMENT;
}

}  // namespace

int hvq5_read_block(int id, uint32_t /*kind*/, void* buffer, int size) {
    return deviceStatusCall(id, [buffer, size](tandrel_zp_clients& device) {
        if (buffer == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        return device.controller.readShapeBlock(static_cast<uint8_t*>(buffer), size);
    });
}

int hvq5_write_block(int id, int kind, const void* data, int size) {
    return deviceStatusCall(id, [kind, data, size](tandrel_zp_clients& device) {
        return writeShapeBlock(device.controller, kind, data, size);
    });
}

int hvq5_read_block_165(int id, int start, uint32_t count, std::vector<uint8_t>* out,
                        const DeviceProgress& progress) {
    return deviceStatusCall(id, [start, count, out, &progress](tandrel_zp_clients& device) {
        if (out == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        return device.controller.readMemoryBlocks(static_cast<uint32_t>(start), count, *out, progress);
    });
}

int hvq5_read_block_190(int id, std::vector<int32_t>* values) {
    return deviceStatusCall(id, [values](tandrel_zp_clients& device) {
        if (values == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        return device.controller.readMeasuredValues(*values);
    });
}

int hvq5_read_settings_block(int id, SettingsBlockMap* blocks, const DeviceProgress& progress) {
    return deviceStatusCall(id, [blocks, &progress](tandrel_zp_clients& device) {
        if (blocks == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        return readSettingsBlocks(device.controller, *blocks, progress);
    });
}

int hvq5_write_settings_block(int id, const SettingsBlockMap* blocks, const DeviceProgress& progress) {
    return deviceStatusCall(id, [blocks, &progress](tandrel_zp_clients& device) {
        if (blocks == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        for (const auto& [code, block] : *blocks) {
            const int status = writeSettingsBlock(device.controller, code, block, progress);
            if (status != HVQ5_RC_OK) return status;
        }
        device.controller.loadUserRegisters();
        return HVQ5_RC_OK;
    });
}

int hvq5_write_head_image(int id, uint64_t address, const char* data, uint64_t size,
                          const DeviceProgress& progress) {
    return deviceStatusCall(id, [=, &progress](tandrel_zp_clients& device) {
        if (address > std::numeric_limits<uint32_t>::max() || size > std::numeric_limits<std::size_t>::max())
            return HVQ5_RC_BAD_ARGUMENT;
        return device.controller.flashHeadImage(static_cast<uint32_t>(address), reinterpret_cast<const uint8_t*>(data),
                                                static_cast<std::size_t>(size), progress);
    });
}

int hvq5_write_image(int id, uint64_t opcode, uint64_t address, const char* data, uint64_t size,
                     const DeviceProgress& progress) {
    return deviceStatusCall(id, [=, &progress](tandrel_zp_clients& device) {
        if (opcode > std::numeric_limits<uint8_t>::max() || address > std::numeric_limits<uint32_t>::max() ||
            size > std::numeric_limits<std::size_t>::max())
            return HVQ5_RC_BAD_ARGUMENT;
        return device.controller.flashImage(static_cast<uint8_t>(opcode), static_cast<uint32_t>(address),
                                            reinterpret_cast<const uint8_t*>(data), static_cast<std::size_t>(size),
                                            progress);
    });
}
