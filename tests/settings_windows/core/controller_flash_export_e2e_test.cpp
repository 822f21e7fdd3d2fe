#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/core/controller_flash_export.h"
#include "tests/settings_windows/core/opened_sensor.h"
#include "tests/support/waitable_list.h"
#include "tools/sensor_sim/sensor_model.h"

namespace {

using settings_test::kDevice;

constexpr uint8_t kFlashRead = 165;

std::vector<uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> simulatorFlash(uint32_t address, int blocks) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < blocks; ++i) {
        const std::vector<uint8_t> block =
            sensor_sim::SensorModel().memoryBlock(address + static_cast<uint32_t>(i) * 256);
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    return bytes;
}

class FlashExportTest : public settings_test::OpenedSensorTest {
protected:
    void SetUp() override {
        OpenedSensorTest::SetUp();
        open(sensor_sim::ModelPreset{});
    }

    ControllerFlashExport::Report recorder() {
        return [this](const FlashExportReport& report) { reports.add(report); };
    }
    // Reports until the export's end (Done or a failure).
    std::vector<FlashExportReport> waitForEnd() {
        EXPECT_TRUE(reports.waitFor(1));
        for (int tries = 0; tries < 2000; ++tries) {
            const auto items = reports.items();
            if (items.back().kind != FlashExportReport::Progress) return items;
            reports.waitFor(items.size() + 1, 50);
        }
        ADD_FAILURE() << "the export did not end";
        return reports.items();
    }

    mirevo::test::WaitableList<FlashExportReport> reports;
};

TEST_F(FlashExportTest, ThreeBlocksGiveTheSimulatorsBytesAndReportsUpTo100) {
    const std::filesystem::path file = work() / "flash.dat";
    ControllerFlashExport exporter(kDevice);
    exporter.start(file, 0x1000, 3, [] { return true; }, recorder());
    const auto items = waitForEnd();
    exporter.wait();

    std::vector<int> percents;
    for (const auto& report : items) percents.push_back(report.percent);
    EXPECT_EQ(percents, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_EQ(items.back().kind, FlashExportReport::Done);
    EXPECT_EQ(fileBytes(file), simulatorFlash(0x1000, 3));
    EXPECT_TRUE(hvq5_get_link_paused(kDevice)) << "live reads are allowed again";
}

TEST_F(FlashExportTest, ACancelledExportSavesTheBlocksReadSoFar) {
    sensor_sim::Fault slow;
    slow.kind = sensor_sim::FaultKind::Delay;
    slow.delayMs = 30;
    head().injectOpcodeFault(kFlashRead, slow);
    const std::filesystem::path file = work() / "partial.dat";
    std::atomic<bool> active{true};
    ControllerFlashExport exporter(kDevice);
    exporter.start(file, 0, 50, [&] { return active.load(); }, [&](const FlashExportReport& report) {
        if (report.percent >= 4) active = false;  // the operator cancels after two blocks
        reports.add(report);
    });
    const auto items = waitForEnd();
    exporter.wait();
    EXPECT_EQ(items.back().kind, FlashExportReport::Done);
    const std::vector<uint8_t> bytes = fileBytes(file);
    ASSERT_EQ(bytes.size(), 2u * 256u);
    EXPECT_EQ(bytes, simulatorFlash(0, 2));
    EXPECT_TRUE(hvq5_get_link_paused(kDevice));
}

TEST_F(FlashExportTest, ALostConnectionReportsAReadFailureAndWritesNoFile) {
    sensor_sim::Fault closed;
    closed.kind = sensor_sim::FaultKind::CloseConnection;
    head().injectOpcodeFault(kFlashRead, closed);
    const std::filesystem::path file = work() / "lost.dat";
    ControllerFlashExport exporter(kDevice);
    exporter.start(file, 0, 3, [] { return true; }, recorder());
    const auto items = waitForEnd();
    exporter.wait();
    EXPECT_EQ(items.back().kind, FlashExportReport::ReadFailed);
    EXPECT_EQ(items.back().percent, -1);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(FlashExportTest, AFileThatCannotBeWrittenIsReported) {
    const std::filesystem::path file = work() / "missing-folder" / "flash.dat";
    ControllerFlashExport exporter(kDevice);
    exporter.start(file, 0, 1, [] { return true; }, recorder());
    const auto items = waitForEnd();
    exporter.wait();
    std::vector<int> percents;
    for (const auto& report : items) percents.push_back(report.percent);
    EXPECT_EQ(percents, (std::vector<int>{0, -1}));
    EXPECT_EQ(items.back().kind, FlashExportReport::SaveFailed);
}

TEST_F(FlashExportTest, DestroyingTheExportMidwayEndsItsThread) {
    sensor_sim::Fault slow;
    slow.kind = sensor_sim::FaultKind::Delay;
    slow.delayMs = 20;
    head().injectOpcodeFault(kFlashRead, slow);
    auto exporter = std::make_unique<ControllerFlashExport>(kDevice);
    exporter->start(work() / "gone.dat", 0, 1000, [] { return true; }, recorder());
    ASSERT_TRUE(reports.waitFor(2));
    exporter.reset();  // cancels and waits; nothing runs afterwards
    const size_t seen = reports.size();
    EXPECT_EQ(reports.items().back().kind, FlashExportReport::Done);
    EXPECT_LT(std::filesystem::file_size(work() / "gone.dat"), 1000u * 256u);
    EXPECT_EQ(reports.size(), seen);
}

}  // namespace
