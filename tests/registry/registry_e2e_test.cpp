// The registry with sensors opened on the simulator.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/support/loopback_address.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        HVQ5_Finalize();
        registry_testing::resetFirstCall();
        sensor_sim::SimOptions options;
        options.address = mirevo::test::loopbackAddressForTest(22);
        sim = std::make_unique<sensor_sim::SimSensor>(options);
        ASSERT_TRUE(sim->start());
    }
    void TearDown() override { HVQ5_Finalize(); }

    bool open(int id) { return sdkManager().connect(id, sim->options().address.c_str(), sim->options().commandPort); }

    std::unique_ptr<sensor_sim::SimSensor> sim;
};

TEST_F(Registry, ConnectRegistersAnIdOnceAndOnlyWhenTheChannelConnects) {
    EXPECT_TRUE(open(3));
    EXPECT_FALSE(open(3)) << "an id is opened once";
    EXPECT_EQ(sdkManager().open_count(), 1);
    ASSERT_NE(sdkManager().find(3), nullptr);
    EXPECT_EQ(sdkManager().find(3)->controller.sensorId, 3);

    EXPECT_FALSE(sdkManager().connect(4, sim->options().address.c_str(), 1)) << "refused";
    EXPECT_FALSE(sdkManager().connect(5, nullptr, 7));
    EXPECT_EQ(sdkManager().find(4), nullptr);
    EXPECT_EQ(sdkManager().open_count(), 1);

    sdkManager().close(3);
    EXPECT_EQ(sdkManager().find(3), nullptr);
    EXPECT_EQ(sdkManager().open_count(), 0);
}

TEST_F(Registry, InitialiseExportsWithAnIdOpen) {
    // Opening ran the first-call step itself, so a later initialise is a no-op.
    ASSERT_TRUE(runFirstCallStep());
    ASSERT_TRUE(open(0));
    EXPECT_EQ(HVQ5_Initialize(), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_Initialize_NoSock(), HVQ5_RC_ALREADY_OPEN);
    EXPECT_EQ(sdkManager().open_count(), 1) << "NoSock changes nothing";

    // An initialise that still finds the first call reports the open id.
    registry_testing::resetFirstCall();
    EXPECT_EQ(HVQ5_Initialize(), HVQ5_RC_ALREADY_OPEN);
}

TEST_F(Registry, ExportsOnOtherIdsSendNothingAndInitializeSettingDoesNothing) {
    ASSERT_TRUE(open(0));
    sim->clearPacketLog();
    int ran = 0;
    auto read = [&ran](tandrel_zp_clients& device) {
        ++ran;
        uint32_t value = 0;
        return device.controller.readRegister(1, value, 0);
    };
    for (int id : {1, 2, 16, -5}) EXPECT_EQ(deviceStatusCall(id, read), HVQ5_RC_NOT_OPEN);
    EXPECT_EQ(HVQ5_InitializeSetting(0), HVQ5_RC_NOT_OPEN) << "even for an open id";
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(sim->packetLog().empty());

    EXPECT_EQ(deviceStatusCall(0, read), HVQ5_RC_OK);
    EXPECT_EQ(sim->packetLog().size(), 1u);
}

TEST_F(Registry, FinalizeLetsARunningExportFinishOnItsDevice) {
    ASSERT_TRUE(open(0));
    sim->setReg(12, 1212);
    sim->injectRegisterFault(12, sensor_sim::Fault{sensor_sim::FaultKind::Delay, 400, 1, 6, 1});
    std::promise<void> started;
    auto call = std::async(std::launch::async, [&started] {
        return deviceValueCall(0, int64_t(-1), [&started](tandrel_zp_clients& device) -> int64_t {
            started.set_value();
            uint32_t value = 0;
            int status = device.controller.readRegister(12, value, 0);
            return status == HVQ5_RC_OK ? int64_t(value) : -status;
        });
    });
    started.get_future().wait();
    EXPECT_EQ(HVQ5_Finalize(), HVQ5_RC_OK);
    EXPECT_EQ(sdkManager().find(0), nullptr);
    EXPECT_EQ(call.get(), 1212);
    EXPECT_EQ(deviceStatusCall(0, [](tandrel_zp_clients&) { return 0; }), HVQ5_RC_NOT_OPEN);
}

}  // namespace
