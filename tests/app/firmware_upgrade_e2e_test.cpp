// The firmware upgrade job against the real client and simulated sensors with
// flash, reboots and the system command: what reaches which flash through
// which path, the order of writes, settings resets and reboots, the questions
// and the messages the job sends the window. Waits go through a recording
// sleeper that sleeps a twentieth of each.
#include "app/firmware_upgrade.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <memory>
#include <ostream>
#include <vector>

#include "tests/app/upgradable_heads.h"
#include "tests/app/upgrade_test_support.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/scoped_sleeper.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_reboot.h"

namespace {

using sensor_sim::FlashTarget;
using upgrade_test::entries;
using upgrade_test::image;
using upgrade_test::UpgradeHead;

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kControllerFlashOpcode = 164;
constexpr uint8_t kHeadFlashOpcode = 166;
constexpr uint8_t kSystemOpcode = 173;
constexpr uint32_t kSettingsReset = 5;
constexpr uint32_t kHeadReboot = 239;
constexpr uint32_t kControllerReboot = 227;

struct Prompt {
    int type;
    QVariant value;
};

class UpgradeJobTest : public mirevo::test::ClientFixture {
public:
    using ClientFixture::sensor;

    void SetUp() override {
        ClientFixture::SetUp();
        heads = upgrade_test::installUpgradeServices(sensor());
        context.progressActive = &progressActive;
        context.prompt = [this](int type, const QVariant& value) { prompts.push_back({type, value}); };
        context.ask = [this](int type, const QVariant& value) {
            questions.push_back(value.toString());
            EXPECT_EQ(type, upgrade_prompt::kQuestion);
            EXPECT_FALSE(answers.empty()) << "unexpected question " << value.toString().toStdString();
            if (answers.empty()) return false;
            const bool answer = answers.front();
            answers.pop_front();
            return answer;
        };
        context.keepChoice = [this](const zpf::UpgradeChoice& choice) { kept = choice; };
    }

    void TearDown() override {
        for (UpgradeHead& head : heads) head.reboot->waitForControllerReboots(head.reboot->controllerReboots(), 5000);
        ClientFixture::TearDown();
    }

    // The firmware words of head i.
    void setFirmware(int head, uint32_t reg134, uint32_t reg135, uint32_t reg166) {
        sensor().head(head).setReg(134, reg134);
        sensor().head(head).setReg(135, reg135);
        sensor().head(head).setReg(166, reg166);
    }

    QString package(const QStringList& arguments) {
        const QString path = QString::fromStdString((workFolder() / "upgrade.zpf").string());
        EXPECT_TRUE(upgrade_test::writePackage(path, arguments));
        return path;
    }

    void run(const QString& packagePath, const std::string& address) {
        firmwareUpgradeWorker(packagePath, QString::fromStdString(address), QStringLiteral("7"), context);
    }
    void run(const QString& packagePath) { run(packagePath, sensor().address()); }

    // The texts of the failure boxes asked for.
    std::vector<QString> failures() const {
        std::vector<QString> texts;
        for (const Prompt& p : prompts)
            if (p.type == upgrade_prompt::kFailure) texts.push_back(p.value.toString());
        return texts;
    }
    bool ended() const {
        return !prompts.empty() && prompts.back().type == upgrade_prompt::kController &&
               prompts.back().value.toInt() == 100;
    }

    std::vector<sensor_sim::LoggedPacket> log(int head = 0) { return sensor().head(head).packetLog(); }

    // Index in the log of the first packet that matches, -1 for none.
    template <class Match>
    static int firstIndex(const std::vector<sensor_sim::LoggedPacket>& log, Match match) {
        for (size_t i = 0; i < log.size(); ++i)
            if (match(log[i])) return static_cast<int>(i);
        return -1;
    }
    static auto opcode(uint8_t code) {
        return [code](const sensor_sim::LoggedPacket& p) { return p.opcode == code; };
    }
    static auto writeOf(uint32_t reg) {
        return [reg](const sensor_sim::LoggedPacket& p) { return p.opcode == kWriteOpcode && (p.address & 0xFFFF) == reg; };
    }
    static auto settingsReset() {
        return [](const sensor_sim::LoggedPacket& p) { return p.opcode == kSystemOpcode && p.address == kSettingsReset; };
    }
    template <class Match>
    static int count(const std::vector<sensor_sim::LoggedPacket>& log, Match match) {
        int n = 0;
        for (const auto& p : log) n += match(p) ? 1 : 0;
        return n;
    }

    std::vector<UpgradeHead> heads;
    std::atomic<bool> progressActive{false};
    std::vector<Prompt> prompts;
    std::vector<QString> questions;
    std::deque<bool> answers;
    zpf::UpgradeChoice kept;
    UpgradeJobContext context;
    mirevo::test::ScopedSleeper sleeper;
};

// Head 0x011a (low byte below 0x60), controller 3.0007: kind 2 images of the
// same generations.
const QStringList kHeadAndController = entries({"0:2:0x011b:0x400000:700", "1:2:0x00030008:0:900"});

TEST_F(UpgradeJobTest, OneHeadGetsBothImagesThenTheHeadAndTheControllerReboot) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    sensor().clearPacketLog();
    run(package(kHeadAndController));

    EXPECT_TRUE(failures().empty()) << failures().front().toStdString();
    EXPECT_TRUE(ended());
    EXPECT_EQ(heads[0].flash->read(FlashTarget::Head, 0x400000, 700), image(0, 700));
    EXPECT_EQ(heads[0].flash->read(FlashTarget::Controller, 0, 900), image(1, 900));
    const auto packets = log();
    const int head = firstIndex(packets, opcode(kHeadFlashOpcode));
    const int controller = firstIndex(packets, opcode(kControllerFlashOpcode));
    ASSERT_GE(head, 0);
    ASSERT_GE(controller, 0);
    EXPECT_LT(head, controller) << "the head image goes first";
    for (const auto& p : packets)
        if (p.opcode == kHeadFlashOpcode) EXPECT_EQ(p.address, 256u) << "the plain write path for head 0x011a";
    EXPECT_EQ(count(packets, settingsReset()), 0) << "controller 3.0008 keeps the settings layout";

    const int headReboot = firstIndex(packets, writeOf(kHeadReboot));
    const int controllerReboot = firstIndex(packets, writeOf(kControllerReboot));
    ASSERT_GE(headReboot, 0);
    ASSERT_GE(controllerReboot, 0);
    EXPECT_LT(headReboot, controllerReboot);
    EXPECT_GT(headReboot, controller);
    EXPECT_EQ(heads[0].reboot->headReboots(), 1);
    EXPECT_EQ(heads[0].reboot->controllerReboots(), 1);
    EXPECT_EQ(sleeper->asked(), (std::vector<int>{50, 100}));

    EXPECT_EQ(kept.headImageVersion, 0x011Bu);
    EXPECT_EQ(kept.controllerImageVersion, 0x00030008u);
    EXPECT_EQ(kept.headImageAddress, 0x400000u);
    // Progress: the head's as type 1, the controller's as its register 166 (7), at most 99.
    int headReports = 0, controllerReports = 0;
    for (const Prompt& p : prompts) {
        if (p.type == upgrade_prompt::kHead) ++headReports;
        if (p.type == 7) {
            ++controllerReports;
            EXPECT_LE(p.value.toInt(), 99);
        }
    }
    EXPECT_GT(headReports, 0);
    EXPECT_GT(controllerReports, 0);
    EXPECT_TRUE(progressActive.load()) << "the window clears it when it shows the end";
}

struct PathCase {
    const char* name;
    uint32_t headVersion;
    const char* headEntry;
    bool secondPath;
};
void PrintTo(const PathCase& c, std::ostream* out) { *out << c.name; }

class HeadWritePath : public UpgradeJobTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(HeadWritePath, FollowsTheHeadsVersion) {
    const PathCase& c = GetParam();
    setFirmware(0, c.headVersion, 0x0003, 0x0007);
    sensor().clearPacketLog();
    run(package(entries({c.headEntry, "1:2:0x00030008:0:300"})));
    ASSERT_TRUE(failures().empty()) << failures().front().toStdString();
    EXPECT_EQ(heads[0].flash->read(FlashTarget::Head, 0x400000, 1500), image(0, 1500));
    for (const auto& p : log()) {
        if (p.opcode != kHeadFlashOpcode) continue;
        const uint32_t step = p.address >> 16;
        EXPECT_EQ(c.secondPath, step >= 3 && step <= 6) << "packet address " << std::hex << p.address;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, HeadWritePath,
    ::testing::Values(PathCase{"LowByte0x62Plain", 0x0162, "0:2:0x0163:0x400000:1500", false},
                      PathCase{"LowByte0x63Second", 0x0163, "0:2:0x0164:0x400000:1500", true},
                      PathCase{"From0xC000Second", 0xC000, "0:2:0xC001:0x400000:1500", true}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST_F(UpgradeJobTest, ANewControllerLayoutResetsTheSettingsAfterEachWrite) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    sensor().clearPacketLog();
    // Controller 7.51: kind 1 (the other generation from 3), above 7.50.330.
    run(package(entries({"0:2:0x011b:0x400000:300", "1:1:0x07510008:0:300"})));
    ASSERT_TRUE(failures().empty()) << failures().front().toStdString();
    const auto packets = log();
    std::vector<int> order;  // 1 head flash, 2 controller flash, 3 reset, 4 reboot, each where it starts
    int last = 0;
    for (const auto& p : packets) {
        int step = 0;
        if (p.opcode == kHeadFlashOpcode) step = 1;
        if (p.opcode == kControllerFlashOpcode) step = 2;
        if (settingsReset()(p)) step = 3;
        if (writeOf(kHeadReboot)(p) || writeOf(kControllerReboot)(p)) step = 4;
        if (step != 0 && step != last) order.push_back(step);
        if (step != 0) last = step;
    }
    EXPECT_EQ(order, (std::vector<int>{1, 3, 2, 3, 4}));
}

TEST_F(UpgradeJobTest, AnIntegratedSensorGetsOnlyItsControllerImageOfAnyKind) {
    setFirmware(0, 0x011A, 0x0003, 0x6007);
    sensor().clearPacketLog();
    run(package(entries({"0:2:0x011b:0x400000:300", "1:1:0x00036009:0:500"})));
    ASSERT_TRUE(failures().empty()) << failures().front().toStdString();
    const auto packets = log();
    EXPECT_EQ(count(packets, opcode(kHeadFlashOpcode)), 0);
    EXPECT_EQ(heads[0].flash->read(FlashTarget::Controller, 0, 500), image(1, 500));
    EXPECT_EQ(count(packets, settingsReset()), 1) << "an integrated sensor resets after its write";
    EXPECT_EQ(count(packets, writeOf(kHeadReboot)), 0);
    EXPECT_EQ(count(packets, writeOf(kControllerReboot)), 1);
    // Its progress names the sensor: type 0x6007.
    bool sensorProgress = false;
    for (const Prompt& p : prompts) sensorProgress |= p.type == 0x6007;
    EXPECT_TRUE(sensorProgress);
}

TEST_F(UpgradeJobTest, SkippingBothSameVersionsWritesAndRebootsNothing) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    answers = {false, false};  // "是": skip
    sensor().clearPacketLog();
    run(package(entries({"0:2:0x011a:0x400000:300", "1:2:0x00030007:0:300"})));
    EXPECT_TRUE(failures().empty());
    EXPECT_EQ(questions, (std::vector<QString>{"激光头固件版本号相同，是否跳过？", "控制器固件版本号相同，是否跳过？"}));
    const auto packets = log();
    EXPECT_EQ(count(packets, opcode(kHeadFlashOpcode)) + count(packets, opcode(kControllerFlashOpcode)), 0);
    EXPECT_EQ(count(packets, writeOf(kHeadReboot)) + count(packets, writeOf(kControllerReboot)), 0);
    ASSERT_GE(prompts.size(), 3u);
    const size_t n = prompts.size();
    EXPECT_EQ(prompts[n - 3].type, 1);
    EXPECT_EQ(prompts[n - 3].value.toInt(), 100);
    EXPECT_EQ(prompts[n - 2].type, 2);
    EXPECT_EQ(prompts[n - 2].value.toInt(), 99);
    EXPECT_TRUE(ended());
}

TEST_F(UpgradeJobTest, NoToTheQuestionWritesTheSameVersion) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    answers = {true, false};  // "否" for the head: write it; skip the controller
    sensor().clearPacketLog();
    run(package(entries({"0:2:0x011a:0x400000:300", "1:2:0x00030007:0:300"})));
    EXPECT_TRUE(failures().empty());
    EXPECT_EQ(heads[0].flash->read(FlashTarget::Head, 0x400000, 300), image(0, 300));
    const auto packets = log();
    EXPECT_EQ(count(packets, opcode(kControllerFlashOpcode)), 0);
    EXPECT_EQ(count(packets, writeOf(kHeadReboot)), 1);
    EXPECT_EQ(count(packets, writeOf(kControllerReboot)), 1) << "a written head reboots the controller too";
}

struct FailureCase {
    const char* name;
    std::function<void(UpgradeJobTest&)> arrange;
    const char* message;
    bool headWritten;  // some of the head image reached the flash
    int resets = 0;    // settings resets before the failure
};
void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class UpgradeFailures : public UpgradeJobTest, public ::testing::WithParamInterface<FailureCase> {};

// A failure ends the job with its box: no settings reset, no reboot.
TEST_P(UpgradeFailures, EndWithTheirBoxAndNoResetOrReboot) {
    const FailureCase& c = GetParam();
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    c.arrange(*this);
    sensor().clearPacketLog();
    run(package(entries({"0:2:0x011b:0x400000:700", "1:1:0x07510008:0:900"})));

    EXPECT_EQ(failures(), (std::vector<QString>{QString::fromUtf8(c.message)}));
    EXPECT_EQ(prompts.back().type, upgrade_prompt::kFailure) << "nothing follows the box";
    const auto packets = log();
    EXPECT_EQ(count(packets, settingsReset()), c.resets);
    EXPECT_EQ(count(packets, writeOf(kHeadReboot)) + count(packets, writeOf(kControllerReboot)), 0);
    EXPECT_EQ(count(packets, opcode(kHeadFlashOpcode)) > 0, c.headWritten);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, UpgradeFailures,
    ::testing::Values(
        FailureCase{"HeadFlashFailsMidWrite",
                    [](UpgradeJobTest& t) { t.heads[0].flash->failFromChunk(FlashTarget::Head, 3); },
                    "激光头固件升級失败! 请勿断电或重启，然后尝试再次升级", true},
        FailureCase{"ControllerFlashFailsMidWrite",
                    [](UpgradeJobTest& t) { t.heads[0].flash->failFromChunk(FlashTarget::Controller, 2); },
                    // The head's write was followed by its reset; the failed controller write by none.
                    "控制器固件升級失败! 请勿断电或重启，然后尝试再次升级", true, 1},
        FailureCase{"TheJobStoppedItsOwnWrite",
                    [](UpgradeJobTest& t) {
                        // A write whose progress callback said stop reports success; it is no success.
                        t.context.prompt = [&t](int type, const QVariant& value) {
                            t.prompts.push_back({type, value});
                            if (type == upgrade_prompt::kHead && value.toInt() > 0) t.progressActive = false;
                        };
                    },
                    "激光头固件升級失败! 请勿断电或重启，然后尝试再次升级", true},
        FailureCase{"ControllerWordUnreadable",
                    [](UpgradeJobTest& t) {
                        sensor_sim::Fault fault;
                        fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
                        t.sensor().head().injectRegisterFault(166, fault);
                    },
                    "连接传感器失败!", false},
        FailureCase{"ControllerVersionUnreadable",
                    [](UpgradeJobTest& t) {
                        sensor_sim::Fault fault;
                        fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
                        t.sensor().head().injectRegisterFault(135, fault);
                    },
                    "连接传感器失败!", false},
        FailureCase{"HeadOfAnotherF00Nibble", [](UpgradeJobTest& t) { t.setFirmware(0, 0x021A, 0x0003, 0x0007); },
                    "激光头固件版本不兼容 (021a)", false},
        FailureCase{"NoControllerImageFits", [](UpgradeJobTest& t) { t.setFirmware(0, 0x011A, 0x1003, 0x0007); },
                    "控制器固件版本不兼容 (1003.0007)", false}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(UpgradeJobTest, AResetTheSensorRefusesIsAFailureWithoutReboot) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    heads[0].programs->refuseSystemCommand(kSettingsReset);
    sensor().clearPacketLog();
    run(package(entries({"0:2:0x011b:0x400000:300", "1:1:0x07510008:0:300"})));
    EXPECT_EQ(failures(), (std::vector<QString>{"激光头固件升級失败! 请勿断电或重启，然后尝试再次升级"}));
    const auto packets = log();
    EXPECT_EQ(count(packets, opcode(kControllerFlashOpcode)), 0);
    EXPECT_EQ(count(packets, writeOf(kControllerReboot)), 0);
}

TEST_F(UpgradeJobTest, RefusedInputsEndBeforeAnythingIsWritten) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    run(package(kHeadAndController), "127.0.1");
    run(package(kHeadAndController + QStringList{"--salt", "XVB"}));
    EXPECT_EQ(failures(), (std::vector<QString>{"通信配置不正确!", "升级包校验失败!"}));
    run(QString::fromStdString((workFolder() / "missing.zpf").string()));
    EXPECT_EQ(failures().back(), "升级包校验失败!");
    EXPECT_EQ(count(log(), opcode(kHeadFlashOpcode)), 0);
    EXPECT_EQ(count(log(), writeOf(kControllerReboot)), 0);
    EXPECT_FALSE(kept.hasHeadImage) << "a refused package leaves no images";
}

TEST_F(UpgradeJobTest, ASilentHeadAnswersAfterTheControllersReboot) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    heads[0].reboot->holdRegisterUntilReboot(134, 0xFFFF, 1);
    sensor().clearPacketLog();
    run(package(kHeadAndController));
    EXPECT_TRUE(failures().empty()) << failures().front().toStdString();
    EXPECT_TRUE(ended());
    EXPECT_EQ(heads[0].reboot->controllerReboots(), 2) << "one for the silent head, one after the writes";
    EXPECT_EQ(heads[0].flash->read(FlashTarget::Controller, 0, 900), image(1, 900));
    EXPECT_EQ(sleeper->asked(), (std::vector<int>{50, 20000, 50, 100}));
    EXPECT_EQ(prompts.front().type, upgrade_prompt::kBusy);
    EXPECT_EQ(prompts.front().value.toString(), "waiting");
}

TEST_F(UpgradeJobTest, AHeadSilentThreeTimesEndsAfterTwoReboots) {
    setFirmware(0, 0x011A, 0x0003, 0x0007);
    heads[0].reboot->holdRegisterUntilReboot(134, 0xFFFF, sensor_sim::SimReboot::kForever);
    run(package(kHeadAndController));
    EXPECT_EQ(failures(), (std::vector<QString>{"连接激光头失败 (ffff)，请检查线缆连接后重试"}));
    EXPECT_EQ(heads[0].reboot->controllerReboots(), 2);
    EXPECT_EQ(heads[0].flash->requests(FlashTarget::Head) + heads[0].flash->requests(FlashTarget::Controller), 0u);
}

TEST_F(UpgradeJobTest, ControllersThatResetAfterTheRebootAreReconnectedAndReset) {
    // Register 166 0x2309: the new settings come after the reboot.
    setFirmware(0, 0x011A, 0x0003, 0x2309);
    sensor().clearPacketLog();
    run(package(entries({"0:2:0x011b:0x400000:300", "1:1:0x07512400:0:300"})));
    ASSERT_TRUE(failures().empty()) << failures().front().toStdString();
    EXPECT_TRUE(ended());
    EXPECT_EQ(sleeper->asked(), (std::vector<int>{50, 100, 20000, 5000}));
    EXPECT_EQ(heads[0].reboot->controllerReboots(), 2) << "after the writes, and after the reset";
    const auto packets = log();
    const int reboot = firstIndex(packets, writeOf(kControllerReboot));
    const int reset = firstIndex(packets, settingsReset());
    ASSERT_GE(reset, 0);
    EXPECT_GT(reset, reboot) << "the reset waits for the new firmware";
    EXPECT_EQ(count(packets, settingsReset()), 1);
}

// A four-head sensor: each head its own controller at the address and the
// next three, with firmware words of its own.
class FourHeadUpgradeTest : public UpgradeJobTest {
protected:
    mirevo::test::ClientSensorOptions sensorOptions() const override {
        mirevo::test::ClientSensorOptions options;
        options.preset.model = "ZP5160F";
        return options;
    }
    std::string sensorAddress() const override { return upgrade_test::withRoomForFourHeads(addressForTest()); }
};

TEST_F(FourHeadUpgradeTest, EveryHeadIsUpgradedInTurn) {
    ASSERT_EQ(sensor().headCount(), 4);
    // Register 166 0x4007: a controller whose head information names the model.
    for (int i = 0; i < 4; ++i) setFirmware(i, 0x0110 + i, 0x0003, 0x4007);
    for (int i = 0; i < 4; ++i) sensor().head(i).clearPacketLog();
    run(package(entries({"0:2:0x0120:0x400000:500", "1:2:0x00034009:0:700"})));

    ASSERT_TRUE(failures().empty()) << failures().front().toStdString();
    EXPECT_TRUE(ended());
    std::vector<std::chrono::steady_clock::time_point> firstFlash;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("head " + std::to_string(i) + " at " + sensor().headAddress(i));
        EXPECT_EQ(heads[i].flash->read(FlashTarget::Head, 0x400000, 500), image(0, 500));
        EXPECT_EQ(heads[i].flash->read(FlashTarget::Controller, 0, 700), image(1, 700));
        EXPECT_EQ(heads[i].reboot->headReboots(), 1);
        EXPECT_EQ(heads[i].reboot->controllerReboots(), 1);
        const auto packets = log(i);
        const int flash = firstIndex(packets, opcode(kHeadFlashOpcode));
        ASSERT_GE(flash, 0);
        firstFlash.push_back(packets[flash].time);
    }
    for (int i = 1; i < 4; ++i) EXPECT_LT(firstFlash[i - 1], firstFlash[i]) << "head " << i << " after head " << i - 1;
}

TEST_F(FourHeadUpgradeTest, AHeadCountIsLearntOnlyFromAModelThatNamesIt) {
    // Register 166 0x0007: no head information is read, so no model text: one head.
    for (int i = 0; i < 4; ++i) setFirmware(i, 0x011A, 0x0003, 0x0007);
    run(package(kHeadAndController));
    ASSERT_TRUE(failures().empty()) << failures().front().toStdString();
    EXPECT_EQ(heads[0].reboot->controllerReboots(), 1);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(heads[i].flash->requests(FlashTarget::Head), 0u);
}

}  // namespace
