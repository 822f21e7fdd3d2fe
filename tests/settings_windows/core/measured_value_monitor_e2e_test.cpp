#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/core/measured_value_monitor.h"
#include "tests/settings_windows/core/opened_sensor.h"
#include "tests/support/waitable_list.h"
#include "tools/sensor_sim/sim_plc_link.h"
#include "tools/sensor_sim/sim_presets.h"

namespace {

using settings_test::kDevice;

struct DataReport {
    std::string name;
    std::string value;
    measured::Frame frame;
};

struct StatusReport {
    uint32_t r842, r838, r840, r839;
};

int32_t floatBits(float value) {
    int32_t word;
    std::memcpy(&word, &value, sizeof(word));
    return word;
}

// A run of Python's csv reader over a file: one line per row, the field count
// then the fields joined by "|".
std::vector<std::string> readCsvWithPython(const std::filesystem::path& file) {
    const std::string command = "/usr/bin/python3 -c \"import csv,sys\n"
                                "with open(sys.argv[1], newline='') as f:\n"
                                "    for row in csv.reader(f): print(str(len(row)) + ':' + '|'.join(row))\" '" +
                                file.string() + "'";
    std::vector<std::string> rows;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return rows;
    char line[8192];
    while (std::fgets(line, sizeof(line), pipe)) {
        std::string row(line);
        if (!row.empty() && row.back() == '\n') row.pop_back();
        rows.push_back(row);
    }
    pclose(pipe);
    return rows;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

class MonitorTest : public settings_test::OpenedSensorTest {
protected:
    // Polls every few milliseconds instead of 80 ms and 1 s.
    MeasuredValueMonitor::Timing fastTiming(uint32_t lineLimit = measured::kFileLineLimit) {
        MeasuredValueMonitor::Timing timing;
        timing.workModePollMs = 5;
        timing.idlePollMs = 5;
        timing.fileLineLimit = lineLimit;
        return timing;
    }

    MeasuredValueMonitor::Callbacks callbacks() {
        MeasuredValueMonitor::Callbacks c;
        c.data = [this](const std::string& name, const std::string& value, const measured::Frame& frame) {
            data.add(DataReport{name, value, frame});
        };
        c.status = [this](uint32_t a, uint32_t b, uint32_t c2, uint32_t d) { status.add(StatusReport{a, b, c2, d}); };
        c.savingEnabled = [this] { return saving.load(); };
        return c;
    }

    mirevo::test::WaitableList<DataReport> data;
    mirevo::test::WaitableList<StatusReport> status;
    std::atomic<bool> saving{true};
};

std::vector<int32_t> twelveWordBlock() {
    std::vector<int32_t> words = {101, -2, 303, 40, 50, 60, 70, 80, 90, floatBits(1.5f), floatBits(2.25f), 0};
    return words;
}

TEST_F(MonitorTest, ValueBlockResultsAreHandedOnAndRecordedInRotatingFiles) {
    open(sensor_sim::series4Preset(28712), [](sensor_sim::SimSensor& head) {
        head.setReg(842, 1);  // 2.5D work mode
        head.model().setMeasuredValues(twelveWordBlock());
    });
    std::filesystem::create_directory(work() / "2.5D");

    MeasuredValueMonitor monitor(kDevice, callbacks(), fastTiming(3));
    monitor.setDataType(measured::Int32);
    monitor.publishName("测量值(um)");
    monitor.reopenFile();
    const std::filesystem::path first = monitor.filePath();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.parent_path().filename(), "2.5D");
    monitor.start();
    ASSERT_TRUE(data.waitFor(5));
    ASSERT_TRUE(waitUntil([&] { return !monitor.filePath().empty() && monitor.filePath() != first; }));
    monitor.stop();

    const std::vector<DataReport> reports = data.items();
    EXPECT_EQ(reports.front().frame.boundary, -1);  // the caption's own report
    const DataReport& polled = reports.back();
    EXPECT_EQ(polled.name, "测量值(um)");
    EXPECT_EQ(polled.value, " 101, -2, 303");
    EXPECT_EQ(polled.frame.boundary, 40);
    EXPECT_EQ(polled.frame.offset1, 50);
    EXPECT_EQ(polled.frame.len2, 80);

    const std::vector<std::string> rows = readCsvWithPython(first);
    ASSERT_EQ(rows.size(), 3u);  // rotated after three lines
    for (const std::string& row : rows) {
        EXPECT_EQ(row.substr(0, 3), "13:") << row;
        EXPECT_NE(row.find("| 101| -2| 303|40|50|60|70|80|90|1.5000|2.2500|0"), std::string::npos) << row;
    }
    std::ifstream raw(first, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    size_t lineEnds = 0;
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++lineEnds;
    EXPECT_EQ(lineEnds, 3u);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), ",0\r\n");
}

TEST_F(MonitorTest, WithoutTheWorkModeOrWithSavingOffNoFileIsOpened) {
    open(sensor_sim::series4Preset(28712));
    std::filesystem::create_directory(work() / "2.5D");
    MeasuredValueMonitor monitor(kDevice, callbacks(), fastTiming());
    monitor.reopenFile();
    EXPECT_TRUE(monitor.filePath().empty());  // register 842 is 0

    ASSERT_EQ(hvq5_write_register(kDevice, 842, 1), 0);  // also into the register image
    saving = false;
    monitor.reopenFile();
    EXPECT_TRUE(monitor.filePath().empty());
    saving = true;
    monitor.reopenFile();
    EXPECT_FALSE(monitor.filePath().empty());
}

TEST_F(MonitorTest, OlderSeriesFourHeadsReportTheOutputRegisterOrItsModbusRtuCopy) {
    open(sensor_sim::series4Preset(28700), [](sensor_sim::SimSensor& head) {
        head.setReg(829, static_cast<uint32_t>(floatBits(1.0f)));
        head.setReg(861, 77);
    });
    MeasuredValueMonitor monitor(kDevice, callbacks(), fastTiming());
    monitor.setDataType(measured::Float);
    monitor.start();
    ASSERT_TRUE(data.waitFor(1));
    EXPECT_EQ(data.items().back().value, "1.0000");
    EXPECT_EQ(data.items().back().frame.boundary, -1);

    monitor.setDataType(measured::Int16);
    monitor.setProtocol(3);
    data.clear();
    ASSERT_TRUE(waitUntil([&] {
        const auto items = data.items();
        return !items.empty() && items.back().value == "77";
    }));
    monitor.stop();
    const auto log = head().packetLog();
    for (const auto& packet : log) EXPECT_NE(packet.opcode, 190) << "no value block on this version";
}

TEST_F(MonitorTest, LiveReadsArePausedWhileALinkIsRequestedAndTheStatusIsReportedInRunStateTwo) {
    open(sensor_sim::series4Preset(28712));
    auto link = sensor_sim::installPlcLink(head(), std::chrono::milliseconds(20));
    MeasuredValueMonitor monitor(kDevice, callbacks(), fastTiming());
    monitor.setRunState(MeasuredValueMonitor::RunWithStatus);
    monitor.start();
    ASSERT_TRUE(status.waitFor(1));
    EXPECT_TRUE(hvq5_get_link_paused(kDevice));

    ASSERT_EQ(hvq5_write_register(kDevice, 838, 1), 0);
    ASSERT_TRUE(waitUntil([&] { return !hvq5_get_link_paused(kDevice); }));
    ASSERT_TRUE(waitUntil([&] {
        const auto items = status.items();
        return items.back().r838 == 1 && items.back().r840 == 1;
    }));

    ASSERT_EQ(hvq5_write_register(kDevice, 838, 0), 0);
    ASSERT_TRUE(waitUntil([&] { return hvq5_get_link_paused(kDevice); }));

    link->refuseWithCode(17);
    ASSERT_EQ(hvq5_write_register(kDevice, 838, 1), 0);
    ASSERT_TRUE(waitUntil([&] {
        const auto items = status.items();
        return items.back().r838 == 1 && items.back().r839 == 17 && items.back().r840 == 0;
    }));
    monitor.setRunState(MeasuredValueMonitor::Run);
    monitor.stop();
}

TEST_F(MonitorTest, StoppingDoesNotWaitForALongPoll) {
    open(sensor_sim::series4Preset(28712));
    MeasuredValueMonitor::Timing slow;
    slow.idlePollMs = 600000;
    slow.workModePollMs = 600000;
    MeasuredValueMonitor monitor(kDevice, callbacks(), slow);
    monitor.start();
    monitor.stop();  // a ten-minute wait would end the test by its time-out
    EXPECT_FALSE(monitor.started());
    EXPECT_EQ(data.size(), 0u);
}

}  // namespace
