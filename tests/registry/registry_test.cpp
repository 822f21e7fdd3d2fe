#include <gtest/gtest.h>

#include <string>

#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {

class RegistryExports : public ::testing::Test {
protected:
    void SetUp() override {
        HVQ5_Finalize();
        registry_testing::resetFirstCall();
    }
    void TearDown() override { HVQ5_Finalize(); }
};

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST_F(RegistryExports, InitializeRunsTheFirstCallStepOnlyOnce) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(HVQ5_Initialize(), HVQ5_RC_OK);
    std::string first = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(sdkManager().socket_started());
    EXPECT_LE(countOf(first, "Socket2.0 init suc!\n"), 1u);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(HVQ5_Initialize(), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_Initialize_Config(false, 1), HVQ5_RC_OK);
    EXPECT_EQ(HVQ5_2_Initialize(), HVQ5_RC_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(runFirstCallStep()) << "the step never runs twice";
}

TEST_F(RegistryExports, InitializeConfigTakesTheFirstCallUnlessSkippingSockets) {
    EXPECT_EQ(HVQ5_Initialize_Config(true, 0), HVQ5_RC_OK);
    EXPECT_TRUE(takeFirstCall()) << "skipping sockets leaves the first call to others";
    registry_testing::resetFirstCall();
    EXPECT_EQ(HVQ5_Initialize_Config(false, 1), HVQ5_RC_OK);
    EXPECT_FALSE(takeFirstCall());
}

TEST_F(RegistryExports, NoSockWithoutOpenIdsSucceeds) {
    EXPECT_EQ(HVQ5_Initialize_NoSock(), HVQ5_RC_OK);
    EXPECT_TRUE(takeFirstCall()) << "the registry alone does not count as the first call";
}

TEST_F(RegistryExports, SmallConstantsAndTestAdd) {
    EXPECT_EQ(hvq5_test_add(0, 2, 3), 5u);
    EXPECT_EQ(hvq5_test_add(7, 0xFFFFFFFFu, 1), 0u);
    EXPECT_DOUBLE_EQ(HVQ5_GetZNullDataMM(), -9999.0);
    EXPECT_EQ(HVQ5_Finalize(), HVQ5_RC_OK);
}

// The call frame on ids that were never opened: the not-open result of each
// kind of export, and the operation never runs.
TEST_F(RegistryExports, CallFrameOnUnopenedIdGivesNotOpenResults) {
    bool ran = false;
    auto operation = [&ran](tandrel_zp_clients&) {
        ran = true;
        return 0;
    };
    for (int id : {0, 1, -1, 255}) {
        EXPECT_EQ(HVQ5_InitializeSetting(id), HVQ5_RC_NOT_OPEN);
        EXPECT_EQ(deviceStatusCall(id, operation), HVQ5_RC_NOT_OPEN);
        EXPECT_EQ(deviceValueCall(id, -1, operation), -1);
        EXPECT_EQ(deviceValueCall(id, 4097.0, [&](tandrel_zp_clients& d) { return double(operation(d)); }),
                  4097.0);
        EXPECT_EQ(deviceValueCall<const char*>(id, nullptr,
                                               [&](tandrel_zp_clients& d) { return operation(d) ? "" : ""; }),
                  nullptr);
    }
    EXPECT_FALSE(ran);
    EXPECT_EQ(sdkManager().open_count(), 0);
}

}  // namespace
