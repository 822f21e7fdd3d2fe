#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "sensor_client/client_event_queue.h"
#include "sensor_client/linelaser_client.h"

namespace {

TEST(ClientEventQueue, KeepsOrderAndItsLongestLength) {
    ClientEventQueue queue;
    queue.push("open");
    queue.push("oneline");
    queue.push("batch_stop");
    EXPECT_EQ(queue.longest(), 3u);
    EXPECT_EQ(queue.takeFront(), std::string("open"));
    EXPECT_EQ(queue.takeFront(), std::string("oneline"));
    EXPECT_EQ(queue.size(), 1u);
    queue.clear();
    EXPECT_FALSE(queue.takeFront().has_value());
    EXPECT_EQ(queue.longest(), 3u);
}

TEST(ClientEventQueue, AModeSwitchKeepsTheNewsOfTheSensorComingAndGoing) {
    ClientEventQueue queue;
    for (const char* word : {"oneline", "open", "batch_start", "close", "oneimg", "batch_stop"}) queue.push(word);
    queue.clearAcquisitionWords();
    EXPECT_EQ(queue.takeFront(), std::string("open"));
    EXPECT_EQ(queue.takeFront(), std::string("close"));
    EXPECT_FALSE(queue.takeFront().has_value());
}

// The timer turns one word per tick into its signal, in posting order.
TEST(ClientEvents, EachTickEmitsOneWordsSignalInOrder) {
    LinelaserClient client;
    client.eventTimer.stop();
    QSignalSpy conn(&client, &LinelaserClient::signal_laser_conn);
    QSignalSpy closed(&client, &LinelaserClient::signal_sendclose);
    QSignalSpy data(&client, &LinelaserClient::signal_recv_type_datas);
    QSignalSpy batch(&client, &LinelaserClient::signal_laser_batch_state);
    client.batchNumber = 17;
    client.pushEvent("oneline");
    client.pushEvent("oneimg");
    client.pushEvent("no such word");
    client.pushEvent("batch_start");
    client.pushEvent("batch_stop");
    client.pushEvent("open");
    client.pushEvent("close");

    client.slot_OnTimmer();
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data.at(0).at(0).toInt(), 0);
    client.slot_OnTimmer();
    ASSERT_EQ(data.count(), 2);
    EXPECT_EQ(data.at(1).at(0).toInt(), 1);
    client.slot_OnTimmer();  // the unknown word: taken out, nothing emitted
    EXPECT_EQ(data.count() + batch.count() + conn.count() + closed.count(), 2);
    client.slot_OnTimmer();
    ASSERT_EQ(batch.count(), 1);
    EXPECT_EQ(batch.at(0).at(0).toInt(), 1);
    EXPECT_EQ(client.batchShownNumber.load(), 17);
    client.slot_OnTimmer();
    ASSERT_EQ(batch.count(), 2);
    EXPECT_EQ(batch.at(1).at(0).toInt(), 0);
    client.slot_OnTimmer();
    EXPECT_EQ(conn.count(), 1);
    client.slot_OnTimmer();
    EXPECT_EQ(closed.count(), 1);
    client.slot_OnTimmer();  // empty queue: nothing
    EXPECT_EQ(data.count() + batch.count() + conn.count() + closed.count(), 6);
}

TEST(ClientEvents, TwoWordsPostedAtOnceArriveOnTwoTicksOfTheTimer) {
    LinelaserClient client;
    ClientTimings timings;
    timings.eventTickMs = 30;
    client.setTimings(timings);
    QSignalSpy data(&client, &LinelaserClient::signal_recv_type_datas);
    client.pushEvent("oneimg");
    client.pushEvent("oneline");
    ASSERT_TRUE(data.wait(1000));
    EXPECT_EQ(data.count(), 1);
    ASSERT_TRUE(data.wait(1000));
    ASSERT_EQ(data.count(), 2);
    EXPECT_EQ(data.at(0).at(0).toInt(), 1);
    EXPECT_EQ(data.at(1).at(0).toInt(), 0);
}

TEST(ClientCore, StartsWithTheDocumentedValues) {
    LinelaserClient client;
    EXPECT_FALSE(client.connected);
    EXPECT_EQ(client.deviceId, 0);
    EXPECT_EQ(client.settingType, 0x10);
    EXPECT_DOUBLE_EQ(client.zUpperMm, 6.0);
    EXPECT_DOUBLE_EQ(client.zLowerMm, -6.0);
    EXPECT_DOUBLE_EQ(client.xPitchMm, 200.0);
    EXPECT_DOUBLE_EQ(client.halfWidthMm, 8.0);
    EXPECT_FLOAT_EQ(client.exportScale, 1.0f);
    EXPECT_EQ(client.batchHeights.size(), 50000u);
    EXPECT_EQ(client.batchIntensity.size(), 50000u);
    EXPECT_EQ(client.displayRange.yMax, 30000);
    EXPECT_EQ(client.displayRange.yMin, 1);
    EXPECT_FALSE(client.displayRange.fixedRange);
    EXPECT_TRUE(client.eventTimer.isActive());
    EXPECT_EQ(client.eventTimer.interval(), 30);
    EXPECT_EQ(client.cachedRegister(149), -1);
}

TEST(ClientCore, AnAddressOfOtherThanFourPartsIsRefusedAtOnce) {
    LinelaserClient client;
    EXPECT_EQ(client.open("127.0.0", 7), 2);
    EXPECT_EQ(client.open("127.0.0.1.5", 7), 2);
    EXPECT_EQ(client.ip, "127.0.0.1.5");
    EXPECT_FALSE(client.connected);
    EXPECT_FALSE(client.heartbeatThread.joinable());
}

}  // namespace

#include "sensor_client/batch_window.h"
#include "sensor_client/raw_image_rules.h"

namespace {

TEST(BatchWindow, TakesTheRegionOfInterestInProfilePoints) {
    const BatchWindow window = batchWindow(500, 500, 2.0);
    EXPECT_EQ(window.first, 1000);
    EXPECT_EQ(window.last, 1999);
    EXPECT_FALSE(window.contains(999));
    EXPECT_TRUE(window.contains(1000));
    EXPECT_TRUE(window.contains(1999));
    EXPECT_FALSE(window.contains(2000));
    EXPECT_FALSE(batchWindow(1, 0, 1.5625).contains(1));  // width 0: last lies before first
}

TEST(BatchWindow, UnreadableRegistersGiveAWindowBeyondEveryPointWithoutOverflow) {
    const BatchWindow window = batchWindow(0xFFFFFFFFu, 0xFFFFFFFFu, 2.9296875);
    EXPECT_GT(window.first, int64_t{INT32_MAX});
    EXPECT_FALSE(window.contains(0));
    EXPECT_FALSE(window.contains(5999));
    EXPECT_EQ(window.firstColumn(), INT32_MAX);
    // A width of 0 at column 0 leaves last at -1: every point, compared unsigned.
    const BatchWindow empty = batchWindow(0, 0, 2.0);
    EXPECT_TRUE(empty.contains(0));
    EXPECT_TRUE(empty.contains(5999));
}

TEST(RawImagePeakRow, NoPeakOrOneBeyondTheImageIsTheLastRow) {
    EXPECT_FLOAT_EQ(rawImagePeakRow(0, 256), 255.0f);
    EXPECT_FLOAT_EQ(rawImagePeakRow(25600, 256), 255.0f);
    EXPECT_FLOAT_EQ(rawImagePeakRow(30000, 256), 255.0f);
    EXPECT_FLOAT_EQ(rawImagePeakRow(25599, 256), 255.99f);
    EXPECT_FLOAT_EQ(rawImagePeakRow(12825, 256), 128.25f);
    EXPECT_FLOAT_EQ(rawImagePeakRow(-100, 256), -1.0f);
}

TEST(RawImageFileName, ImagesOfOneMillisecondKeepEachTheirOwnFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString stamp = QStringLiteral("2026-12-10_21-30-00-123");
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        const QString name = rawImageFileName(folder.path(), stamp);
        ASSERT_FALSE(names.contains(name)) << name.toStdString();
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        names << name;
    }
    EXPECT_EQ(names[0], folder.path() + "/" + stamp + ".bmp");
    EXPECT_EQ(names[1], folder.path() + "/" + stamp + "_1.bmp");
    EXPECT_EQ(names[2], folder.path() + "/" + stamp + "_2.bmp");
}

}  // namespace

namespace {

TEST(BatchWindow, ThePointsInsideAgreeWithContains) {
    for (const BatchWindow& window : {batchWindow(500, 500, 2.0), batchWindow(0, 0, 2.0), batchWindow(0, 2048, 2.0),
                                      batchWindow(3000, 10, 2.0), batchWindow(0xFFFFFFFFu, 5, 2.9296875)}) {
        int lo = 0, hi = 0;
        window.insideOf(4096, &lo, &hi);
        for (int j = 0; j < 4096; ++j) EXPECT_EQ(window.contains(j), j >= lo && j <= hi) << window.first << " " << j;
    }
}

}  // namespace
