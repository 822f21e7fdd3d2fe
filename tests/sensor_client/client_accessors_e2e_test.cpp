// The typed setting accessors against the simulator: what a write puts in the
// sensor's registers, and what a stored register reads back as.
#include <gtest/gtest.h>

#include <QString>

#include <functional>

#include "sensor_interface/registry/hvq5_api.h"
#include "tests/support/qt/client_fixture.h"

using mirevo::test::ClientFixture;
using mirevo::test::ClientSensorOptions;

namespace {

using Access = std::function<int(LinelaserClient&, int dir, int64_t* value)>;

// Adapts an accessor of any value type to int64 values.
template <typename T>
Access typed(int (LinelaserClient::*accessor)(int, T*)) {
    return [accessor](LinelaserClient& client, int dir, int64_t* value) {
        T typedValue = static_cast<T>(*value);
        const int status = (client.*accessor)(dir, &typedValue);
        *value = static_cast<int64_t>(typedValue);
        return status;
    };
}

template <typename T>
Access typedWhich(int (LinelaserClient::*accessor)(int, int, T*), int which) {
    return [accessor, which](LinelaserClient& client, int dir, int64_t* value) {
        T typedValue = static_cast<T>(*value);
        const int status = (client.*accessor)(dir, which, &typedValue);
        *value = static_cast<int64_t>(typedValue);
        return status;
    };
}

struct AccessorRow {
    const char* name;
    Access access;
    int reg;               // the register the interface keeps the setting in
    int64_t written;       // a value a window writes ...
    uint32_t registerAfter;  // ... and what the register holds then
    uint32_t stored;       // a register value ...
    int64_t readBack;      // ... and what the accessor reads from it
};

class ClientAccessorTest : public ClientFixture {
protected:
    void store(int reg, uint32_t value) {
        int v = static_cast<int>(value);
        ASSERT_EQ(client().cfgRegister(1, reg, &v), 0) << reg;
    }
};

TEST_F(ClientAccessorTest, EveryPlainAccessorWritesItsRegisterAndReadsItBack) {
    const AccessorRow rows[] = {
        {"TriggerMethod 1", typed(&LinelaserClient::cfgTriggerMethod), 143, 1, 2, 2, 1},
        {"TriggerMethod 0", typed(&LinelaserClient::cfgTriggerMethod), 143, 0, 0, 0, 0},
        // 3 goes out as 3; the interface keeps the encoder trigger (2) for it.
        {"TriggerMethod 3", typed(&LinelaserClient::cfgTriggerMethod), 143, 3, 2, 3, 1},
        {"TriggerIntervalEnable", typed(&LinelaserClient::cfgTriggerIntervalEnable), 283, 1, 1, 1, 1},
        {"EncoderMode", typed(&LinelaserClient::cfgEncoderMode), 145, 3, 3, 200, 200},
        {"EncoderIntervalEnable", typed(&LinelaserClient::cfgEncoderIntervalEnable), 282, 1, 1, 0, 0},
        {"EncoderInterval", typed(&LinelaserClient::cfgEncoderInterval), 176, 12, 12, 70000, 70000},
        {"BatchSize", typed(&LinelaserClient::cfgBatchSize), 138, 2500, 2500, 800, 800},
        {"AsyncFunction", typed(&LinelaserClient::cfgAsyncFunction), 206, 5, 5, 2, 2},
        {"EncoderTimeout 1", typed(&LinelaserClient::cfgEncoderTimeout), 309, 1, 2, 300, 300},
        {"HdrRange", typed(&LinelaserClient::cfgHdrRange), 288, 9, 9, 4, 4},
        {"ExposureIndex", typed(&LinelaserClient::cfgExposureIndex), 286, 7, 7, 11, 11},
        {"ImagingMode", typed(&LinelaserClient::cfgImagingMode), 238, 2, 2, 3, 3},
        {"LaserPowerControl", typed(&LinelaserClient::cfgLaserPowerControl), 290, 2, 2, 1, 1},
        {"AutoCompleteNum", typed(&LinelaserClient::cfgAutoCompleteNum), 183, 9, 9, 4, 4},
        {"PeakSelection", typed(&LinelaserClient::cfgPeakSelection), 431, 7, 7, 3, 3},
        {"HaloFilter", typed(&LinelaserClient::cfgHaloFilter), 801, 2, 2, 1, 1},
        {"CmosGain", typed(&LinelaserClient::cfgCmosGain), 161, 3, 3, 200, -56},
        {"Transparency", typed(&LinelaserClient::cfgTransparency), 800, 3, 3, 1, 1},
        {"GrayFrame", typed(&LinelaserClient::cfgGrayFrame), 266, 2, 2, 1, 1},
        {"HdrEnable", typed(&LinelaserClient::cfgHdrEnable), 221, 1, 1, 0, 0},
        {"InvalidDataProcess", typed(&LinelaserClient::cfgInvalidDataProcess), 185, 2, 2, 1, 1},
        {"FilterXMedian", typed(&LinelaserClient::cfgFilterXMedian), 472, 5, 5, 7, 7},
        {"FilterXAverage", typed(&LinelaserClient::cfgFilterXAverage), 473, 9, 9, 3, 3},
        {"FilterYMedian", typed(&LinelaserClient::cfgFilterYMedian), 470, 3, 3, 5, 5},
        {"FilterYAverage", typed(&LinelaserClient::cfgFilterYAverage), 471, 11, 11, 0x12345, 0x2345},
        {"CommonItem8 0", typed(&LinelaserClient::cfgCommonItem8), 205, 0, 1, 30, 30},
        {"CommonItem8", typed(&LinelaserClient::cfgCommonItem8), 205, 25, 25, 30, 30},
        {"BatchModel", typed(&LinelaserClient::cfgBatchModel), 233, 1, 1, 0, 0},
        {"ExposureMinimum", typedWhich(&LinelaserClient::cfgExposureLimit, 0), 212, 15, 15, 20, 20},
        {"ExposureMaximum", typedWhich(&LinelaserClient::cfgExposureLimit, 1), 211, 900, 900, 800, 800},
    };
    for (const AccessorRow& row : rows) {
        SCOPED_TRACE(row.name);
        int64_t value = row.written;
        ASSERT_EQ(row.access(client(), 1, &value), 0);
        EXPECT_EQ(sensor().reg(row.reg), row.registerAfter);
        store(row.reg, row.stored);
        value = -12345;
        ASSERT_EQ(row.access(client(), 0, &value), 0);
        EXPECT_EQ(value, row.readBack);
    }
}

// Settings the interface converts on its way to the sensor: a write reads
// back as written.
TEST_F(ClientAccessorTest, ConvertedSettingsReadBackAsWritten) {
    struct Row {
        const char* name;
        Access access;
        int64_t value;
    };
    const Row rows[] = {
        {"SamplingFrequency", typed(&LinelaserClient::cfgSamplingFrequency), 1000},
        {"ZRange", typed(&LinelaserClient::cfgZRange), 2},
        {"ExposureTime", typed(&LinelaserClient::cfgExposureTime), 300},
        {"FlipLeftRight", typed(&LinelaserClient::cfgFlipLeftRight), 1},
        {"FlipTopBottom", typed(&LinelaserClient::cfgFlipTopBottom), 1},
        {"CommonItem7", typed(&LinelaserClient::cfgCommonItem7), 40},
        {"CommonItem32", typed(&LinelaserClient::cfgCommonItem32), 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int64_t value = row.value;
        ASSERT_EQ(row.access(client(), 1, &value), 0);
        value = -1;
        ASSERT_EQ(row.access(client(), 0, &value), 0);
        EXPECT_EQ(value, row.value);
    }
    // Laser power limits: the interface keeps percentages in its own scale,
    // so a written limit reads back within one step.
    for (int which : {0, 1}) {
        uint16_t limit = which == 0 ? 20 : 80;
        ASSERT_EQ(client().cfgLaserPowerLimit(1, which, &limit), 0);
        limit = 0;
        ASSERT_EQ(client().cfgLaserPowerLimit(0, which, &limit), 0);
        EXPECT_NEAR(limit, which == 0 ? 20 : 80, 1);
    }
    EXPECT_EQ(sensor().reg(291) & 2u, 2u);     // flip top-bottom: bit 1
    EXPECT_EQ(sensor().reg(310), 5000u);       // batch start delay in microseconds
}

TEST_F(ClientAccessorTest, DecimalValuesAreTruncatedAsTyped) {
    double mm = 0.123456;
    ASSERT_EQ(client().cfgTriggerYInterval(1, &mm), 0);
    EXPECT_EQ(sensor().reg(284), 12345u);
    mm = 0;
    ASSERT_EQ(client().cfgTriggerYInterval(0, &mm), 0);
    EXPECT_DOUBLE_EQ(mm, 0.12345);
    mm = 1.001;
    ASSERT_EQ(client().cfgTriggerYInterval(1, &mm), 0);
    EXPECT_EQ(sensor().reg(284), 100100u);

    for (auto [um, sent] : {std::pair{2.66, 266u}, std::pair{2.01, 201u}}) {
        double pitch = um;
        ASSERT_EQ(client().cfgXPitch(1, &pitch), 0);
        EXPECT_EQ(sensor().reg(285), sent) << um;
        pitch = 0;
        ASSERT_EQ(client().cfgXPitch(0, &pitch), 0);
        EXPECT_DOUBLE_EQ(pitch, sent / 100.0);
    }
}

TEST_F(ClientAccessorTest, TheHdrFrameExposuresAndTheirRefusals) {
    for (int frame = 0; frame < 3; ++frame) {
        int us = 100 + frame;
        ASSERT_EQ(client().cfgHdrFrameExposure(1, frame, &us), 0);
        EXPECT_EQ(sensor().reg(261 + frame), static_cast<uint32_t>(100 + frame));
    }
    sensor().clearPacketLog();
    int us = 100;
    EXPECT_EQ(client().cfgHdrFrameExposure(1, 3, &us), 4102);
    EXPECT_EQ(client().cfgHdrFrameExposure(0, -1, &us), 4102);
    us = 1;
    EXPECT_EQ(client().cfgHdrFrameExposure(1, 0, &us), 4102);
    EXPECT_EQ(client().cfgHdrFrameExposure(0, 0, &us), 4102);
    EXPECT_TRUE(sensor().writesTo(261).empty());
}

TEST_F(ClientAccessorTest, TheInvalidPointRepairCountsShareOneSetting) {
    uint16_t process = 3, restore = 0x105;
    ASSERT_EQ(client().cfgInvalidPointRepair(1, &process, &restore), 0);
    EXPECT_EQ(sensor().reg(190), 3u);
    EXPECT_EQ(sensor().reg(191), 5u);
    store(190, 0xFE);
    store(191, 7);
    ASSERT_EQ(client().cfgInvalidPointRepair(0, &process, &restore), 0);
    EXPECT_EQ(process, 0xFFFE);  // each byte sign-extended
    EXPECT_EQ(restore, 7);
}

TEST_F(ClientAccessorTest, IoModeIsWriteOnlyAndRefusedInBatchMode) {
    int on = 1;
    EXPECT_EQ(client().cfgIoMode(0, &on), 4102);
    ASSERT_EQ(client().cfgIoMode(1, &on), 0);
    EXPECT_EQ(sensor().reg(722), 1u);
    store(149, 1);
    sensor().clearPacketLog();
    EXPECT_EQ(client().cfgIoMode(1, &on), 5001);
    EXPECT_TRUE(sensor().writesTo(722).empty());
}

TEST_F(ClientAccessorTest, ANetworkAddressIsAppliedOnlyAfterAGoodWrite) {
    uint8_t address[4] = {127, 0, 0, 9};
    sensor().clearPacketLog();
    ASSERT_EQ(client().cfgNetAddress(1, 0, address), 0);
    EXPECT_EQ(sensor().writesTo(167), std::vector<uint32_t>{0x7F000009u});
    EXPECT_FALSE(sensor().writesTo(170).empty());  // the apply item (register 170)
    uint8_t read[4] = {};
    ASSERT_EQ(client().cfgNetAddress(0, 0, read), 0);
    EXPECT_EQ(std::vector<uint8_t>(read, read + 4), std::vector<uint8_t>(address, address + 4));
    EXPECT_EQ(client().cfgNetAddress(1, 3, address), 4102);  // item 0: refused

    sensor_sim::Fault fault;
    fault.kind = sensor_sim::FaultKind::CloseConnection;
    fault.times = 1;
    sensor().head().injectRegisterFault(169, fault);  // the mask
    sensor().clearPacketLog();
    EXPECT_NE(client().cfgNetAddress(1, 1, address), 0);
    EXPECT_TRUE(sensor().writesTo(170).empty());
}

TEST_F(ClientAccessorTest, YPitchFollowsTheTriggerInterval) {
    store(283, 1);
    store(284, 50000);
    EXPECT_DOUBLE_EQ(client().yPitch(), 0.5);
    store(283, 0);
    EXPECT_DOUBLE_EQ(client().yPitch(), client().xPitchMm);
}

TEST_F(ClientAccessorTest, RegistersAndPassThroughs) {
    int value = 77;
    ASSERT_EQ(client().cfgRegister(1, 4000, &value), 0);
    EXPECT_EQ(sensor().reg(4000), 77u);
    EXPECT_EQ(client().cachedRegister(4000), 77);
    sensor_sim::Fault silence;
    silence.kind = sensor_sim::FaultKind::CloseConnection;
    silence.times = 1;
    sensor().head().injectRegisterFault(4001, silence);
    value = 5;
    EXPECT_NE(client().cfgRegister(0, 4001, &value), 0);
    EXPECT_EQ(value, 0);

    QString text;
    ASSERT_EQ(client().firmwareVersionText(&text), 0);
    EXPECT_EQ(text, "1a.3.7");  // the preset words 0x1a, 0x3, 0x7
    ASSERT_EQ(client().sdkVersionText(&text), 0);
    EXPECT_EQ(text, "1.1.2.0");
    QString a, b;
    EXPECT_EQ(client().serialNumbers(&a, &b), 0);
    EXPECT_TRUE(client().headModel(&text));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_DOUBLE_EQ(client().zNullValueMM(), -9999.0);
    EXPECT_GT(client().maxSamplingFrequency(), 0);
    EXPECT_EQ(client().takeFailCode(), 0);
    EXPECT_EQ(client().profilePointCount(), 4096);
}

TEST_F(ClientAccessorTest, WithoutASensorTheCachedRegisterIsMinusOne) {
    client().close();
    EXPECT_EQ(client().cachedRegister(149), -1);
    int value = 3;
    EXPECT_EQ(client().cfgRegister(0, 149, &value), 4097);
    EXPECT_EQ(value, 0);
}

// Batch mode: the batch memory is cleared first, and a series-'3' head also
// gets register 722 (3 batch and single frame, 2 batch, 1 or 0 off).
class ClientBatchEnableTest : public ClientAccessorTest {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset.model = "ZP3100";
        return options;
    }
};

TEST_F(ClientBatchEnableTest, OnASeries3HeadRegister722FollowsTheFlags) {
    struct Case {
        bool batch;
        bool single;
        uint32_t imageMode296;
        uint32_t expected722;
    };
    for (const Case& c : {Case{true, true, 0, 3}, Case{true, false, 0, 2}, Case{false, false, 0, 1},
                          Case{false, true, 1, 0}}) {
        SCOPED_TRACE(std::to_string(c.expected722));
        store(296, c.imageMode296);
        sensor().clearPacketLog();
        bool batch = c.batch, single = c.single;
        ASSERT_EQ(client().cfgBatchEnable(1, &batch, &single), 0);
        EXPECT_EQ(sensor().writesTo(722), std::vector<uint32_t>{c.expected722});
        EXPECT_EQ(sensor().reg(149), c.batch ? 1u : 0u);
        bool readBatch = !c.batch, readSingle = true;
        ASSERT_EQ(client().cfgBatchEnable(0, &readBatch, &readSingle), 0);
        EXPECT_EQ(readBatch, c.batch);
        EXPECT_EQ(readSingle, c.expected722 == 3);
    }
}

TEST_F(ClientAccessorTest, OnOtherSeriesRegister722IsNotWritten) {
    bool batch = true, single = true;
    sensor().clearPacketLog();
    ASSERT_EQ(client().cfgBatchEnable(1, &batch, &single), 0);
    EXPECT_TRUE(sensor().writesTo(722).empty());
    EXPECT_EQ(sensor().reg(149), 1u);
}

TEST_F(ClientAccessorTest, AFailingBatchMemoryClearWritesNothingMore) {
    sensor_sim::Fault fault;
    fault.kind = sensor_sim::FaultKind::CloseConnection;
    sensor().head().injectRegisterFault((1u << 16) + 277, fault);
    sensor().clearPacketLog();
    bool batch = true, single = false;
    EXPECT_NE(client().cfgBatchEnable(1, &batch, &single), 0);
    sensor().head().clearFaults();
    EXPECT_TRUE(sensor().writesTo(149).empty());
}

}  // namespace
