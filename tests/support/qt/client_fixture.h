#pragma once
// The fixture of every test that needs the sensor: the real LinelaserClient
// (linelaserClient(), the one the windows use) opened on a worker thread
// against a simulated sensor on the test's own loopback address, in a fresh
// working folder ("settings.ini", logs) with PUBLIC and XDG_CONFIG_HOME of its
// own; closed again in tear-down. The client's waits are shortened (see
// fastTimings) unless the test asks otherwise.
//
//   class TriggerPageTest : public mirevo::test::ClientFixture {};
//   TEST_F(TriggerPageTest, WritesTheTriggerMethod) {
//       TiggerSettingWidget page;                        // reaches linelaserClient()
//       ...                                              // drive the widgets
//       EXPECT_EQ(sensor().reg(143), 2u);                // the simulator's register store
//       EXPECT_EQ(sensor().writesTo(143), std::vector<uint32_t>{2});  // its packet log
//   }
//
// Another model or batch mode: override sensorOptions(), e.g.
//   ClientSensorOptions sensorOptions() const override {
//       ClientSensorOptions o; o.preset.model = "ZP4100"; o.knobs.batchMode = 1; return o;
//   }
// Signals arrive through the client's event timer: spin the event loop with
// waitUntil (or QSignalSpy::wait) instead of sleeping.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "sensor_client/linelaser_client.h"
#include "tests/support/client_sensor.h"
#include "tests/support/temp_dir.h"

namespace mirevo::test {

class ClientFixture : public ::testing::Test {
protected:
    // The simulated sensor to open; the default is a series-'5' head (4096
    // points) in profile mode (register 149 = 0).
    virtual ClientSensorOptions sensorOptions() const { return {}; }
    // The client's waits during the test.
    virtual ClientTimings clientTimings() const { return fastTimings(); }
    // false: SetUp leaves the client closed (call openClient yourself).
    virtual bool openInSetUp() const { return true; }
    // Where the simulated sensor listens (default: addressForTest()).
    virtual std::string sensorAddress() const { return addressForTest(); }

    void SetUp() override;
    void TearDown() override;

    LinelaserClient& client() { return *linelaserClient(); }
    ClientSensor& sensor() { return *sensor_; }
    const std::filesystem::path& workFolder() const { return work_.path(); }

    // Opens the client on a worker thread, as the connection dialog does, and
    // returns open's result (0 in SetUp, or the test fails there).
    int openClient(const std::string& address);
    int openClient() { return openClient(sensor_->address()); }
    // A fresh simulated sensor with other options at the same address (the
    // client is not reopened).
    void restartSensor(const ClientSensorOptions& options);

    // Spins the Qt event loop until the condition holds; false after timeoutMs
    // (generous: sanitizer builds on a loaded machine are slow).
    bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 30000);

    // Waits of a few milliseconds instead of the client's real ones.
    static ClientTimings fastTimings();
    // The address of the test's own simulated sensor.
    static std::string addressForTest();

private:
    TempDir work_;
    std::unique_ptr<ScopedWorkingDir> inWork_;
    std::unique_ptr<ScopedEnv> publicEnv_;
    std::unique_ptr<ScopedEnv> configEnv_;
    std::unique_ptr<ClientSensor> sensor_;
};

}  // namespace mirevo::test
