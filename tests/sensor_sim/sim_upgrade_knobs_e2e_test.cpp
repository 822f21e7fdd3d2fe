// The simulator's knobs for firmware upgrades, driven through the interface's
// own device functions: flash writes failing from a chunk on (the bytes
// before it kept), and a settings reset the sensor refuses.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_programs.h"

namespace {

using sensor_sim::FlashTarget;

class UpgradeKnobsTest : public mirevo::test::RegistryDeviceTest {
protected:
    UpgradeKnobsTest() : RegistryDeviceTest(163) {}

    void installServices(sensor_sim::SimSensor& sensor) override {
        flash = sensor_sim::installFlash(sensor);
        programs = sensor_sim::installPrograms(sensor);
    }

    static std::vector<char> image(size_t size) {
        std::vector<char> bytes(size);
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + 1);
        return bytes;
    }
    static std::vector<uint8_t> asBytes(const std::vector<char>& chars, size_t count) {
        return std::vector<uint8_t>(chars.begin(), chars.begin() + static_cast<long>(count));
    }

    std::shared_ptr<sensor_sim::SimFlash> flash;
    std::shared_ptr<sensor_sim::SimPrograms> programs;
};

TEST_F(UpgradeKnobsTest, ControllerFlashKeepsWhatWasWrittenThenFailsFromTheChunkOn) {
    const std::vector<char> bytes = image(1024);
    ASSERT_EQ(hvq5_write_image(kId, 164, 0, bytes.data(), bytes.size(), {}), 0);
    EXPECT_EQ(flash->read(FlashTarget::Controller, 0, 1024), asBytes(bytes, 1024));

    const std::vector<char> other = image(1024 + 7);
    flash->failFromChunk(FlashTarget::Controller, 2);
    EXPECT_NE(hvq5_write_image(kId, 164, 0x10000, other.data(), other.size(), {}), 0);
    EXPECT_EQ(flash->read(FlashTarget::Controller, 0x10000, 512), asBytes(other, 512));
    EXPECT_EQ(flash->read(FlashTarget::Controller, 0x10000 + 512, 1), std::vector<uint8_t>{0xFF});
}

TEST_F(UpgradeKnobsTest, HeadFlashFailsFromTheChunkOnOnBothPaths) {
    const std::vector<char> bytes = image(600);
    flash->failFromChunk(FlashTarget::Head, 1);
    EXPECT_NE(hvq5_write_image(kId, 166, 0x400000, bytes.data(), bytes.size(), {}), 0);
    EXPECT_EQ(flash->read(FlashTarget::Head, 0x400000, 256), asBytes(bytes, 256));

    flash->failFromChunk(FlashTarget::Head, 0);
    EXPECT_NE(hvq5_write_head_image(kId, 0x400000, bytes.data(), bytes.size(), {}), 0);
}

TEST_F(UpgradeKnobsTest, HeadFlashThroughTheSecondPathKeepsTheBytes) {
    const std::vector<char> bytes = image(70000);
    ASSERT_EQ(hvq5_write_head_image(kId, 0x400000, bytes.data(), bytes.size(), {}), 0);
    EXPECT_EQ(flash->read(FlashTarget::Head, 0x400000, bytes.size()), asBytes(bytes, bytes.size()));
    EXPECT_GT(flash->requests(FlashTarget::Head), 1u);
}

TEST_F(UpgradeKnobsTest, ARefusedSettingsResetFails) {
    EXPECT_EQ(hvq5_reset_settings(kId), 0);
    programs->refuseSystemCommand(5);
    EXPECT_NE(hvq5_reset_settings(kId), 0);
    EXPECT_EQ(hvq5_reset_program(kId), 0) << "other system commands still work";
}

}  // namespace
