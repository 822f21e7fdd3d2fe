// Settings files: "参数导出" saves the connected sensor's settings (its
// settings list of user registers and the shape block of its ignore areas)
// into a ".zps" file that an independent reader takes; the sensor is then
// changed behind the program's back; "参数导入" of the file puts every listed
// register and the ignore areas back and stores them permanently. A damaged
// file (cut short, or one byte changed anywhere) is refused with the
// program's box and nothing at all is written to the sensor.
#include <QAction>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/settings/hvq5_settings.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sim_programs.h"

namespace acceptance {
namespace {

using mirevo::test::PromptKind;
using mirevo::test::PromptRecord;
using mirevo::test::ScopedPrompter;

// The sensor's settings list: its user registers, as the program knows them.
std::vector<uint32_t> settingsList() {
    std::vector<uint32_t> list;
    for (size_t i = 0; zp_laser_reg::user_reg_table[i] != zp_laser_reg::user_reg_end; ++i)
        list.push_back(zp_laser_reg::user_reg_table[i]);
    return list;
}
// What changes between the export and the import: exposure and line
// periods, dead zone, cloud filter, batch edges, tilt.
const std::vector<uint32_t> kChanged = {162, 144, 768, 804, 805, 777, 778, 779, 785, 311, 312, 324, 325};
// The request the live profile sends before each profile; the only write
// that goes on by itself while the program shows the sensor.
constexpr uint32_t kLiveProfileRequest = 2;

std::vector<uint8_t> ignoreAreas(uint8_t seed) {
    std::vector<uint8_t> bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(seed + i * 3);
    return bytes;
}

class SettingsFiles : public ProgramAcceptance {
protected:
    void SetUp() override {
        ProgramAcceptance::SetUp();
        if (HasFatalFailure()) return;
        sensor_sim::installPrograms(sensor().head());  // answers the permanent store
        sensor().head().model().setSettingsRegisters(settingsList());
        setState(1000);
        sensor().head().model().loadShapeBlock(ignoreAreas(7));
    }

    // Gives each of the changed registers a value of its own, from base up.
    void setState(uint32_t base) {
        for (size_t i = 0; i < kChanged.size(); ++i)
            sensor().setReg(kChanged[i], base + 17 * static_cast<uint32_t>(i));
    }
    // Every register of the settings list.
    std::map<uint32_t, uint32_t> state() {
        std::map<uint32_t, uint32_t> values;
        for (uint32_t address : settingsList()) values[address] = sensor().reg(address);
        return values;
    }

    QString file(const char* name) const { return QString::fromStdString((workFolder() / name).string()); }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }
    bool waitForJob() { return waitUntil([&] { return !window_->progressActive && !window_->jobs().running(); }); }

    // Every packet that changes something in the sensor: register writes
    // (but the live profile's request), the settings and shape blocks, the
    // system commands (permanent store, resets), flash.
    std::vector<sensor_sim::LoggedPacket> writes() {
        std::vector<sensor_sim::LoggedPacket> found;
        for (const auto& packet : sensor().packetLog()) {
            const uint32_t hi = packet.address >> 16;
            const bool write = (packet.opcode == kWriteOpcode && (packet.address & 0xFFFF) != kLiveProfileRequest) ||
                               (packet.opcode == 185 && hi == 2) || (packet.opcode == 178 && hi != 0) ||
                               packet.opcode == kSystemCommand || packet.opcode == 164 || packet.opcode == 166;
            if (write) found.push_back(packet);
        }
        return found;
    }

    // "register:=value" for a register write, "opcode/high half of the address" else.
    static std::vector<std::string> describe(const std::vector<sensor_sim::LoggedPacket>& packets) {
        std::vector<std::string> names;
        for (const auto& packet : packets)
            names.push_back(packet.opcode == kWriteOpcode
                                ? std::to_string(packet.address & 0xFFFF) + ":=" + std::to_string(packet.value)
                                : std::to_string(packet.opcode) + "/" + std::to_string(packet.address >> 16));
        return names;
    }

    // The file as an independent reader of the format sees it.
    std::string readBack(const QString& path) {
        QProcess python;
        python.start("/usr/bin/python3", {QStringLiteral(MIREVO_APP_TEST_DIR "/read_zps.py"), path});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return python.readAllStandardOutput().toStdString();
    }
};

TEST_F(SettingsFiles, ExportChangeImportBringsTheSensorBackAndDamagedFilesWriteNothing) {
    ScopedPrompter p;
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    QProgressDialog* progress = window.settingsProgressDialog();
    const std::map<uint32_t, uint32_t> exported = state();
    const QString path = file("sensor.zps");

    // ---- export
    sensor().clearPacketLog();
    p->answerFile(path);
    trigger("action_export_settings");
    ASSERT_TRUE(waitForJob());
    EXPECT_EQ(progress->labelText(), "参数设定导出完成");
    EXPECT_EQ(progress->value(), 100);
    mirevo::test::saveGrab(*progress, "acceptance_6_settings_exported_progress");
    grabWindow(QStringLiteral("6_settings_exported"));
    window.settingsProgressButton()->click();
    EXPECT_FALSE(progress->isVisible());
    std::string expectedFile = "A0";
    for (uint32_t address : settingsList())
        expectedFile += " 0," + std::to_string(static_cast<int32_t>(exported.at(address)));
    const std::vector<uint8_t> areas = ignoreAreas(7);
    expectedFile += "\nB2 " + QByteArray(reinterpret_cast<const char*>(areas.data()), 256).toHex().toStdString() + "\n";
    EXPECT_EQ(readBack(path), expectedFile);
    EXPECT_EQ(describe(writes()), std::vector<std::string>{}) << "an export only reads";

    // ---- the sensor is changed behind the program's back
    setState(5000);
    sensor().head().model().loadShapeBlock(ignoreAreas(99));
    sensor().head().model().storeShapeBlock();
    sensor().clearPacketLog();

    // ---- import: every listed register and the ignore areas come back, stored permanently
    p->answerFile(path);
    trigger("action_import_settings");
    EXPECT_TRUE(progress->isVisible());
    ASSERT_TRUE(waitForJob());
    EXPECT_EQ(progress->labelText(), "参数设定导入完成");
    mirevo::test::saveGrab(*progress, "acceptance_6_settings_imported_progress");
    grabWindow(QStringLiteral("6_settings_imported"));
    window.settingsProgressButton()->click();
    EXPECT_EQ(state(), exported);
    for (uint32_t address : kChanged) {
        uint32_t cached = 0;
        ASSERT_EQ(hvq5_get_cached_register(0, static_cast<int>(address), &cached), 0);
        EXPECT_EQ(cached, exported.at(address)) << "the program reads the restored register " << address << " back";
    }
    EXPECT_EQ(sensor().head().model().shapeBlock(), areas);
    EXPECT_EQ(sensor().head().model().storedShapeBlock(), areas);
    EXPECT_TRUE(permanentStoreSent());
    {
        // The settings block; the ignore areas loaded and then stored, each
        // announced by register 230; the two blocks in either order; last the
        // permanent store. Nothing else.
        const std::vector<std::string> order = describe(writes());
        const std::vector<std::string> block{"185/2"};
        const std::vector<std::string> areas{"230:=1", "178/1", "230:=1", "178/3"};
        std::vector<std::string> blockFirst = block, areasFirst = areas;
        blockFirst.insert(blockFirst.end(), areas.begin(), areas.end());
        areasFirst.insert(areasFirst.end(), block.begin(), block.end());
        blockFirst.push_back("173/1");
        areasFirst.push_back("173/1");
        EXPECT_TRUE(order == blockFirst || order == areasFirst) << ::testing::PrintToString(order);
    }
    EXPECT_EQ(p->count(PromptKind::Critical) + p->count(PromptKind::Ask), 0);

    // ---- damaged files: refused with the program's box, nothing reaches the sensor
    QFile original(path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray good = original.readAll();
    original.close();
    struct Damage {
        const char* name;
        QByteArray bytes;
    };
    auto flipped = [&good](int at) {
        QByteArray bytes = good;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
        return bytes;
    };
    const std::vector<Damage> damages = {
        {"last byte cut off", good.left(good.size() - 1)},
        {"header only, cut short", good.left(100)},
        {"a byte of the digest changed", flipped(5)},
        {"the block count changed", flipped(36)},
        {"a register value changed", flipped(128 + 12)},
        {"an ignore-area byte changed", flipped(good.size() - 20)},
    };
    setState(9000);
    sensor().head().model().loadShapeBlock(ignoreAreas(200));
    const std::map<uint32_t, uint32_t> changed = state();
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        const QString damagedPath = file("damaged.zps");
        QFile damaged(damagedPath);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(damaged.write(damage.bytes), damage.bytes.size());
        damaged.close();
        sensor().clearPacketLog();
        p->clear();
        p->answerFile(damagedPath);
        p->answer(QMessageBox::Ok);
        trigger("action_import_settings");
        const std::vector<PromptRecord> shown = p->prompts();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[1].kind, PromptKind::Critical);
        EXPECT_EQ(shown[1].title, "错误");
        EXPECT_EQ(shown[1].text, "设定文件校验失败!");
        EXPECT_FALSE(progress->isVisible());
        EXPECT_FALSE(window.jobs().running());
        // Some live profiles later, still nothing written.
        const size_t seen = sensor().packetLog().size();
        EXPECT_TRUE(waitUntil([&] { return sensor().packetLog().size() > seen + 5; }, 10000));
        EXPECT_EQ(describe(writes()), std::vector<std::string>{});
        EXPECT_EQ(state(), changed);
        EXPECT_EQ(sensor().head().model().shapeBlock(), ignoreAreas(200));
    }
    grabWindow(QStringLiteral("6_damaged_file_refused"));
    EXPECT_TRUE(client().connected);
}

}  // namespace
}  // namespace acceptance
