// The settings-file export and import jobs against the real client on the
// simulator: what they read and write, the order of their steps, the reports
// they send the window, and the link flag, which is back to 1 after every job.
#include "app/settings_jobs.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <ostream>
#include <vector>

#include "app/settings_file.h"
#include "sensor_interface/registry/device_functions.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/sim_programs.h"

namespace {

constexpr uint8_t kSettingsOpcode = 185;
constexpr uint8_t kShapeOpcode = 178;
constexpr uint8_t kSystemOpcode = 173;
constexpr uint32_t kPermanentStore = 0x10000;

struct Report {
    int progress;
    QString label;
    QString title;
    bool operator==(const Report& o) const { return progress == o.progress && label == o.label && title == o.title; }
};
void PrintTo(const Report& r, std::ostream* out) {
    *out << "(" << r.progress << ", " << r.label.toStdString() << ", " << r.title.toStdString() << ")";
}

std::vector<uint8_t> shapeOf(uint8_t seed) {
    std::vector<uint8_t> bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

class SettingsJobsTest : public mirevo::test::ClientFixture {
public:
    void SetUp() override {
        ClientFixture::SetUp();
        programs = sensor_sim::installPrograms(sensor().head());
        sensor().head().model().setSettingsWords(words);
        sensor().head().model().loadShapeBlock(shape);
        context.blocks = &blocks;
        context.progressActive = &progressActive;
        context.report = [this](int progress, const QString& label, const QString& title) {
            reports.push_back({progress, label, title});
        };
    }

    QString file(const char* name = "sensor.zps") const {
        return QString::fromStdString((workFolder() / name).string());
    }

    bool storedPermanently() {
        for (const auto& packet : mirevo::test::packetsWithOpcode(sensor().packetLog(), kSystemOpcode))
            if (packet.address == kPermanentStore) return true;
        return false;
    }

    void failOpcode(uint8_t opcode) {
        sensor_sim::Fault fault;
        fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
        sensor().head().injectOpcodeFault(opcode, fault);
    }

    std::vector<uint32_t> words{1, 0xFFFFFFFF, 70000, 0, 42};
    std::vector<uint8_t> shape = shapeOf(3);
    std::shared_ptr<sensor_sim::SimPrograms> programs;
    SettingsBlockMap blocks;
    std::atomic<bool> progressActive{false};
    std::vector<Report> reports;
    SettingsJobContext context;
};

TEST_F(SettingsJobsTest, ExportWritesWhatTheSensorHolds) {
    exportSettingsWorker(file(), context);

    EXPECT_EQ(reports, (std::vector<Report>{{98, "参数设定导出中", "导出"}, {100, "参数设定导出完成", "导出"}}));
    EXPECT_TRUE(progressActive.load()) << "the window clears it when it takes the last report";
    EXPECT_TRUE(hvq5_get_link_paused(0)) << "the live reads may use the channel again";

    QProcess python;
    python.start("/usr/bin/python3", {QStringLiteral(MIREVO_APP_TEST_DIR "/read_zps.py"), file()});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QByteArray shapeHex = QByteArray(reinterpret_cast<const char*>(shape.data()), 256).toHex();
    EXPECT_EQ(python.readAllStandardOutput().toStdString(),
              "A0 0,1 0,-1 0,70000 0,0 0,42\nB2 " + shapeHex.toStdString() + "\n");
}

TEST_F(SettingsJobsTest, ImportRestoresTheExportedSensorAndStoresItPermanently) {
    exportSettingsWorker(file(), context);
    sensor().head().model().setSettingsWords({9, 9, 9, 9, 9});
    sensor().head().model().loadShapeBlock(shapeOf(100));
    sensor().clearPacketLog();
    reports.clear();

    blocks.clear();
    ASSERT_TRUE(zps::readFile(file(), &blocks));
    importSettingsWorker(context);

    EXPECT_EQ(reports, (std::vector<Report>{{98, "参数设定导入中", "导入"}, {100, "参数设定导入完成", "导入"}}));
    EXPECT_EQ(sensor().head().model().settingsWords(), words);
    EXPECT_EQ(sensor().head().model().shapeBlock(), shape);
    EXPECT_EQ(sensor().head().model().storedShapeBlock(), shape);
    EXPECT_TRUE(storedPermanently());
    EXPECT_TRUE(hvq5_get_link_paused(0));
}

TEST_F(SettingsJobsTest, TheLinkStaysPausedWhileTheTransferRuns) {
    std::vector<bool> linkDuringTransfer;
    context.report = [&](int, const QString&, const QString&) { linkDuringTransfer.push_back(hvq5_get_link_paused(0)); };
    exportSettingsWorker(file(), context);
    ASSERT_EQ(linkDuringTransfer.size(), 2u);
    EXPECT_FALSE(linkDuringTransfer[0]) << "paused at 98 %";
    EXPECT_FALSE(linkDuringTransfer[1]) << "resumed only after the last report";
    EXPECT_TRUE(hvq5_get_link_paused(0));
}

struct FailureCase {
    const char* name;
    bool import;
    std::function<void(SettingsJobsTest&)> arrange;
    Report report;
    bool storedPermanently;
    bool fileKept = true;  // the older file at the export's path is still there
};
void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class SettingsJobFailures : public SettingsJobsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SettingsJobFailures, ReportTheirBoxAndResumeTheLink) {
    const FailureCase& c = GetParam();
    const QByteArray old = "an older file";
    {
        QFile existing(file());
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write(old);
    }
    if (c.import) {
        blocks[kSettingsWordsBlock] = SettingsWordPairs{{0, 5}, {0, 6}};
        blocks[kShapeBlockCode] = shapeOf(50);
    }
    c.arrange(*this);
    sensor().clearPacketLog();

    if (c.import)
        importSettingsWorker(context);
    else
        exportSettingsWorker(file(), context);

    EXPECT_EQ(reports.back(), c.report);
    EXPECT_EQ(reports.back().progress, -1);
    EXPECT_EQ(storedPermanently(), c.storedPermanently);
    EXPECT_TRUE(hvq5_get_link_paused(0));
    if (!c.fileKept) return;
    QFile existing(file());
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), old) << "a failed job leaves the file alone";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SettingsJobFailures,
    ::testing::Values(
        FailureCase{"ExportRead", false, [](SettingsJobsTest& t) { t.failOpcode(kSettingsOpcode); },
                    {-1, "参数设定导出失败!", "导出"}, false},
        FailureCase{"ExportShapeRead", false, [](SettingsJobsTest& t) { t.failOpcode(kShapeOpcode); },
                    {-1, "参数设定导出失败!", "导出"}, false},
        FailureCase{"ExportUnwritableFile", false,
                    [](SettingsJobsTest& t) {
                        // A folder where the file should be: nothing can replace it.
                        QFile::remove(t.file());
                        ASSERT_TRUE(QDir().mkpath(t.file()));
                    },
                    {-1, "设定文件保存失败!", "导出"}, false, false},
        FailureCase{"ImportWrite", true, [](SettingsJobsTest& t) { t.failOpcode(kSettingsOpcode); },
                    {-1, "参数设定导入失败!", "导入"}, false},
        FailureCase{"ImportPermanentStore", true,
                    [](SettingsJobsTest& t) { t.programs->refuseSystemCommand(kPermanentStore); },
                    {-1, "参数设定导入失败!", "导入"}, true}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
