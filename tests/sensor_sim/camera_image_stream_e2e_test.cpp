// The simulator's camera image: a column ramp of as many rows as register 11
// holds (the Z-range window), with scripted peaks, read through the interface; and
// a shape block whose permanent store the sensor refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_rc.h"
#include "tests/support/scene_head.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/camera_image_stream.h"
#include "tools/sensor_sim/sensor_model.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace {

constexpr int kAddressArea = 153;
constexpr int kRows = 608;

double scriptedPeak(int column, int rows) {
    if (column == 300) return 0.0;
    return column < 1000 ? rows / 4 + 0.5 : rows / 2;
}

class CameraImageStream : public mirevo::test::RegistryDeviceTest {
protected:
    CameraImageStream() : RegistryDeviceTest(kAddressArea) {}
    void installServices(sensor_sim::SimSensor& sensor) override {
        sensor_sim::installCameraImageStream(sensor, kRows, scriptedPeak);
    }
};

TEST_F(CameraImageStream, RampFollowsTheZRangeWindowWithTheScriptedPeaks) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller(), '4', kRows, 3200, 1.5625));
    // Register 11 as the interface writes it for Z-range indexes 0, 1 and 3,
    // and 0, which stands for the whole camera.
    for (uint32_t inUse : {608u, 304u, 76u, 0u}) {
        SCOPED_TRACE(inUse);
        sim->setReg(11, inUse);
        const int windowRows = inUse == 0 ? kRows : static_cast<int>(inUse);
        std::vector<char> image(static_cast<size_t>(kRows) * 2048, 0);
        std::vector<int> peaks(2048, 7);
        int rows = 0;
        ASSERT_EQ(hvq5_get_image(0, image.data(), static_cast<int>(image.size()), peaks.data(), 2048, &rows),
                  HVQ5_RC_OK);
        EXPECT_EQ(rows, windowRows);
        for (int r : {0, 1, windowRows - 1})
            for (int c : {0, 7, 8, 255, 256, 2047})
                EXPECT_EQ(static_cast<uint8_t>(image[static_cast<size_t>(r) * 2048 + c]), static_cast<uint8_t>(c + r));
        EXPECT_EQ(peaks[10], static_cast<int>(scriptedPeak(10, windowRows) * 100));
        EXPECT_EQ(peaks[1500], static_cast<int>(scriptedPeak(1500, windowRows) * 100));
        EXPECT_EQ(peaks[300], -100) << "no peak";
    }
}

TEST_F(CameraImageStream, RefusedPermanentStoreKeepsTheWorkingBlock) {
    std::vector<uint8_t> block(256, 0);
    block[0] = 1;
    block[2] = 18;
    sim->model().setShapeStoreFails(true);
    EXPECT_EQ(hvq5_write_block(0, 1, block.data(), 256), HVQ5_RC_OK);
    EXPECT_NE(hvq5_write_block(0, 3, nullptr, 256), HVQ5_RC_OK);
    EXPECT_EQ(sim->model().shapeBlock(), block);
    EXPECT_EQ(sim->model().storedShapeBlock(), std::vector<uint8_t>(256, 0));

    sim->model().setShapeStoreFails(false);
    EXPECT_EQ(hvq5_write_block(0, 3, nullptr, 256), HVQ5_RC_OK);
    EXPECT_EQ(sim->model().storedShapeBlock(), block);
}

}  // namespace
