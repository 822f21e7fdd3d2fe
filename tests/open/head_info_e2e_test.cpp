// The head-information and user-register steps of a connected sensor.
#include <gtest/gtest.h>

#include <string>

#include "sensor_interface/command/head_info.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"
#include "tests/open/open_fixture.h"

namespace open_test {
namespace {

class HeadInfoE2E : public OpenFixture {
protected:
    void connect(const std::string& model, sensor_sim::OpenKnobs knobs = {}) {
        sensor_sim::ModelPreset preset;
        preset.model = model;
        sensor = std::make_unique<sensor_sim::SimModelSensors>(testAddress(), preset, knobs);
        ASSERT_TRUE(sensor->start());
        ASSERT_TRUE(sdkManager().connect(0, sensor->address(0).c_str(), 7));
        device = sdkManager().find(0);
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override {
        device.reset();
        OpenFixture::TearDown();
    }
    SensorController& controller() { return device->controller; }

    std::unique_ptr<sensor_sim::SimModelSensors> sensor;
    std::shared_ptr<tandrel_zp_clients> device;
};

bool runLogHas(const std::string& text) {
    bool found = false;
    LogManager::instance().recentRecords().forEach(
        [&](const LogRecord& record) { found = found || record.message.find(text) != std::string::npos; });
    return found;
}

struct SeriesCase {
    const char* model;
    int columns, rows, points;
    double pointsPerColumn;
    std::array<int32_t, 4> roiRows;
};
void PrintTo(const SeriesCase& c, std::ostream* os) { *os << c.model; }

class SeriesGeometry : public HeadInfoE2E, public ::testing::WithParamInterface<SeriesCase> {};

TEST_P(SeriesGeometry, FollowsTheSeriesCharacter) {
    const SeriesCase& c = GetParam();
    connect(c.model);
    ASSERT_EQ(controller().readHeadInfo(), 0);
    EXPECT_EQ(controller().columns, c.columns);
    EXPECT_EQ(controller().rows, c.rows);
    EXPECT_EQ(controller().points, c.points);
    EXPECT_DOUBLE_EQ(controller().pointsPerColumn, c.pointsPerColumn);
    EXPECT_EQ(lastColumns.load(), c.columns);
    EXPECT_EQ(lastRows.load(), c.rows);
    EXPECT_EQ(lastPoints.load(), c.points);
    EXPECT_DOUBLE_EQ(lastPointsPerColumn.load(), c.pointsPerColumn);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(roiRowTable[i].load(), c.roiRows[i]) << i;
    ASSERT_NE(controller().processor, nullptr);
    EXPECT_EQ(controller().processor->points(), c.points);
    EXPECT_EQ(std::string(controller().laserParams.model), c.model);
    EXPECT_EQ(readsOf(sensor->head(0).packetLog(), 740), 1u);
}

INSTANTIATE_TEST_SUITE_P(Series, SeriesGeometry,
                         ::testing::Values(SeriesCase{"ZP3040", 848, 640, 848, 1.0, {640, 320, 160, 80}},
                                           SeriesCase{"ZP4040", 2048, 608, 3200, 1.5625, {608, 304, 144, 64}},
                                           SeriesCase{"ZP5160", 2048, 1024, 4096, 2.0, {1024, 512, 256, 128}},
                                           SeriesCase{"ZP6160", 2048, 1024, 6000, 2.9296875,
                                                      {1024, 512, 256, 128}}),
                         [](const ::testing::TestParamInfo<SeriesCase>& info) {
                             return std::string(info.param.model);
                         });

TEST_F(HeadInfoE2E, UnknownSeriesChangesNeitherGeometryNorProcessor) {
    connect("ZP4040");
    ASSERT_EQ(controller().readHeadInfo(), 0);
    const std::shared_ptr<ProfileProcessor> kept = controller().processor;
    sensor_sim::HeadPreset other;
    other.model = "ZP7160";
    sensor->head(0).model().setHead(other);

    EXPECT_EQ(controller().readHeadInfo(), 4102);
    EXPECT_EQ(controller().processor, kept);
    EXPECT_EQ(controller().points, 3200);
    EXPECT_EQ(lastPoints.load(), 3200);
}

// A processor still held by a frame in progress lives on after the step
// replaces it.
TEST_F(HeadInfoE2E, ReplacedProcessorStaysValidForItsHolder) {
    connect("ZP5160");
    ASSERT_EQ(controller().readHeadInfo(), 0);
    std::shared_ptr<ProfileProcessor> inUse = controller().processor;
    ASSERT_EQ(controller().readHeadInfo(), 0);
    EXPECT_NE(controller().processor, inUse);
    EXPECT_EQ(inUse->points(), 4096);
}

struct LoadCase {
    const char* name;
    uint32_t loadStatus;
    bool own;
    int expected;
    size_t statusReads;
};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class UserRegisters : public HeadInfoE2E, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(UserRegisters, ReadEveryRegisterTheShapeAndTheLoadStatus) {
    const LoadCase& c = GetParam();
    sensor_sim::OpenKnobs knobs;
    knobs.loadStatus = c.loadStatus;
    connect("ZP5160", knobs);
    sensor->head(0).setReg(785, 4242);  // the table's last register
    controller().ownConnection = c.own;

    EXPECT_EQ(controller().loadUserRegisters(), c.expected);
    const auto log = sensor->head(0).packetLog();
    EXPECT_EQ(readsOf(log, 705), c.statusReads);
    EXPECT_EQ(controller().getVals(785), 4242u);
    size_t shapeReads = 0;
    for (const auto& packet : log) shapeReads += packet.opcode == 178 ? 1 : 0;
    EXPECT_EQ(shapeReads, 1u);
    if (c.expected != 0) {
        EXPECT_TRUE(runLogHas("load status error " + std::to_string(c.loadStatus)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    LoadStatus, UserRegisters,
    ::testing::Values(LoadCase{"Zero", 0, false, 0, 1}, LoadCase{"Three", 3, false, 0, 1},
                      LoadCase{"One", 1, false, 3090, 1}, LoadCase{"OwnConnectionSkipsIt", 1, true, 0, 0}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(HeadInfoE2E, LoadStatusAlone) {
    struct Case {
        uint32_t status;
        bool good;
    };
    connect("ZP5160");
    for (const Case& c : {Case{0, true}, Case{3, true}, Case{1, false}, Case{7, false}}) {
        sensor->head(0).setReg(705, c.status);
        EXPECT_EQ(controller().checkLoadStatus(), c.good) << c.status;
    }
    EXPECT_TRUE(runLogHas("load status error 7"));
    // A read that fails is false without a log line.
    sensor->head(0).setReg(705, 9);
    sensor_sim::Fault rejected;
    rejected.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor->head(0).injectRegisterFault(705, rejected);
    EXPECT_FALSE(controller().checkLoadStatus());
    EXPECT_FALSE(runLogHas("load status error 9"));
}

}  // namespace
}  // namespace open_test
