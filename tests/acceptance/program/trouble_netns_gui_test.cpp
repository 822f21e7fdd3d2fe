// Trouble: the sensor falls silent, its data channel drops in the middle of a
// batch, it reboots. A silent sensor is reported and the program closes, as
// the main window prescribes for a lost connection; a dropped data channel is
// reconnected, the broken batch is never reported complete nor saved, and the
// next batch comes whole; after a reboot the interface reconnects and the
// live profile goes on. Nothing hangs: every wait is bounded.
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/settings_keys.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/acceptance/thread_count.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sim_reboot.h"
#include "views/height/height_view.h"

namespace acceptance {
namespace {

using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::PromptRecord;
using mirevo::test::ScopedPrompter;

const QString kLossText = QStringLiteral("Mirevo与控制器断开，请确认连接或通信设定后重试");

int lossBoxes(ScopedPrompter& p) {
    int n = 0;
    for (const PromptRecord& r : p->prompts())
        n += r.kind == PromptKind::Warning && r.title == QStringLiteral("连接") && r.text == kLossText;
    return n;
}

class Trouble : public ProgramAcceptance {
protected:
    // After the program closed itself: disconnected, its threads joined.
    void expectClosedCleanly(ScopedPrompter& p, int threadsBefore) {
        EXPECT_EQ(lossBoxes(p), 1);
        EXPECT_FALSE(window_->isVisible());
        EXPECT_FALSE(client().connected);
        EXPECT_FALSE(client().heartbeatThread.joinable());
        EXPECT_FALSE(client().profileThread.joinable());
        EXPECT_FALSE(client().batchThread.joinable());
        const int left = waitForThreadCount(threadsBefore, 10000);
        EXPECT_LE(left, threadsBefore) << processThreadNames();
    }
};

TEST_F(Trouble, ASilentSensorIsReportedAndTheProgramCloses) {
    ScopedPrompter p;
    const int threadsBefore = threadCountBaseline();
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    ASSERT_TRUE(waitUntil([&] { return client().frameCount.load() > 3; })) << "no live profile";
    // From now on the sensor answers nothing on its command channel.
    p->answer(QMessageBox::Ok);
    sensor_sim::Fault silent;
    silent.kind = sensor_sim::FaultKind::Silence;
    for (uint8_t opcode : {uint8_t{160}, uint8_t{161}, kSystemCommand}) sensor().head().injectOpcodeFault(opcode, silent);
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }, 90000)) << "the silence was not noticed";
    expectClosedCleanly(p, threadsBefore);
}

// The client's own heartbeat (once a second, three failures before the loss):
// a reboot of half a second stays well within its patience, however loaded
// the machine.
class Reboot : public Trouble {
protected:
    ClientTimings clientTimings() const override {
        ClientTimings timings = fastTimings();
        timings.heartbeatMs = ClientTimings{}.heartbeatMs;
        return timings;
    }
};

TEST_F(Reboot, AfterARebootOfTheSensorTheLiveProfileGoesOn) {
    ScopedPrompter p;
    auto reboot = sensor_sim::installReboot(sensor().head());
    reboot->setDowntimeMs(500);
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    ASSERT_TRUE(waitUntil([&] { return client().frameCount.load() > 3; })) << "no live profile";
    const QString connectedText = label("label_sb_connstr");
    // The sensor reboots by itself: every connection drops, nothing is
    // accepted for half a second, then it listens again. The interface
    // reconnects within the heartbeat's patience: no loss, the profile goes on.
    sensor().clearPacketLog();
    reboot->onWriting(sensor_sim::SimReboot::kControllerRegister);
    reboot->onWritten(sensor_sim::SimReboot::kControllerRegister);
    ASSERT_TRUE(reboot->waitUntilDown(10000));
    ASSERT_TRUE(reboot->waitForControllerReboots(1, 10000));
    const int framesAfterReboot = client().frameCount.load();
    ASSERT_TRUE(waitUntil([&] { return client().frameCount.load() > framesAfterReboot + 20; }, 60000))
        << "the live profile did not come back";
    EXPECT_TRUE(client().connected);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(p->prompts().size(), 0u);
    EXPECT_EQ(label("label_sb_connstr"), connectedText);
    // The program asked for no reboot and did not change the sensor's mode.
    EXPECT_TRUE(sensor().writesTo(227).empty());
    EXPECT_TRUE(sensor().writesTo(239).empty());
    EXPECT_EQ(sensor().reg(149), 0u);
    spin(200);
    grabWindow(QStringLiteral("9_after_reboot"));
}

class TroubleInBatches : public Trouble {
protected:
    int savedBatches() {
        const std::filesystem::path folder = workFolder() / "batch_data";
        if (!std::filesystem::exists(folder)) return 0;
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            n += entry.path().extension() == ".tif";
        return n;
    }

    static constexpr int kFrames = 400;
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.knobs.batchMode = 1;
        options.batchLength = kFrames;
        options.streamedColumns = 256;
        options.firstStreamedColumn = 896;
        return options;
    }
};

TEST_F(TroubleInBatches, ADataChannelDroppedMidBatchIsNeitherCompletedNorSavedAndTheNextComesWhole) {
    ScopedPrompter p;
    // Every batch received whole is saved at its end ("batch_data/*.customized.tif").
    setSettingsInt(settings_keys::kAutoSaveBatchData, 1);
    QtLineLaserClient& window = startAndConnect();
    ASSERT_TRUE(client().connected);
    const size_t connectionsBefore = sensor().dataConnections();

    // Batch 1 announces kFrames frames but sends half of them; the sensor
    // then drops the data connection, and the rest never comes.
    sensor_sim::BatchPlan broken = sensor().batchPlan(kFrames, 1);
    broken.frames = kFrames / 2;
    broken.sendStop = false;
    sensor().streamer().setPlan(broken);

    // Every batch number the client reports complete, as the windows see it.
    std::set<int> shownComplete;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (client().batchComplete) shownComplete.insert(client().batchNumber.load());
    });
    watch.start(2);
    bool dropped = false;
    QTimer::singleShot(0, [&] {
        // Inside the start button's wait: drop the link once half the batch arrived.
        if (!waitUntil([&] { return client().batchProfileCount.load() >= kFrames / 2 &&
                                    !sensor().streamer().streaming(); }, 30000))
            return;
        sensor().dataChannel().closeConnection();
        dropped = true;
        // The person gives up waiting for that batch: "暂停".
        waitUntil([&] { return sensor().dataConnections() > connectionsBefore; }, 30000);
        spin(500);
        button("pushButton_end")->click();
    });
    button("pushButton_start")->click();
    ASSERT_TRUE(dropped);
    EXPECT_FALSE(window.waitingForBatch());
    EXPECT_TRUE(button("pushButton_start")->isEnabled());
    EXPECT_FALSE(shownComplete.count(1)) << "the broken batch was reported complete";
    EXPECT_EQ(client().batchProfileCount.load(), kFrames / 2);
    EXPECT_EQ(savedBatches(), 0) << "the broken batch was saved";
    grabWindow(QStringLiteral("9_data_channel_dropped"));

    // The data channel is back; the next batch arrives and is shown whole.
    ASSERT_TRUE(sensor().waitForDataConnection(connectionsBefore + 1, 30000)) << "the data channel was not reconnected";
    EXPECT_TRUE(client().connected);
    sensor().streamer().setPlan(sensor().batchPlan(kFrames, 2));
    // A guard only; owned by the test so that it never fires into a later one.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { button("pushButton_end")->click(); });
    guard.start(60000);
    button("pushButton_start")->click();
    ASSERT_TRUE(client().batchComplete);
    EXPECT_EQ(client().batchNumber.load(), 2);
    EXPECT_EQ(client().batchProfileCount.load(), kFrames);
    {
        std::lock_guard<std::mutex> lock(client().batchMutex);
        for (int r = 1; r < kFrames; ++r)
            ASSERT_EQ(client().batchHeights[static_cast<size_t>(r)], client().batchHeights[0]) << "row " << r;
    }
    HeightView* height = window.heightMapView();
    ASSERT_NE(height, nullptr);
    EXPECT_TRUE(waitUntil([&] { return height->rowsDrawn() >= kFrames; }));
    spin(200);
    watch.stop();
    EXPECT_EQ(shownComplete, std::set<int>{2});
    EXPECT_TRUE(waitUntil([&] { return savedBatches() == 1; })) << savedBatches();
    EXPECT_EQ(lossBoxes(p), 0);
    EXPECT_TRUE(window.isVisible());
    grabWindow(QStringLiteral("9_next_batch_whole"));
}

}  // namespace
}  // namespace acceptance
