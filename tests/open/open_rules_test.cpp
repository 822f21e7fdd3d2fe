// Rules of the open sequence that need no sensor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "sensor_interface/command/block_codec.h"
#include "sensor_interface/command/head_info.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/model_table.h"
#include "sensor_interface/registry/open_close.h"
#include "tools/sensor_sim/sim_models.h"

namespace {

HVQ5_NET_ADDRESS address(uint8_t a, uint8_t b, uint8_t c, uint8_t d, const char* tag = "\0\0") {
    HVQ5_NET_ADDRESS made{{a, b, c, d}, 7, {tag[0], tag[1]}};
    return made;
}

TEST(OpenRules, XPositionsAreCentredOnZero) {
    EXPECT_EQ(SensorController::xPositions(0.5, 4), (std::vector<double>{-1.0, -0.5, 0.0, 0.5}));
    EXPECT_TRUE(SensorController::xPositions(0.5, 0).empty());
    EXPECT_TRUE(SensorController::xPositions(0.5, -3).empty());
}

TEST(OpenRules, ModelTable) {
    struct Case {
        const char* model;
        int32_t extendType;
        uint32_t reg432;
    };
    const Case cases[] = {
        {"ZP5020", 22, 18}, {"ZP5040", 12, 12}, {"ZP5060", 10, 9}, {"ZP5080", 10, 9},
        {"ZP5160", 10, 9},  {"ZP5160D", 10, 9}, {"ZP502", 10, 9},  {"", 10, 9},
    };
    for (const Case& c : cases) {
        const ModelTableEntry entry = lookupModel(c.model);
        EXPECT_EQ(entry.extendModelType, c.extendType) << c.model;
        EXPECT_EQ(entry.register432, c.reg432) << c.model;
    }
}

TEST(OpenRules, HeadCountByLastCharacter) {
    EXPECT_EQ(sensorHeadCount("ZP5160D"), 2);
    EXPECT_EQ(sensorHeadCount("ZP5160F"), 4);
    EXPECT_EQ(sensorHeadCount("ZP5160"), 1);
    EXPECT_EQ(sensorHeadCount("D5160"), 1);
    EXPECT_EQ(sensorHeadCount(""), 1);
    // The simulator counts its heads by the same rule, from its own code.
    for (const char* model : {"ZP5160D", "ZP5160F", "ZP5160", ""})
        EXPECT_EQ(sensor_sim::simHeadCount(model), sensorHeadCount(model)) << model;
}

TEST(OpenRules, FurtherHeadsCountUpTheirOctet) {
    const HVQ5_NET_ADDRESS first = address(192, 168, 1, 10);
    EXPECT_EQ(open_close::addressText(open_close::furtherHeadAddress(first, 2, 1)), "192.168.2.10");
    EXPECT_EQ(open_close::addressText(open_close::furtherHeadAddress(first, 4, 3)), "192.168.1.13");
    // An octet wraps as a byte does.
    EXPECT_EQ(open_close::addressText(open_close::furtherHeadAddress(address(10, 0, 255, 254), 4, 3)),
              "10.0.255.1");
    EXPECT_EQ(open_close::addressText(open_close::furtherHeadAddress(address(10, 0, 255, 254), 2, 1)),
              "10.0.0.254");
}

TEST(OpenRules, OwnConnectionTag) {
    EXPECT_TRUE(open_close::ownConnectionTag(address(1, 2, 3, 4, "QW")));
    EXPECT_FALSE(open_close::ownConnectionTag(address(1, 2, 3, 4)));
    EXPECT_FALSE(open_close::ownConnectionTag(address(1, 2, 3, 4, "WQ")));
}

TEST(OpenRules, ReferenceVoltageByFirmware) {
    EXPECT_DOUBLE_EQ(open_close::referenceVoltage(1279), 4.9);
    EXPECT_DOUBLE_EQ(open_close::referenceVoltage(1280), 3.3);
}

TEST(OpenRules, RunInformationLine) {
    EXPECT_EQ(open_close::runInfoLine(2, "192.168.1.10", 26, 3, 7),
              "sensor[2]: ip 192.168.1.10, sdk 1.6.31, firmware 1a.3.7");
}

TEST(OpenRules, Version) {
    const HVQ5_VERSION version = HVQ5_GetVersion();
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 1);
    EXPECT_EQ(version.patch, 2);
    EXPECT_EQ(version.build, 0);
    const uint8_t* bytes = HVQ5_2_GetVersion();
    EXPECT_EQ(std::memcmp(bytes, "\x01\x01\x02\x00", 4), 0);
    const HVQ5_VERSION odd = open_close::versionFromText("1.1");
    EXPECT_EQ(odd.major + odd.minor + odd.patch + odd.build, 0);
}

TEST(OpenRules, MeasuringRangeWords) {
    zp_laser_reg::laser_params params{};
    // 350 >> 8 = 50000; 351 / 256 = 10000; 352 read as signed: -512 / 256 = -2.
    head_info::storeMeasuringRange(params, 50000u << 8, 10000u << 8, static_cast<uint32_t>(-512));
    EXPECT_EQ(params.z_range_reference, 50000);
    EXPECT_EQ(params.z_range_lower, 40000);
    EXPECT_EQ(params.z_range_upper, 50002);
}

// Record 176 as the sensor sends it: the tag, the model text, then the rest of
// the 256 bytes.
std::vector<uint8_t> modelRecord(const std::string& model) {
    std::vector<uint8_t> record(256, 0);
    std::memcpy(record.data(), "ZP-H", 4);
    std::memcpy(record.data() + 4, model.data(), std::min<size_t>(model.size(), 16));
    return record;
}

TEST(OpenRules, HeadRecordModelTextNamesTheGeometry) {
    struct Case {
        const char* name;
        std::string model;
        int columns;  // 0: the head is refused
    };
    const Case cases[] = {
        {"series 3", "ZP3160", 848},
        {"series 6", "ZP6160", 2048},
        {"sixteen characters, no end", "ZP5160ABCDEFGHIJ", 2048},
        {"unknown series", "ZP7160", 0},
        {"series character missing", "ZP", 0},
        {"no text", "", 0},
        {"series character not a digit", "ZPx160", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zp_laser_reg::laser_params params{};
        const std::vector<uint8_t> record = modelRecord(c.model);
        auto* target = reinterpret_cast<uint8_t*>(&params);
        ASSERT_EQ(block_codec::copyHeadRecord(176, record.data(), record.size(), target), 0);
        const std::optional<ModelGeometry> geometry = head_info::headGeometry(params);
        EXPECT_EQ(geometry ? geometry->columns : 0, c.columns);
    }
}

TEST(OpenRules, HeadRecordShorterThanItKeepsIsRefused) {
    zp_laser_reg::laser_params params{};
    const std::vector<uint8_t> record = modelRecord("ZP6160");
    auto* target = reinterpret_cast<uint8_t*>(&params);
    EXPECT_EQ(block_codec::copyHeadRecord(176, record.data(), 41, target), 4103);
    EXPECT_EQ(params.model[0], 0);
    EXPECT_EQ(block_codec::copyHeadRecord(177, record.data(), record.size(), target), 4102);
    EXPECT_EQ(block_codec::copyHeadRecord(176, record.data(), record.size(), nullptr), 4102);
}

TEST(OpenRules, LoadStatus) {
    for (uint32_t good : {0u, 3u}) EXPECT_TRUE(head_info::loadStatusGood(good)) << good;
    for (uint32_t bad : {1u, 2u, 4u, 0xFFFFFFFFu}) EXPECT_FALSE(head_info::loadStatusGood(bad)) << bad;
}

using Rows = SensorController::CalibrationRows;

// Distance 40 r + 20000 at row r in every column, as the simulator's sensor has it.
Rows planeCalibration() {
    Rows plane(2048, std::vector<double>(10, 0.0));
    for (auto& row : plane) row[8] = 40.0, row[9] = 20000.0;
    return plane;
}

const open_close::CalibratedCamera kFixedPointCamera{2048, 608, true};
const open_close::CalibratedCamera kDistanceCamera{2048, 1024, false};

bool runLogHas(const std::string& text) {
    bool found = false;
    LogManager::instance().recentRecords().forEach(
        [&](const LogRecord& record) { found = found || record.message == text; });
    return found;
}

TEST(OpenRules, CalibrationOfTheWrongShapeIsRefused) {
    ProfileProcessor processor(2048, 4096, 2.0);
    const auto install = [&](ProfileProcessor* target, const Rows& table) {
        return open_close::installCalibration(target, table, kDistanceCamera, 0);
    };
    EXPECT_EQ(install(&processor, Rows(2048, std::vector<double>(9, 0.0))), 4103);
    EXPECT_EQ(install(&processor, Rows(2047, std::vector<double>(10, 0.0))), 4103);
    Rows ragged(2048, std::vector<double>(10, 0.0));
    ragged[100].push_back(1.0);
    EXPECT_EQ(install(&processor, ragged), 4103);
    EXPECT_EQ(install(nullptr, Rows(2048, std::vector<double>(10, 0.0))), 4103);
    EXPECT_EQ(install(&processor, planeCalibration()), 0);
}

// A table that cannot be the camera's calibration is refused with its fault in
// the run log, and the processor keeps the table it had.
TEST(OpenRules, CalibrationThatCannotBeTheCamerasIsRefusedAndLogged) {
    struct Case {
        const char* name;
        open_close::CalibratedCamera camera;
        int column, coefficient;
        double value;
        const char* logLine;  // null: accepted
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"NaN coefficient", kDistanceCamera, 7, 3, nan, "invalid calibration[3]: column 7: coefficient 3 is not finite"},
        {"infinite coefficient", kFixedPointCamera, 2047, 9, -inf,
         "invalid calibration[3]: column 2047: coefficient 9 is not finite"},
        // 1e300 r^9 leaves the doubles at row 9.
        {"distance beyond the doubles", kFixedPointCamera, 5, 0, 1e300,
         "invalid calibration[3]: column 5: distance at row 9 is not finite"},
        // Distance 20000 - 40 r: it falls as the peak row grows.
        {"falling distance", kFixedPointCamera, 12, 8, -40.0,
         "invalid calibration[3]: column 12: distance at row 1 is not above row 0"},
        {"flat distance", kFixedPointCamera, 12, 8, 0.0,
         "invalid calibration[3]: column 12: distance at row 1 is not above row 0"},
        // Heads that send distances never turn a row into a height.
        {"falling distance, distance head", kDistanceCamera, 12, 8, -40.0, nullptr},
        // Columns the camera does not have are never read.
        {"NaN beyond the camera", open_close::CalibratedCamera{848, 640, true}, 848, 0, nan, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileProcessor processor(c.camera.columns, 4096, 2.0);
        ASSERT_EQ(open_close::installCalibration(&processor, planeCalibration(), c.camera, 3), 0);
        Rows table = planeCalibration();
        table[c.column][c.coefficient] = c.value;
        EXPECT_EQ(open_close::installCalibration(&processor, table, c.camera, 3), c.logLine ? 4103 : 0);
        if (!c.logLine) continue;
        EXPECT_TRUE(runLogHas(c.logLine));
        EXPECT_EQ(processor.calibration()[c.column][c.coefficient], planeCalibration()[c.column][c.coefficient]);
    }
}

TEST(OpenRules, CalibratedCameraOfTheHead) {
    SensorController controller;
    controller.columns = 2048;
    controller.rows = 608;
    const std::pair<const char*, bool> models[] = {{"ZP4160", true}, {"ZP3160", true}, {"ZP5160", false},
                                                   {"ZP6160", false}};
    for (const auto& [model, peakRows] : models) {
        std::memcpy(controller.laserParams.model, model, 7);
        const open_close::CalibratedCamera camera = open_close::calibratedCamera(controller);
        EXPECT_EQ(camera.peakRows, peakRows) << model;
        EXPECT_EQ(camera.columns, 2048);
        EXPECT_EQ(camera.rows, 608);
    }
}

TEST(OpenRules, NotOpenIdsAnswer4097) {
    EXPECT_EQ(HVQ5_CommunicationClose(77), 4097);
    EXPECT_EQ(HVQ5_2_CommClose(77), 4097);
    EXPECT_EQ(HVQ5_StartMeasure(77), 4097);
    EXPECT_EQ(HVQ5_StartIOMeasure(77, 10), 4097);
    EXPECT_EQ(hvq5_pri_startiomeasure(77, 10, 1), 4097);
    EXPECT_EQ(HVQ5_StopMeasure(77), 4097);
    EXPECT_EQ(HVQ5_Trigger(77), 4097);
    EXPECT_EQ(HVQ5_2_TriggerOneBatch(77), 4097);
    EXPECT_EQ(HVQ5_2_StartMeasureWithCallback(77, 0), 4097);
    EXPECT_EQ(HVQ5_2_StartIOBatchRollData(77), 4097);
    EXPECT_EQ(HVQ5_2_StartBatchRollData(77), 4097);
    EXPECT_EQ(HVQ5_2_SetBatchRollProfilePoint(77, 0, 5), 4097);
    EXPECT_EQ(HVQ5_2_ClearData(77), 4097);
    int32_t profile[4];
    uint32_t encoder = 0;
    EXPECT_EQ(HVQ5_2_GetSingleProfile(77, profile, &encoder), -1);
}

TEST(OpenRules, NullAddressesAreRefused) {
    EXPECT_EQ(HVQ5_EthernetOpen(78, nullptr), 4102);
    EXPECT_EQ(HVQ5_2_EthernetOpen(78, nullptr), 4102);
    EXPECT_EQ(hvq5_change_address(78, nullptr), 4102);
}

}  // namespace
