#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "sensor_client/app_settings.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/output_setting_widget.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sim_plc_link.h"

using namespace settings_gui;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

constexpr uint32_t kPlcAddress = (192u << 24) | (168u << 16) | (1u << 8) | 20u;

uint32_t floatBits(float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof(word));
    return word;
}

MeasuredValueTiming fastMonitor() {
    MeasuredValueTiming timing;
    timing.workModePollMs = 5;
    timing.idlePollMs = 5;
    return timing;
}

// A series-'4' head with the PLC output and the value block, set up for S7
// with DB 12 and Float values.
class PlcPage : public mirevo::test::ClientFixture {
protected:
    virtual uint32_t hardware135() const { return 0x3; }
    virtual std::vector<std::pair<uint32_t, uint32_t>> plcRegisters() const {
        return {{832, kPlcAddress}, {833, 102}, {834, 3},  {843, 1},  {844, 4097}, {845, 1},
                {846, 2},           {847, 12},  {858, 2},  {835, 500}, {837, 0},   {852, 9},
                {853, 0},           {869, 1}};
    }
    ClientSensorOptions sensorOptions() const override {
        return headOf(sensor_sim::series4Preset(28712, hardware135()), plcRegisters());
    }
    void SetUp() override {
        ClientFixture::SetUp();
        link = sensor_sim::installPlcLink(sensor().head(), std::chrono::milliseconds(20));
        sensor().head().model().setMeasuredValues({static_cast<int32_t>(floatBits(1.0f)), 0, 0});
    }
    std::shared_ptr<sensor_sim::SimPlcLink> link;
};

TEST_F(PlcPage, TheLoadShowsTheSensorsSettingsAndWritesNothing) {
    ScopedPrompter prompts;
    sensor().clearPacketLog();
    OutputSettingWidget page(nullptr, fastMonitor());
    ASSERT_TRUE(page.active());
    EXPECT_TRUE(writtenRegisters(sensor()).empty());
    EXPECT_EQ(prompts->count(), 0);
    EXPECT_EQ(child<QComboBox>(page, "comboBox_plc_protocol")->currentIndex(), 1);
    EXPECT_EQ(child<QLineEdit>(page, "lineEdit_plc_ip")->text(), "192.168.1.20");
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_plc_port")->value(), 102);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_s7_rack")->value(), 1);
    EXPECT_EQ(child<QComboBox>(page, "comboBox_plc_address_type")->currentText(), "DB");
    EXPECT_TRUE(shown(child<QSpinBox>(page, "spinBox_s7_db_num"), page));
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_s7_db_num")->value(), 12);
    EXPECT_TRUE(shown(child<QSpinBox>(page, "spinBox_s7_local_tsap"), page));
    EXPECT_FALSE(shown(child<QSpinBox>(page, "spinBox_fins_local_node"), page));
    EXPECT_FALSE(shown(child<QComboBox>(page, "comboBox_baud_rate"), page));
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_plc_write_address")->value(), 500);
    EXPECT_EQ(child<QComboBox>(page, "comboBox_plc_write_type")->currentText(), "Float");
    EXPECT_EQ(child<QComboBox>(page, "comboBox_plc_output_value")->currentIndex(), 1);
    page.show();
    mirevo::test::saveGrab(page, "plc_output_page");
}

TEST_F(PlcPage, FloatValuesAreHandedOnWithTheirUnit) {
    ScopedPrompter prompts;
    OutputSettingWidget page(nullptr, fastMonitor());
    // The page's monitor thread emits the signal: a queued connection hands
    // the values to this thread (a spy would record them on the monitor's).
    QList<QList<QVariant>> data;
    QObject::connect(
        &page, &OutputSettingWidget::signal_update_data, &page,
        [&data](const QString& name, const QString& value) { data.append({name, value}); }, Qt::QueuedConnection);
    ASSERT_TRUE(waitUntil([&] {
        for (const auto& args : data)
            if (args.at(1).toString() == " 1.0000, 0.0000, 0.0000") return true;
        return false;
    }));
    EXPECT_EQ(data.last().at(0).toString(), "测量值(mm)");

    child<QComboBox>(page, "comboBox_plc_write_type")->setCurrentIndex(1);  // Int32
    EXPECT_EQ(sensor().writesTo(837), std::vector<uint32_t>{1});
    ASSERT_TRUE(waitUntil([&] {
        const auto args = data.last();
        return args.at(0).toString() == "测量值(um)" && args.at(1).toString() == " 1065353216, 0, 0";
    }));
}

TEST_F(PlcPage, ChoosingStorageAreaMWritesDbZeroAndHidesItsRow) {
    ScopedPrompter prompts;
    OutputSettingWidget page(nullptr, fastMonitor());
    sensor().clearPacketLog();
    child<QComboBox>(page, "comboBox_plc_address_type")->setCurrentIndex(0);
    EXPECT_EQ(sensor().writesTo(847), std::vector<uint32_t>{0});
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_s7_db_num")->value(), 0);
    EXPECT_FALSE(shown(child<QSpinBox>(page, "spinBox_s7_db_num"), page));
}

TEST_F(PlcPage, ModbusTcpForcesTheMasterStationTypeAndWritesTheProtocol) {
    ScopedPrompter prompts;
    OutputSettingWidget page(nullptr, fastMonitor());
    sensor().clearPacketLog();
    child<QComboBox>(page, "comboBox_plc_protocol")->setCurrentIndex(2);
    EXPECT_EQ(sensor().writesTo(853), std::vector<uint32_t>{1});
    EXPECT_EQ(sensor().writesTo(843), std::vector<uint32_t>{2});
    QComboBox* stationType = child<QComboBox>(page, "comboBox_modbus_station_type");
    EXPECT_TRUE(shown(stationType, page));
    EXPECT_FALSE(stationType->isEnabled());
    EXPECT_EQ(stationType->currentText(), "主站");
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(PlcPage, OnlyCompleteChangedAddressesAreWritten) {
    ScopedPrompter prompts;
    OutputSettingWidget page(nullptr, fastMonitor());
    QLineEdit* ip = child<QLineEdit>(page, "lineEdit_plc_ip");
    sensor().clearPacketLog();
    for (const char* partial : {"1", "19", "192.", "192.168.", "192.168.1", "256.1.1.1", "192.168.1.20"})
        ip->setText(partial);
    EXPECT_TRUE(sensor().writesTo(832).empty()) << "partial, out of range or unchanged";
    ip->setText("192.168.001.010");
    EXPECT_EQ(sensor().writesTo(832), std::vector<uint32_t>{(192u << 24) | (168u << 16) | (1u << 8) | 10u});
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(PlcPage, ConnectingAsksForTheLinkAndShowsItOnceUp) {
    ScopedPrompter prompts;
    OutputSettingWidget page(nullptr, fastMonitor());
    page.setRunState(2);
    QPushButton* connect = child<QPushButton>(page, "pushButton_connection");
    EXPECT_EQ(connect->text(), "连接");
    connect->click();
    EXPECT_EQ(sensor().writesTo(838), std::vector<uint32_t>{1});
    QLabel* status = child<QLabel>(page, "label_connection_status");
    EXPECT_TRUE(waitUntil([&] { return status->text() == "已连接"; }));
    EXPECT_EQ(connect->text(), "断开");
    EXPECT_FALSE(child<QGroupBox>(page, "groupBox_connection")->isEnabled());

    connect->click();
    EXPECT_EQ(sensor().writesTo(838), (std::vector<uint32_t>{1, 0}));
    link->refuseWithCode(12);
    connect->click();
    EXPECT_TRUE(waitUntil([&] { return status->text() == "未连接(12)"; }));
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(PlcPage, TheLiveProfileStopsWhileALinkIsRequestedAndResumes) {
    ScopedPrompter prompts;
    // The monitor reads the value block between the live profiles.
    OutputSettingWidget page(nullptr, fastMonitor());
    ASSERT_TRUE(client().startProfileAcquisition());
    auto profilesArrive = [&] {
        const int before = client().frameCount.load();
        return waitUntil([&] { return client().frameCount.load() > before + 2; }, 3000);
    };
    ASSERT_TRUE(profilesArrive());
    child<QPushButton>(page, "pushButton_connection")->click();
    ASSERT_TRUE(waitUntil([&] { return !hvq5_get_link_paused(0); }));
    const int paused = client().frameCount.load();
    waitUntil([] { return false; }, 300);
    EXPECT_LE(client().frameCount.load(), paused + 1) << "at most the read in progress";
    child<QPushButton>(page, "pushButton_connection")->click();
    ASSERT_TRUE(profilesArrive());

    int workMode = 1;  // the sensor measures in 2.5D mode
    client().cfgRegister(1, 842, &workMode);
    ASSERT_TRUE(waitUntil([&] { return !hvq5_get_link_paused(0); }));
    workMode = 0;
    client().cfgRegister(1, 842, &workMode);
    EXPECT_TRUE(profilesArrive());
}

TEST_F(PlcPage, InWorkModeWithSavingOnTheValuesAreRecorded) {
    std::filesystem::create_directory("2.5D");
    setSettingsString("2.5D", "mvalue_save", "1");
    int on = 1;
    client().cfgRegister(1, 842, &on);  // the sensor measures in 2.5D mode
    ScopedPrompter prompts;
    OutputSettingWidget page(nullptr, fastMonitor());
    page.slot_values_save_changed();
    const QString file = page.measuredValueFile();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_TRUE(file.startsWith("2.5D/measurement_values_")) << file.toStdString();
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::file_size(file.toStdString()) > 0; }));
    page.slot_values_save_changed();  // closed and a new one opened
    const std::string command = "/usr/bin/python3 -c \"import csv,sys\n"
                                "rows=list(csv.reader(open(sys.argv[1], newline='')))\n"
                                "print(len(rows[0]), rows[0][1])\" '" + file.toStdString() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof(line), pipe), nullptr);
    pclose(pipe);
    EXPECT_STREQ(line, "4  1.0000\n");  // a three-word block: stamp and three values
}

class PlcPageOldHardware : public PlcPage {
protected:
    uint32_t hardware135() const override { return 0x0701; }
};

TEST_F(PlcPageOldHardware, ModbusRtuIsRefusedAndNothingWritten) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    OutputSettingWidget page(nullptr, fastMonitor());
    sensor().clearPacketLog();
    child<QComboBox>(page, "comboBox_plc_protocol")->setCurrentIndex(3);
    ASSERT_EQ(prompts->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompts->prompts()[0].title, "2.5D");
    EXPECT_EQ(prompts->prompts()[0].text, "硬件版本不支持Modbus RTU (0701)");
    EXPECT_TRUE(writtenRegisters(sensor()).empty());
    EXPECT_EQ(child<QComboBox>(page, "comboBox_plc_protocol")->currentText(), "Modbus RTU");
}

// Any other head: the page is built with its defaults and does nothing on its own.
class PlcPageOtherHead : public mirevo::test::ClientFixture {};

TEST_F(PlcPageOtherHead, ThePageStaysInactive) {
    ScopedPrompter prompts;
    sensor().clearPacketLog();
    OutputSettingWidget page(nullptr, fastMonitor());
    EXPECT_FALSE(page.active());
    waitUntil([] { return false; }, 50);
    for (const auto& packet : sensor().packetLog()) EXPECT_NE(packet.address & 0xFFFF, 832u);
    EXPECT_EQ(child<QComboBox>(page, "comboBox_plc_protocol")->currentIndex(), -1);
}

}  // namespace
