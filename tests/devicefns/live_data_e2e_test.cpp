// The live profile and the raw camera image of the simulated scene through the
// device functions, and the link pause that keeps them off the channel.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/registry/device_functions.h"
#include "tests/devicefns/device_under_test.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace devicefns_test;

constexpr int32_t kOutsideWindow = -999900000;

// Height x 100 of a camera row of the scene, as the batch rows carry it.
int32_t sceneHeight(double row) { return static_cast<int32_t>(std::trunc((kReference - kDistancePerRow * row) * 100.0)); }

class DevicefnsLiveData : public DeviceUnderTest {};

// How often the run log's recent lines hold exactly this line.
int loggedTimes(const std::string& line) {
    int times = 0;
    LogManager::instance().recentRecords().forEach([&](const LogRecord& record) { times += record.message == line; });
    return times;
}

TEST_F(DevicefnsLiveData, ProfileHeightsFollowTheScene) {
    openSceneHead();
    controller().settings().set_regvals(359, 0);
    controller().settings().set_regvals(358, 2048);

    std::vector<int32_t> profile(kScenePoints, 7);
    ASSERT_EQ(hvq5_get_outline(kId, profile.data(), kScenePoints), HVQ5_RC_OK);

    // Point j lies at column 1024 + (j - 1600) / 1.5625: the plane left and
    // right of the step, the step over columns 1024 to 1535.
    const int32_t plane = sceneHeight(sensor_sim::scenePeakRow(0, kSceneRows));
    const int32_t step = sceneHeight(sensor_sim::scenePeakRow(1024, kSceneRows));
    ASSERT_NE(plane, step);
    for (int j : {400, 1000, 1590, 2500, 3000}) EXPECT_EQ(profile[j], plane) << j;
    for (int j : {1610, 2000, 2390}) EXPECT_EQ(profile[j], step) << j;
}

TEST_F(DevicefnsLiveData, ProfileOutsideTheXWindowIsInvalid) {
    openSceneHead();
    controller().settings().set_regvals(359, 512);  // columns 512 .. 1535
    controller().settings().set_regvals(358, 1024);

    std::vector<int32_t> profile(kScenePoints, 7);
    ASSERT_EQ(hvq5_get_outline(kId, profile.data(), kScenePoints), HVQ5_RC_OK);
    // start trunc(512 x 1.5625) = 800, end trunc(1024 x 1.5625 + 800 - 1) = 2399
    EXPECT_EQ(profile[799], kOutsideWindow);
    EXPECT_EQ(profile[800], sceneHeight(sensor_sim::scenePeakRow(0, kSceneRows)));
    EXPECT_EQ(profile[2399], sceneHeight(sensor_sim::scenePeakRow(1024, kSceneRows)));
    EXPECT_EQ(profile[2400], kOutsideWindow);
}

TEST_F(DevicefnsLiveData, DebugDumpKeepsTheRawValuesOfEachLiveProfile) {
    openSceneHead();
    mirevo::test::TempDir folder;
    mirevo::test::ScopedWorkingDir inFolder(folder.path());
    std::vector<int32_t> profile(kScenePoints);

    ASSERT_EQ(hvq5_get_outline(kId, profile.data(), kScenePoints), HVQ5_RC_OK);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "fvals0.md")) << "dumps are off";

    data_save_enabled = 1;
    const int first = hvq5_get_outline(kId, profile.data(), kScenePoints);
    const int second = hvq5_get_outline(kId, profile.data(), kScenePoints);
    data_save_enabled = 0;
    ASSERT_EQ(first, HVQ5_RC_OK);
    ASSERT_EQ(second, HVQ5_RC_OK);

    std::ifstream file(folder.path() / "fvals0.md");
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(file, line)) lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u) << "one line per profile";
    std::ostringstream expected;
    for (int column = 0; column < 2048; ++column)
        expected << std::lround(sensor_sim::scenePeakRow(column, kSceneRows) * 65536.0) << ",";
    EXPECT_EQ(lines[0], expected.str());
}

TEST_F(DevicefnsLiveData, RawImageCarriesTheLaserLineAndItsPeakRows) {
    openSceneHead();
    std::vector<char> image(kSceneRows * 2048, 0);
    std::vector<int> peaks(2048, 7);
    int rows = 0;
    ASSERT_EQ(hvq5_get_image(kId, image.data(), static_cast<int>(image.size()), peaks.data(), 2048, &rows), HVQ5_RC_OK);
    EXPECT_EQ(rows, kSceneRows);
    for (int column : {0, 500, 1024, 1300, 2047}) {
        const double row = sensor_sim::scenePeakRow(column, kSceneRows);
        EXPECT_EQ(static_cast<uint8_t>(image[static_cast<size_t>(row) * 2048 + column]), 220) << column;
        EXPECT_EQ(peaks[column], static_cast<int>(row * 100.0)) << column;
    }
    EXPECT_EQ(peaks[101], -100) << "a column without peak";
}

TEST_F(DevicefnsLiveData, RawImageLargerThanTheCallersBufferIsRefused) {
    openSceneHead();
    std::vector<char> image(kSceneRows * 2048 - 1, 1);
    std::vector<int> peaks(2048, 7);
    int rows = -1;
    EXPECT_EQ(hvq5_get_image(kId, image.data(), static_cast<int>(image.size()), peaks.data(), 2048, &rows),
              HVQ5_RC_IMAGE_TOO_LARGE);
    EXPECT_EQ(image[0], 1);
    EXPECT_EQ(peaks[0], 7);
}

TEST_F(DevicefnsLiveData, PausedLinkKeepsLiveReadsOffTheChannel) {
    openSceneHead();
    EXPECT_TRUE(hvq5_get_link_paused(kId)) << "live reads allowed after open";
    ASSERT_EQ(hvq5_set_link_paused(kId, 0x100), HVQ5_RC_OK) << "only the low byte counts";
    EXPECT_FALSE(hvq5_get_link_paused(kId));

    std::vector<int32_t> profile(kScenePoints, 7);
    std::vector<char> image(kSceneRows * 2048, 1);
    std::vector<int> peaks(2048, 7);
    int rows = -1;
    EXPECT_EQ(hvq5_get_outline(kId, profile.data(), kScenePoints), HVQ5_RC_NOT_ALLOWED);
    EXPECT_EQ(hvq5_get_image(kId, image.data(), static_cast<int>(image.size()), peaks.data(), 2048, &rows),
              HVQ5_RC_NOT_ALLOWED);
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(profile[0], 7);
    EXPECT_EQ(rows, -1);

    ASSERT_EQ(hvq5_set_link_paused(kId, 1), HVQ5_RC_OK);
    EXPECT_TRUE(hvq5_get_link_paused(kId));
    EXPECT_EQ(hvq5_get_outline(kId, profile.data(), kScenePoints), HVQ5_RC_OK);
    EXPECT_FALSE(requests().empty());
}

TEST_F(DevicefnsLiveData, FailedLiveReadsLeaveALineInTheRunLog) {
    openSceneHead();
    // A profile record cut short inside a stream that still ends properly.
    sensor_sim::installDebugStream(*sim, [](sensor_sim::SimSensor&) {
        const std::string text = "DEBUG,start\r\nalgdat1,short,end\r\nDEBUG,end\r\n";
        return std::vector<uint8_t>(text.begin(), text.end());
    });
    std::vector<int32_t> profile(kScenePoints);
    std::vector<char> image(kSceneRows * 2048);
    std::vector<int> peaks(2048);
    int rows = 0;
    EXPECT_EQ(hvq5_get_outline(kId, profile.data(), kScenePoints), HVQ5_RC_BAD_BLOCK);
    EXPECT_EQ(hvq5_get_image(kId, image.data(), static_cast<int>(image.size()), peaks.data(), 2048, &rows),
              HVQ5_RC_BAD_BLOCK);
    EXPECT_EQ(loggedTimes("outline getting error[0]: 4103"), 1);
    EXPECT_EQ(loggedTimes("image getting error[0]: 4103"), 1);

    ASSERT_EQ(hvq5_set_link_paused(kId, 0), HVQ5_RC_OK);
    EXPECT_EQ(hvq5_get_outline(kId, profile.data(), kScenePoints), HVQ5_RC_NOT_ALLOWED);
    EXPECT_EQ(loggedTimes("outline getting error[0]: 5001"), 0) << "a paused link is no error";
}

TEST_F(DevicefnsLiveData, LiveReadsOfAClosedIdSendNothing) {
    std::vector<int32_t> profile(kScenePoints, 7);
    EXPECT_EQ(hvq5_get_outline(3, profile.data(), kScenePoints), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(hvq5_set_link_paused(3, 0), HVQ5_RC_NOT_OPEN);
    EXPECT_FALSE(hvq5_get_link_paused(3));
    EXPECT_TRUE(requests().empty());
}

}  // namespace
