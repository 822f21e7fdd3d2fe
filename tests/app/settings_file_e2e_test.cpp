// The settings-file codec over the sensor's real blocks: what the interface
// reads from a simulated sensor goes into a file and, after the sensor was
// changed, from the file back into the sensor.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "tests/support/simulated_sensor.h"
#include "tests/support/temp_dir.h"

namespace {

class SettingsFileRoundTrip : public mirevo::test::RegistryDeviceTest {
protected:
    SettingsFileRoundTrip() : RegistryDeviceTest(162) {}

    void installServices(sensor_sim::SimSensor& sensor) override {
        sensor.model().setSettingsWords(words);
        sensor.model().loadShapeBlock(shape);
    }

    QString file() const { return QString::fromStdString((dir_.path() / "sensor.zps").string()); }

    std::vector<uint32_t> words{1, 0xFFFFFFFF, 70000, 0, 42};
    std::vector<uint8_t> shape = [] {
        std::vector<uint8_t> bytes(256);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(255 - i);
        return bytes;
    }();
    mirevo::test::TempDir dir_;
};

TEST_F(SettingsFileRoundTrip, ExportChangeImportRestoresTheSensor) {
    SettingsBlockMap exported;
    ASSERT_EQ(hvq5_read_settings_block(kId, &exported, {}), 0);
    ASSERT_TRUE(zps::writeFile(file(), exported));

    sim->model().setSettingsWords({9, 9, 9, 9, 9});
    sim->model().loadShapeBlock(std::vector<uint8_t>(256, 0));
    sim->clearPacketLog();

    SettingsBlockMap imported;
    ASSERT_TRUE(zps::readFile(file(), &imported));
    ASSERT_EQ(hvq5_write_settings_block(kId, &imported, {}), 0);
    EXPECT_EQ(sim->model().settingsWords(), words);
    EXPECT_EQ(sim->model().shapeBlock(), shape);
    EXPECT_EQ(sim->model().storedShapeBlock(), shape) << "the shape block is stored permanently";
}

TEST_F(SettingsFileRoundTrip, TheSameSensorGivesTheSameFile) {
    SettingsBlockMap first, second;
    ASSERT_EQ(hvq5_read_settings_block(kId, &first, {}), 0);
    ASSERT_EQ(hvq5_read_settings_block(kId, &second, {}), 0);
    QByteArray a, b;
    ASSERT_TRUE(zps::encode(first, &a));
    ASSERT_TRUE(zps::encode(second, &b));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), zps::kHeaderSize + 8 * static_cast<int>(words.size()) + zps::kShapeBlockSize);
}

}  // namespace
