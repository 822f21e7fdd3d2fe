#include "tests/support/qt/client_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <thread>

#include "sensor_client/app_settings.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tests/support/loopback_address.h"

namespace mirevo::test {

namespace {
constexpr int kClientAddressArea = 170;
}

std::string ClientFixture::addressForTest() { return loopbackAddressForTest(kClientAddressArea); }

ClientTimings ClientFixture::fastTimings() {
    ClientTimings timings;
    timings.eventTickMs = 5;
    timings.heartbeatMs = 100;
    timings.profileMs = 10;
    timings.batchMs = 10;
    timings.batchIdleMs = 2;
    timings.statusMs = 10;
    return timings;
}

void ClientFixture::SetUp() {
    inWork_ = std::make_unique<ScopedWorkingDir>(work_.path());
    publicEnv_ = std::make_unique<ScopedEnv>("PUBLIC", work_.path().string());
    configEnv_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", work_.path().string());
    reopenAppSettings();
    HVQ5_Finalize();
    client().setTimings(clientTimings());
    sensor_ = std::make_unique<ClientSensor>(sensorAddress(), sensorOptions());
    ASSERT_TRUE(sensor_->start()) << "the simulated sensor cannot listen on " << sensor_->address();
    if (openInSetUp()) {
        ASSERT_EQ(openClient(), 0) << "the client did not open " << sensor_->address();
    }
}

void ClientFixture::TearDown() {
    client().close();
    client().setTimings(ClientTimings{});
    QCoreApplication::processEvents();
    if (sensor_) sensor_->stop();
    HVQ5_Finalize();
    reopenAppSettings();
    configEnv_.reset();
    publicEnv_.reset();
    inWork_.reset();
}

int ClientFixture::openClient(const std::string& address) {
    const size_t dataConnections = sensor_->dataConnections();
    int result = -1;
    std::thread opener([&] { result = client().open(QString::fromStdString(address), 7); });
    opener.join();
    // The sensor streams a batch only to a data channel it is serving.
    if ((result == 0 || result >= 240) && address == sensor_->address()) {
        EXPECT_TRUE(sensor_->waitForDataConnection(dataConnections + 1, 20000))
            << "the data channel of " << address << " was not connected";
    }
    return result;
}

void ClientFixture::restartSensor(const ClientSensorOptions& options) {
    const std::string address = sensor_->address();
    sensor_.reset();
    sensor_ = std::make_unique<ClientSensor>(address, options);
    ASSERT_TRUE(sensor_->start()) << "the simulated sensor cannot listen on " << address;
}

bool ClientFixture::waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace mirevo::test
